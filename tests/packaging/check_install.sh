#!/usr/bin/env bash
# Installs the build into a scratch root the way a distribution does and
# checks what lands there: the file list, the desktop entry and the AppStream
# metadata as the desktop's own validators read them, and the icon sizes.
#   check_install.sh BUILD_DIR APP_ID WORK_DIR
set -euo pipefail
build="$1" id="$2" work="$3"
rm -rf "$work"
DESTDIR="$work" cmake --install "$build" --prefix /usr >/dev/null
cd "$work"
sizes=(16 24 32 48 64 128 256)
expected=$( {
  echo usr/bin/samename
  echo "usr/share/applications/$id.desktop"
  echo usr/share/doc/samename/copyright
  for s in "${sizes[@]}"; do echo "usr/share/icons/hicolor/${s}x$s/apps/$id.png"; done
  echo "usr/share/icons/hicolor/scalable/apps/$id.svg"
  echo usr/share/man/man1/samename.1
  echo "usr/share/metainfo/$id.metainfo.xml"
} | sort)
diff -u <(echo "$expected") <(find . ! -type d | sed 's|^\./||' | sort)

# Warnings count as failures: menus skip or misread entries they warn about.
out=$(desktop-file-validate "usr/share/applications/$id.desktop" 2>&1)
[ -z "$out" ] || { echo "$out"; exit 1; }
appstreamcli validate --no-net "usr/share/metainfo/$id.metainfo.xml"

for s in "${sizes[@]}"; do
  file "usr/share/icons/hicolor/${s}x$s/apps/$id.png" | grep -q "PNG image data, $s x $s," \
    || { echo "icon ${s}x$s has the wrong size"; exit 1; }
done
grep -q '<svg' "usr/share/icons/hicolor/scalable/apps/$id.svg"
# The window announces this same name, or docks would not pair it with the entry.
grep -qF "$id" usr/bin/samename || { echo "usr/bin/samename does not name $id"; exit 1; }
echo "install tree OK"
