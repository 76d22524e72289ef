#!/usr/bin/env bash
# Runs Kestrin under Wine, asking ipx.cgi served over https by lighttpd on loopback: the
# 32-bit build where this machine runs 32-bit programs, else the 64-bit one
# (KESTRIN_WINDOWS_ARCHES=32 or 64 chooses). The certificate is for localhost, from a
# throwaway root that only the run's own Wine prefix trusts; both stay in the run's build
# folder.
# With a display (DISPLAY set) Kestrin runs on it until you choose Exit from its menu.
# Without one, a virtual display is started; the script prints what the two boxes show
# once the first lookup is done, saves a screenshot of the window, and ends Kestrin.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/bootstrap.sh"
had_display=${DISPLAY:-}
source "$here/wine-session.sh"

choose_windows_preset run "${KESTRIN_WINDOWS_ARCHES:-auto}"
build="$KESTRIN_ROOT/build"
run="$build/$windows_preset"
port=${KESTRIN_RUN_PORT:-18462}
# A hundred up, as the bench's https port is beside its plain one.
tls_port=${KESTRIN_RUN_TLS_PORT:-$((port + 100))}
url="https://localhost:$tls_port/cgi-bin/ipx.cgi"
certs="$run/certs"
echo "== Kestrin's $(windows_build_width "$windows_preset") build (preset $windows_preset): $windows_preset_why"

require_free_port "$port" "scripts/run.sh's lookup service (KESTRIN_RUN_PORT chooses another)"
require_free_port "$tls_port" "scripts/run.sh's https (KESTRIN_RUN_TLS_PORT chooses another)"

echo "== building"
build_preset service
build_preset "$windows_preset" -DKESTRIN_LOOKUP_URL="$url"

# The test root and the certificate for localhost, kept beside the prefixes that trust
# them and made afresh as they near their end; lighttpd takes the key and the chain apart,
# as certbot keeps them, in a folder that goes when the run ends.
/usr/bin/python3 "$KESTRIN_ROOT/tests/support/testcerts.py" "$certs"
tls="$run/tls"
remove_tls() { rm -rf "$tls"; }
on_exit remove_tls
mkdir -p "$tls"
awk -v key="$tls/privkey.pem" -v chain="$tls/fullchain.pem" '
  /^-----BEGIN / { out = /PRIVATE KEY/ ? key : chain }
  { print > out }' "$certs/good.pem"

stop_service() { "$KESTRIN_ROOT/tests/service/servers/lighttpd-local.sh" stop "$run/lighttpd" || true; }
on_exit stop_service
TLS_PORT=$tls_port TLS_CERTIFICATE_DIR=$tls \
  "$KESTRIN_ROOT/tests/service/servers/lighttpd-local.sh" start "$run/lighttpd" "$port" fastcgi \
  "$build/service/service/ipx.cgi" >/dev/null
echo "== lookup service: ipx.cgi under lighttpd at $url"

if [ -n "$had_display" ]; then
  use_wine_prefix "$run/wineprefix-desktop"
else
  start_virtual_display
  use_wine_prefix "$run/wineprefix"
  use_unmanaged_windows
fi
wine "$run/bin/trust-test-root.exe" "$(wine winepath -w "$certs/trusted-root.der")"
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
