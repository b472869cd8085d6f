#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz and runs each of them,
# one after the other, for --seconds N (default 300), niced and single-job.
# Corpora start from data/, tests/data/ and fuzz/seeds/ and grow in
# build-fuzz/corpus/<target>; a crash input lands in build-fuzz/crashes/ and
# fails the run.  Names after the options pick targets (default: all).
#   scripts/fuzz.sh --seconds 10                 # smoke run of every target
#   scripts/fuzz.sh --seconds 600 backup_file_fuzz
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=300
jobs=2
build=1
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds="$2"; shift 2 ;;
    --jobs) jobs="$2"; shift 2 ;;
    --no-build) build=0; shift ;;
    -*) echo "usage: scripts/fuzz.sh [--seconds N] [--jobs N] [--no-build] [target...]" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done
all=(ini_file_fuzz list_text_fuzz group_tree_fuzz parameter_catalogue_fuzz
     parameter_file_fuzz setpoint_file_fuzz backup_file_fuzz sim_state_fuzz
     reply_fuzz rtf_reader_fuzz)
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")

if [ "$build" = 1 ]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKQM52_FUZZ=ON -DKQM52_TESTS=OFF -DKQM52_BENCH=OFF >/dev/null
  nice cmake --build build-fuzz -j "$jobs" --target "${targets[@]}"
fi

# The files each parser is handed in real use.
seeds() {
  case "$1" in
    ini_file_fuzz) echo data/Taal*.ini data/Parameters.txt data/ParNo.txt tests/data/params/*.txt ;;
    list_text_fuzz) echo data/Taal0.ini tests/data/params/Parameters.txt ;;
    group_tree_fuzz) echo data/Tree*.txt tests/data/params/Tree1.txt ;;
    parameter_catalogue_fuzz) ;; # made below: the first byte picks the file
    parameter_file_fuzz) echo fuzz/seeds/parameter_file/* ;;
    setpoint_file_fuzz) echo fuzz/seeds/setpoint_file/* ;;
    backup_file_fuzz) echo fuzz/seeds/backup_file/* ;;
    sim_state_fuzz) echo fuzz/seeds/sim_state/* ;;
    reply_fuzz) echo fuzz/seeds/reply/* ;;
    rtf_reader_fuzz) echo data/ErrorHelp*.rtf ;;
  esac
}

failed=0
mkdir -p build-fuzz/crashes
for t in "${targets[@]}"; do
  corpus=build-fuzz/corpus/$t
  mkdir -p "$corpus"
  for f in $(seeds "$t"); do cp -n "$f" "$corpus/" 2>/dev/null || true; done
  if [ "$t" = parameter_catalogue_fuzz ]; then
    for f in data/Parameters.txt tests/data/params/Parameters.txt; do
      { printf '\0'; cat "$f"; } >"$corpus/defs-$(basename "$(dirname "$f")").txt"
    done
    for f in data/ParNo.txt tests/data/params/ParNo.txt; do
      { printf '\1'; cat "$f"; } >"$corpus/numbers-$(basename "$(dirname "$f")").txt"
    done
  fi
  # The backup file is 16020 bytes; the others stay well under 64 kB.  The
  # settings target holds the reader's index against a walk over all lines
  # for each key it asks; 16 kB inputs keep that walk cheap.
  maxlen=65536
  [ "$t" = ini_file_fuzz ] && maxlen=16384
  # A help file costs layout time only past tens of kilobytes in one
  # paragraph; the reader takes up to a megabyte.
  [ "$t" = rtf_reader_fuzz ] && maxlen=262144
  log=build-fuzz/$t.log
  set +e
  nice -n 10 "build-fuzz/bin/$t" "$corpus" -max_total_time="$seconds" -max_len="$maxlen" \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="build-fuzz/crashes/$t-" >"$log" 2>&1
  rc=$?
  set -e
  execs=$(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | awk '{print $2}')
  if [ $rc -eq 0 ]; then
    echo "fuzz: $t ok: ${execs:-?} executions in ${seconds} s, coverage ${cov:-?}, corpus $(ls "$corpus" | wc -l)"
  else
    echo "fuzz: $t FAILED after ${execs:-?} executions, see $log:" >&2
    grep -m1 -A8 -E 'ERROR: |runtime error|==ERROR' "$log" >&2 || tail -20 "$log" >&2
    ls build-fuzz/crashes/"$t"-* 2>/dev/null >&2 || true
    failed=1
  fi
done
exit $failed
