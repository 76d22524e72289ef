# Sourced by nginx-local.sh and apache-local.sh: ipx.cgi as a FastCGI responder on
# DIR/ipx.socket, started by the spawn-fcgi command of conf/ipx-fastcgi.service with only
# the socket's and the program's paths changed. Its pid file is DIR/ipx.pid.

source "$(dirname "${BASH_SOURCE[0]}")/conf-copy.sh"
source "$(dirname "${BASH_SOURCE[0]}")/pid-file.sh"

# The unit's ExecStart, its continued lines joined.
unit_command() {
    awk '/^ExecStart=/ { sub(/^ExecStart=/, ""); found = 1 }
         found { if (sub(/\\$/, "")) printf "%s", $0; else { print; exit } }' \
        "$conf_dir/ipx-fastcgi.service"
}

# The IPX_ settings set here, as NAME=value words for env: the unit's Environment= lines.
ipx_settings() {
    local name
    for name in IPX_TRUSTED_PROXIES IPX_DNS_SERVER; do
        [ -n "${!name+set}" ] && printf '%s=%s\0' "$name" "${!name}"
    done
    return 0
}

start_responder() {
    local dir=$1 program=$2 word words=() command=() settings=()
    read -ra words < <(unit_command)
    # -n makes spawn-fcgi exec ipx.cgi in place, so the pid taken here is ipx.cgi's.
    for word in -n /run/ipx/ipx.socket /usr/local/lib/ipx/ipx.cgi; do
        [[ " ${words[*]} " == *" $word "* ]] \
            || { echo "ipx-fastcgi.service no longer runs spawn-fcgi with $word" >&2; return 1; }
    done
    for word in "${words[@]}"; do
        case $word in
            /run/ipx/ipx.socket) command+=("$dir/ipx.socket") ;;
            /usr/local/lib/ipx/ipx.cgi) command+=("$program") ;;
            *) command+=("$word") ;;
        esac
    done
    mapfile -d '' settings < <(ipx_settings)
    rm -f "$dir/ipx.socket"
    env -i "${settings[@]}" "${command[@]}" </dev/null >>"$dir/ipx.log" 2>&1 &
    echo $! >"$dir/ipx.pid"
    wait_until "spawn-fcgi made no socket; see $dir/ipx.log" test -S "$dir/ipx.socket"
}

stop_responder() {
    stop_by_pid_file "$1/ipx.pid"
    rm -f "$1/ipx.socket"
}
