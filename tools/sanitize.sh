#!/usr/bin/env bash
# Builds the tests twice, with ThreadSanitizer and with AddressSanitizer plus
# UndefinedBehaviorSanitizer, each in its own build folder, and runs the walk,
# read-ahead and engine tests under each. Any report fails the run.
#   tools/sanitize.sh [thread|address]    (both when none is named)
# Left out everywhere: the tests that fork a child to kill or to limit it, and
# the one that mounts a file system. ThreadSanitizer also leaves out the
# window tests: they start no thread of the program's own, and Qt paints on
# its own thread pool, whose locks it cannot see in Debian's uninstrumented
# Qt. No report is suppressed.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
install_deps test

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
exclude='Replace.SurvivesAKill*:Replace.OnAFatFileSystem:Replace.AWriteFailureDuringTheCopyKeepsTheOldContent'
windows='SearchCommandTest.*:ReplaceTest.*'

run_kind() {
  local kind="$1" flags="$2" dir="build/sanitize-$1"
  echo "== $kind: building in $dir" >&2
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=ON -DSAMENAME_TOOLS=OFF \
    -DCMAKE_CXX_FLAGS="$flags -fno-omit-frame-pointer" -DCMAKE_EXE_LINKER_FLAGS="$flags" "${launcher[@]}" >/dev/null
  cmake --build "$dir" --target "${tests[@]/#/test_}" >&2
  local t
  for t in "${tests[@]}"; do
    echo "== $kind: test_$t" >&2
    # ThreadSanitizer's runtime needs the fixed memory layout it was built
    # for; setarch -R runs the test without address randomisation.
    (cd "$dir/tests" && QT_QPA_PLATFORM=offscreen ${wrap:-} "./test_$t" --gtest_filter="-$skip" --gtest_brief=1)
  done
}

kinds=("$@")
[ $# -eq 0 ] && kinds=(thread address)
for kind in "${kinds[@]}"; do
  case "$kind" in
    thread)
      export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1"
      tests=(search shell replace)
      skip="$exclude:$windows" wrap="setarch $(uname -m) -R" run_kind thread "-fsanitize=thread" ;;
    address)
      # Leak detection stays on: at exit LeakSanitizer reports every block no
      # pointer reaches any more. Qt, GLib and fontconfig keep their caches
      # reachable, so nothing of theirs needs suppressing.
      export ASAN_OPTIONS="detect_leaks=1 strict_string_checks=1 detect_stack_use_after_return=1"
      export UBSAN_OPTIONS="print_stacktrace=1 halt_on_error=1"
      # The list's tests too: a stale entry of its key index reads outside
      # the rows without failing any check.
      tests=(search shell replace list)
      skip="$exclude" wrap="" run_kind address "-fsanitize=address,undefined -fno-sanitize-recover=undefined" ;;
    *) echo "Usage: tools/sanitize.sh [thread|address]" >&2; exit 2 ;;
  esac
done
echo "== sanitizers clean: ${kinds[*]}" >&2
