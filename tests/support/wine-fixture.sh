#!/usr/bin/env bash
# The CTest fixture the Windows tests run in: a virtual display, the test prefix with a
# wineserver kept up between tests, and the reply server with its https listeners, whose
# test root the prefix alone trusts. `start` leaves them running and notes their process
# ids and the environment in SESSION; `stop` ends them by those ids and turns the
# screenshots the tests left in RESULTS into PNG files.
#   wine-fixture.sh start SESSION PORT BIN RESULTS
#   wine-fixture.sh stop SESSION RESULTS
set -euo pipefail
source "$(dirname "$0")/../../scripts/wine-session.sh"

start() {
  local session=$1 port=$2 bin=$3 results=$4
  # A run cut short never reached its stop; its Wine server would refuse to share the prefix.
  [ ! -f "$session/env" ] || "$0" stop "$session" "$results" >/dev/null
  rm -f "$results"/*.bmp "$results"/*.png
  require_free_port "$port" "the reply server of the Windows tests"
  start_virtual_display
  use_wine_prefix "$session/prefix"
  wineserver -p
  use_unmanaged_windows
  /usr/bin/python3 "$KESTRIN_ROOT/tests/support/testcerts.py" "$session/certs"
  start_reply_server "$port" --tls "$session/certs"
  wine "$bin/trust-test-root.exe" "$(wine winepath -w "$session/certs/trusted-root.der")"
  {
    printf 'export DISPLAY=%q WINEPREFIX=%q KESTRIN_WINE=%q\n' "$DISPLAY" "$WINEPREFIX" "$KESTRIN_WINE"
    [ -z "${WINELOADER:-}" ] || printf 'export WINELOADER=%q\n' "$WINELOADER"
    printf 'export KESTRIN_ARTIFACTS=%q\n' "$(wine winepath -w "$results")"
  } >"$session/env"
  printf '%s\n' "${session_pids[@]}" >"$session/pids"
  # Everything stays up for the tests; the stop step ends it.
  session_pids=()
  exit_actions=()
}

# The session's own clean-up, run as this script exits, ends Wine and the noted processes.
stop() {
  local session=$1 results=$2 shot
  if [ -f "$session/env" ]; then
    source "$session/env"
    mapfile -t session_pids <"$session/pids"
  fi
  rm -f "$session/env" "$session/pids"
  for shot in "$results"/*.bmp; do
    [ -e "$shot" ] || continue
    convert "$shot" "${shot%.bmp}.png" && rm "$shot" && echo "screenshot: ${shot%.bmp}.png"
  done
}

# Names the step of the start that failed, with the calls that led to it.
report_failed_step() {
  local status=$? i line
  echo "wine-fixture.sh start failed with status $status at:" >&2
  for ((i = 1; i < ${#FUNCNAME[@]} - 1; i++)); do
    line=${BASH_LINENO[i - 1]}
    echo "  $(basename "${BASH_SOURCE[i]}"):$line: $(sed -n "${line}s/^ *//p" "${BASH_SOURCE[i]}")" >&2
  done
}

case ${1:-} in
  # CTest waits for every process that holds the test's output, so the servers are
  # started with a log for theirs, which is shown only when the start fails.
  start)
    mkdir -p "$2" "$5"
    "$0" start-logged "${@:2}" >"$2/start.log" 2>&1 || { cat "$2/start.log" >&2; exit 1; } ;;
  start-logged)
    shift
    set -E
    trap report_failed_step ERR
    start "$@" ;;
  stop) shift; stop "$@" ;;
  *) echo "usage: $0 start SESSION PORT BIN RESULTS | stop SESSION RESULTS" >&2; exit 2 ;;
esac
