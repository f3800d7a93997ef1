#!/usr/bin/env bash
# Run by ./bench.sh network with the benchmark's program: serves BENCH_DIR's
# sshfs folder from an sshd of its own on 127.0.0.1, mounts it with sshfs
# without caches, runs the program on the mount, and stops what it started,
# also on failure. Nothing outside BENCH_DIR is used but /run/sshd, which
# sshd insists on; ~/.ssh and the system's sshd are left alone.
set -euo pipefail

program="$1"
base="${BENCH_DIR:-${TMPDIR:-/tmp}/samename-bench}"
export BENCH_DIR="$base"
ssh_dir="$base/sshfs-ssh"
served="$base/sshfs"
mnt="$base/sshfs-mount"
config="$ssh_dir/sshd_config"
pidfile="$ssh_dir/sshd.pid"
sshfs_pidfile="$ssh_dir/sshfs.pid"

fail() { echo "network: $*" >&2; exit 1; }

mounted() {
  # /proc/mounts writes a blank as \040.
  awk -v p="${1// /\\040}" '$2 == p { found = 1 } END { exit !found }' /proc/mounts
}

unmount() {
  mounted "$mnt" || return 0
  fusermount3 -u "$mnt" 2>/dev/null || fusermount -u "$mnt" 2>/dev/null || umount -l "$mnt" 2>/dev/null || true
  mounted "$mnt" && echo "network: cannot unmount $mnt" >&2
  return 0
}

# A process's command line; empty once it has ended, even unreaped.
command_of() { tr '\0' ' ' 2>/dev/null <"/proc/$1/cmdline" || true; }

# Stops the process a pid file names, if it is still one of ours: its
# command line must hold marker. The signals are sent in turn, 3 s apart;
# 0 only waits.
stop_own() {
  local pidfile="$1" marker="$2" signals="$3" pid
  [ -f "$pidfile" ] || return 0
  pid="$(cat "$pidfile" 2>/dev/null || true)"
  if [[ "$pid" =~ ^[0-9]+$ ]] && [[ "$(command_of "$pid")" == *"$marker"* ]]; then
    for signal in $signals; do
      [ "$signal" = 0 ] || kill -"$signal" "$pid" 2>/dev/null || true
      for _ in $(seq 30); do
        [ -n "$(command_of "$pid")" ] || break 2
        sleep 0.1
      done
    done
  fi
  rm -f "$pidfile"
}

program_pid=""
cleanup() {
  if [ -n "$program_pid" ]; then
    kill -TERM "$program_pid" 2>/dev/null || true
    wait "$program_pid" 2>/dev/null || true
  fi
  unmount
  # An unmounted sshfs ends by itself.
  stop_own "$sshfs_pidfile" "$ssh_dir/ssh_config" "0 TERM KILL"
  stop_own "$pidfile" "$config" "TERM KILL"
}

# What a killed run left behind goes first.
cleanup
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

[ -e /dev/fuse ] || fail "no /dev/fuse: FUSE is not available here (a container needs --device /dev/fuse and CAP_SYS_ADMIN)"
for tool in /usr/sbin/sshd sshfs ssh ssh-keygen fdfind; do
  command -v "$tool" >/dev/null || fail "$tool is missing; tools/deps.sh installs it when run as root"
done

mkdir -p "$ssh_dir" "$served" "$mnt"
chmod 700 "$ssh_dir"
[ -f "$ssh_dir/host_key" ] || ssh-keygen -q -t ed25519 -N '' -C samename-bench-host -f "$ssh_dir/host_key"
[ -f "$ssh_dir/client_key" ] || ssh-keygen -q -t ed25519 -N '' -C samename-bench-client -f "$ssh_dir/client_key"
cp "$ssh_dir/client_key.pub" "$ssh_dir/authorized_keys"
mkdir -p /run/sshd 2>/dev/null || [ -d /run/sshd ] || fail "cannot make /run/sshd, which sshd needs"
chmod 755 /run/sshd 2>/dev/null || true

# Whether someone listens on a port: /proc/net/tcp* name the port in hex,
# state 0A is listening.
listened() {
  local tables=() t
  for t in /proc/net/tcp /proc/net/tcp6; do [ -r "$t" ] && tables+=("$t"); done
  awk -v h="$(printf '%04X' "$1")" 'FNR > 1 && $4 == "0A" { split($2, a, ":"); if (a[2] == h) found = 1 }
    END { exit !found }' "${tables[@]}"
}

user="$(id -un)"
port=""
for attempt in 1 2 3 4 5; do
  candidate=$((20000 + RANDOM % 40000))
  listened "$candidate" && continue
  cat >"$config" <<EOF
ListenAddress 127.0.0.1:$candidate
HostKey $ssh_dir/host_key
AuthorizedKeysFile $ssh_dir/authorized_keys
PidFile $pidfile
StrictModes no
UsePAM no
PasswordAuthentication no
KbdInteractiveAuthentication no
PermitRootLogin prohibit-password
AllowUsers $user
Subsystem sftp internal-sftp
EOF
  rm -f "$pidfile"
  /usr/sbin/sshd -f "$config" -E "$ssh_dir/sshd.log" || fail "sshd did not start; see $ssh_dir/sshd.log"
  for _ in $(seq 50); do
    if listened "$candidate" && [ -s "$pidfile" ]; then
      port="$candidate"
      break
    fi
    sleep 0.1
  done
  [ -n "$port" ] && break
  stop_own "$pidfile" "$config" "TERM KILL"
done
[ -n "$port" ] || fail "sshd did not listen on any port tried; see $ssh_dir/sshd.log"

cat >"$ssh_dir/ssh_config" <<EOF
Host samename-bench
  HostName 127.0.0.1
  Port $port
  User $user
  IdentityFile $ssh_dir/client_key
  IdentitiesOnly yes
  HostKeyAlias samename-bench
  UserKnownHostsFile $ssh_dir/known_hosts
  GlobalKnownHostsFile /dev/null
  StrictHostKeyChecking yes
  BatchMode yes
  ConnectTimeout 10
  ServerAliveInterval 10
EOF
echo "samename-bench $(cat "$ssh_dir/host_key.pub")" >"$ssh_dir/known_hosts"

# In the foreground of a child of ours, so that its pid is known.
sshfs -f -F "$ssh_dir/ssh_config" "samename-bench:$served" "$mnt" \
  -o dir_cache=no,attr_timeout=0,entry_timeout=0,negative_timeout=0 2>"$ssh_dir/sshfs.log" &
echo $! >"$sshfs_pidfile"
for _ in $(seq 300); do
  mounted "$mnt" && break
  [ -n "$(command_of "$(cat "$sshfs_pidfile")")" ] || fail "sshfs could not mount $served from 127.0.0.1:$port; see $ssh_dir/sshfs.log"
  sleep 0.1
done
mounted "$mnt" || fail "sshfs did not mount $mnt within 30 s; see $ssh_dir/sshfs.log"
echo "MOUNT $mnt from sshd on 127.0.0.1:$port serving $served" >&2

# In the background and waited for, so that a signal to this script runs
# the clean-up at once, and the clean-up ends the program first.
BENCH_SSHFS_MOUNT="$mnt" "$program" &
program_pid=$!
status=0
wait "$program_pid" || status=$?
program_pid=""
exit "$status"
