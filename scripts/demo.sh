#!/usr/bin/env bash
# Installs what is needed, builds the program and starts it on the simulated bus.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target kqm52
exec build/bin/kqm52 --demo "$@"
