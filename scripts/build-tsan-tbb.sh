#!/usr/bin/env bash
# Builds Debian's oneTBB from its source package with ThreadSanitizer into a
# folder of its own (default /opt/tbb-tsan), for the ThreadSanitizer build of
# the engine. Debian's libtbb is not instrumented: ThreadSanitizer cannot see
# its synchronisation and would report every hand-over between two of its
# threads as a race. Needs root (or sudo) for apt-get; prints the folder that
# holds TBBConfig.cmake.
set -euo pipefail

prefix="${1:-/opt/tbb-tsan}"
if [ -f "$prefix/lib/cmake/TBB/TBBConfig.cmake" ]; then
  echo "$prefix/lib/cmake/TBB"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The source package comes from the same suite as the binary package.
sources="$work/orvex-src.sources"
cat > "$sources" <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
lists="$work/lists"
mkdir -p "$lists/partial"
apt_options=(-o "Dir::Etc::sourcelist=$sources" -o "Dir::Etc::sourceparts=-"
             -o "Dir::State::lists=$lists" -o "APT::Get::List-Cleanup=0")
$SUDO apt-get "${apt_options[@]}" update >&2
(cd "$work" && $SUDO apt-get "${apt_options[@]}" source --download-only onetbb >&2)
tar -C "$work" -xf "$work"/onetbb_*.orig.tar.*
src="$(find "$work" -maxdepth 1 -type d -iname 'onetbb-*' | head -n 1)"

cmake -S "$src" -B "$work/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTBB_SANITIZE=thread \
  -DTBB_TEST=OFF -DTBB_EXAMPLES=OFF -DTBBMALLOC_BUILD=OFF -DTBB_STRICT=OFF \
  -DCMAKE_INSTALL_PREFIX="$prefix" >&2
cmake --build "$work/build" -j"$(nproc 2>/dev/null || echo 2)" >&2
$SUDO cmake --install "$work/build" >&2
echo "$prefix/lib/cmake/TBB"
