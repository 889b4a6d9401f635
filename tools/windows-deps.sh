#!/usr/bin/env bash
# The Windows build's libraries: Debian's source packages of curl (on Windows' own TLS, Schannel),
# libzip (on Debian's MinGW zlib), SQLite, pugixml, freexl (on our iconv shim, cmake/windows/iconv)
# and libsodium, pinned below and checked against tools/windows-deps.sha256, built statically with
# the project's MinGW-w64 toolchain into a prefix outside the clone. The prefix is kept under a key
# of this script, the sums, the shim, the toolchain file and the compiler, so a second run costs
# seconds. Progress goes to stderr; the last line on stdout is the prefix (docs/windows.md).
#   QUILLAN_CACHE_DIR   where sources and prefixes are kept (default ~/.cache/quillan)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

packages=(curl=7.88.1-10+deb12u15 libzip=1.7.3-1 sqlite3=3.40.1-2+deb12u2 pugixml=1.13-0.2
          freexl=1.0.6-2 libsodium=1.0.18-1+deb12u1)
host=x86_64-w64-mingw32
cc=$host-gcc-posix
say() { echo "windows deps: $*" >&2; }

cache=${QUILLAN_CACHE_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}/quillan}
mkdir -p "$cache/windows-sources" "$cache/windows-deps"
key=$( { cat tools/windows-deps.sh tools/windows-deps.sha256 cmake/windows/iconv/* cmake/windows/mingw-w64.cmake
         "$cc" --version; dpkg-query -W libz-mingw-w64-dev mingw-w64-x86-64-dev 2>/dev/null || true; } |
       sha256sum | cut -c1-16)
prefix=$cache/windows-deps/$key
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

# One build at a time per cache: a second clone waits for the first and then finds the prefix.
exec 9>"$cache/windows-deps/.lock"
flock 9
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi
started=$SECONDS

# --- Sources: fetched once with a private source list (the machine's apt configuration stays as it
# is), each file checked against the sum kept in the repository before it is used.
sources=$cache/windows-sources
verify() { (cd "$sources" && sha256sum --quiet --check "$root/tools/windows-deps.sha256") >/dev/null 2>&1; }
if ! verify; then
  say "fetching Debian's source packages ${packages[*]}"
  apt=$(mktemp -d)
  trap 'rm -rf "$apt"' EXIT
  mkdir -p "$apt/lists/partial" "$apt/download"
  printf '%s\n' "deb-src http://deb.debian.org/debian bookworm main" \
                "deb-src http://deb.debian.org/debian-security bookworm-security main" >"$apt/sources.list"
  aptOptions=(-o "Dir::Etc::sourcelist=$apt/sources.list" -o Dir::Etc::sourceparts=- -o "Dir::State::Lists=$apt/lists"
              -o APT::Sandbox::User=root -qq)
  apt-get "${aptOptions[@]}" update >&2
  (cd "$apt/download" && apt-get "${aptOptions[@]}" source --download-only "${packages[@]}" >&2)
  # Only files whose sums match are kept; a file that differs stops the build.
  (cd "$apt/download" && sha256sum --check "$root/tools/windows-deps.sha256" >&2) || {
    say "a source file does not match tools/windows-deps.sha256; nothing was built"; exit 1; }
  cp "$apt/download"/* "$sources/"
fi

# --- The build: a folder of its own per key (ccache sees the same paths on a rebuild), installed
# into a temporary prefix that takes the final name only when every library is in.
work=$cache/windows-deps/build-$key
rm -rf "$work" "$prefix.partial"
mkdir -p "$work"
for dsc in "$sources"/*.dsc; do
  (cd "$work" && dpkg-source --no-check -x "$dsc" >/dev/null)
done
staging=$prefix.partial
mkdir -p "$staging/include" "$staging/lib/pkgconfig"
launcher=()
ccache=""
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=$work
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  ccache="ccache "
fi
jobs=$(nproc)
cmakeBuild() { # SOURCE_DIR [OPTIONS...]: configure, build and install one CMake project, static
  local dir=$1
  shift
  cmake -S "$dir" -B "$dir/_build" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/windows/mingw-w64.cmake" -DCMAKE_INSTALL_PREFIX="$staging" \
        -DCMAKE_PREFIX_PATH="$staging" -DBUILD_SHARED_LIBS=OFF "$@" >/dev/null
  cmake --build "$dir/_build" -j "$jobs" >/dev/null
  cmake --install "$dir/_build" >/dev/null
}

say "building zlib's users: libzip"
cmakeBuild "$work"/libzip-1.7.3 -DZLIB_USE_STATIC_LIBS=ON -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF \
  -DENABLE_ZSTD=OFF -DENABLE_OPENSSL=OFF -DENABLE_GNUTLS=OFF -DENABLE_MBEDTLS=OFF -DENABLE_COMMONCRYPTO=OFF \
  -DENABLE_WINDOWS_CRYPTO=OFF -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF

say "building curl (Schannel; HTTP, FTP and FILE only)"
cmakeBuild "$work"/curl-7.88.1 -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF -DENABLE_MANUAL=OFF \
  -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DCURL_ZLIB=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF \
  -DUSE_LIBIDN2=OFF -DUSE_WIN32_IDN=OFF -DCURL_USE_LIBSSH2=OFF -DCURL_USE_LIBPSL=OFF -DUSE_NGHTTP2=OFF \
  -DCURL_CA_BUNDLE=none -DCURL_CA_PATH=none -DCURL_DISABLE_LDAP=ON -DCURL_DISABLE_LDAPS=ON \
  -DCURL_DISABLE_DICT=ON -DCURL_DISABLE_GOPHER=ON -DCURL_DISABLE_IMAP=ON -DCURL_DISABLE_POP3=ON \
  -DCURL_DISABLE_SMTP=ON -DCURL_DISABLE_RTSP=ON -DCURL_DISABLE_TELNET=ON -DCURL_DISABLE_TFTP=ON \
  -DCURL_DISABLE_MQTT=ON -DCURL_DISABLE_SMB=ON

say "building pugixml"
cmakeBuild "$work"/pugixml-1.13 -DPUGIXML_BUILD_TESTS=OFF

say "building SQLite (the amalgamation, made by a native configure)"
sqlite=$work/sqlite3-3.40.1
(cd "$sqlite" && mkdir -p _native && cd _native && ../configure --disable-tcl --disable-shared >/dev/null &&
   make -j "$jobs" sqlite3.c >/dev/null 2>&1)
$ccache"$cc" -O2 -DSQLITE_THREADSAFE=1 -DSQLITE_ENABLE_COLUMN_METADATA -DSQLITE_ENABLE_MATH_FUNCTIONS \
  -DSQLITE_OMIT_LOAD_EXTENSION -c "$sqlite/_native/sqlite3.c" -o "$sqlite/_native/sqlite3.o"
$host-ar rcs "$staging/lib/libsqlite3.a" "$sqlite/_native/sqlite3.o"
cp "$sqlite/_native/sqlite3.h" "$sqlite/_native/sqlite3ext.h" "$staging/include/"

say "building freexl on the iconv shim"
freexl=$work/freexl-1.0.6
mkdir -p "$freexl/_build"
cp cmake/windows/iconv/iconv.h cmake/windows/iconv/localcharset.h "$staging/include/"
$ccache"$cc" -O2 -Wall -I"$staging/include" -c cmake/windows/iconv/iconv.c -o "$freexl/_build/iconv.o"
$host-ar rcs "$staging/lib/libiconv.a" "$freexl/_build/iconv.o"
echo '#define VERSION "1.0.6"' >"$freexl/_build/config.h"
$ccache"$cc" -O2 -I"$freexl/_build" -I"$freexl/headers" -I"$staging/include" -c "$freexl/src/freexl.c" \
  -o "$freexl/_build/freexl.o"
$host-ar rcs "$staging/lib/libfreexl.a" "$freexl/_build/freexl.o"
cp "$freexl/headers/freexl.h" "$staging/include/"

say "building libsodium"
sodium=$work/libsodium-1.0.18
# Debian's orig tarball is the repository's tree: its configure script is made first.
(cd "$sodium" && autoreconf -fi >/dev/null 2>&1 && ./configure --host=$host --prefix="$staging" --disable-shared --enable-static \
   --disable-dependency-tracking CC="$ccache$cc" >/dev/null && make -j "$jobs" >/dev/null 2>&1 && make install >/dev/null)

# The pkg-config files name the prefix the libraries were installed into: the final one.
find "$staging/lib/pkgconfig" -name '*.pc' -exec sed -i "s|$staging|$prefix|g" {} +
touch "$staging/.complete"
mv "$staging" "$prefix"
rm -rf "$work"
say "built in $((SECONDS - started)) s into $prefix"
echo "$prefix"
