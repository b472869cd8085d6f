#!/usr/bin/env bash
# Installs what is needed, builds everything and runs the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
# Layout first: it fails in seconds, before a build that takes minutes.
scripts/format-check.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"
cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)" --timeout 600
# Every parser of a file a user can hand us, built with clang's libFuzzer and
# run a few seconds on its seeds: a target that no longer builds or that
# crashes stops the run.
[ "${KQM52_SKIP_FUZZ:-0}" = 1 ] || (cd .. && scripts/fuzz.sh --seconds 5 --jobs "$(nproc)")
[ "${KQM52_SKIP_TSAN:-0}" = 1 ] || (cd .. && scripts/tsan.sh)
