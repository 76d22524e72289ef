# Sourced by nginx-local.sh and apache-local.sh: ipx.cgi as a FastCGI responder on
# DIR/run/ipx.socket, as conf/ipx-fastcgi.socket and conf/ipx-fastcgi.service start it:
# systemd-socket-activate makes the socket, with the socket unit's group and mode, and
# hands it to the unit's ExecStart as standard input, with only the socket's and the
# program's paths changed and with the unit's Environment= settings; started by root, as
# www-data for the unit's own user. Its pid file is DIR/ipx.pid, its standard error (what
# the journal would keep) DIR/ipx.log.

source "$(dirname "${BASH_SOURCE[0]}")/conf-copy.sh"
source "$(dirname "${BASH_SOURCE[0]}")/pid-file.sh"
source "$(dirname "${BASH_SOURCE[0]}")/workers.sh"

unit=$conf_dir/ipx-fastcgi.service
socket_unit=$conf_dir/ipx-fastcgi.socket

# unit_setting FILE NAME: the value of NAME= in FILE; fails when there is none.
unit_setting() {
    sed -n "s/^$2=//p" "$1" | grep .
}

# The unit's Environment= settings, then the IPX_ settings set here, as NAME=value words;
# of two equal names, the later wins.
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
    local dir=$1 program=$2 settings=() user=() socket
    socket=$(responder_socket "$dir")
    [ "$(unit_setting "$socket_unit" ListenStream)" = /run/ipx/ipx.socket ] \
        && [ "$(unit_setting "$unit" ExecStart)" = /usr/lib/cgi-bin/ipx.cgi ] \
        && [ "$(unit_setting "$unit" StandardInput)" = socket ] \
        || { echo "ipx-fastcgi.service no longer takes /run/ipx/ipx.socket as its input" >&2; return 1; }
    # systemd-socket-activate passes on only what -E names, as systemd does Environment=.
    mapfile -d '' settings < <(ipx_settings | xargs -0 -n 1 printf -- '-E\0%s\0')
    mapfile -d '' user < <(as_unit_user)
    mkdir -p "$dir/run"
    rm -f "$socket"
    started_by_root && chown www-data:www-data "$dir/run"
    # systemd-socket-activate becomes ipx.cgi at the first request, so the pid is ipx.cgi's.
    env -i "${user[@]}" systemd-socket-activate --inetd -l "$socket" "${settings[@]}" \
        -- "$program" </dev/null >>"$dir/ipx.log" 2>&1 &
    echo $! >"$dir/ipx.pid"
    wait_until "systemd-socket-activate made no socket; see $dir/ipx.log" test -S "$socket"
    chmod "$(unit_setting "$socket_unit" SocketMode)" "$socket"
    started_by_root && chgrp "$(unit_setting "$socket_unit" SocketGroup)" "$socket"
    return 0
}

stop_responder() {
    stop_by_pid_file "$1/ipx.pid"
    rm -rf "$1/run"
}
