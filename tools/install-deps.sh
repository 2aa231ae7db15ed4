#!/usr/bin/env bash
# Installs the Debian packages voxsplice needs to build, run and test, skipping what is there.
set -euo pipefail

packages=(
    build-essential cmake
    qt6-base-dev qt6-multimedia-dev libgl-dev libqt6svg6
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good
    ffmpeg python3 espeak-ng
    clang-format g++-mingw-w64-x86-64
    file lintian desktop-file-utils appstream
    fonts-liberation
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
