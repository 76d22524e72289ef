#!/usr/bin/env bash
# Runs a command with a dnsmasq on a free loopback port that serves the test records
# below, its address in IPX_TEST_DNS_SERVER; stops dnsmasq afterwards, also on failure.
#   with-test-dns.sh WORK_PARENT_DIR COMMAND [ARG...]
set -euo pipefail

[ $# -ge 2 ] || { echo "usage: $0 WORK_PARENT_DIR COMMAND [ARG...]" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
dnsmasq_local=$here/servers/dnsmasq-local.sh
mkdir -p "$1"
work=$(mktemp -d "$1/dns.XXXXXX")
shift
cleanup() {
    "$dnsmasq_local" stop "$work"
    rm -rf "$work"
}
trap cleanup EXIT

port=$(/usr/bin/python3 "$here/free_port.py" udp)
# 192.0.2.10 and 2001:db8::10 confirm; 192.0.2.11 points at a name that does not lead
# back; 192.0.2.12 has no PTR; 192.0.2.13 has a malformed one; loopback confirms both ways,
# and every 127.W.X.Y from 127.16.0.0 to 127.31.255.255 as 127-W-X-Y.synth.kestrin.test.
"$dnsmasq_local" start "$work" "$port" \
    --local=/kestrin.test/ --local=/2.0.192.in-addr.arpa/ \
    --local=/8.b.d.0.1.0.0.2.ip6.arpa/ --local=/127.in-addr.arpa/ \
    --host-record=good.kestrin.test,192.0.2.10 \
    --host-record=six.kestrin.test,2001:db8::10 \
    --ptr-record=11.2.0.192.in-addr.arpa,liar.kestrin.test \
    --host-record=liar.kestrin.test,192.0.2.99 \
    --ptr-record=13.2.0.192.in-addr.arpa,bad_name.kestrin.test \
    --host-record=loopback.kestrin.test,127.0.0.1,::1 \
    --host-record=caller.kestrin.test,127.0.0.3 \
    --synth-domain=synth.kestrin.test,127.16.0.0/12

IPX_TEST_DNS_SERVER=127.0.0.1:$port "$@"
