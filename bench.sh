#!/usr/bin/env bash
# Builds one benchmark in Release and runs it: ./bench.sh NAME, NAME being one
# of the bench/NAME_bench.cpp files.
set -euo pipefail
cd "$(dirname "$0")"
names=()
for f in bench/*_bench.cpp; do
  [ -e "$f" ] || continue
  f="${f#bench/}"
  names+=("${f%_bench.cpp}")
done
name="${1:-}"
if [ -z "$name" ] || [[ " ${names[*]} " != *" $name "* ]]; then
  echo "Usage: ./bench.sh NAME" >&2
  echo "Benchmarks: ${names[*]}" >&2
  exit 2
fi
source tools/deps.sh
kind=bench
[ "$name" = network ] && kind=network
install_deps "$kind"
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DSAMENAME_BENCH=ON >/dev/null
# Build lines go to stderr so that stdout holds only the benchmark's lines.
cmake --build build/bench --target "bench_$name" >&2
# A benchmark that needs more set up around it has a script of its own.
if [ -x "bench/$name.sh" ]; then
  exec "bench/$name.sh" "./build/bench/bench/bench_$name"
fi
exec "./build/bench/bench/bench_$name"
