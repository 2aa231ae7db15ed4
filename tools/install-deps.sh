#!/usr/bin/env bash
# Installs the Debian packages voxsplice needs to build, run and test, and those named on its
# command line, skipping what is there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build
    qt6-base-dev qt6-multimedia-dev libgl-dev libqt6svg6
    qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good
    ffmpeg python3 espeak-ng
    clang-format g++-mingw-w64-x86-64
    file lintian desktop-file-utils appstream
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

install=(apt-get install -y --no-install-recommends "${missing[@]}")
if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: ${missing[*]}"
    apt-get update
    DEBIAN_FRONTEND=noninteractive "${install[@]}"
    exit 0
fi
# An ordinary user: through sudo where it is there and agrees; otherwise the one line to run as
# root, and no build on a machine that lacks what it needs.
if command -v sudo >/dev/null 2>&1; then
    echo "Installing through sudo: ${missing[*]}"
    if sudo apt-get update && sudo DEBIAN_FRONTEND=noninteractive "${install[@]}"; then
        exit 0
    fi
fi
echo "Missing packages; as root, run: ${install[*]}" >&2
exit 1
