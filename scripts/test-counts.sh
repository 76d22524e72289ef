# Sourced by test.sh: runs the presets' tests with CTest and adds them up in passed,
# failed and skipped, the Wine tests of the Windows builds choose_windows_builds left out
# counting as skipped.
passed=0 failed=0 skipped=0

# Runs `ctest --preset PRESET ARGS...` and counts by CTest's own summary,
# "N% tests passed, F tests failed out of T", which counts a skipped test as not failed
# and lists each as "(Skipped)". No summary counts as one failure.
run_ctest_preset() {
  local preset=$1 log=build/logs/ctest.log summary f t s
  shift
  mkdir -p build/logs
  echo "== ctest --preset $preset $*"
  ctest --preset "$preset" "$@" 2>&1 | tee "$log" || true
  summary=$(sed -n 's/.* tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\).*/\1 \2/p' "$log")
  read -r f t <<<"${summary:-1 1}"
  s=$(grep -c '(Skipped)$' "$log" || true)
  passed=$((passed + t - f - s)) failed=$((failed + f)) skipped=$((skipped + s))
}

# How many tests `ctest --preset PRESET ARGS... -N` lists.
count_ctest_tests() {
  local preset=$1
  shift
  ctest --preset "$preset" "$@" -N | sed -n 's/^Total Tests: *//p'
}

# The build of PRESET does not run under Wine here: its Wine tests count as skipped, for
# WHY, and its other tests run.
skip_wine_tests() {
  local preset=$1 why=$2 wine others
  wine=$(count_ctest_tests "$preset" -L wine)
  others=$(count_ctest_tests "$preset" -LE wine)
  echo "== ctest --preset $preset: ${wine:-0} Wine tests skipped ($why)"
  skipped=$((skipped + ${wine:-0}))
  [ "${others:-0}" -eq 0 ] || run_ctest_preset "$preset" -LE wine
}

# Runs the tests of each preset named and of the Windows builds chosen, then prints the
# closing line; fails when a test failed.
run_tests_of_presets() {
  local preset closing
  for preset in "$@" "${windows_run[@]}"; do
    run_ctest_preset "$preset"
  done
  for preset in "${windows_skipped[@]}"; do
    skip_wine_tests "$preset" "$windows_why"
  done
  closing="tests: $passed passed, $failed failed"
  [ "$skipped" -eq 0 ] || closing+=", $skipped skipped"
  echo "$closing"
  [ "$failed" -eq 0 ]
}
