#!/usr/bin/env bash
# Installs what is missing, builds in Release and launches the program.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
install_deps runtime
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build/release --target samename
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display available: run ./run.sh inside a desktop session, or under a virtual one: xvfb-run -a ./run.sh" >&2
  exit 1
fi
exec ./build/release/src/samename
