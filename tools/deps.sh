# Sourced by the scripts at the top and in tools/: installs the Debian
# packages the build needs, only when something is missing.
install_deps() {
  local kind="$1"
  local pkgs=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libglib2.0-dev
              libgl-dev qt6-svg-dev qt6-translations-l10n fonts-noto-cjk adwaita-icon-theme shared-mime-info)
  case "$kind" in
    test) pkgs+=(libgtest-dev dbus dbus-x11 python3 desktop-file-utils appstream dpkg-dev file
                xvfb xauth at-spi2-core python3-pyatspi clang-format trash-cli) ;;
    package) pkgs+=(dpkg-dev file) ;;
    # About 70 MB to fetch and 400 MB installed, so only tools/check-windows.sh
    # asks for it; ./test.sh skips that check where it is missing.
    windows) pkgs+=(g++-mingw-w64-x86-64-posix) ;;
    bench) pkgs+=(findutils) ;;
    # ./bench.sh network runs an sshd of its own; the package's must not start.
    network) pkgs+=(findutils openssh-server sshfs fd-find) ;;
    shot) pkgs+=(xvfb xauth) ;;
  esac
  # The file systems the tests mount (exFAT through FUSE, ext4), the user switch
  # of the unprivileged run and the time zone the tests pin.
  if [ "$kind" = test ]; then pkgs+=(exfatprogs exfat-fuse e2fsprogs util-linux tzdata); fi
  local missing=()
  for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]}. Install them with: sudo apt-get install ${missing[*]}" >&2
    return 1
  fi
  echo "Installing: ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get -o DPkg::Lock::Timeout=300 update -qq >/dev/null
  # A policy that refuses every service start, only while installing and only
  # where the machine has none of its own.
  local policy=/usr/sbin/policy-rc.d own_policy=0
  if [ "$kind" = network ] && [ ! -e "$policy" ]; then
    printf '#!/bin/sh\nexit 101\n' >"$policy" && chmod 755 "$policy" && own_policy=1
  fi
  local status=0
  apt-get -o DPkg::Lock::Timeout=300 install -y -qq "${missing[@]}" >/dev/null || status=$?
  [ "$own_policy" = 1 ] && rm -f "$policy"
  return "$status"
}
