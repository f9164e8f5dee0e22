#!/usr/bin/env bash
# Today's Debian (13, trixie) in a minimal root of its own, made once and kept: the viewer is
# built and tested in it as on a new Debian 13 machine, and the Wayland tests run its
# compositors (sway 1.10, mutter 48, KWin 6.3, weston 14) from it.
#   scripts/debian13.sh path        makes the root where it is missing or out of date; prints it
#   scripts/debian13.sh run CMD...  runs CMD in it as root, with /dev, /proc, /sys, /tmp and this
#                                   tree at the same paths as here (in a private mount namespace:
#                                   nothing stays mounted once CMD ends)
# The root is BOWLVIEW_DEBIAN13_ROOT, /var/cache/bowlview/debian13 where unset.
set -euo pipefail
tree=$(cd "$(dirname "$0")/.." && pwd)
root=${BOWLVIEW_DEBIAN13_ROOT:-/var/cache/bowlview/debian13}

# What the tests run in it: the compositors, what drives them (D-Bus, PipeWire and Python for
# mutter's remote desktop, Xvfb and ImageMagick for KWin's and weston's outputs), KWin's
# protocols for its fake input and output scales and the style of its title bars (Breeze). The
# build's own packages come from install-deps.sh, in the root, as on any new machine.
packages="sway grim wayland-utils mutter gsettings-desktop-schemas kwin-wayland weston xwayland
  dbus-daemon pipewire wireplumber gstreamer1.0-pipewire gstreamer1.0-plugins-base
  gir1.2-gstreamer-1.0 python3-gi xvfb x11-xserver-utils imagemagick adwaita-icon-theme
  plasma-wayland-protocols kwin-style-breeze"
# The unit and OpenGL tests' own (GoogleTest; the tests' build also looks for XTest and XFixes).
test_packages="libgtest-dev libxtst-dev libxfixes-dev"

in_root() {
  unshare --mount --propagation private sh -ec '
    root=$1 tree=$2; shift 2
    for d in /dev /proc /sys /tmp "$tree"; do
      mkdir -p "$root$d" && mount --rbind "$d" "$root$d"
    done
    exec chroot "$root" "$@"' sh "$root" "$tree" "$@"
}

make_root() {
  local stamp
  stamp=$(echo "$packages $test_packages" | sha256sum | cut -c1-16)-$(sha256sum "$tree/scripts/install-deps.sh" | cut -c1-16)
  [ "$(cat "$root/.bowlview-root" 2>/dev/null)" = "$stamp" ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "debian13: making the Debian 13 root needs root (mmdebstrap, chroot)" >&2
    exit 1
  fi
  bash "$tree/scripts/install-deps.sh" debian13
  echo "debian13: making a Debian 13 root in $root (about 1.5 GB, once)" >&2
  rm -rf "$root.new"
  mkdir -p "$(dirname "$root")"
  # shellcheck disable=SC2086  # the lists are words
  mmdebstrap --quiet --variant=apt --include="$(echo $packages $test_packages | tr ' ' ,)" \
    trixie "$root.new"
  root=$root.new in_root bash "$tree/scripts/install-deps.sh" build
  echo "$stamp" >"$root.new/.bowlview-root"
  rm -rf "$root"
  mv "$root.new" "$root"
}

case "${1:-}" in
  path)
    exec 9>"$root.lock"
    flock 9
    make_root
    echo "$root"
    ;;
  run)
    shift
    [ -f "$root/.bowlview-root" ] || { echo "debian13: no root in $root: run '$0 path' first" >&2; exit 1; }
    in_root "$@"
    ;;
  *)
    echo "usage: $0 path | run CMD..." >&2
    exit 2
    ;;
esac
