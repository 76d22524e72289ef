#!/usr/bin/env bash
# Builds and runs every test, one CMake preset after another: the portable core, the
# lookup service, the release and the tools natively (native), the same under
# AddressSanitizer and UBSan (sanitize), each libFuzzer target for 10 s (fuzz), and the
# Windows program under Wine on a virtual display against a loopback reply server: the
# 64-bit build (win64) on every machine, the 32-bit one (win) where the machine runs
# 32-bit programs. Both Windows builds are built everywhere, and the 32-bit one's checks
# that need no Wine run everywhere. KESTRIN_WINDOWS_ARCHES=32|64|both|auto overrides which
# builds run under Wine; KESTRIN_TEST_PORT moves the reply server, so that two checkouts
# can test at once.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/bootstrap.sh
source scripts/build.sh
source scripts/windows-builds.sh
source scripts/test-counts.sh

choose_windows_builds "${KESTRIN_WINDOWS_ARCHES:-auto}"
echo "windows builds under Wine: $windows_why"

mapfile -t win_options < <(test_port_options)
echo "== building"
build_preset native
build_preset sanitize
build_preset fuzz -DKESTRIN_FUZZ_SECONDS=10
build_preset win "${win_options[@]}"
build_preset win64 "${win_options[@]}"

run_tests_of_presets native sanitize fuzz
