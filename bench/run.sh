#!/usr/bin/env bash
# Measures Kestrin against a program that does a lookup cycle's work and no more, a bare
# Win32 window and a bare HTTP GET, under Wine on a virtual display, asking the real
# ipx.cgi (FastCGI) under a loopback lighttpd; adds the ratios of bench/service/run.sh.
# It measures the 32-bit build where this machine runs 32-bit programs, else the 64-bit
# one (KESTRIN_WINDOWS_ARCHES=32 or 64 chooses), and each row names the build it measured.
# Prints the machine and one Markdown table on standard output; progress goes to
# standard error. See bench/README.md.
#   bench/run.sh [--quick] [--idle SECONDS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
command_line="bench/run.sh${*:+ $*}"

quick=0
idle=
while [ $# -gt 0 ]; do
  case $1 in
    --quick) quick=1 ;;
    --idle) idle=${2:?--idle needs seconds}; shift ;;
    *) echo "usage: bench/run.sh [--quick] [--idle SECONDS]" >&2; exit 2 ;;
  esac
  shift
done
if [ "$quick" = 1 ]; then
  runs=3 cycles=1000 timed=50 service_runs=1 idle=${idle:-65} hang_cycles=3 tls_cycles=50
else
  runs=7 cycles=1000 timed=200 service_runs=3 idle=${idle:-300} hang_cycles=8 tls_cycles=200
fi

source "$here/../scripts/wine-session.sh"
choose_windows_preset bench "${KESTRIN_WINDOWS_ARCHES:-auto}"
preset=$windows_preset
build_width=$(windows_build_width "$preset")
if [ "$build_width" = 64-bit ]; then
  objdump=x86_64-w64-mingw32-objdump size_limit_kib=64
else
  objdump=i686-w64-mingw32-objdump size_limit_kib=48
fi
build="$KESTRIN_ROOT/build"
port=${KESTRIN_BENCH_PORT:-18463}
# The same lighttpd answers https here; a hundred up, clear of the ports the Windows tests
# take beside KESTRIN_BENCH_PORT's default (the reply server's 18461 to 18475).
tls_port=${KESTRIN_BENCH_TLS_PORT:-$((port + 100))}
work="$build/bench-run"
# The raw lines behind the last table, kept for a closer look.
results="$build/bench-last"
prefix="$build/bench-wineprefix"
# The test root and certificate for localhost that the bench prefix alone trusts, kept
# beside it and made afresh when they near their end.
certs="$build/bench-certs"
mkdir -p "$build"
servers="$KESTRIN_ROOT/tests/service/servers"

# Runs before the session's own clean-up, which stops Wine, the display and the reply
# server.
bench_cleanup() {
  "$servers/lighttpd-local.sh" stop "$work/lighttpd"
  "$servers/dnsmasq-local.sh" stop "$work/dns"
  rm -rf "$work"
}
on_exit bench_cleanup
trap 'exit 130' INT TERM

require_free_port "$port" "the bench (KESTRIN_BENCH_PORT chooses another)"
require_free_port "$tls_port" "the bench's https (KESTRIN_BENCH_TLS_PORT chooses another)"

echo "== the $build_width build (preset $preset): $windows_preset_why" >&2
echo "== building (the presets $preset and service: build/$preset, build/service)" >&2
# A fresh cache: the release's refresh interval and download deadline, so that the rows
# show what users get.
build_preset "$preset" --fresh -DKESTRIN_LOOKUP_URL="http://127.0.0.1:$port/cgi-bin/ipx.cgi"
build_preset service
bin="$build/$preset/bin"
ipx_cgi="$build/service/service/ipx.cgi"

rm -rf "$work" "$results"
mkdir -p "$work" "$results"

# lighttpd takes the key and the chain apart, as certbot keeps them.
/usr/bin/python3 "$KESTRIN_ROOT/tests/support/testcerts.py" "$certs"
mkdir -p "$work/tls"
awk -v key="$work/tls/privkey.pem" -v chain="$work/tls/fullchain.pem" '
  /^-----BEGIN / { out = /PRIVATE KEY/ ? key : chain }
  { print > out }' "$certs/good.pem"

echo "== ipx.cgi (FastCGI) under lighttpd on 127.0.0.1:$port, https on $tls_port, names from a loopback dnsmasq" >&2
dns_port=$(/usr/bin/python3 "$KESTRIN_ROOT/tests/service/free_port.py" udp)
"$servers/dnsmasq-local.sh" start "$work/dns" "$dns_port" \
  --local=/kestrin.test/ --local=/127.in-addr.arpa/ \
  --host-record=loopback.kestrin.test,127.0.0.1,::1
IPX_DNS_SERVER=127.0.0.1:$dns_port TLS_PORT=$tls_port TLS_CERTIFICATE_DIR=$work/tls \
  "$servers/lighttpd-local.sh" start "$work/lighttpd" "$port" fastcgi "$ipx_cgi"

echo "== Wine on a virtual display (prefix build/bench-wineprefix)" >&2
start_virtual_display
use_wine_prefix "$prefix"
use_unmanaged_windows
wine "$bin/trust-test-root.exe" "$(winepath -w "$certs/trusted-root.der")"

bench_args=(--runs "$runs" --cycles "$cycles" --timed "$timed" --idle-seconds "$idle")
echo "== kestrin-bench ${bench_args[*]} (idle alone takes ${idle} s)" >&2
wine "$bin/kestrin-bench.exe" "${bench_args[@]}" | tr -d '\r' >"$results/results.txt"

# Both by the name the certificate is for, so that they differ in TLS alone.
tls_args=(--tls-cycles "$tls_cycles" --http-url "http://localhost:$port/cgi-bin/ipx.cgi"
  --https-url "https://localhost:$tls_port/cgi-bin/ipx.cgi")
echo "== kestrin-bench ${tls_args[*]}" >&2
wine "$bin/kestrin-bench.exe" "${tls_args[@]}" | tr -d '\r' >"$results/tls.txt"

"$servers/lighttpd-local.sh" stop "$work/lighttpd"
"$servers/dnsmasq-local.sh" stop "$work/dns"

# The tests' reply server takes the lookup URL over: it can be told to read each request
# and never answer, which no real service can be made to do on cue.
echo "== kestrin-bench --hang-cycles $hang_cycles against the reply server on 127.0.0.1:$port" >&2
start_reply_server "$port"
reply_pid=${session_pids[-1]}
wine "$bin/kestrin-bench.exe" --hang-cycles "$hang_cycles" | tr -d '\r' >"$results/hang.txt"
# Exit, while the reply server answers start-up's lookups: first with the unmanaged windows
# of every other row and of the tests, then as Wine is by default, its windows managed with
# no window manager to answer, where it waits about 2 s for each window it unmaps.
# Explorer, which owns the tray's window, reads the setting only as it starts, and the one
# running now started before the prefix was set: Wine is started afresh for each.
exit_runs() {
  wineserver -k
  wine "$bin/kestrin-bench.exe" --exit-runs "$runs" | tr -d '\r' >"$results/$1"
}
echo "== kestrin-bench --exit-runs $runs, unmanaged and then managed windows" >&2
exit_runs exit.txt
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d Y /f >/dev/null 2>&1
exit_runs exit-managed.txt
use_unmanaged_windows
kill "$reply_pid" 2>/dev/null || true
wait "$reply_pid" 2>/dev/null || true
kept_pids=()
for pid in "${session_pids[@]}"; do [ "$pid" = "$reply_pid" ] || kept_pids+=("$pid"); done
session_pids=("${kept_pids[@]}")

echo "== bench/service/run.sh, $service_runs run(s)" >&2
for i in $(seq "$service_runs"); do
  "$here/service/run.sh" "$build/service" >"$results/service.$i.txt"
done

# ---- turning the results into the table ----

# val KEY [FILE]: the value of KEY in FILE (results.txt when not named).
val() {
  awk -v k="$1" '$1 == k { print $2; found = 1 } END { if (!found) print "" }' \
    "$results/${2:-results.txt}"
}
# calc EXPRESSION [name=value...]: awk arithmetic, printed as given by the format in it.
calc() { local e=$1; shift; awk "$@" "BEGIN { $e }"; }
kib() { calc 'printf "%.1f KiB", b / 1024' -v b="$1"; }
mib() { calc 'printf "%.2f MiB", b / 1048576' -v b="$1"; }
ratio() { calc 'if (d > 0) printf "%.2f×", n / d; else printf "–"' -v n="$1" -v d="$2"; }
meets() { calc "if ($1) print \"yes\"; else print \"no\"" "${@:2}"; }
signed_kib() { calc 'printf "%+.1f KiB", b / 1024' -v b="$1"; }

# Bytes each section takes in the file, from its file offset to the next section's, in
# file order after the headers before the first.
section_bytes() {
  "$objdump" -h "$1" | awk -v size="$(stat -c %s "$1")" '
    function hex(s,   i, n) {
      for (i = 1; i <= length(s); i++) n = n * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1
      return n
    }
    BEGIN { n = 0 }
    $1 ~ /^[0-9]+$/ { name = $2; off = hex(tolower($6)); next }
    /CONTENTS/ { names[n] = name; offs[n++] = off }
    END {
      print "headers", offs[0]
      for (i = 0; i < n; i++) print names[i], (i + 1 < n ? offs[i + 1] : size) - offs[i]
    }'
}
# The frames of an .ico file from its directory: "16 px 824 bytes, 20 px ...".
icon_frames() {
  local count i width bytes out=
  count=$(od -An -t u2 -j 4 -N 2 "$1")
  for ((i = 0; i < count; i++)); do
    width=$(od -An -t u1 -j $((6 + 16 * i)) -N 1 "$1")
    bytes=$(od -An -t u4 -j $((6 + 16 * i + 8)) -N 4 "$1")
    out+="${out:+, }$(( width == 0 ? 256 : width )) px $((bytes)) bytes"
  done
  echo "$out"
}
exe_bytes=$(stat -c %s "$bin/kestrin.exe")
bare_bytes=$(stat -c %s "$bin/bare-window.exe")
section_bytes "$bin/kestrin.exe" >"$results/sections.txt"
sect() { awk -v s="$1" '$1 == s { print $2; f = 1 } END { if (!f) print 0 }' "$results/sections.txt"; }
rsrc_bytes=$(sect .rsrc)
code_bytes=$((exe_bytes - rsrc_bytes))
code_parts=$(awk '$1 != ".rsrc" { printf "%s%s %.1f KiB", sep, $1, $2 / 1024; sep = ", " }' \
  "$results/sections.txt")
# The files .rsrc is built from, as kestrin.rc names them, found where the resource
# compiler looks; a bitmap with its pixels and its bytes as a resource holds them: the
# .bmp file less its 14-byte file header.
rc_folders=("$build/$preset/src/app/art-tool/art" "$build/$preset/src/app" "$KESTRIN_ROOT/src/app")
rsrc_parts=
rsrc_files_bytes=0
while read -r kind file; do
  path=
  for folder in "${rc_folders[@]}"; do
    [ -f "$folder/$file" ] && { path=$folder/$file; break; }
  done
  [ -n "$path" ] || { rsrc_parts+="${rsrc_parts:+, }$file (not found)"; continue; }
  bytes=$(stat -c %s "$path")
  part="$file $(calc 'printf "%.1f KiB", b / 1024' -v b="$bytes")"
  if [ "$kind" = ICON ]; then
    part="$file $bytes bytes: $(icon_frames "$path")"
  fi
  if [ "$kind" = BITMAP ]; then
    bytes=$((bytes - 14))
    read -r width height < <(od -An -t d4 -j 18 -N 8 "$path")
    part="$file ${width}×${height#-} $(( $(od -An -t u2 -j 28 -N 2 "$path") ))-bit $bytes bytes"
  fi
  rsrc_parts+="${rsrc_parts:+, }$part"
  rsrc_files_bytes=$((rsrc_files_bytes + bytes))
done < <(sed -nE 's/^[A-Za-z0-9_]+[[:space:]]+([A-Z_]+)[[:space:]]+"([^"]+)".*/\1 \2/p' \
  "$KESTRIN_ROOT/src/app/kestrin.rc")
dlls=$("$objdump" -p "$bin/kestrin.exe" | awk '/DLL Name:/ { printf "%s%s", sep, $3; sep = ", " }')

k_start=$(val startup.kestrin_ms) b_start=$(val startup.bare_ms) g_start=$(val startup.get_ms)
start_ref=$(calc 'printf "%.1f", b + g' -v b="$b_start" -v g="$g_start")
# PrivateUsage where it is filled in, else PagefileUsage, which Windows sets to the same.
priv_key=private
priv_source=PrivateUsage
if [ "$(val mem.kestrin.start.private)" = 0 ]; then
  priv_key=pagefile
  priv_source="PagefileUsage (Wine: RssAnon + VmSwap; PrivateUsage answers 0)"
fi
priv() { val "$1.$priv_key"; }
k_priv=$(priv mem.kestrin.start) b_priv=$(priv mem.bare.start) s_priv=$(priv mem.same.start)
k_ws=$(val mem.kestrin.start.working_set) b_ws=$(val mem.bare.start.working_set)
priv_growth=$(( $(priv mem.kestrin.cycles1) - k_priv ))
ws_growth=$(( $(val mem.kestrin.cycles1.working_set) - k_ws ))
priv_growth2=$(( $(priv mem.kestrin.cycles2) - $(priv mem.kestrin.cycles1) ))
ws_growth2=$(( $(val mem.kestrin.cycles2.working_set) - $(val mem.kestrin.cycles1.working_set) ))
# GetProcessHandleCount where it answers for another process, else handles counted by probing.
handle_key=handles
handle_source=GetProcessHandleCount
if [ "$(val mem.kestrin.start.handles)" = 0 ] || [ -z "$(val mem.kestrin.start.handles)" ]; then
  handle_key=handles_probed
  handle_source="counted with DuplicateHandle; GetProcessHandleCount answers 0 under Wine"
fi
handles() { val "$1.$handle_key"; }
k_handles=$(handles mem.kestrin.start) b_handles=$(handles mem.bare.start)
handle_growth=$(( $(handles mem.kestrin.cycles1) - k_handles ))
handle_growth2=$(( $(handles mem.kestrin.cycles2) - $(handles mem.kestrin.cycles1) ))
k_windows=$(val mem.kestrin.start.windows)
window_growth=$(( $(val mem.kestrin.cycles2.windows) - k_windows ))
k_gdi=$(val mem.kestrin.start.gdi) k_user=$(val mem.kestrin.start.user)
k_cycle=$(val cycle.kestrin_ms) s_cycle=$(val cycle.same_ms)
g_cycle=$(val cycle.get_ms) m_cycle=$(val cycle.message_ms)
resume=$(val resume.kestrin_ms)
# The quiet period the program waits after the last resume, then one cycle as row 4 has it;
# the timer that ends the wait fires up to one step of the system's clock late.
quiet_ms=3000 timer_step_ms=16
resume_target=$(calc 'printf "%.1f", q + c' -v q="$quiet_ms" -v c="$k_cycle")
h_deadline=$(val deadline_ms hang.txt) h_wait=$(val hang.longest_wait_ms hang.txt)
ticks=$(val idle.ticks)
cycle_cpu=$(calc 'printf "%.2f", (a - b) / n' -v a="$(val mem.kestrin.cycles1.linux_cpu)" \
  -v b="$(val mem.kestrin.start.linux_cpu)" -v n="$cycles")
# Linux's count for the Wine processes: Wine's GetProcessTimes does not follow another
# process (see bench/README.md); the Wine figure is kept in the raw results.
idle_k=$(val idle.kestrin_linux_cpu_ms) idle_b=$(val idle.bare_linux_cpu_ms)

# service_value SERVER CONNECTIONS TARGET N: the median over the runs of the Nth number
# from the end of that row of bench/service/run.sh (1 failures, 2 ratio, 3 requests/s).
service_value() {
  local i
  for i in $(seq "$service_runs"); do
    awk -v server="$1" -v mode="$2" -v target="$3" -v back="$4" '
      $1 == server && $2 == mode {
        name = $3
        for (f = 4; f <= NF - 3; f++) name = name " " $f
        if (name == target) print $(NF - back + 1)
      }' "$results/service.$i.txt"
  done | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}
service_rate() { service_value lighttpd "$1" "$2" 3; }
service_ratio() { service_value lighttpd "$1" "$2" 2; }

echo "machine: $(nproc) CPUs, $(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo), $(wine --version) ($KESTRIN_WINE), $(uname -sr)"
echo "command: $command_line  (kestrin-bench ${bench_args[*]}; kestrin-bench ${tls_args[*]}; kestrin-bench --hang-cycles $hang_cycles; kestrin-bench --exit-runs $runs × 2; bench/service/run.sh × $service_runs)"
echo "build: Kestrin's $build_width build (preset $preset, $objdump): $windows_preset_why"
echo "service: ipx.cgi as FastCGI under lighttpd at $(val url)"
echo
echo "| # | build | measure | Kestrin | reference | ratio | target | within |"
echo "| --- | --- | --- | ---: | ---: | ---: | --- | --- |"
echo "| 1 | $build_width | kestrin.exe file size ($exe_bytes bytes) | $(kib "$exe_bytes") | bare window $(kib "$bare_bytes") | $(ratio "$exe_bytes" "$bare_bytes") | < $size_limit_kib KiB | $(meets 'b < l * 1024' -v b="$exe_bytes" -v l="$size_limit_kib") |"
echo "| 1 | $build_width | … code and data (all but .rsrc) | $(kib "$code_bytes") | $code_parts | | | |"
echo "| 1 | $build_width | … resources (.rsrc) | $(kib "$rsrc_bytes") | from $rsrc_parts; the rest, $(kib "$((rsrc_bytes - rsrc_files_bytes))"), is the version block, the resource directory and padding | | | |"
echo "| 1 | $build_width | imported DLLs | $dlls | | | system DLLs only | |"
echo "| 2 | $build_width | start-up: process start to window shown with both answers (median of $(val startup.kestrin_ms.n)) | $k_start ms | bare window $b_start ms + one GET $g_start ms = $start_ref ms | $(ratio "$k_start" "$start_ref") | ≤ 1.3× | $(meets 'k <= 1.3 * r' -v k="$k_start" -v r="$start_ref") |"
echo "| 2 | $build_width | CPU used by start-up (user + system, from Linux, 1 s after showing) | $(val mem.kestrin.start.linux_cpu) ms | bare window $(val mem.bare.start.linux_cpu) ms | $(ratio "$(val mem.kestrin.start.linux_cpu)" "$(val mem.bare.start.linux_cpu)") | | |"
# exit_row FILE LABEL: Kestrin's exit against the tray lookup's, as measured in FILE.
exit_row() {
  local k b
  k=$(val exit.kestrin_ms "$1") b=$(val exit.tray_lookup_ms "$1")
  echo "| 2 | $build_width | exit, $2: WM_CLOSE posted to the shown window to the process's end (median of $(val exit.kestrin_ms.n "$1"), $(val exit.kestrin_ms.min "$1")–$(val exit.kestrin_ms.max "$1") ms) | $k ms | tray lookup $b ms | $(ratio "$k" "$b") | ≤ 1.1× or ≤ 10 ms more | $(meets 'k <= 1.1 * b || k <= b + 10' -v k="$k" -v b="$b") |"
}
exit_row exit.txt "unmanaged windows (as every other row)"
exit_row exit-managed.txt "Wine's managed windows with no window manager"
echo "| 3 | $build_width | private bytes after start-up: $priv_source | $(mib "$k_priv") | same-work lookup $(mib "$s_priv") | $(ratio "$k_priv" "$s_priv") | ≤ 1.1× | $(meets 'k <= 1.1 * s' -v k="$k_priv" -v s="$s_priv") |"
echo "| 3 | $build_width | … against the bare window | $(mib "$k_priv") | bare window $(mib "$b_priv") | $(ratio "$k_priv" "$b_priv") | | |"
echo "| 3 | $build_width | working set after start-up | $(mib "$k_ws") | bare window $(mib "$b_ws") | $(ratio "$k_ws" "$b_ws") | | |"
echo "| 3 | $build_width | private bytes growth over $cycles cycles (then over $cycles more) | $(signed_kib "$priv_growth") ($(signed_kib "$priv_growth2")) | | | 0 | $(meets 'g <= 0' -v g="$priv_growth") |"
echo "| 3 | $build_width | working set growth over $cycles cycles (then over $cycles more) | $(signed_kib "$ws_growth") ($(signed_kib "$ws_growth2")) | | | 0 | $(meets 'g <= 0' -v g="$ws_growth") |"
echo "| 3 | $build_width | handles after start-up ($handle_source) | $k_handles | bare window $b_handles | $(ratio "$k_handles" "$b_handles") | | |"
echo "| 3 | $build_width | handle growth over $cycles cycles (then over $cycles more) | $handle_growth ($handle_growth2) | | | 0 | $(meets 'g <= 0' -v g="$handle_growth") |"
if [ "$k_gdi" = 0 ] && [ "$k_user" = 0 ]; then
  echo "| 3 | $build_width | GDI and USER objects | not measured: Wine's GetGuiResources answers 0 for a process that holds windows, fonts and bitmaps | | | 0 growth | – |"
else
  echo "| 3 | $build_width | GDI / USER objects after start-up | $k_gdi / $k_user | bare window $(val mem.bare.start.gdi) / $(val mem.bare.start.user) | | | |"
  echo "| 3 | $build_width | GDI / USER growth over $cycles cycles | $(( $(val mem.kestrin.cycles1.gdi) - k_gdi )) / $(( $(val mem.kestrin.cycles1.user) - k_user )) | | | 0 | $(meets 'g <= 0 && u <= 0' -v g="$(( $(val mem.kestrin.cycles1.gdi) - k_gdi ))" -v u="$(( $(val mem.kestrin.cycles1.user) - k_user ))") |"
fi
echo "| 3 | $build_width | windows (USER objects counted with EnumWindows), growth over $((2 * cycles)) cycles | $k_windows, $window_growth | bare window $(val mem.bare.start.windows) | | | |"
echo "| 4 | $build_width | one lookup cycle: BM_CLICK to return (median of $(val cycle.kestrin_ms.n); failed rounds: $(val cycle.failed)) | $k_cycle ms | same-work lookup $s_cycle ms (median of $(val cycle.same_ms.n)) | $(ratio "$k_cycle" "$s_cycle") | ≤ 1.2× | $(meets 'k <= 1.2 * s' -v k="$k_cycle" -v s="$s_cycle") |"
echo "| 4 | $build_width | … against one bare GET | $k_cycle ms | one GET $g_cycle ms (a bare WM_NULL to Kestrin: $m_cycle ms) | $(ratio "$k_cycle" "$g_cycle") | | |"
# tls_row KIND LABEL [MORE]: the https cycle against the http one, medians and 90th
# percentiles; MORE ends the measure's text.
tls_row() {
  local h h90 s s90
  h=$(val "tls.http.$1_ms" tls.txt) h90=$(val "tls.http.$1_ms.p90" tls.txt)
  s=$(val "tls.https.$1_ms" tls.txt) s90=$(val "tls.https.$1_ms.p90" tls.txt)
  echo "| 4 | $build_width | one lookup cycle over https, $2: Kestrin's own cycle in the bench's process, interleaved with the same cycle over http to the same lighttpd, median (p90) of $(val "tls.https.$1_ms.n" tls.txt)${3:-} | $s ms ($s90 ms) | http $h ms ($h90 ms) | $(ratio "$s" "$h") ($(ratio "$s90" "$h90")) | | |"
}
tls_row fresh "on a new connection, as a refresh a minute after the last makes (lighttpd closes an idle one after 5 s)" \
  "; failed cycles: http $(val tls.http.failed tls.txt), https $(val tls.https.failed tls.txt)"
tls_row kept "on the connection the cycle before left open, as a click within seconds of the last cycle"
echo "| 4 | $build_width | resume to new answer: a resume message (WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC) to both boxes filled again (median of $(val resume.kestrin_ms.n), $(val resume.kestrin_ms.min)–$(val resume.kestrin_ms.max) ms; all before the first timer tick: $( [ "$(val resume.before_first_tick)" = 1 ] && echo yes || echo no)) | $resume ms | quiet period $quiet_ms ms + one cycle $k_cycle ms = $resume_target ms | $(ratio "$resume" "$resume_target") | ≤ 3 s + one cycle (+ $timer_step_ms ms, one clock step of the timer) | $(meets 'r <= t + s' -v r="$resume" -v t="$resume_target" -v s="$timer_step_ms") |"
echo "| 4 | $build_width | the window while the service never answers: longest wait for a WM_NULL sent every 50 ms, over $(val hang.cycle_ms.n hang.txt) clicked cycles ($(val hang.served hang.txt) lookups reached the service; probes unanswered: $(val hang.unanswered hang.txt)) | $h_wait ms | download deadline $h_deadline ms; a clicked cycle took $(val hang.cycle_ms hang.txt) ms (median), $(val hang.cycle_ms.max hang.txt) ms at most | | ≤ deadline + 100 ms | $(meets 'w <= d + 100 && u == 0' -v w="$h_wait" -v d="$h_deadline" -v u="$(val hang.unanswered hang.txt)") |"
echo "| 5 | $build_width | idle CPU (user + system, from Linux) while hidden, $(calc 'printf "%.0f", s' -v s="$(val idle.seconds)") s = $ticks timer ticks (a tick seen: $( [ "$(val idle.tick_seen)" = 1 ] && echo yes || echo no)) | $(calc 'printf "%.0f ms, %.1f ms per tick", k, k / (t > 0 ? t : 1)' -v k="$idle_k" -v t="$ticks") | bare window $(calc 'printf "%.0f ms", b' -v b="$idle_b") | | | |"
echo "| 5 | $build_width | CPU per lookup cycle (from Linux, over the first $cycles clicked cycles): what a tick costs, finer than Linux's 10 ms steps above | $cycle_cpu ms | | | | |"
for mode in keep-alive fresh; do
  if [ "$mode" = fresh ]; then label="a new connection for each request" target=0.7
  else label="keep-alive" target=0.25; fi
  fastcgi=$(service_ratio "$mode" 'ipx.cgi FastCGI')
  echo "| 6 | native | service, $label: ipx.cgi FastCGI under lighttpd, requests/s vs static file (median of $service_runs) | $(service_rate "$mode" 'ipx.cgi FastCGI') /s | static $(service_rate "$mode" 'static file') /s | $fastcgi× | ≥ $target× | $(meets 'r >= t' -v r="$fastcgi" -v t="$target") |"
  echo "| 6 | native | service, $label: ipx.cgi CGI under lighttpd, requests/s vs static file (median of $service_runs) | $(service_rate "$mode" 'ipx.cgi CGI') /s | static $(service_rate "$mode" 'static file') /s | $(service_ratio "$mode" 'ipx.cgi CGI')× | | |"
done
attack_wait=$(service_value lighttpd attack victim 3) attack_failed=$(service_value lighttpd attack victim 1)
echo "| 6 | native | service under attack: ipx.cgi FastCGI under lighttpd, a victim's longest wait while 100 requests/s come from new addresses in networks whose reverse DNS never answers (median of $service_runs) | $attack_wait s | median wait $(service_value lighttpd attack victim 2) s; failed requests $attack_failed | | ≤ 2 s, none failed | $(meets 'w <= 2 && f == 0' -v w="$attack_wait" -v f="$attack_failed") |"
for server in lighttpd nginx; do
  many_named=$(service_value "$server" many-networks victim 2)
  many_wait=$(service_value "$server" many-networks victim 3)
  many_failed=$(service_value "$server" many-networks victim 1)
  echo "| 6 | native | service under attack from many networks: ipx.cgi FastCGI under $server, the share of a victim's answers with its name while 300 requests/s come from new /64s of 15,000 whose reverse DNS never answers (median of $service_runs) | $many_named | longest wait $many_wait s; failed requests $many_failed | | ≥ 0.95, ≤ 2 s, none failed | $(meets 'n >= 0.95 && w <= 2 && f == 0' -v n="$many_named" -v w="$many_wait" -v f="$many_failed") |"
  slow_failed=$(service_value "$server" slow-conns victim 1)
  echo "| 6 | native | service beside slow connections: ipx.cgi FastCGI under $server, a victim's failed requests while one address holds 2,000 half-sent requests and 2,000 stalled bodies (median of $service_runs) | $slow_failed | longest wait $(service_value "$server" slow-conns victim 3) s | | none failed | $(meets 'f == 0' -v f="$slow_failed") |"
done
if [ "$quick" = 0 ]; then
  soak=$("$here/soak.sh" 10000 2>&1 | tail -n 1 || true)
  echo "| 7 | $build_width | $soak | | | | no failed cycle, no growth | $(case $soak in *passed*) echo yes ;; *) echo no ;; esac) |"
fi
