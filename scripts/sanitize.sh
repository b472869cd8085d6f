#!/usr/bin/env bash
# The whole suite under the sanitizers, as routine: builds the ASan+UBSan
# configuration in build-asan and runs every test --runs N times in a row
# (default 5), then the ThreadSanitizer configuration through scripts/tsan.sh
# --all, the same number of times.  Any report, failure or leak fails the run.
#   scripts/sanitize.sh                  # 5 runs of each
#   scripts/sanitize.sh --runs 1 --only asan
set -euo pipefail
cd "$(dirname "$0")/.."

runs=5
jobs=2
only=both
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs="$2"; shift 2 ;;
    --jobs) jobs="$2"; shift 2 ;;
    --only) only="$2"; shift 2 ;;
    *) echo "usage: scripts/sanitize.sh [--runs N] [--jobs N] [--only asan|tsan]" >&2; exit 2 ;;
  esac
done

failed=0
if [ "$only" != tsan ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKQM52_ASAN=ON >/dev/null
  nice cmake --build build-asan -j "$jobs"
  # detect_leaks: a window or a port left behind by a test is a leak like any
  # other.  Fontconfig keeps what it looked up until exit; that is not ours.
  supp=build-asan/lsan.supp
  printf 'leak:libfontconfig\n' >"$supp"
  export ASAN_OPTIONS="detect_leaks=1 abort_on_error=0 halt_on_error=1 strict_string_checks=1 detect_stack_use_after_return=1"
  export LSAN_OPTIONS="suppressions=$PWD/$supp"
  export UBSAN_OPTIONS="print_stacktrace=1 halt_on_error=1"
  for ((i = 1; i <= runs; i++)); do
    start=$SECONDS
    if (cd build-asan && QT_QPA_PLATFORM=offscreen ctest -j "$jobs" --timeout 900 \
          --output-on-failure >"asan.run$i.log" 2>&1); then
      echo "asan: run $i ok: $(grep -m1 'tests passed' "build-asan/asan.run$i.log") ($((SECONDS - start)) s)"
    else
      echo "asan: run $i FAILED ($((SECONDS - start)) s), see build-asan/asan.run$i.log" >&2
      grep -m3 -A12 -E 'ERROR: AddressSanitizer|ERROR: LeakSanitizer|runtime error' \
        "build-asan/asan.run$i.log" >&2 || tail -30 "build-asan/asan.run$i.log" >&2
      failed=1
    fi
  done
fi
if [ "$only" != asan ]; then
  scripts/tsan.sh --all --runs "$runs" --jobs "$jobs" || failed=1
fi
exit $failed
