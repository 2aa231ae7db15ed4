#!/usr/bin/env bash
# Installs what is missing, builds voxsplice and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
. tools/build-env.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
cd build
# One test a core. The tests' waits are short, and a test more than cores costs more than it
# fills: every ffmpeg start maps some 200 libraries, and that mapping gets dearer the more
# processes run at once (docs/benchmarks.md, row 11).
ctest --output-on-failure -j"$(nproc)" "$@"
