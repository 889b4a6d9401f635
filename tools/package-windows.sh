#!/usr/bin/env bash
# The distributable: quillan-<version>-win64.zip holding quillan.exe, the Images folder, a sample
# Dll\Sd.ini for SQL Server through its ODBC driver and README-windows.txt (packaging/windows/).
# The same input gives the same bytes: names in a fixed order, fixed times and modes, no extra
# fields. Builds quillan.exe with tools/windows-tests.sh's build when it is not there.
#   QUILLAN_WINDOWS_BUILD  the Windows build folder (default build-windows)
#   QUILLAN_PACKAGE_DIR    where the zip goes (default dist/)
set -euo pipefail
cd "$(dirname "$0")/.."

build=${QUILLAN_WINDOWS_BUILD:-build-windows}
out=${QUILLAN_PACKAGE_DIR:-dist}
version=$(sed -n 's/^project(Quillan VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
if [ ! -f "$build/app/quillan.exe" ]; then
  deps=$(bash tools/windows-deps.sh | tail -n 1)
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/windows/mingw-w64.cmake" -DQUILLAN_WINDOWS_DEPS="$deps" >/dev/null
  cmake --build "$build" -j "$(nproc)" --target quillan
fi

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$stage/Images" "$stage/Dll"
# Without the debugging sections: the program the distributor runs. strip writes the time into the
# program's header; SOURCE_DATE_EPOCH makes it the package's fixed time.
SOURCE_DATE_EPOCH=946684800 x86_64-w64-mingw32-strip -o "$stage/quillan.exe" "$build/app/quillan.exe"
cp assets/images/* "$stage/Images/"
cp packaging/windows/Sd.ini "$stage/Dll/Sd.ini"
sed 's/$/\r/' packaging/windows/README-windows.txt >"$stage/README-windows.txt"
find "$stage" -type d -exec chmod 755 {} + && find "$stage" -type f -exec chmod 644 {} +
find "$stage" -exec touch -h -d "2000-01-01 00:00:00 UTC" {} +

mkdir -p "$out"
zip=$(cd "$out" && pwd)/quillan-$version-win64.zip
rm -f "$zip"
(cd "$stage" && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort | TZ=UTC zip -q -X -D -@ "$zip")
echo "$zip"
