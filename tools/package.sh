#!/usr/bin/env bash
# Builds the Debian package from a Release build, with Debian's hardening flags:
# voxsplice_<version>_<architecture>.deb in this folder. Then: sudo apt install ./voxsplice_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
. tools/build-env.sh
build=${VOXSPLICE_PACKAGE_BUILD:-build-package}
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build "$build" -j"$(nproc)"
rm -f "$build"/voxsplice_*.deb
(cd "$build" && cpack -G DEB)
cp "$build"/voxsplice_*.deb .
ls -1 "$PWD"/voxsplice_*.deb
