#!/usr/bin/env bash
# Today's Debian (13, trixie) in a minimal root of its own, made once and kept: the viewer is
# built and tested in it as on a new Debian 13 machine, and the Wayland tests run its
# compositors (sway 1.10, mutter 48, KWin 6.3, weston 14) from it.
#   scripts/debian13.sh path        makes the root where it is missing, installs in it what this
#                                   tree's install-deps.sh names and it lacks; prints where it is
#   scripts/debian13.sh run CMD...  runs CMD in it as root, with /dev, /proc, /sys, /tmp and this
#                                   tree at the same paths as here (in a private mount namespace:
#                                   nothing stays mounted once CMD ends), as CMD's own process
# The root is BOWLVIEW_DEBIAN13_ROOT, /var/cache/bowlview/debian13 where unset. On Debian 13
# itself there is none to make: the root is /, and CMD runs here.
set -euo pipefail
export PATH="$PATH:/usr/sbin:/sbin"  # chroot, wherever this is called from
tree=$(cd "$(dirname "$0")/.." && pwd)
root=${BOWLVIEW_DEBIAN13_ROOT:-/var/cache/bowlview/debian13}

# Replaces this shell, so that CMD keeps its process id (tests stop and signal it).
in_root() {
  exec unshare --mount --propagation private sh -ec '
    root=$1 tree=$2; shift 2
    for d in /dev /proc /sys /tmp "$tree"; do
      mkdir -p "$root$d" && mount --rbind "$d" "$root$d"
    done
    exec chroot "$root" "$@"' sh "$root" "$tree" "$@"
}

make_root() {
  if [ ! -x "$root/usr/bin/apt-get" ]; then
    if [ "$(id -u)" -ne 0 ]; then
      echo "debian13: making the Debian 13 root needs root (mmdebstrap, chroot)" >&2
      exit 1
    fi
    bash "$tree/scripts/install-deps.sh" debian13-root
    echo "debian13: making a Debian 13 root in $root (about 2 GB, once)" >&2
    rm -rf "$root.new"
    mkdir -p "$(dirname "$root")"
    mmdebstrap --quiet --variant=apt trixie "$root.new"
    mv "$root.new" "$root"
  fi
  # What the viewer's build and the tests run there need, as this tree names them: nothing to
  # do where nothing is missing.
  (in_root bash "$tree/scripts/install-deps.sh" build debian13 >&2)
}

this_is_13=false
grep -qx 'VERSION_ID="13"' /etc/os-release 2>/dev/null && this_is_13=true
case "${1:-}" in
  path)
    if $this_is_13; then
      echo "debian13: this machine is Debian 13: its own compositors and build are tested" >&2
      bash "$tree/scripts/install-deps.sh" debian13 >&2
      echo /
      exit 0
    fi
    exec 9>"$root.lock"
    flock 9
    make_root
    echo "$root"
    ;;
  run)
    shift
    if $this_is_13; then exec "$@"; fi
    [ -x "$root/usr/bin/apt-get" ] || { echo "debian13: no root in $root: run '$0 path' first" >&2; exit 1; }
    in_root "$@"
    ;;
  *)
    echo "usage: $0 path | run CMD..." >&2
    exit 2
    ;;
esac
