#!/usr/bin/env bash
# Builds the Debian packages of orvex from debian/ the way Debian builds
# them: dpkg-buildpackage -us -uc -b on a copy of the source tree, with the
# distribution's compiler flags and full hardening (debian/rules).
#
#   scripts/make-deb.sh [OUTPUT-FOLDER]          (default build-deb)
#
# The packages (orvex, orvex-desktop and their -dbgsym), the .buildinfo
# and the .changes land in OUTPUT-FOLDER/package/; the path of the .changes
# file is printed last. The package's own test run is skipped unless
# DEB_BUILD_OPTIONS is set by the caller (CI has run the tests on the same
# source just before); parallel=2 keeps the build to two cores.
# ORVEX_DEB_CCACHE=1 compiles through ccache (repeated local builds).
set -euo pipefail
cd "$(dirname "$0")/.."

out=${1:-build-deb}
mkdir -p "$out"
out=$(realpath "$out")
version=$(dpkg-parsechangelog -S Version)
upstream=${version%-*}
tree="$out/source/orvex-$upstream"

# The files git knows (committed or not, ignored ones left out), so build
# folders in the working tree never reach the package build.
rm -rf "$out/source" "$out/package"
mkdir -p "$tree" "$out/package"
git ls-files -z --cached --others --exclude-standard |
  while IFS= read -r -d '' file; do [ -e "$file" ] && printf '%s\0' "$file"; done |
  tar --null -T - -cf - | tar -xf - -C "$tree"

export DEB_BUILD_OPTIONS=${DEB_BUILD_OPTIONS:-"nocheck parallel=2"}
# Without the test run the test-only build dependencies are not needed either.
if [[ " $DEB_BUILD_OPTIONS " == *" nocheck "* ]]; then
  export DEB_BUILD_PROFILES="${DEB_BUILD_PROFILES:+$DEB_BUILD_PROFILES }nocheck"
fi
if [ "${ORVEX_DEB_CCACHE:-0}" = 1 ] && [ -d /usr/lib/ccache ]; then
  export PATH="/usr/lib/ccache:$PATH"
fi
(cd "$tree" && dpkg-buildpackage -us -uc -b) > "$out/package/build.log" 2>&1 || {
  tail -n 40 "$out/package/build.log" >&2
  echo "make-deb.sh: dpkg-buildpackage failed; the whole log is $out/package/build.log" >&2
  exit 1
}
mv "$out"/source/*.deb "$out"/source/*.ddeb "$out"/source/*.buildinfo "$out"/source/*.changes \
  "$out/package/" 2>/dev/null || true
rm -rf "$out/source"
changes=$(ls "$out"/package/*.changes)
echo "$changes"
