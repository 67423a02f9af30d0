#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo need.
# Idempotent and non-interactive; safe to run on every build.
set -euo pipefail

packages=(
  # toolchain
  build-essential cmake ninja-build pkg-config clang llvm libclang-rt-14-dev clang-format
  # Qt 6 desktop and web engine
  qt6-base-dev qt6-webengine-dev qt6-webchannel-dev libqt6webenginewidgets6
  libqt6webenginecore6-bin libqt6svg6 libgl-dev libxkbcommon-dev libxcb1-dev
  # Qt's and Qt WebEngine's own texts in the user's language
  qt6-translations-l10n
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev
  # the install test: the desktop's validators, manual pages, Debian packages
  desktop-file-utils appstream groff-base dpkg-dev file
  # test console
  libcpp-httplib-dev
  # desktop for integration tests and the demo: X server, window manager,
  # tray host, session bus with a notification daemon (whose "dunstctl
  # history" needs systemd's busctl), screenshots
  xvfb xauth openbox trayer dunst dbus dbus-x11 libnotify-bin x11-utils xdotool wmctrl libxrandr2
  systemd imagemagick curl python3 procps
  # a Wayland session for the program tests (a headless compositor), and Qt's
  # Wayland platform, which the program runs on where no X server is
  weston qt6-wayland
  # the dialogs' font (Liberation Sans, a dependency of the package), and the
  # other sans faces desktops have, which the dialog tests run with too
  fonts-liberation2 fonts-dejavu-core fonts-urw-base35
  # reading menus as a screen reader does (accessibility bus)
  at-spi2-core gir1.2-atspi-2.0 python3-gi
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
