# Sourced by the scripts that run Kestrin under Wine: a virtual display, a Wine prefix and
# a loopback reply server, each stopped by its own process id when the calling script
# exits. The calling script adds clean-ups of its own with on_exit, never with trap.

source "$(dirname "${BASH_SOURCE[0]}")/build.sh"
source "$(dirname "${BASH_SOURCE[0]}")/windows-builds.sh"
# Every Wine command of these scripts goes through the loader this machine can run; the
# 64-bit one run directly needs WINELOADER, or Wine starts its own programs with the other.
KESTRIN_WINE=$(wine_loader_for_machine)
[ "$KESTRIN_WINE" = /usr/bin/wine ] || export WINELOADER=$KESTRIN_WINE
wine() { "$KESTRIN_WINE" "$@"; }
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
# Loopback requests must not be sent to a proxy the machine may name.
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY no_proxy NO_PROXY

session_pids=()
exit_actions=()

# Runs `command...` when the script exits, before what was registered earlier.
on_exit() {
  exit_actions+=("$(printf '%q ' "$@")")
}

run_exit_actions() {
  local i
  for ((i = ${#exit_actions[@]} - 1; i >= 0; i--)); do
    eval "${exit_actions[i]}" || true
  done
}
trap run_exit_actions EXIT

# Wine keeps its server socket in /tmp, in a folder named after the prefix's device and
# inode; that folder is ours to remove once our wineserver is gone.
wine_server_dirs() {
  [ -d "${WINEPREFIX:-}" ] || return 0
  local name dir
  name=$(printf 'server-%x-%x' "0x$(stat -c %D "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
  for dir in /tmp/wine-*/"$name" "/tmp/.wine-$(id -u)/$name"; do
    [ -d "$dir" ] && echo "$dir"
  done
  return 0
}

stop_wine() {
  [ -n "${WINEPREFIX:-}" ] || return 0
  local dirs dir i
  dirs=$(wine_server_dirs)
  wineserver -k >/dev/null 2>&1 || true
  for dir in $dirs; do
    for i in $(seq 50); do [ -e "$dir/socket" ] || break; sleep 0.1; done
    rm -rf "$dir"
    rmdir "$(dirname "$dir")" 2>/dev/null || true
  done
}

session_cleanup() {
  stop_wine
  local pid
  for pid in "${session_pids[@]}"; do
    kill "$pid" 2>/dev/null && { wait "$pid" 2>/dev/null || true; }
  done
  session_pids=()
}
on_exit session_cleanup

# Starts Xvfb on a display number it picks itself, once ready, and exports DISPLAY.
start_virtual_display() {
  local ready i n=""
  ready=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$ready" >/dev/null 2>&1 &
  session_pids+=($!)
  for i in $(seq 100); do
    n=$(head -n 1 "$ready")
    [ -n "$n" ] && break
    sleep 0.1
  done
  rm -f "$ready"
  [ -n "$n" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$n"
}

# Creates the Wine prefix once and reuses it; its time is spent only on the first run.
use_wine_prefix() {
  export WINEPREFIX="$1"
  [ -f "$WINEPREFIX/system.reg" ] && return 0
  local log
  log=$(mktemp)
  if ! { wine wineboot -i && wineserver -w; } >"$log" 2>&1; then
    echo "making the Wine prefix $WINEPREFIX failed: $KESTRIN_WINE wineboot -i said:" >&2
    cat "$log" >&2
    rm -f "$log"
    return 1
  fi
  rm -f "$log"
}

# Without a window manager on the virtual display, Wine waits seconds for each window to be
# managed; unmanaged windows appear and go at once.
use_unmanaged_windows() {
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
}

# Fails when something already answers on the loopback port.
require_free_port() {
  local port=$1 user=$2
  if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
    echo "port $port is taken; $user needs it" >&2
    return 1
  fi
}

# Starts the loopback reply server used by the tests on the given port; further
# arguments go to the server.
start_reply_server() {
  local port=$1
  /usr/bin/python3 "$KESTRIN_ROOT/tests/support/replyserver.py" "$@" &
  session_pids+=($!)
  wait_for_port "$port"
}

wait_for_port() {
  local port=$1 i
  for i in $(seq 100); do
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && return 0
    sleep 0.05
  done
  echo "nothing answers on 127.0.0.1:$port" >&2
  return 1
}
