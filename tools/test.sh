#!/usr/bin/env bash
# Installs what is missing, builds voxsplice and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
. tools/build-env.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
cd build
# One test more than cores: the tests wait on their child processes part of the time.
ctest --output-on-failure -j"$(($(nproc) + 1))" "$@"
