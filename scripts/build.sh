# Sourced by run.sh and test.sh: configures and builds one tree.
#   build_tree DIR [cmake options...]      native build
#   build_windows_tree DIR [cmake options...]  32-bit Windows cross build

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
