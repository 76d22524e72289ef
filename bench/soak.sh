#!/usr/bin/env bash
# The long soak: CYCLES lookup cycles (10,000 by default) of kestrin.exe's test build
# against the loopback reply server answering at random. After every cycle the boxes
# must hold what the rules say and no reply file may remain; the program's handles and
# windows must not grow. The test command runs the same soak with 300 cycles.
#   bench/soak.sh [CYCLES]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cycles=${1:-10000}
source "$here/../scripts/wine-session.sh"
build="$KESTRIN_ROOT/build"

build_test_program "$build/win-test"
start_test_session
started=$(date +%s)
KESTRIN_SOAK_CYCLES=$cycles wine "$build/win-test/bin/kestrin_soak_tests.exe" >"$build/soak.log" 2>&1 \
  && outcome=passed || outcome=failed
echo "soak: $cycles random cycles, $outcome in $(( $(date +%s) - started )) s (log: build/soak.log)"
[ "$outcome" = passed ]
