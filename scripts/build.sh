# Sourced by the scripts that build: configures and builds one preset of
# CMakePresets.json, quietly, showing what failed. `-B DIR` among the options builds in
# DIR instead of the preset's folder.
#   build_preset PRESET [cmake configure options...]

KESTRIN_ROOT=${KESTRIN_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}

build_preset() {
  local preset=$1; shift
  local logs="$KESTRIN_ROOT/build/logs" dir="" previous="" option
  for option in "$@"; do
    [ "$previous" = -B ] && dir=$option
    previous=$option
  done
  mkdir -p "$logs"
  cmake -S "$KESTRIN_ROOT" --preset "$preset" "$@" >"$logs/$preset.configure.log" 2>&1 \
    || { cat "$logs/$preset.configure.log" >&2; return 1; }
  if [ -n "$dir" ]; then
    cmake --build "$dir"
  else
    (cd "$KESTRIN_ROOT" && cmake --build --preset "$preset")
  fi >"$logs/$preset.build.log" 2>&1 \
    || { grep -E -B2 -A8 'error|FAILED' "$logs/$preset.build.log" | head -n 80 >&2; return 1; }
}

# The configure option that points a Windows test build at the reply server on
# KESTRIN_TEST_PORT, one per line; nothing when it is unset.
test_port_options() {
  [ -z "${KESTRIN_TEST_PORT:-}" ] ||
    echo "-DKESTRIN_LOOKUP_URL=http://127.0.0.1:$KESTRIN_TEST_PORT/cgi-bin/ipx.cgi"
}
