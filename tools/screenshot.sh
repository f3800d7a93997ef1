#!/usr/bin/env bash
# Runs the program's windows under Xvfb and saves one PNG per scene:
# tools/screenshot.sh OUTDIR [SCENE...] (all scenes when none is named).
set -euo pipefail
if [ $# -lt 1 ]; then
  echo "Usage: tools/screenshot.sh OUTDIR [SCENE...]" >&2
  exit 2
fi
out="$(realpath -m "$1")"
shift
cd "$(dirname "$0")/.."
source tools/deps.sh
install_deps shot
cmake -S . -B build/shot -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build/shot --target samename_shot >&2
# Prints each file it wrote.
QT_QPA_PLATFORM=xcb xvfb-run -a -s '-screen 0 1400x900x24' ./build/shot/tools/samename_shot "$out" "$@"
