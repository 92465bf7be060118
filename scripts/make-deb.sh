#!/usr/bin/env bash
# Builds the Debian package of orvex.
#
#   scripts/make-deb.sh [BUILD-FOLDER]
#
# A new build folder (default build-deb) is configured as a Release build
# with all of Debian's hardening flags and without tests; an existing one
# is reused as it stands, so CI can package the build it has just tested.
# The package lands in BUILD-FOLDER/package/ and its path is printed last.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-deb}

if [ ! -f "$build/CMakeCache.txt" ]; then
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  cmake -S . -B "$build" \
    -DCMAKE_BUILD_TYPE=Release \
    -DORVEX_BUILD_TESTS=OFF -DORVEX_BUILD_BENCH=OFF \
    -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
elif grep -q '^ORVEX_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
  echo "make-deb.sh: $build is a sanitizer build; package a plain build instead" >&2
  exit 2
fi

cmake --build "$build" -j2 --target orvex orvex_linux_data

rm -rf "$build/package"
(cd "$build" && cpack -G DEB -B "$PWD/package" >/dev/null)
rm -rf "$build/package/_CPack_Packages"
deb=$(ls "$build"/package/*.deb)
echo "$deb"
