# Sourced by nginx-local.sh and apache-local.sh: ipx.cgi as a FastCGI responder on
# DIR/run/ipx.socket, started by the spawn-fcgi command of conf/ipx-fastcgi.service with
# only the socket's and the program's paths changed, with the unit's Environment=
# settings, and, started by root, as www-data for the unit's own user in group www-data,
# DIR/run standing for its RuntimeDirectory. Its pid file is DIR/ipx.pid, its standard
# error (what the journal would keep) DIR/ipx.log.

source "$(dirname "${BASH_SOURCE[0]}")/conf-copy.sh"
source "$(dirname "${BASH_SOURCE[0]}")/pid-file.sh"
source "$(dirname "${BASH_SOURCE[0]}")/workers.sh"

unit=$conf_dir/ipx-fastcgi.service

# The unit's ExecStart, its continued lines joined.
unit_command() {
    awk '/^ExecStart=/ { sub(/^ExecStart=/, ""); found = 1 }
         found { if (sub(/\\$/, "")) printf "%s", $0; else { print; exit } }' "$unit"
}

# The unit's Environment= settings, then the IPX_ settings set here, as NAME=value words
# for env, which lets the later of two equal names win.
ipx_settings() {
    local name
    sed -n 's/^Environment=//p' "$unit" | tr '\n' '\0'
    for name in IPX_TRUSTED_PROXIES IPX_DNS_SERVER IPX_WORKERS; do
        [ -n "${!name+set}" ] && printf '%s=%s\0' "$name" "${!name}"
    done
    return 0
}

# What systemd does before ExecStart: the unit's user and group.
as_unit_user() {
    started_by_root && printf '%s\0' setpriv --reuid=www-data --regid=www-data --clear-groups
    return 0
}

responder_socket() {
    printf '%s\n' "$1/run/ipx.socket"
}

start_responder() {
    local dir=$1 program=$2 word words=() command=() settings=() user=()
    read -ra words < <(unit_command)
    # -n makes spawn-fcgi exec ipx.cgi in place, so the pid taken here is ipx.cgi's.
    for word in -n /run/ipx/ipx.socket /usr/local/lib/ipx/ipx.cgi; do
        [[ " ${words[*]} " == *" $word "* ]] \
            || { echo "ipx-fastcgi.service no longer runs spawn-fcgi with $word" >&2; return 1; }
    done
    grep -qx 'Group=www-data' "$unit" \
        || { echo "ipx-fastcgi.service no longer runs in group www-data" >&2; return 1; }
    for word in "${words[@]}"; do
        case $word in
            /run/ipx/ipx.socket) command+=("$(responder_socket "$dir")") ;;
            /usr/local/lib/ipx/ipx.cgi) command+=("$program") ;;
            *) command+=("$word") ;;
        esac
    done
    mapfile -d '' settings < <(ipx_settings)
    mapfile -d '' user < <(as_unit_user)
    mkdir -p "$dir/run"
    rm -f "$(responder_socket "$dir")"
    started_by_root && chown www-data:www-data "$dir/run"
    env -i "${settings[@]}" "${user[@]}" "${command[@]}" </dev/null >>"$dir/ipx.log" 2>&1 &
    echo $! >"$dir/ipx.pid"
    wait_until "spawn-fcgi made no socket; see $dir/ipx.log" test -S "$(responder_socket "$dir")"
}

stop_responder() {
    stop_by_pid_file "$1/ipx.pid"
    rm -rf "$1/run"
}
