#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (the fuzz preset, build/fuzz) and runs each for
# SECONDS (default 10) on its kept seeds; what the fuzzer finds stays in the build tree,
# out of git. Exits non-zero when a target crashes, naming the input.
#   usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
if ! [[ $seconds =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: $0 [SECONDS]  (a whole number of seconds per target)" >&2
  exit 2
fi
source scripts/build.sh
build_preset fuzz -DKESTRIN_FUZZ_SECONDS="$seconds"
ctest --preset fuzz
