#!/usr/bin/env bash
# Runs a test binary as the unprivileged user 65534, with HOME and TMPDIR in
# a scratch folder that user owns, and tells the binary so (it then refuses
# to run as root). Started by a user other than root, runs it as that user.
#   unprivileged.sh BINARY [ARGS...]
set -uo pipefail
command -v setpriv >/dev/null || { echo "setpriv is missing: no unprivileged run"; exit 77; }
bin="$1"; shift
scratch=$(mktemp -d /tmp/samename-unprivileged.XXXXXX) || exit 1
trap 'rm -rf "$scratch"' EXIT
chmod 755 "$scratch"
mkdir "$scratch/home"
export SAMENAME_UNPRIVILEGED=1 HOME="$scratch/home" TMPDIR="$scratch/home"
as=()
if [ "$(id -u)" -eq 0 ]; then
  as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  chown 65534:65534 "$scratch/home"
  # A master another user owns and keeps read-only: the run cannot make one.
  mkdir "$scratch/foreign"
  printf 'FOREIGN' >"$scratch/foreign/report.doc"
  chmod 0444 "$scratch/foreign/report.doc"
  export SAMENAME_FOREIGN_MASTER="$scratch/foreign/report.doc"
  # The build may lie where that user cannot reach it.
  if ! "${as[@]}" test -x "$bin"; then
    cp "$bin" "$scratch/" && bin="$scratch/$(basename "$bin")"
  fi
fi
"${as[@]}" "$bin" "$@"
