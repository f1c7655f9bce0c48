#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing PellumPlayer need (the session bus
# and desktop settings packages let the wallpaper tests run against a private bus; bc serves bench/startup.sh;
# Xvfb, openbox and the XTest library carry the X lane of the tests: a real display, a window manager and
# pointer and key input through the X server; XFixes shows it the pointer's picture).
set -euo pipefail
PACKAGES=(build-essential cmake pkg-config qt6-base-dev libmpv-dev libcdio-dev libgl-dev libbenchmark-dev ffmpeg zlib1g-dev liblzma-dev libglib2.0-dev
          dbus-daemon dconf-gsettings-backend gsettings-desktop-schemas libglib2.0-bin bc
          xvfb openbox libxtst-dev libx11-dev libxfixes-dev)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
