#!/usr/bin/env bash
# Mounts a small file system of a kind users have and this machine otherwise
# lacks, for the tests of the CTest entries that need it, and takes it down
# again; the take-down also runs after a crashed test, and setup first clears
# what an interrupted run left.
#   scratch_mount.sh setup|cleanup DIR exfat|untyped
# exfat:   exFAT through FUSE, as USB sticks are mounted: no hard links, no
#          RENAME_EXCHANGE or RENAME_NOREPLACE, no O_TMPFILE, no Unix modes.
# untyped: ext4 without the filetype feature, whose folders report DT_UNKNOWN
#          for every entry (as some NFS and CIFS mounts and ISO images do).
# The file system is at DIR/mnt. Where this machine cannot mount it at all,
# DIR/why says why and the tests skip with that message.
set -uo pipefail
action="$1" dir="$2" kind="$3"
image="$dir/image" mnt="$dir/mnt"

takedown() {
  if mountpoint -q "$mnt" 2>/dev/null; then
    fusermount -u "$mnt" 2>/dev/null || umount "$mnt" 2>/dev/null || umount -l "$mnt"
  fi
  if [ -f "$image" ] && command -v losetup >/dev/null; then
    # The FUSE daemon lets go of the device as it exits, shortly after the unmount.
    for _ in 1 2 3 4 5 6 7 8 9 10; do
      loops=$(losetup -n -O NAME -j "$image" 2>/dev/null)
      [ -z "$loops" ] && break
      for l in $loops; do losetup -d "$l" 2>/dev/null; done
      sleep 0.2
    done
  fi
  # Never into a file system still mounted there.
  mountpoint -q "$mnt" 2>/dev/null || rm -rf "$dir"
}

skip() {
  mkdir -p "$dir"
  echo "$*" >"$dir/why"
  echo "not mounted: $*"
  exit 0
}

case "$action" in
  cleanup) takedown; exit 0 ;;
  setup) takedown ;;
  *) echo "usage: $0 setup|cleanup DIR exfat|untyped" >&2; exit 2 ;;
esac

mkdir -p "$mnt"
[ "$(id -u)" -eq 0 ] || skip "no loop device can be set up without root"
[ "$kind" != exfat ] || [ -c /dev/fuse ] || skip "this machine has no /dev/fuse"
[ -e /dev/loop-control ] || skip "this machine has no loop devices"
truncate -s 48M "$image" || exit 1
loop=$(losetup --find --show "$image" 2>&1) || skip "no loop device: $loop"

set -e
case "$kind" in
  # On a loop device: given the image file, the FUSE driver answers "Block device required".
  exfat)
    mkfs.exfat "$loop" >/dev/null
    mount.exfat-fuse "$loop" "$mnt" ;;
  untyped)
    mkfs.ext4 -q -O ^filetype,^has_journal "$loop"
    mount "$loop" "$mnt"
    # The unprivileged run may use it too.
    chmod 1777 "$mnt" ;;
  *) echo "unknown kind $kind" >&2; exit 2 ;;
esac
mountpoint -q "$mnt"
echo "$kind on $loop at $mnt"
