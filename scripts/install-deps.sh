#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the demo need.
# Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  # Build: compiler, CMake + Ninja, pkg-config (CMake's libcurl lookup asks it);
  # Qt brings moc, uic, rcc, Qt Test, the offscreen platform and the GIF reader.
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-webengine-dev libcurl4-openssl-dev
  # Tests: GoogleTest, and the tools that make and check real FAT volumes.
  libgtest-dev dosfstools mtools fdisk
  # Demo: the Chinese texts' font, xdg-open for the pages the programs open,
  # Qt's Wayland platform plugin, and the tools with which the demo checks that
  # its display opens (xdpyinfo for X, wayland-info for Wayland).
  fonts-wqy-microhei xdg-utils qt6-wayland x11-utils wayland-utils
)

if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
export DEBIAN_FRONTEND=noninteractive
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  $SUDO apt-get update
  $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
