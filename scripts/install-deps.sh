#!/usr/bin/env bash
# Installs the Debian packages a task needs, if any are missing.
#   scripts/install-deps.sh build|record|test|wayland|windows|web|package|bench|debian13-root|debian13 ...
# As root it runs apt-get; otherwise it prints the exact command and fails.
set -euo pipefail

packages_for() {
  case "$1" in
    # The viewer alone: what building it and opening it on a display take (X11 and Wayland;
    # libdecor's plugin draws title bars where the compositor draws none; libdbus-1 for screen
    # readers).
    build) echo "cmake g++ make pkgconf libx11-dev libxrandr-dev libxcursor-dev libpng-dev libfontconfig-dev libfreetype-dev fonts-dejavu-core libgl-dev libgl1-mesa-dri x11-utils \
      libwayland-dev wayland-protocols libxkbcommon-dev libegl-dev libegl-mesa0 libdecor-0-dev \
      libdecor-0-plugin-1-cairo libdbus-1-dev" ;;
    # The run command's recorded session where no display is reachable.
    record) echo "xvfb xdotool imagemagick" ;;
    # The cursor tests compare with Debian's default cursor theme (Adwaita). The tests draw
    # through EGL, where CMake finds OpenGL in GLVND's libOpenGL (libopengl-dev). A screen
    # reader's view: the accessibility bus and registry, pyatspi, a private session bus.
    test) echo "libegl-dev libopengl-dev libegl-mesa0 libgtest-dev libxtst-dev libxfixes-dev libxcursor-dev libpng-dev adwaita-icon-theme xvfb openbox icewm valgrind devscripts help2man \
      at-spi2-core python3-pyatspi dbus-daemon x11-utils xdotool" ;;
    # Wayland: the client libraries, and the compositors and tools the end-to-end tests drive
    # (mutter's remote desktop: PipeWire for its pictures, Python's GObject bindings).
    wayland) echo "libwayland-dev wayland-protocols libxkbcommon-dev libdecor-0-dev \
      libdecor-0-plugin-1-cairo pkgconf sway swaybg grim xwayland \
      x11-xserver-utils weston mutter gsettings-desktop-schemas dbus-daemon xvfb \
      pipewire wireplumber gstreamer1.0-pipewire gstreamer1.0-plugins-base gir1.2-gstreamer-1.0 \
      python3-gi" ;;
    windows) echo "g++-mingw-w64-x86-64 mingw-w64-x86-64-dev wine wine64 nsis" ;;
    # The page: Emscripten to build it, python3 to serve it (scripts/web.sh), and node and the
    # three engines for its tests (Firefox and WebKit's driver on an Xvfb) and benchmark.
    web) echo "emscripten nodejs python3 chromium firefox-esr webkit2gtk-driver xvfb" ;;
    package) echo "dpkg-dev lintian desktop-file-utils appstream diffoscope-minimal" ;;
    bench) echo "libbenchmark-dev freeglut3-dev xvfb openbox npm dbus-daemon dbus-bin at-spi2-core" ;;
    # Today's Debian in a root of its own (scripts/debian13.sh): what makes it, here; and, in it,
    # what the tests run there: the compositors and what drives them (D-Bus, PipeWire and Python
    # for mutter's remote desktop, Xvfb and ImageMagick for KWin's and weston's outputs, KWin's
    # protocols and title bars), and the unit and OpenGL tests' build.
    debian13-root) echo "mmdebstrap debian-archive-keyring" ;;
    debian13) echo "sway grim wayland-utils mutter gsettings-desktop-schemas kwin-wayland \
      kwin-style-breeze plasma-wayland-protocols weston xwayland dbus-daemon pipewire wireplumber \
      gstreamer1.0-pipewire gstreamer1.0-plugins-base gir1.2-gstreamer-1.0 python3-gi xvfb \
      x11-xserver-utils imagemagick adwaita-icon-theme libgtest-dev libopengl-dev libxtst-dev \
      libxfixes-dev" ;;
    *) echo "install-deps: unknown group '$1' (build, record, test, wayland, windows, web, package, bench, debian13-root, debian13)" >&2; exit 2 ;;
  esac
}

# Installed, or provided by an installed package (a Node.js that brings its own npm).
installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q '^install ok installed$' ||
    dpkg-query -W -f='${db:Status-Abbrev}|${Provides}\n' | sed -n 's/^ii *|//p' | tr ',' '\n' |
    sed 's/ *(.*//; s/^ *//' | grep -x -- "$1" >/dev/null
}

missing=()
for group in "$@"; do
  for p in $(packages_for "$group"); do
    installed "$p" || [[ " ${missing[*]-} " == *" $p "* ]] || missing+=("$p")
  done
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages; run as root:" >&2
  echo "  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
apt_install() { apt-get install -y --no-install-recommends "${missing[@]}"; }
echo "install-deps: installing ${missing[*]}"
# Package lists may be empty on a fresh machine, or stale: update and try again.
if [ -z "$(ls -A /var/lib/apt/lists 2>/dev/null | grep -v -e lock -e partial -e auxfiles)" ]; then
  apt-get update
fi
if ! apt_install; then
  apt-get update
  apt_install
fi
