#!/usr/bin/env bash
# Serves ipx.cgi from a throwaway lighttpd on loopback, for tests, benchmarks and local
# runs of Kestrin, with the shipped conf/ files. Nothing of the system's lighttpd set-up
# is used.
#   lighttpd-local.sh start DIR PORT MODE IPX_CGI_PATH   MODE: cgi or fastcgi
#   lighttpd-local.sh stop DIR
# Listens on 127.0.0.1:PORT, and on [::1]:PORT when the host has IPv6 loopback. Files put
# in DIR/www are served as static files. IPX_TRUSTED_PROXIES, IPX_DNS_SERVER and
# IPX_WORKERS, when set, are passed on to ipx.cgi; REAL_IP_FROM, addresses separated by
# spaces, adds conf/lighttpd-real-ip.conf trusting them; TLS_PORT adds
# conf/lighttpd-tls.conf on that port, with fullchain.pem and privkey.pem from
# TLS_CERTIFICATE_DIR. lighttpd runs in the foreground
# of a background job, as under systemd, with its standard error (and ipx.cgi's) in
# DIR/lighttpd.stderr.
set -euo pipefail

source "$(dirname "$0")/local-server.sh"

usage() {
    echo "usage: $0 start DIR PORT cgi|fastcgi IPX_CGI_PATH | stop DIR" >&2
    exit 2
}

# The IPX_ variables set here, as lighttpd's "NAME" => "value" list items.
passed_environment() {
    local name items=()
    for name in IPX_TRUSTED_PROXIES IPX_DNS_SERVER IPX_WORKERS; do
        [ -n "${!name+set}" ] && items+=("\"$name\" => $(quoted "${!name}")")
    done
    local IFS=,
    printf '%s' "${items[*]:-}"
}

real_ip_config() {
    local address forwarders=()
    while read -r address; do
        forwarders+=("$(quoted "$address") => \"trust\"")
    done < <(real_ip_from)
    [ ${#forwarders[@]} -gt 0 ] || return 0
    local IFS=,
    conf_copy lighttpd-real-ip.conf '( "192.0.2.1" => "trust" )' "( ${forwarders[*]} )"
}

# The shipped file on the TLS port; without IPv6 loopback, without its IPv6 socket.
tls_config() {
    tls_requested || return 0
    local ipv6_from='"[::]:443"' ipv6_to="\"[::1]:$TLS_PORT\""
    if ! has_ipv6_loopback; then
        ipv6_from='$SERVER["socket"] == "[::]:443" {
    ssl.engine = "enable"
}' ipv6_to=
    fi
    tls_copy lighttpd-tls.conf '"0.0.0.0:443"' "\"127.0.0.1:$TLS_PORT\"" "$ipv6_from" "$ipv6_to"
}

# The shipped file with its paths changed and the IPX_ variables set here added to those
# it sets; for CGI, where it sets none, through mod_setenv.
ipx_config() {
    local dir=$1 mode=$2 program=$3 environment
    environment=$(passed_environment)
    if [ "$mode" = cgi ]; then
        conf_copy lighttpd-cgi.conf /usr/lib/cgi-bin/ipx.cgi "$program"
        echo "server.modules += ( \"mod_setenv\" )"
        echo "setenv.set-environment = ( $environment )"
    else
        local workers=()
        [ -n "${IPX_WORKERS+set}" ] && workers=('"IPX_WORKERS" => "64"' '')
        conf_copy lighttpd-fastcgi.conf /run/lighttpd/ipx- "$dir/ipx-" \
            /usr/lib/cgi-bin/ipx.cgi "$program" "${workers[@]}" \
            '"bin-environment" => ( ' "\"bin-environment\" => ( $environment${environment:+, }"
    fi
}

write_config() {
    local dir=$1 port=$2 mode=$3 program=$4
    {
        echo "server.document-root = $(quoted "$dir/www")"
        echo "server.bind = \"127.0.0.1\""
        echo "server.port = $port"
        echo "server.errorlog = $(quoted "$dir/error.log")"
        echo "server.upload-dirs = ( $(quoted "$dir") )"
        if has_ipv6_loopback; then
            echo "\$SERVER[\"socket\"] == \"[::1]:$port\" { }"
        fi
        # mod_extforward goes first, as the Debian file order 10-… before 50-… has it.
        real_ip_config
        conf_copy lighttpd-limits.conf
        tls_config
        ipx_config "$dir" "$mode" "$program"
    } >"$dir/lighttpd.conf"
}

start() {
    [ $# -eq 4 ] || usage
    local dir=$1 port=$2 mode=$3 program=$4
    [ "$mode" = cgi ] || [ "$mode" = fastcgi ] || usage
    program=$(absolute_program "$program")
    dir=$(server_dir "$dir")
    stop_on_failure "$dir"
    write_config "$dir" "$port" "$mode" "$program"
    lighttpd -t -f "$dir/lighttpd.conf" >/dev/null
    lighttpd -D -f "$dir/lighttpd.conf" </dev/null >>"$dir/lighttpd.stderr" 2>&1 &
    # Not lighttpd's own pid file, which it empties when it fails to start.
    echo $! >"$dir/lighttpd.pid"
    wait_until_answering lighttpd "$port" "$dir/lighttpd.pid"
}

stop() {
    stop_by_pid_file "$1/lighttpd.pid"
}

run_command "$@"
