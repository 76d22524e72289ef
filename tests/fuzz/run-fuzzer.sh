#!/usr/bin/env bash
# Runs one libFuzzer target for SECONDS on its kept seeds joined with what earlier runs
# found in WORK (the build tree, never git). Fails when the target breaks a rule or
# crashes, naming the input it kept.
#   run-fuzzer.sh TARGET SEEDS WORK SECONDS
set -euo pipefail
target=$1 seeds=$2 work=$3 seconds=$4
corpus="$work/corpus" artifacts="$work/artifacts" log="$work/fuzz.log"
mkdir -p "$corpus" "$artifacts"
cp -f "$seeds"/* "$corpus"/
find "$artifacts" -mindepth 1 -maxdepth 1 -type f -delete
# Halt on the first report of either sanitizer, with a stack, whatever the caller set.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}abort_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:+$UBSAN_OPTIONS:}halt_on_error=1:print_stacktrace=1"
if "$target" "$corpus" -max_total_time="$seconds" -rss_limit_mb=1024 -timeout=30 \
     -print_final_stats=1 -artifact_prefix="$artifacts/" >"$log" 2>&1; then
  runs=$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$' || echo '?')
  echo "$runs runs in ${seconds}s; $(find "$corpus" -type f | wc -l) inputs in $corpus"
else
  found=$(find "$artifacts" -mindepth 1 -maxdepth 1 -type f | head -n 1)
  echo "CRASHED; input: ${found:-not saved}; log: $log" >&2
  grep -E -A12 'rule broken|ERROR: |runtime error|deadly signal' "$log" | head -n 40 >&2 \
    || tail -n 40 "$log" >&2
  exit 1
fi
