#!/usr/bin/env bash
# Runs Kestrin under Wine, asking ipx.cgi served by lighttpd on loopback.
# With a display (DISPLAY set) Kestrin runs on it until you choose Exit from its menu.
# Without one, a virtual display is started; the script prints what the two boxes show
# once the first lookup is done, saves a screenshot of the window, and ends Kestrin.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/bootstrap.sh"
had_display=${DISPLAY:-}
source "$here/wine-session.sh"

build="$KESTRIN_ROOT/build"
run="$build/run"
port=${KESTRIN_RUN_PORT:-18462}

echo "== building"
build_preset service
build_preset run -DKESTRIN_LOOKUP_URL="http://127.0.0.1:$port/cgi-bin/ipx.cgi"

stop_service() { "$KESTRIN_ROOT/tests/service/servers/lighttpd-local.sh" stop "$run/lighttpd" || true; }
on_exit stop_service
"$KESTRIN_ROOT/tests/service/servers/lighttpd-local.sh" start "$run/lighttpd" "$port" fastcgi \
  "$build/service/service/ipx.cgi" >/dev/null
echo "== lookup service: ipx.cgi under lighttpd at http://127.0.0.1:$port/cgi-bin/ipx.cgi"

if [ -n "$had_display" ]; then
  use_wine_prefix "$run/wineprefix-desktop"
else
  start_virtual_display
  use_wine_prefix "$run/wineprefix"
  use_unmanaged_windows
fi
kestrin="$run/bin/kestrin.exe"
probe="$run/bin/kestrin-probe.exe"

if [ -n "$had_display" ]; then
  echo "== Kestrin runs on $DISPLAY; choose Exit from its tray menu to end it"
  wine "$kestrin"
  exit 0
fi

wine "$kestrin" &
kestrin_pid=$!
window=$(wine "$probe" read | tr -d '\r' | tee /dev/stderr | sed -n 's/^window: //p')
import -window root -crop "$window" +repage "$run/kestrin.png"
echo "screenshot: $run/kestrin.png"
wine "$probe" exit
wait "$kestrin_pid"
