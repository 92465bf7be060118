#!/usr/bin/env bash
# Checks the built packages the way a user and Debian meet them: lintian,
# hardening-check, the desktop files through their validators, a moved
# copy of the installed tree, then orvex installed alone (no Qt in what it
# needs, a conversion, the manual page, the completion, a clear message
# for a desktop start), then orvex-desktop on top (menu entry, MIME type,
# the desktop started under Xvfb), and finally the removal of both, which
# must leave none of their files behind.
#
#   scripts/check-deb.sh PACKAGE-FOLDER-OR-CHANGES-FILE
#                        (needs root: the packages are installed and removed)
set -euo pipefail
cd "$(dirname "$0")/.."
source_tree=$PWD
app_id=example.lumavert.orvex

fail() { echo "check-deb.sh: $*" >&2; exit 1; }
[ $# -eq 1 ] || fail "usage: check-deb.sh PACKAGE-FOLDER-OR-CHANGES-FILE"
if [ -d "$1" ]; then folder=$(realpath "$1"); else folder=$(dirname "$(realpath "$1")"); fi
changes=$(ls "$folder"/orvex_*.changes 2>/dev/null | head -n 1)
console_deb=$(ls "$folder"/orvex_*.deb 2>/dev/null | head -n 1)
desktop_deb=$(ls "$folder"/orvex-desktop_*.deb 2>/dev/null | head -n 1)
[ -n "$changes" ] && [ -n "$console_deb" ] && [ -n "$desktop_deb" ] ||
  fail "$folder holds no orvex_*.changes, orvex_*.deb and orvex-desktop_*.deb"

if [ "$(id -u)" -ne 0 ]; then fail "run as root: the packages are installed and removed"; fi
for package in orvex orvex-desktop; do
  if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q ' installed$'; then
    fail "$package is installed already; remove it first"
  fi
done
if grep -rqs '^path-exclude=/usr/share/man' /etc/dpkg/dpkg.cfg.d; then
  fail "dpkg is set to leave out manual pages (/etc/dpkg/dpkg.cfg.d): man orvex cannot work here"
fi

work=$(mktemp -d)
installed=0
cleanup() {
  # A failed check takes away what it installed, so the next run can start.
  if [ "$installed" -eq 1 ]; then
    apt-get remove -y orvex-desktop orvex > /dev/null 2>&1 || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

echo "-- lintian"
# The gate: no error and no warning that is not overridden.
lintian --fail-on error,warning --tag-display-limit 0 "$changes"
# Then every tag lintian knows, the pedantic and experimental ones too, with
# the overrides and their reasons shown: nothing but overrides may remain.
# (This call's exit code counts overridden tags, so it is not the gate.)
lintian --display-info --display-experimental --pedantic --show-overrides --tag-display-limit 0 \
  "$changes" | tee "$work/lintian" || true
if grep -E '^[EWIPX]: ' "$work/lintian"; then fail "lintian reports the tags above"; fi

echo "-- unpacked packages"
dpkg-deb -x "$console_deb" "$work/tree"
dpkg-deb -x "$desktop_deb" "$work/tree"
module=$(ls "$work"/tree/usr/lib/*/orvex/orvex-desktop.so)
share="$work/tree/usr/share"

echo "-- hardening-check"
# Control flow integrity cannot show on Debian 12: its C library's start
# files lack the x86 IBT/SHSTK markers, so no program linked there carries
# them (the distribution's own programs neither). Its stack clash test
# looks for one instruction order only and reports gcc 12's probes as
# unknown; the compiler switches recorded in the debug symbols are checked
# below instead.
hardening-check --nocfprotection "$work/tree/usr/bin/orvex" "$module"

echo "-- the compiler switches of every compile unit (from the -dbgsym packages)"
# The distribution's optimisation level with no -O3 of the project's own,
# and the stack protections, in every unit of both binaries.
for dbgsym in "$folder"/orvex-dbgsym_*.*deb "$folder"/orvex-desktop-dbgsym_*.*deb; do
  dpkg-deb -x "$dbgsym" "$work/debug"
done
find "$work/debug" -name '*.debug' -type f -print0 |
  xargs -0 -n 1 readelf --debug-dump=info --dwarf-depth=1 2>/dev/null |
  sed -n 's/.*DW_AT_producer.*: \(GNU C.*\)$/\1/p' > "$work/producers"
[ -s "$work/producers" ] || fail "no compile units found in the -dbgsym packages"
required=(-O2 -fstack-protector-strong)
case $(dpkg --print-architecture) in
  amd64) required+=(-fstack-clash-protection -fcf-protection) ;;
esac
while IFS= read -r producer; do
  for switch in "${required[@]}"; do
    [[ " $producer " == *" $switch"[\ =]* ]] || fail "a unit was compiled without $switch: $producer"
  done
  [[ " $producer " != *" -O3 "* ]] || fail "a unit was compiled with -O3: $producer"
done < "$work/producers"
echo "$(wc -l < "$work/producers") compile units ($(sort -u "$work/producers" | wc -l) distinct" \
  "command lines), each with: ${required[*]}"

echo "-- desktop entry, metainfo, MIME package"
desktop-file-validate "$share/applications/$app_id.desktop"
appstreamcli validate --no-net --pedantic "$share/metainfo/$app_id.metainfo.xml"
xmllint --noout "$share/mime/packages/$app_id.xml"
mkdir -p "$work/mime/packages"
cp "$share/mime/packages/$app_id.xml" "$work/mime/packages/"
XDG_DATA_DIRS="$work" update-mime-database "$work/mime"
grep -qx '50:image/vnd.radiance:\*.hdr' "$work/mime/globs2" || fail "*.hdr is not in the MIME database"

echo "-- the unpacked tree moved elsewhere"
# Both faces find their parts from the program's own folder.
mkdir -p "$work/elsewhere/opt"
cp -a "$work/tree/usr" "$work/elsewhere/opt/orvex"
moved="$work/elsewhere/opt/orvex/bin/orvex"
mkdir -p "$work/moved-run/shots"
cp data/sample.hdr "$work/moved-run/"
(cd "$work/moved-run" && "$moved" -q -i sample.hdr)
file "$work/moved-run/sample.jpg" | grep -q 'JPEG image data' || fail "the moved orvex wrote no JPEG"
QT_QPA_PLATFORM=offscreen "$moved" -T "$work/moved-run/shots"
file "$work/moved-run/shots/orvex1.jpg" | grep -q 'JPEG image data' ||
  fail "the moved orvex did not load its desktop module"

echo "-- install orvex alone"
export DEBIAN_FRONTEND=noninteractive
installed=1
apt-get install -y --no-install-recommends "$console_deb" > "$work/apt-console" ||
  { cat "$work/apt-console"; fail "apt-get install orvex"; }
dpkg-query -L orvex > "$work/files"

# What orvex needs, resolved all the way down, holds neither Qt nor the
# graphics stack under it (Mesa, LLVM, Wayland, the X keyboard and input
# libraries), nor the desktop's own libarchive. The only X libraries are
# the client libraries the drawing engine's Cairo is built with in Debian.
apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
  --no-replaces --no-enhances orvex | grep -v '^ ' | sort -u > "$work/closure"
x_allowed='^(libx11-6|libx11-data|libxcb1|libxcb-render0|libxcb-shm0|libxext6|libxrender1|libxau6|libxdmcp6)$'
x_libraries='^(libx11|libxcb|libxext|libxrender|libxau|libxdmcp|libxi[0-9]|libxfixes|libxrandr|libxcursor|libxinerama|libxkb|libxt[0-9]|libxv|libxdamage|libxcomposite|libxss|libxmu|libxpm|libxtst|libxxf86|libxshmfence)'
echo "orvex needs $(wc -l < "$work/closure") packages (resolved recursively); the X client libraries among them:" \
  $(grep -E "$x_libraries" "$work/closure" | tr '\n' ' ')
if grep -Ei 'qt|mesa|^libgl[1xve]|^libgles|^libopengl|^libegl|^libgbm|^libdrm|llvm|wayland|xkbcommon|libarchive|^libx11-xcb' \
     "$work/closure"; then
  fail "orvex needs the packages above"
fi
if grep -E "$x_libraries" "$work/closure" | grep -Ev "$x_allowed"; then
  fail "orvex needs the X libraries above (beyond those of Cairo)"
fi
if ldd /usr/bin/orvex | grep -E 'libQt|libGL|libEGL|libOpenGL|libgbm|libdrm|libLLVM|libwayland|libxkbcommon|libX11-xcb|libarchive'; then
  fail "/usr/bin/orvex loads the libraries above"
fi
if objdump -p /usr/bin/orvex | grep -E 'NEEDED +(libz|libarchive)\.'; then
  fail "/usr/bin/orvex links the desktop's libraries above itself"
fi

version=$(orvex -v)
[ "$version" = "3.1" ] || fail "orvex -v printed '$version'"
[ "$(man -w orvex)" = /usr/share/man/man1/orvex.1.gz ] || fail "man -w orvex: $(man -w orvex)"
man orvex 2>/dev/null | grep -q 'convert Radiance HDR pictures into JPEG files' || fail "man orvex"

# A conversion from a folder outside the source tree, by the installed program.
mkdir -p "$work/run/out"
cp data/sample.hdr "$work/run/"
(cd "$work/run" && orvex -q -i sample.hdr -o out)
file "$work/run/out/sample.jpg" | grep -q 'JPEG image data' || fail "no JPEG from the installed orvex"
bash -c "source /usr/share/bash-completion/completions/orvex && complete -p orvex" >/dev/null ||
  fail "the completion does not load"

# Without the desktop package a desktop start says how to get it.
set +e
message=$(DISPLAY=:99 orvex 2>&1 >/dev/null)
code=$?
set -e
[ "$code" -eq 1 ] || fail "orvex without orvex-desktop ended with code $code"
echo "$message" | grep -q 'install the package orvex-desktop' ||
  fail "orvex without orvex-desktop said: $message"

echo "-- install orvex-desktop"
apt-get install -y --no-install-recommends "$desktop_deb" > "$work/apt-desktop" ||
  { cat "$work/apt-desktop"; fail "apt-get install orvex-desktop"; }
dpkg-query -L orvex-desktop >> "$work/files"

# The triggers of shared-mime-info and desktop-file-utils have registered
# the MIME type and the menu entry.
gio info -a standard::content-type "$work/run/sample.hdr" | grep -q 'image/vnd.radiance' ||
  fail "the system does not know .hdr as image/vnd.radiance"
cp data/sample.hdr "$work/run/no-extension"
gio info -a standard::content-type "$work/run/no-extension" | grep -q 'image/vnd.radiance' ||
  fail "the Radiance signature is not recognised"
grep -q "image/vnd.radiance=.*$app_id.desktop" /usr/share/applications/mimeinfo.cache ||
  fail "the desktop entry is not registered for image/vnd.radiance"

# The desktop on a real X server: the main window stays up until it is
# ended, and the screenshot staging draws it.
xvfb-run -a -s '-screen 0 1024x768x24' bash -c '
  orvex "$1/run/sample.hdr" & pid=$!
  sleep 3
  if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid"; echo "the desktop ended by itself with code $?" >&2; exit 1
  fi
  kill "$pid"; wait "$pid" || true
  mkdir -p "$1/shots" && orvex -T "$1/shots"' bash "$work" ||
  fail "the desktop did not start under Xvfb"
file "$work/shots/orvex1.jpg" | grep -q 'JPEG image data' || fail "no screenshot under Xvfb"

echo "-- remove both"
apt-get remove -y orvex-desktop orvex > "$work/apt-remove" ||
  { cat "$work/apt-remove"; fail "apt-get remove"; }
installed=0
left=0
while IFS= read -r path; do
  if [ -f "$path" ] || [ -L "$path" ]; then echo "left behind: $path" >&2; left=1; fi
done < "$work/files"
for path in /usr/share/doc/orvex /usr/share/doc/orvex-desktop /usr/share/orvex /usr/lib/*/orvex; do
  [ ! -e "$path" ] || { echo "left behind: $path" >&2; left=1; }
done
if grep -q "$app_id" /usr/share/applications/mimeinfo.cache 2>/dev/null; then
  echo "left behind: the menu entry in mimeinfo.cache" >&2; left=1
fi
if grep -rqs 'image/vnd.radiance' /usr/share/mime/globs2; then
  echo "left behind: image/vnd.radiance in the MIME database" >&2; left=1
fi
[ "$left" -eq 0 ] || fail "files of the packages remain after removal"
cd "$source_tree"
echo "package checks passed: $(basename "$console_deb") $(basename "$desktop_deb")"
