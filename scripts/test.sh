#!/usr/bin/env bash
# Builds everything and runs every test: the portable core and the lookup service
# natively (also under AddressSanitizer and UBSan), a short libFuzzer run, and the
# Windows program under Wine on a virtual display, against a loopback reply server.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/bootstrap.sh"
source "$here/wine-session.sh"

build="$KESTRIN_ROOT/build"
results="$build/test-results"
mkdir -p "$build"
rm -rf "$results"
mkdir -p "$results"
echo "== building"
build_tree "$build/native" -DCMAKE_BUILD_TYPE=RelWithDebInfo
build_tree "$build/sanitize" -DCMAKE_BUILD_TYPE=Debug -DKESTRIN_SANITIZE=ON
build_test_program "$build/win-test"

status=0
echo "== native tests"
ctest --test-dir "$build/native" --output-on-failure -j2 \
  --output-junit "$results/native.xml" || status=1
echo "== native tests under AddressSanitizer and UBSan"
ctest --test-dir "$build/sanitize" --output-on-failure -j2 \
  --output-junit "$results/sanitize.xml" || status=1

echo "== fuzzing the reply, icon record, address and host-name rules (10 s each)"
RESULTS_DIR="$results" "$here/fuzz.sh" 10 || status=1

echo "== Windows build checks: kestrin.exe's imports"
ctest --test-dir "$build/win-test" --output-on-failure \
  --output-junit "$results/win-build.xml" || status=1

echo "== Windows tests under Wine"
start_test_session
export KESTRIN_ARTIFACTS
KESTRIN_ARTIFACTS=$(winepath -w "$results")
for t in kestrin_win_tests kestrin_window_tests kestrin_program_tests kestrin_soak_tests; do
  wine "$build/win-test/bin/$t.exe" --gtest_output="xml:$(winepath -w "$results/$t.xml")" \
    || status=1
done

for shot in "$results"/*.bmp; do
  [ -e "$shot" ] && convert "$shot" "${shot%.bmp}.png" && rm "$shot" && echo "screenshot: ${shot%.bmp}.png"
done
/usr/bin/python3 "$KESTRIN_ROOT/tests/support/summarize.py" "$results"/*.xml || status=1
exit $status
