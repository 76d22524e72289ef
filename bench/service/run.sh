#!/usr/bin/env bash
# Requests per second of ipx.cgi on loopback, each target next to the same web server
# serving a static file of the same size: under lighttpd as FastCGI and as CGI, under
# nginx as FastCGI, and a do-nothing FastCGI responder under lighttpd, which shows what
# the web server and the socket hop cost on their own. Every target is measured twice:
# with keep-alive, and "fresh", with a new connection for each request (Connection:
# close), which is how Kestrin asks, once a minute. Then ipx.cgi as FastCGI under lighttpd
# and under nginx, each in a run of its own, under attack (starve.py): 100 requests a
# second from new addresses in 10 /24 and 10 /64 networks whose reverse DNS never answers,
# for 20 s, with a victim whose DNS answers asking beside them every quarter second; the
# victim's longest wait is to stay within 2 s, and no request may fail. Then the same with
# 300 requests a second, each from a new /64 of 15,000 whose reverse DNS never answers:
# the victim is to get its name in at least 95 % of its answers, each within 2 s. Then,
# with no DNS attack, 2,000 requests whose headers never end and 2,000 bodies that never
# end, all from one address, for 30 s (slow_connections.py): no victim request may fail.
# Last, honest callers' names under attacks on the lookup gate (honest_callers.sh, about
# 30 minutes; IPX_BENCH_HONEST_ROWS=0 leaves them out).
#   bench/service/run.sh [BUILD_DIR]
# Without BUILD_DIR it builds ipx.cgi (the preset service) in build/service; either way it
# builds the do-nothing responder beside it. DNS goes to a local dnsmasq that confirms
# 127.0.0.1 as loopback.kestrin.test, so every CGI request costs two real, if fast, DNS
# round trips; FastCGI answers from its cache.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
duration=${IPX_BENCH_DURATION:-2s}
rounds=${IPX_BENCH_ROUNDS:-3}
attack_rate=${IPX_BENCH_ATTACK_RATE:-100}
attack_seconds=${IPX_BENCH_ATTACK_SECONDS:-20}
many_rate=${IPX_BENCH_MANY_RATE:-300}
slow_held=${IPX_BENCH_SLOW_HELD:-2000}
slow_seconds=${IPX_BENCH_SLOW_SECONDS:-30}
threads=2
connections=16
# The targets for FastCGI, as a share of the static file's rate: keep-alive, fresh.
keep_alive_target=0.25
fresh_target=0.70

source "$here/ipx-cgi.sh"
cmake --build "$build" --target ipx_null_responder >/dev/null
null_responder=$build/service/ipx_null_responder
servers=$root/tests/service/servers

work=$(mktemp -d "$build/bench.XXXXXX")
# nginx's workers run as www-data when the bench runs as root.
chmod 0755 "$work"
cleanup() {
    local server
    for server in cgi fastcgi null; do
        "$servers/lighttpd-local.sh" stop "$work/lighttpd-$server"
    done
    "$servers/nginx-local.sh" stop "$work/nginx"
    "$servers/dnsmasq-local.sh" stop "$work/dns"
    rm -rf "$work"
}
trap cleanup EXIT

free_port() {
    /usr/bin/python3 "$root/tests/service/free_port.py" "$1"
}

dns_port=$(free_port udp)
"$servers/dnsmasq-local.sh" start "$work/dns" "$dns_port" \
    --local=/kestrin.test/ --local=/127.in-addr.arpa/ \
    --host-record=loopback.kestrin.test,127.0.0.1,::1
export IPX_DNS_SERVER=127.0.0.1:$dns_port

declare -A port
start_lighttpd() {
    port[lighttpd-$1]=$(free_port tcp)
    "$servers/lighttpd-local.sh" start "$work/lighttpd-$1" "${port[lighttpd-$1]}" "$2" "$3"
}
start_lighttpd cgi cgi "$ipx_cgi"
start_lighttpd fastcgi fastcgi "$ipx_cgi"
start_lighttpd null fastcgi "$null_responder"
port[nginx]=$(free_port tcp)
# wrk asks from one address, which the shipped rate limit would hold to 20 requests a second.
LOCAL_RATE_LIMIT=1000000r/s \
    "$servers/nginx-local.sh" start "$work/nginx" "${port[nginx]}" fastcgi "$ipx_cgi"

answer=$work/answer.txt
curl -sf --noproxy '*' "http://127.0.0.1:${port[lighttpd-cgi]}/cgi-bin/ipx.cgi" >"$answer"
cp "$answer" "$work/lighttpd-cgi/www/static.txt"
cp "$answer" "$work/nginx/www/static.txt"

# Prints "REQUESTS_PER_SECOND FAILED_RESPONSES" for one wrk run; a second argument is a
# header to send with every request.
measure() {
    wrk -t"$threads" -c"$connections" -d"$duration" ${2:+-H "$2"} "$1" | awk '
        /Requests\/sec:/ { rate = $2 }
        /Non-2xx or 3xx responses:/ { failed += $NF }
        /Socket errors:/ { gsub(",", ""); failed += $4 + $6 + $8 + $10 }
        END { printf "%.0f %d\n", rate, failed }'
}

median() {
    sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

# Each round measures the server's static file and then each of its targets, so that
# the ratios of a round compare runs made under the same load from whatever else runs.
# rounds HEADER STATIC_URL URL...: for each round, one line per target:
# "TARGET_INDEX STATIC_RATE STATIC_FAILED RATE FAILED".
rounds() {
    local header=$1 static_url=$2 index static
    shift 2
    for _ in $(seq "$rounds"); do
        static=$(measure "$static_url" "$header")
        index=0
        for url in "$@"; do
            echo "$index $static $(measure "$url" "$header")"
            index=$((index + 1))
        done
    done
}

format_row() {
    printf '%-9s %-11s %-19s %11d %9.3f %9d\n' "$@"
}

# server_rows SERVER CONNECTIONS HEADER STATIC_URL [TARGET URL]...: the static file's row,
# then each target's: medians over the rounds, failures added up.
server_rows() {
    local server=$1 mode=$2 header=$3 static_url=$4 names=() urls=() measured index
    shift 4
    while [ $# -gt 0 ]; do
        names+=("$1")
        urls+=("$2")
        shift 2
    done
    measured=$(rounds "$header" "$static_url" "${urls[@]}")
    format_row "$server" "$mode" "static file" \
        "$(awk '$1 == 0 { print $2 }' <<<"$measured" | median)" 1 \
        "$(awk '$1 == 0 { n += $3 } END { print n + 0 }' <<<"$measured")"
    for index in "${!names[@]}"; do
        format_row "$server" "$mode" "${names[$index]}" \
            "$(awk -v i="$index" '$1 == i { print $4 }' <<<"$measured" | median)" \
            "$(awk -v i="$index" '$1 == i { print ($2 > 0 ? $4 / $2 : 0) }' <<<"$measured" |
                median)" \
            "$(awk -v i="$index" '$1 == i { n += $5 } END { print n + 0 }' <<<"$measured")"
    done
}

table=$work/table.txt
for mode in keep-alive fresh; do
    header=
    [ "$mode" = fresh ] && header="Connection: close"
    server_rows lighttpd "$mode" "$header" "http://127.0.0.1:${port[lighttpd-cgi]}/static.txt" \
        "ipx.cgi FastCGI" "http://127.0.0.1:${port[lighttpd-fastcgi]}/cgi-bin/ipx.cgi" \
        "do-nothing FastCGI" "http://127.0.0.1:${port[lighttpd-null]}/cgi-bin/ipx.cgi" \
        "ipx.cgi CGI" "http://127.0.0.1:${port[lighttpd-cgi]}/cgi-bin/ipx.cgi"
    server_rows nginx "$mode" "$header" "http://127.0.0.1:${port[nginx]}/static.txt" \
        "ipx.cgi FastCGI" "http://127.0.0.1:${port[nginx]}/cgi-bin/ipx.cgi"
done >"$table"

echo "wrk -t$threads -c$connections -d$duration on 127.0.0.1, $rounds rounds of each target" \
    "against its server's static file; $(stat -c %s "$answer")-byte answer;" \
    "fresh: a new connection for each request (Connection: close)"
printf '%-9s %-11s %-19s %11s %9s %9s\n' server connections target requests/s "/ static" failures
cat "$table"
echo
echo "targets for ipx.cgi FastCGI against the same server's static file:"
awk -v keep="$keep_alive_target" -v fresh="$fresh_target" '
    $3 == "ipx.cgi" && $4 == "FastCGI" {
        target = $2 == "fresh" ? fresh : keep
        printf "  %-9s %-11s %.3f >= %.2f  %s\n", $1, $2, $(NF - 1), target,
            ($(NF - 1) >= target) ? "met" : "missed"
    }' "$table"

# attack_row SERVER: starve.py's measure as a row, with three numbers at its end like the
# rows above: the victim's longest and median wait in seconds, and the failed requests of
# victim and attack; how many of the victim's answers carried its name goes to NAMED_FILE.
attack_row() {
    local measured
    measured=$(/usr/bin/python3 "$here/starve.py" "$1" fastcgi "$ipx_cgi" "$work" \
        "$attack_rate" "$attack_seconds")
    awk -v server="$1" -v named="$2" '{
        for (i = 1; i <= NF; i++) { split($i, pair, "="); v[pair[1]] = pair[2] }
        printf "%-9s %-11s %-19s %11.3f %9.3f %9d\n", server, "attack", "victim",
            v["victim_longest"], v["victim_median"], v["victim_failed"] + v["attack_failed"]
        printf "%s %s/%s\n", server, v["victim_named"], v["victim_requests"] >>named
    }' <<<"$measured"
}

echo
echo "under attack: $attack_rate requests/s for $attack_seconds s from new addresses in 10 /24" \
    "and 10 /64 networks whose reverse DNS never answers, through a trusted proxy's" \
    "X-Forwarded-For; a victim whose DNS answers asks every 0.25 s from a new address"
printf '%-9s %-11s %-19s %11s %9s %9s\n' server connections target "longest s" "median s" \
    failures
attack_rows=$work/attack.txt
for server in lighttpd nginx; do
    attack_row "$server" "$work/named.txt"
done | tee "$attack_rows"
echo
awk '{ printf "%s%s %s", NR == 1 ? "the victim'"'"'s answers with its host name: " : ", ", $1,
           $2 } END { print "" }' "$work/named.txt"
echo "target for the victim under attack: longest wait <= 2 s, no failed request:"
awk '{ printf "  %-9s %.3f s, %d failed  %s\n", $1, $4, $NF,
           ($4 <= 2 && $NF == 0) ? "met" : "missed" }' "$attack_rows"

# many_networks_row SERVER: the victim under starve.py's many-networks attack: its longest
# wait in seconds, the share of its answers that carried its name, and the failed
# requests of victim and attack.
many_networks_row() {
    /usr/bin/python3 "$here/starve.py" "$1" fastcgi "$ipx_cgi" "$work" "$many_rate" \
        "$attack_seconds" many-networks | awk -v server="$1" '{
        for (i = 1; i <= NF; i++) { split($i, pair, "="); v[pair[1]] = pair[2] }
        printf "%-9s %-13s %-17s %11.3f %9.3f %9d\n", server, "many-networks", "victim",
            v["victim_longest"], v["victim_named"] / v["victim_requests"],
            v["victim_failed"] + v["attack_failed"]
    }'
}

# slow_connections_row SERVER: the victim beside slow_connections.py: its longest and
# median wait in seconds, and its failed requests.
slow_connections_row() {
    /usr/bin/python3 "$here/slow_connections.py" "$1" fastcgi "$ipx_cgi" "$work" "$slow_held" \
        "$slow_seconds" | awk -v server="$1" '{
        for (i = 1; i <= NF; i++) { split($i, pair, "="); v[pair[1]] = pair[2] }
        printf "%-9s %-13s %-17s %11.3f %9.3f %9d\n", server, "slow-conns", "victim",
            v["victim_longest"], v["victim_median"], v["victim_failed"]
    }'
}

echo
echo "under attack from many networks: $many_rate requests/s for $attack_seconds s, each from" \
    "a new /64 of 15,000 in 60 /48s whose reverse DNS never answers, with the victim as above"
printf '%-9s %-13s %-17s %11s %9s %9s\n' server connections target "longest s" named failures
many_rows=$work/many.txt
for server in lighttpd nginx; do
    many_networks_row "$server"
done | tee "$many_rows"
echo "target for the victim: named in >= 95 % of its answers, each within 2 s, no failed request:"
awk '{ printf "  %-9s %.3f named, %.3f s, %d failed  %s\n", $1, $5, $4, $6,
           ($5 >= 0.95 && $4 <= 2 && $6 == 0) ? "met" : "missed" }' "$many_rows"

echo
echo "slow connections: $slow_held requests whose headers never end and $slow_held bodies that" \
    "never end, from one address, each sending a line or a byte every 5 s and opened again" \
    "when closed, for $slow_seconds s, with the victim as above"
printf '%-9s %-13s %-17s %11s %9s %9s\n' server connections target "longest s" "median s" \
    failures
slow_rows=$work/slow.txt
for server in lighttpd nginx; do
    slow_connections_row "$server"
done | tee "$slow_rows"
echo "target for the victim: no failed request:"
awk '{ printf "  %-9s %d failed  %s\n", $1, $6, $6 == 0 ? "met" : "missed" }' "$slow_rows"

if [ "${IPX_BENCH_HONEST_ROWS:-1}" != 0 ]; then
    echo
    "$here/honest_callers.sh" "$build"
fi
