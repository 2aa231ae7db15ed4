#!/usr/bin/env bash
# Installs what is missing, builds voxsplice and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
# Ninja for a new build folder (one made before keeps its generator): quicker than make, and
# CPack, before it packages, checks the build in one step instead of walking every Makefile.
export CMAKE_GENERATOR=${CMAKE_GENERATOR:-Ninja}
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
cd build
# One test more than cores: the tests wait on their child processes part of the time.
ctest --output-on-failure -j"$(($(nproc) + 1))" "$@"
