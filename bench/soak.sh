#!/usr/bin/env bash
# The long soak: CYCLES lookup cycles (10,000 by default) of kestrin.exe's test build
# against the loopback reply server answering at random. After every cycle the boxes
# must hold what the rules say and no reply file may remain; the program's handles and
# windows must not grow. The test command runs the same soak with 300 cycles.
#   bench/soak.sh [CYCLES]
set -euo pipefail
cd "$(dirname "$0")/.."
cycles=${1:-10000}
source scripts/build.sh
build_preset win
started=$(date +%s)
KESTRIN_SOAK_CYCLES=$cycles ctest --preset win -R '^win\.Soak$' --timeout 36000 \
  >build/soak.log 2>&1 && outcome=passed || outcome=failed
echo "soak: $cycles random cycles, $outcome in $(( $(date +%s) - started )) s (log: build/soak.log)"
[ "$outcome" = passed ]
