#!/usr/bin/env bash
# Installs what is missing, builds in Release and makes the Debian package
# build/release/samename_VERSION_ARCH.deb. Extra arguments go to CMake, e.g.
# ./package.sh -DSAMENAME_UPDATE_CHECK=OFF
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
install_deps package
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DSAMENAME_TOOLS=OFF "$@" >/dev/null
cmake --build build/release
cd build/release
cpack -G DEB >/dev/null
ls "$PWD"/samename_*.deb
