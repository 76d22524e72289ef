#!/usr/bin/env bash
# The long soak: CYCLES lookup cycles (10,000 by default) of kestrin.exe's test build
# against the loopback reply server answering at random. After every cycle the boxes
# must hold what the rules say and no reply file may remain; the program's handles and
# windows must not grow. The test command runs the same soak with 300 cycles. It soaks
# the 32-bit build where this machine runs 32-bit programs, else the 64-bit one
# (KESTRIN_WINDOWS_ARCHES=32 or 64 chooses); KESTRIN_TEST_PORT moves the reply server, as
# for the test command.
#   bench/soak.sh [CYCLES]
set -euo pipefail
cd "$(dirname "$0")/.."
cycles=${1:-10000}
source scripts/build.sh
source scripts/windows-builds.sh
choose_windows_preset win "${KESTRIN_WINDOWS_ARCHES:-auto}"
preset=$windows_preset
echo "soak of the $(windows_build_width "$preset") build (preset $preset): $windows_preset_why" >&2
mapfile -t options < <(test_port_options)
build_preset "$preset" "${options[@]}"
started=$(date +%s)
KESTRIN_SOAK_CYCLES=$cycles ctest --preset "$preset" -R '^win\.Soak$' --timeout 36000 \
  >"build/soak-$preset.log" 2>&1 && outcome=passed || outcome=failed
echo "soak of the $(windows_build_width "$preset") build: $cycles random cycles, $outcome in $(( $(date +%s) - started )) s (log: build/soak-$preset.log)"
[ "$outcome" = passed ]
