#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build/fuzz and runs each for SECONDS
# (default 10) on a copy of its kept corpus in the build tree; what the fuzzer finds
# stays there, out of git. Exits non-zero when a target crashes, naming the input.
# With RESULTS_DIR set, writes $RESULTS_DIR/fuzz.xml (JUnit-style), one case per target.
#   usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
# A relative RESULTS_DIR means the caller's folder, so resolve it before moving.
results_dir=
if [ -n "${RESULTS_DIR:-}" ]; then
  mkdir -p "$RESULTS_DIR"
  results_dir=$(cd "$RESULTS_DIR" && pwd)
fi
cd "$(dirname "$0")/.."
root=$(pwd)

seconds=${1:-10}
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 [SECONDS]  (a whole number of seconds per target)" >&2
  exit 2
fi

targets=(reply icon_record address client_address host_name)
build="$root/build/fuzz"
mkdir -p "$build"

declare -A outcome detail took
xml_escape() {
  local s=$1
  s=${s//&/&amp;}; s=${s//</&lt;}; s=${s//>/&gt;}; s=${s//\"/&quot;}
  printf '%s' "$s"
}
write_results() {
  [ -n "$results_dir" ] || return 0
  local failures=0 name
  for name in "$@"; do [ "${outcome[$name]}" = pass ] || failures=$((failures + 1)); done
  {
    echo '<?xml version="1.0" encoding="UTF-8"?>'
    echo '<testsuites>'
    echo "  <testsuite name=\"fuzz\" tests=\"$#\" failures=\"$failures\">"
    for name in "$@"; do
      echo -n "    <testcase classname=\"fuzz\" name=\"$(xml_escape "$name")\" time=\"${took[$name]:-0}\""
      if [ "${outcome[$name]}" = pass ]; then
        echo '/>'
      else
        echo '>'
        echo "      <failure message=\"$(xml_escape "${detail[$name]}")\"/>"
        echo '    </testcase>'
      fi
    done
    echo '  </testsuite>'
    echo '</testsuites>'
  } >"$results_dir/fuzz.xml"
}

echo "== building the fuzz targets in $build"
if ! { CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
         -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRIN_FUZZ=ON -DKESTRIN_SANITIZE=OFF \
         -DKESTRIN_BUILD_TESTS=OFF >"$build/configure.log" 2>&1 &&
       cmake --build "$build" --target kestrin_fuzzers >"$build/build.log" 2>&1; }; then
  tail -n 40 "$build/configure.log" "$build/build.log" >&2 2>/dev/null || true
  outcome[build]=fail
  detail[build]="the fuzz targets did not build; see $build/build.log"
  write_results build
  echo "fuzz: build failed" >&2
  exit 1
fi

# Halt on the first report of either sanitizer, with a stack, whatever the caller set.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}abort_on_error=1:detect_leaks=1"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:+$UBSAN_OPTIONS:}halt_on_error=1:print_stacktrace=1"

status=0
for name in "${targets[@]}"; do
  corpus="$build/corpus/$name"
  artifacts="$build/artifacts/$name"
  log="$build/logs/$name.log"
  mkdir -p "$corpus" "$artifacts" "$build/logs"
  # The kept seeds join whatever earlier runs found in the build tree.
  cp -f "$root/tests/fuzz/corpus/$name"/* "$corpus"/
  find "$artifacts" -mindepth 1 -maxdepth 1 -type f -delete
  start=$(date +%s)
  if "$build/tests/fuzz/fuzz_$name" "$corpus" -max_total_time="$seconds" -rss_limit_mb=1024 \
       -timeout=30 -print_final_stats=1 -artifact_prefix="$artifacts/" >"$log" 2>&1; then
    outcome[$name]=pass
    runs=$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$' || echo '?')
    echo "fuzz $name: passed, $runs runs in ${seconds}s ($(find "$corpus" -type f | wc -l) inputs in $corpus)"
  else
    outcome[$name]=fail
    status=1
    found=$(find "$artifacts" -mindepth 1 -maxdepth 1 -type f | head -n 1)
    detail[$name]="crashed on ${found:-an input that was not saved}; log: $log"
    echo "fuzz $name: CRASHED; input: ${found:-not saved}; log: $log" >&2
    grep -E -A12 'rule broken|ERROR: |runtime error|deadly signal' "$log" | head -n 40 >&2 || tail -n 40 "$log" >&2
  fi
  took[$name]=$(($(date +%s) - start))
done

write_results "${targets[@]}"
exit $status
