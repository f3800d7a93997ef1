#!/usr/bin/env bash
# Compiles every source for Windows in syntax-only mode with the MinGW-w64
# cross compiler against the installed Qt headers, so that a Q_OS_WIN branch
# which no longer compiles is caught on Linux. The compiler defines _WIN32,
# from which Qt derives Q_OS_WIN, exactly as in a real Windows build.
#   tools/check-windows.sh [--no-install] [--branches]
# Installs the compiler when missing (as root) unless --no-install, which
# instead exits 77 without it. --branches checks only the sources that hold a
# Windows branch or include a header that does (what ./test.sh runs: every
# source takes about a minute and a half of CPU on this machine).
set -euo pipefail
cd "$(dirname "$0")/.."
install=1 branches=0
for a in "$@"; do
  case "$a" in
    --no-install) install=0 ;;
    --branches) branches=1 ;;
    *) echo "usage: tools/check-windows.sh [--no-install] [--branches]" >&2; exit 2 ;;
  esac
done
cxx=x86_64-w64-mingw32-g++-posix
if ! command -v "$cxx" >/dev/null; then
  if [ "$install" = 1 ]; then
    source tools/deps.sh
    install_deps windows || true
  fi
  if ! command -v "$cxx" >/dev/null; then
    echo "SKIPPED: $cxx is not installed (Debian package g++-mingw-w64-x86-64-posix)" >&2
    exit 77
  fi
fi
qt="$(qtpaths6 --query QT_INSTALL_HEADERS 2>/dev/null || echo /usr/include/x86_64-linux-gnu/qt6)"
export cxx qt

# One source: the engine sees Qt Core and Network only, as in the real build.
check() {
  local f="$1" modules=(QtCore QtNetwork)
  [[ "$f" == */engine/* ]] || modules+=(QtGui QtWidgets QtDBus)
  local flags=(-std=c++20 -fsyntax-only -Wall -Wextra -Isrc -isystem "$qt")
  for m in "${modules[@]}"; do flags+=(-isystem "$qt/$m"); done
  "$cxx" "${flags[@]}" "$f" 2>&1 || echo "FAILED: $f"
}
export -f check

mapfile -t sources < <( (grep -oE '[A-Za-z0-9_/]+\.cpp' src/CMakeLists.txt | grep -v '^engine_guard/' | sed 's|^|src/|'; echo src/app/main.cpp) | sort -u)
if [ "$branches" = 1 ]; then
  windows='Q_OS_WIN|_WIN32'
  mapfile -t headers < <(grep -rlE "$windows" src --include='*.h' | sed 's|^src/||')
  mapfile -t sources < <( {
    grep -lE "$windows" "${sources[@]}" || true
    for h in "${headers[@]}"; do grep -lF "\"$h\"" "${sources[@]}" || true; done
  } | sort -u)
fi
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
printf '%s\n' "${sources[@]}" | xargs -P "${JOBS:-$(nproc)}" -I{} bash -c 'check {}' >"$log"
cat "$log"
if grep -q '^FAILED: ' "$log"; then
  echo "Windows syntax check failed: $(grep -c '^FAILED: ' "$log") of ${#sources[@]} sources" >&2
  exit 1
fi
echo "Windows syntax check passed: ${#sources[@]} sources"
