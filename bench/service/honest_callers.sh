#!/usr/bin/env bash
# Honest callers' names under attack (honest_callers.py), with ipx.cgi as FastCGI under
# lighttpd and under nginx as shipped: the attacks warmed, late and spread at each rate
# of IPX_BENCH_HONEST_RATES ("300 1000") for IPX_BENCH_HONEST_SECONDS (30) each, then
# flush (its spread at the first rate), neighbours and burst; one table of rows and the
# targets, met or missed.
#   bench/service/honest_callers.sh [BUILD_DIR]
# Without BUILD_DIR it builds ipx.cgi (the preset service) in build/service.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
read -r -a rates <<<"${IPX_BENCH_HONEST_RATES:-300 1000}"
seconds=${IPX_BENCH_HONEST_SECONDS:-30}
victims=(returning4 returning6 new4 new6)

source "$here/ipx-cgi.sh"

work=$(mktemp -d "$build/honest.XXXXXX")
# nginx's workers run as www-data when the bench runs as root.
chmod 0755 "$work"
measuring=
cleanup() {
    if [ -n "$measuring" ]; then
        kill "$measuring" 2>/dev/null || true
        wait "$measuring" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# measure SERVER ROW [RATE]: honest_callers.py's key=value line in $work/measured.txt. It
# runs in the background, never in a pipeline, so that an interrupted run stops it by its
# pid (cleanup), and it stops what it started.
measure() {
    /usr/bin/python3 "$here/honest_callers.py" "$1" "$ipx_cgi" "$work" "$2" \
        "${3:-${rates[0]}}" "$seconds" >"$work/measured.txt" &
    measuring=$!
    wait "$measuring"
    measuring=
}

# row SERVER ROW [RATE]: appends to $rows and shows: server, row, asked and achieved rate,
# each victim's named share and longest wait ("-" for a victim the row leaves out), and
# the failed requests of all; the flush's own rate goes to $notes.
row() {
    measure "$@"
    awk -v server="$1" -v victims="${victims[*]}" -v notes="$notes" '{
        for (i = 1; i <= NF; i++) { split($i, pair, "="); v[pair[1]] = pair[2] }
        failures = v["attack_failed"] + v["flush_failed"]
        line = sprintf("%-9s %-10s %5s %5s", server, v["row"], "rate" in v ? v["rate"] : "-",
                       "attack_achieved" in v ? v["attack_achieved"] : "-")
        n = split(victims, names, " ")
        for (i = 1; i <= n; i++) {
            if ((names[i] "_requests") in v) {
                line = line sprintf(" %6.3f %6.3f", v[names[i] "_named"] / v[names[i] "_requests"],
                                    v[names[i] "_longest"])
                failures += v[names[i] "_failed"]
            } else {
                line = line sprintf(" %6s %6s", "-", "-")
            }
        }
        print line sprintf(" %8d", failures)
        if ("flush_sent" in v)
            printf "  %s flush: %d requests, %d a second\n", server, v["flush_sent"],
                v["flush_achieved"] >>notes
    }' "$work/measured.txt" >>"$rows"
    tail -n 1 "$rows"
}

# burst_row SERVER: appends to $bursts and shows how the 50 requests were answered.
burst_row() {
    measure "$1" burst
    awk -v server="$1" '{
        for (i = 1; i <= NF; i++) { split($i, pair, "="); v[pair[1]] = pair[2] }
        printf "%-9s %-10s %9d %9d %9d %9d\n", server, "burst", v["burst_named"],
            v["burst_unnamed"], v["burst_limited"], v["burst_failed"]
    }' "$work/measured.txt" >>"$bursts"
    tail -n 1 "$bursts"
}

rows=$work/rows.txt
notes=$work/notes.txt
bursts=$work/bursts.txt
: >"$notes"
echo "honest callers under attack: ipx.cgi as FastCGI, X-Forwarded-For from 127.0.0.1;" \
    "victims ask every 0.25 s: returning (named 3 times, a minute before), new (a new" \
    "/24 or /64 each time); rate asked and achieved in requests/s, named share and" \
    "longest wait in s"
printf '%-9s %-10s %5s %5s' server attack asked got
for victim in "${victims[@]}"; do
    printf ' %13s' "$victim"
done
printf ' %8s\n' failures
for attack in warmed late spread; do
    for rate in "${rates[@]}"; do
        for server in lighttpd nginx; do
            row "$server" "$attack" "$rate"
        done
    done
done
for attack in flush neighbours; do
    for server in lighttpd nginx; do
        row "$server" "$attack"
    done
done
cat "$notes"
printf '%-9s %-10s %9s %9s %9s %9s\n' server attack named unnamed 429 failures
for server in lighttpd nginx; do
    burst_row "$server"
done

echo
echo "targets: returning victims >= 0.99 named under warmed, late and spread; new victims" \
    ">= 0.90 under warmed and late, >= 0.50 under spread; every answer within 2 s, no" \
    "failed request; burst: every answer but a 429 named; flush: returning victims" \
    ">= 0.99; neighbours: the returning IPv4 victim >= 0.99"
awk '
    function target(text, ok) { printf "  %-9s %-10s %5s  %-44s %s\n", $1, $2, $3, text,
                                  ok ? "met" : "missed" }
    # Columns: 5 and 6 returning4, 7 and 8 returning6, 9 and 10 new4, 11 and 12 new6.
    function share(column, least, what) {
        target(sprintf("%s %s >= %.2f", what, $column, least), $column >= least)
    }
    {
        share(5, 0.99, "returning4")
        if ($2 != "neighbours")
            share(7, 0.99, "returning6")
        if ($2 != "neighbours" && $2 != "flush") {
            least = $2 == "spread" ? 0.50 : 0.90
            share(9, least, "new4")
            share(11, least, "new6")
        }
        longest = 0
        for (i = 6; i <= 12; i += 2)
            if ($i != "-" && $i > longest) longest = $i
        target(sprintf("longest wait %.3f s <= 2, %d failed", longest, $NF),
               longest <= 2 && $NF == 0)
    }' "$rows"
awk '{ printf "  %-9s %-10s %5s  %-44s %s\n", $1, $2, "", sprintf("%d unnamed, %d failed", $4, $6),
           ($4 == 0 && $6 == 0) ? "met" : "missed" }' "$bursts"
