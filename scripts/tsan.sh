#!/usr/bin/env bash
# Builds the ThreadSanitizer configuration of the tests where threads meet
# (the link, the simulator, the online window, the journal's writer) and runs
# each of them, by default once, with `--runs N` N times in a row; any report
# fails the run.
# Only those targets are built, in build-tsan beside the normal build;
# `--all` builds and runs every test of the suite instead.
set -euo pipefail
cd "$(dirname "$0")/.."

runs=1
jobs=2
all=0
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs="$2"; shift 2 ;;
    --jobs) jobs="$2"; shift 2 ;;
    --all) all=1; shift ;;
    *) echo "usage: scripts/tsan.sh [--runs N] [--jobs N] [--all]" >&2; exit 2 ;;
  esac
done

tests=(test_link test_sim test_online test_journal)
root=$(pwd)
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKQM52_TSAN=ON >/dev/null
if [ "$all" = 1 ]; then
  # Every test ctest knows, by the name of its binary.
  mapfile -t tests < <(cd build-tsan && ctest -N | sed -n 's/^ *Test *#[0-9]*: //p' | sort -u)
  cmake --build build-tsan -j "$jobs"
else
  # mx5x-sim is started by the simulator tests, so it is built with them.
  cmake --build build-tsan -j "$jobs" --target "${tests[@]}" mx5x-sim
fi

# Without halt_on_error a report would only show in the log; exitcode makes
# any report fail the test even when every assertion held.  die_after_fork=0:
# the simulator tests start mx5x-sim through QProcess, which forks from a
# process that already runs threads; the child only execs.
export TSAN_OPTIONS="suppressions=$root/tests/tsan.supp halt_on_error=1 exitcode=66 second_deadlock_stack=1 die_after_fork=0"
# The whole suite also reaches Qt's own worker threads (image conversion and
# scaling split over a thread pool), which Debian's uninstrumented Qt
# synchronises invisibly: accesses made inside Qt are not judged there.  Our
# own code stays instrumented, so a race in it is still reported.
[ "$all" = 1 ] && TSAN_OPTIONS="$TSAN_OPTIONS ignore_noninstrumented_modules=1"
export QT_QPA_PLATFORM=offscreen

# One test binary; with --all, one process per test suite.  After a process
# has forked (the two-copies tests start the program, the simulator tests
# mx5x-sim), this TSan reports accesses made under one and the same mutex as
# racing, in whatever test runs next; a suite of its own keeps a fork from
# tainting the suites after it.
# A hang is a finding too: a run that outlives its limit is killed and fails.
limit=300
run_binary() {
  local t=$1 log=$2
  if [ "$all" != 1 ]; then
    (cd build-tsan && timeout "$limit" ./bin/"$t") >"$log" 2>&1
    return
  fi
  local suite
  : >"$log"
  for suite in $(cd build-tsan && ./bin/"$t" --gtest_list_tests 2>/dev/null | sed -n 's/^\([^ ].*\.\)$/\1/p'); do
    (cd build-tsan && timeout "$limit" ./bin/"$t" --gtest_filter="$suite*") >>"$log" 2>&1 || return 1
  done
}

failed=0
for t in "${tests[@]}"; do
  for ((i = 1; i <= runs; i++)); do
    log="build-tsan/$t.run$i.log"
    start=$SECONDS
    if run_binary "$t" "$log"; then
      echo "tsan: $t run $i ok ($((SECONDS - start)) s)"
    else
      echo "tsan: $t run $i FAILED ($((SECONDS - start)) s), see $log" >&2
      grep -m1 -A12 "WARNING: ThreadSanitizer" "$log" >&2 || tail -20 "$log" >&2
      failed=1
    fi
  done
done
exit $failed
