# Sourced by the scripts that build: configures and builds one tree.
#   build_tree DIR [cmake options...]          native build
#   build_windows_tree DIR [cmake options...]  32-bit Windows cross build
#   build_test_program DIR                     the cross build the Windows tests run

KESTRIN_ROOT=${KESTRIN_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}

# The test build of the program asks the reply server on this loopback port, refreshes
# every 1.5 s and gives each download 2 s, so that the tests see many cycles and stalls.
# KESTRIN_TEST_PORT moves the port, so that two checkouts can run their tests at once.
KESTRIN_TEST_PORT=${KESTRIN_TEST_PORT:-18461}
KESTRIN_TEST_REFRESH_MS=1500
KESTRIN_TEST_DEADLINE_MS=2000

build_tree() {
  local dir=$1; shift
  cmake -S "$KESTRIN_ROOT" -B "$dir" -G Ninja "$@" >"$dir.configure.log" 2>&1 \
    || { cat "$dir.configure.log" >&2; return 1; }
  cmake --build "$dir" -- -j"$(nproc)" >"$dir.build.log" 2>&1 \
    || { grep -E -B2 -A8 'error|FAILED' "$dir.build.log" | head -n 80 >&2; return 1; }
}

build_windows_tree() {
  local dir=$1; shift
  build_tree "$dir" -DCMAKE_TOOLCHAIN_FILE="$KESTRIN_ROOT/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=MinSizeRel "$@"
}

build_test_program() {
  build_windows_tree "$1" \
    -DKESTRIN_LOOKUP_URL="http://127.0.0.1:$KESTRIN_TEST_PORT/cgi-bin/ipx.cgi" \
    -DKESTRIN_REFRESH_MS="$KESTRIN_TEST_REFRESH_MS" \
    -DKESTRIN_DOWNLOAD_DEADLINE_MS="$KESTRIN_TEST_DEADLINE_MS"
}
