#!/usr/bin/env bash
# Requests per second of ipx.cgi under lighttpd, as CGI and as FastCGI, next to the same
# lighttpd serving a static file of the same size; wrk on loopback.
#   bench/service/run.sh [BUILD_DIR]
# Without BUILD_DIR it builds ipx.cgi (Release) in build/bench-service. DNS goes to a
# local dnsmasq that confirms 127.0.0.1 as loopback.kestrin.test, so every CGI request
# costs two real, if fast, DNS round trips; FastCGI answers from its cache.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
duration=${IPX_BENCH_DURATION:-5s}
threads=2
connections=16

build=${1:-$root/build/bench-service}
if [ $# -eq 0 ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DKESTRIN_BUILD_TESTS=OFF >/dev/null
    cmake --build "$build" --target ipx_cgi >/dev/null
fi
ipx_cgi=$build/service/ipx.cgi
[ -x "$ipx_cgi" ] || { echo "no ipx.cgi in $build/service" >&2; exit 1; }

work=$(mktemp -d "$build/bench.XXXXXX")
cleanup() {
    "$root/service/lighttpd-local.sh" stop "$work/cgi"
    "$root/service/lighttpd-local.sh" stop "$work/fastcgi"
    "$root/service/dnsmasq-local.sh" stop "$work/dns"
    rm -rf "$work"
}
trap cleanup EXIT

free_port() {
    /usr/bin/python3 -c '
import socket, sys
with socket.socket(socket.AF_INET, getattr(socket, sys.argv[1])) as s:
    s.bind(("127.0.0.1", 0))
    print(s.getsockname()[1])' "$1"
}

dns_port=$(free_port SOCK_DGRAM)
"$root/service/dnsmasq-local.sh" start "$work/dns" "$dns_port" \
    --local=/kestrin.test/ --local=/127.in-addr.arpa/ \
    --host-record=loopback.kestrin.test,127.0.0.1,::1
export IPX_DNS_SERVER=127.0.0.1:$dns_port

cgi_port=$(free_port SOCK_STREAM)
"$root/service/lighttpd-local.sh" start "$work/cgi" "$cgi_port" cgi "$ipx_cgi"
fastcgi_port=$(free_port SOCK_STREAM)
"$root/service/lighttpd-local.sh" start "$work/fastcgi" "$fastcgi_port" fastcgi "$ipx_cgi"

answer=$work/cgi/www/static.txt
curl -sf "http://127.0.0.1:$cgi_port/cgi-bin/ipx.cgi" >"$answer.part"
mv "$answer.part" "$answer"

# Prints "REQUESTS_PER_SECOND FAILED_RESPONSES" for one wrk run.
measure() {
    wrk -t"$threads" -c"$connections" -d"$duration" "$1" | awk '
        /Requests\/sec:/ { rate = $2 }
        /Non-2xx or 3xx responses:/ { failed += $NF }
        /Socket errors:/ { gsub(",", ""); failed += $4 + $6 + $8 + $10 }
        END { printf "%.0f %d\n", rate, failed }'
}

read -r static_rate static_failed < <(measure "http://127.0.0.1:$cgi_port/static.txt")
read -r fastcgi_rate fastcgi_failed < <(measure "http://127.0.0.1:$fastcgi_port/cgi-bin/ipx.cgi")
read -r cgi_rate cgi_failed < <(measure "http://127.0.0.1:$cgi_port/cgi-bin/ipx.cgi")

row() {
    awk -v name="$1" -v rate="$2" -v failed="$3" -v base="$static_rate" \
        'BEGIN { printf "%-18s %12d %10.3f %10d\n", name, rate, rate / base, failed }'
}

echo "wrk -t$threads -c$connections -d$duration on 127.0.0.1; $(stat -c %s "$answer")-byte answer"
printf '%-18s %12s %10s %10s\n' target requests/s "/ static" failures
row "static file" "$static_rate" "$static_failed"
row "ipx.cgi FastCGI" "$fastcgi_rate" "$fastcgi_failed"
row "ipx.cgi CGI" "$cgi_rate" "$cgi_failed"
