#!/usr/bin/env bash
# Installs what is missing, builds voxsplice and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
. tools/build-env.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
exec build/app/voxsplice
