#!/usr/bin/env bash
# Builds the Debian package from the build in a folder of its own and reads
# it back: its name, version and dependencies, and the files it ships.
#   check_package.sh BUILD_DIR APP_ID VERSION WORK_DIR
set -euo pipefail
build="$1" id="$2" version="$3" work="$4"
rm -rf "$work"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" >/dev/null
deb="$work/samename_${version}_$(dpkg --print-architecture).deb"
info=$(dpkg-deb --info "$deb")
contents=$(dpkg-deb --contents "$deb" | awk '{print $NF}')
fail() { echo "$1"; echo "$info"; exit 1; }
grep -qx ' Package: samename' <<<"$info" || fail "wrong package name"
grep -qx " Version: $version" <<<"$info" || fail "wrong version"
depends=$(grep '^ Depends:' <<<"$info") || fail "no Depends"
# Named by hand: Qt loads these at run time, no linker sees them.
for p in qt6-translations-l10n qt6-qpa-plugins; do
  grep -q "$p" <<<"$depends" || fail "Depends lacks $p"
done
# Computed from the program's libraries: a versioned Qt Widgets and libc.
grep -qE 'libqt6widgets6 \(>= [0-9]' <<<"$depends" || fail "Depends not computed (libqt6widgets6)"
grep -qE 'libc6 \(>= [0-9]' <<<"$depends" || fail "Depends not computed (libc6)"
for f in ./usr/bin/samename "./usr/share/applications/$id.desktop" "./usr/share/metainfo/$id.metainfo.xml" \
         "./usr/share/icons/hicolor/48x48/apps/$id.png" ./usr/share/doc/samename/copyright; do
  grep -qx -- "$f" <<<"$contents" || fail "package lacks $f"
done
# Read whole first: grep -q would stop the pipe early and, under pipefail,
# tar's broken pipe would fail a good package.
copyright=$(dpkg-deb --fsys-tarfile "$deb" | tar -xOf - ./usr/share/doc/samename/copyright)
grep -q '^MIT License' <<<"$copyright" || fail "copyright is not the MIT licence"
echo "package OK: $(basename "$deb"), $(du -k "$deb" | cut -f1) KiB"
