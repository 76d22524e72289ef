#!/usr/bin/env bash
# CTest's emulator for the cross-built test programs: runs one under Wine inside the
# session that wine-fixture.sh started, named by KESTRIN_WINE_SESSION.
set -euo pipefail
session=${KESTRIN_WINE_SESSION:?names the folder that wine-fixture.sh start made}
[ -f "$session/env" ] || { echo "no Wine session in $session: run the test through CTest" >&2; exit 1; }
source "$session/env"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY no_proxy NO_PROXY
exec "$KESTRIN_WINE" "$@"
