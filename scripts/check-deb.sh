#!/usr/bin/env bash
# Checks a built orvex package the way a user meets it: lintian, the
# desktop files through their validators, then an install with dpkg, the
# installed program, manual page, menu entry and MIME type at work, and a
# removal that leaves none of the package's files behind.
#
#   scripts/check-deb.sh PACKAGE.deb        (needs root: it installs the package)
set -euo pipefail
cd "$(dirname "$0")/.."
source_tree=$PWD
deb=$(realpath "$1")
app_id=example.lumavert.Orvex
linux=data/linux

fail() { echo "check-deb.sh: $*" >&2; exit 1; }
if [ "$(id -u)" -ne 0 ]; then fail "run as root: the package is installed and removed"; fi
if dpkg-query -W -f='${Status}' orvex 2>/dev/null | grep -q ' installed$'; then
  fail "orvex is installed already; remove it first"
fi

if grep -rqs '^path-exclude=/usr/share/man' /etc/dpkg/dpkg.cfg.d; then
  fail "dpkg is set to leave out manual pages (/etc/dpkg/dpkg.cfg.d): man orvex cannot work here"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "-- lintian"
lintian --fail-on error --tag-display-limit 0 "$deb"

echo "-- desktop entry, metainfo, MIME package"
desktop-file-validate "$linux/$app_id.desktop"
appstreamcli validate --no-net "$linux/$app_id.metainfo.xml"
xmllint --noout "$linux/$app_id.xml"
mkdir -p "$work/mime/packages"
cp "$linux/$app_id.xml" "$work/mime/packages/"
XDG_DATA_DIRS="$work" update-mime-database "$work/mime"
grep -qx '50:image/vnd.radiance:\*.hdr' "$work/mime/globs2" || fail "*.hdr is not in the MIME database"

echo "-- relocated tree"
# The unpacked tree moved to an unusual place must still run.
dpkg-deb -x "$deb" "$work/unpacked"
mkdir -p "$work/elsewhere/opt"
mv "$work/unpacked/usr" "$work/elsewhere/opt/orvex"
mkdir -p "$work/relocated-run"
cp data/sample.hdr "$work/relocated-run/"
(cd "$work/relocated-run" && "$work/elsewhere/opt/orvex/bin/orvex" -q -i sample.hdr)
file "$work/relocated-run/sample.jpg" | grep -q 'JPEG image data' || fail "relocated run wrote no JPEG"

echo "-- install"
dpkg -i "$deb"
dpkg-query -L orvex > "$work/files"

version=$(orvex -v)
[ "$version" = "3.1" ] || fail "orvex -v printed '$version'"
[ "$(man -w orvex)" = /usr/share/man/man1/orvex.1.gz ] || fail "man -w orvex: $(man -w orvex)"
man orvex 2>/dev/null | grep -q 'convert Radiance HDR pictures into JPEG files' || fail "man orvex"

# A conversion from a folder outside the source tree, by the installed program.
mkdir -p "$work/run"
cp data/sample.hdr "$work/run/"
mkdir -p "$work/run/out"
(cd "$work/run" && orvex -q -i sample.hdr -o out)
file "$work/run/out/sample.jpg" | grep -q 'JPEG image data' || fail "no JPEG from the installed orvex"

# The triggers of shared-mime-info and desktop-file-utils have registered
# the MIME type and the menu entry.
gio info -a standard::content-type "$work/run/sample.hdr" | grep -q 'image/vnd.radiance' ||
  fail "the system does not know .hdr as image/vnd.radiance"
cp data/sample.hdr "$work/run/no-extension"
gio info -a standard::content-type "$work/run/no-extension" | grep -q 'image/vnd.radiance' ||
  fail "the Radiance signature is not recognised"
grep -q "image/vnd.radiance=.*$app_id.desktop" /usr/share/applications/mimeinfo.cache ||
  fail "the desktop entry is not registered for image/vnd.radiance"
bash -c "source /usr/share/bash-completion/completions/orvex && complete -p orvex" >/dev/null ||
  fail "the completion does not load"

echo "-- remove"
dpkg -r orvex
left=0
while IFS= read -r path; do
  if [ -f "$path" ] || [ -L "$path" ]; then echo "left behind: $path" >&2; left=1; fi
done < "$work/files"
[ ! -e /usr/share/doc/orvex ] || { echo "left behind: /usr/share/doc/orvex" >&2; left=1; }
if grep -q "$app_id" /usr/share/applications/mimeinfo.cache 2>/dev/null; then
  echo "left behind: the menu entry in mimeinfo.cache" >&2; left=1
fi
[ "$left" -eq 0 ] || fail "files of the package remain after dpkg -r"
cd "$source_tree"
echo "package checks passed: $(basename "$deb")"
