#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build every preset and run every test.
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

packages=(
  cmake g++ ninja-build googletest libgtest-dev python3
  g++-mingw-w64-x86-64 g++-mingw-w64-i686
  wine wine64 wine32:i386
  xvfb xauth trayer xdotool imagemagick x11-utils iproute2 libbenchmark-dev
  qt6-base-dev libgl-dev fonts-liberation nsis dbus python3-dbus python3-gi
  clang libclang-rt-14-dev
  xfce4-panel xfconf lxqt-panel xfce4-notifyd gir1.2-dbusmenu-glib-0.4
  sway waybar qt6-wayland grim
  nagios4-core
  lintian appstream desktop-file-utils mandoc groff man-db osslsigncode
  openssl unzip python3-yaml
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -eq 0 ]; then exit 0; fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends "${missing[@]}"
