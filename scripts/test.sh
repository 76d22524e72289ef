#!/usr/bin/env bash
# Builds and runs every test, one CMake preset after another: the portable core, the
# lookup service, the release and the tools natively (native), the same under
# AddressSanitizer and UBSan (sanitize), each libFuzzer target for 10 s (fuzz), and the
# Windows program under Wine on a virtual display against a loopback reply server (win).
# KESTRIN_TEST_PORT moves the reply server, so that two checkouts can test at once.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
source scripts/build.sh

win_options=()
if [ -n "${KESTRIN_TEST_PORT:-}" ]; then
  win_options=(-DKESTRIN_LOOKUP_URL="http://127.0.0.1:$KESTRIN_TEST_PORT/cgi-bin/ipx.cgi")
fi
echo "== building"
build_preset native
build_preset sanitize
build_preset fuzz -DKESTRIN_FUZZ_SECONDS=10
build_preset win "${win_options[@]}"

passed=0 failed=0 skipped=0 log=build/logs/ctest.log
for preset in native sanitize fuzz win; do
  echo "== ctest --preset $preset"
  ctest --preset "$preset" 2>&1 | tee "$log" || true
  # CTest's own summary, "N% tests passed, F tests failed out of T", counts a skipped
  # test as not failed; it lists each as "(Skipped)".
  summary=$(sed -n 's/.* tests passed, \([0-9]*\) tests\{0,1\} failed out of \([0-9]*\).*/\1 \2/p' "$log")
  read -r f t <<<"${summary:-1 1}"
  s=$(grep -c '(Skipped)$' "$log" || true)
  passed=$((passed + t - f - s)) failed=$((failed + f)) skipped=$((skipped + s))
done
closing="tests: $passed passed, $failed failed"
[ "$skipped" -eq 0 ] || closing+=", $skipped skipped"
echo "$closing"
[ "$failed" -eq 0 ]
