#!/usr/bin/env bash
# Serves ipx.cgi from a throwaway lighttpd on loopback, for tests, benchmarks and local
# runs of Kestrin. Nothing of the system's lighttpd set-up is used.
#   lighttpd-local.sh start DIR PORT MODE IPX_CGI_PATH   MODE: cgi or fastcgi
#   lighttpd-local.sh stop DIR
# Listens on 127.0.0.1:PORT, and on [::1]:PORT when the host has IPv6 loopback. Files put
# in DIR/www are served as static files. IPX_TRUSTED_PROXIES and IPX_DNS_SERVER, when
# set, are passed on to ipx.cgi.
set -euo pipefail

source "$(dirname "$0")/local-server.sh"

usage() {
    echo "usage: $0 start DIR PORT cgi|fastcgi IPX_CGI_PATH | stop DIR" >&2
    exit 2
}

# The IPX_ variables set here, as lighttpd's ( "NAME" => "value", ... ) list items.
passed_environment() {
    local name items=()
    for name in IPX_TRUSTED_PROXIES IPX_DNS_SERVER; do
        [ -n "${!name+set}" ] && items+=("\"$name\" => $(quoted "${!name}")")
    done
    local IFS=,
    printf '%s' "${items[*]:-}"
}

write_config() {
    local dir=$1 port=$2 mode=$3 program=$4
    local environment
    environment=$(passed_environment)
    {
        echo "server.document-root = $(quoted "$dir/www")"
        echo "server.bind = \"127.0.0.1\""
        echo "server.port = $port"
        echo "server.pid-file = $(quoted "$dir/lighttpd.pid")"
        echo "server.errorlog = $(quoted "$dir/error.log")"
        echo "server.upload-dirs = ( $(quoted "$dir") )"
        if has_ipv6_loopback; then
            echo "\$SERVER[\"socket\"] == \"[::1]:$port\" { }"
        fi
        if [ "$mode" = cgi ]; then
            echo "server.modules = ( \"mod_cgi\", \"mod_setenv\" )"
            echo "cgi.assign = ( \".cgi\" => \"\" )"
            echo "setenv.set-environment = ( $environment )"
        else
            echo "server.modules = ( \"mod_fastcgi\" )"
            echo "fastcgi.server = ( \"/cgi-bin/ipx.cgi\" => (( "
            echo "  \"socket\" => $(quoted "$dir/ipx.socket"),"
            echo "  \"bin-path\" => $(quoted "$program"),"
            echo "  \"max-procs\" => 2,"
            echo "  \"check-local\" => \"disable\","
            echo "  \"bin-environment\" => ( $environment )"
            echo ")) )"
        fi
    } >"$dir/lighttpd.conf"
}

start() {
    [ $# -eq 4 ] || usage
    local dir=$1 port=$2 mode=$3 program=$4
    [ "$mode" = cgi ] || [ "$mode" = fastcgi ] || usage
    program=$(absolute_program "$program")
    dir=$(server_dir "$dir" www/cgi-bin)
    ln -sfn "$program" "$dir/www/cgi-bin/ipx.cgi"
    write_config "$dir" "$port" "$mode" "$program"
    lighttpd -t -f "$dir/lighttpd.conf" >/dev/null
    # Without -D lighttpd forks once it listens, and writes the pid file.
    lighttpd -f "$dir/lighttpd.conf"
    wait_until_answering lighttpd "$port" || { stop "$dir"; exit 1; }
}

stop() {
    stop_by_pid_file "$1/lighttpd.pid"
}

run_command "$@"
