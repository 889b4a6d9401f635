#!/usr/bin/env bash
# Installs every Debian package that the build, the tests and the benchmarks need.
# Idempotent: packages already present are left alone; the package lists are refreshed
# only when something is missing.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config clang-format ccache
  # fuzz targets (libFuzzer comes with clang's runtime)
  clang libclang-rt-14-dev
  # libraries
  qt6-base-dev libcurl4-openssl-dev libzip-dev libsqlite3-dev unixodbc-dev
  libpugixml-dev libfreexl-dev libcli11-dev libcpp-httplib-dev libssl-dev
  # signed releases: SHA-256 and Ed25519
  libsodium-dev
  # the runs file and --json: one JSON summary per process
  nlohmann-json3-dev
  # the release tool: the container of its Excel scripts
  libgsf-1-dev
  # ODBC drivers: FreeTDS for SQL Server in the field, SQLite's for the plumbing tests
  tdsodbc libsqliteodbc
  # tests: real servers and fixtures
  libgtest-dev libgmock-dev python3 python3-pyftpdlib python3-openssl python3-xlwt python3-xlrd xvfb xauth
  # the Windows side: the MinGW-w64 cross compiler, GoogleTest's sources, Wine to run the tests;
  # for tools/windows-deps.sh the MinGW zlib, dpkg-source, tclsh (SQLite's amalgamation) and the
  # autotools (libsodium's configure script)
  g++-mingw-w64-x86-64 googletest wine wine64 tzdata libz-mingw-w64-dev dpkg-dev tcl
  autoconf automake libtool
  # the Win32 window's pictures under Wine: Wine's Tahoma and Marlett
  fonts-wine
  # benchmarks: the standard tools we compare against
  curl zip unzip time libbenchmark-dev sqlite3
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "install-deps: installing ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
