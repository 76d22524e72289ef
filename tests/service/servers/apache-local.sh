#!/usr/bin/env bash
# Serves ipx.cgi from a throwaway Apache httpd on loopback, for tests and benchmarks, with
# the shipped conf/ files: ipx.cgi as CGI (mod_cgid), or as FastCGI under socket activation
# (mod_proxy_fcgi). Nothing of the system's Apache set-up is used.
#   apache-local.sh start DIR PORT MODE IPX_CGI_PATH   MODE: cgi or fastcgi
#   apache-local.sh stop DIR
# Listens on 127.0.0.1:PORT, and on [::1]:PORT when the host has IPv6 loopback. Files put
# in DIR/www are served as static files. IPX_TRUSTED_PROXIES, IPX_DNS_SERVER and
# IPX_WORKERS, when set, are passed on to ipx.cgi; REAL_IP_FROM, addresses separated by
# spaces, adds conf/apache-real-ip.conf trusting them; TLS_PORT adds conf/apache-tls.conf
# on that port, with fullchain.pem and privkey.pem from TLS_CERTIFICATE_DIR.
set -euo pipefail

here=$(dirname "$0")
source "$here/local-server.sh"
source "$here/fastcgi-responder.sh"
source "$here/workers.sh"

modules=/usr/lib/apache2/modules

usage() {
    echo "usage: $0 start DIR PORT cgi|fastcgi IPX_CGI_PATH | stop DIR" >&2
    exit 2
}

load_modules() {
    local name
    for name in "$@"; do
        echo "LoadModule ${name}_module $modules/mod_$name.so"
    done
}

# What the shipped file says to set with SetEnv, for CGI: the IPX_ settings set here.
set_environment() {
    local name
    for name in IPX_TRUSTED_PROXIES IPX_DNS_SERVER IPX_WORKERS; do
        [ -n "${!name+set}" ] && echo "SetEnv $name $(quoted "${!name}")"
    done
    return 0
}

# Debian's ports.conf listens on 443 once mod_ssl is on, and its ssl.conf sets the
# session cache; here the TLS port, and the cache in DIR.
tls_config() {
    local dir=$1
    tls_requested || return 0
    load_modules ssl socache_shmcb
    echo "SSLSessionCache $(quoted "shmcb:$dir/ssl_scache(512000)")"
    echo "Listen 127.0.0.1:$TLS_PORT"
    has_ipv6_loopback && echo "Listen [::1]:$TLS_PORT"
    tls_copy apache-tls.conf "<VirtualHost *:443>" "<VirtualHost *:$TLS_PORT>"
}

# Debian's defaults where they matter: the event MPM, www-data, all but what a
# configuration grants denied, no TRACE (security.conf); and the shipped server-wide
# limits.
write_main_config() {
    local dir=$1 port=$2 mode=$3
    {
        echo "ServerRoot $(quoted "$dir")"
        echo "ServerName localhost"
        echo "PidFile $(quoted "$dir/apache.pid")"
        echo "ErrorLog $(quoted "$dir/error.log")"
        echo "DefaultRuntimeDir $(quoted "$dir")"
        echo "TraceEnable Off"
        echo "Listen 127.0.0.1:$port"
        has_ipv6_loopback && echo "Listen [::1]:$port"
        load_modules mpm_event authz_core alias env reqtimeout
        conf_copy apache-limits.conf
        if started_by_root; then
            echo "User www-data"
            echo "Group www-data"
        fi
        echo "<Directory />"
        echo "    AllowOverride None"
        echo "    Require all denied"
        echo "</Directory>"
        echo "DocumentRoot $(quoted "$dir/www")"
        echo "<Directory $(quoted "$dir/www")>"
        echo "    Require all granted"
        echo "</Directory>"
        if [ "$mode" = cgi ]; then
            load_modules cgid
            echo "ScriptSock $(quoted "$dir/cgid.sock")"
        else
            load_modules proxy proxy_fcgi
        fi
        if [ -n "$(real_ip_from)" ]; then
            load_modules remoteip
            conf_copy apache-real-ip.conf "RemoteIPInternalProxy 192.0.2.1" \
                "RemoteIPInternalProxy $(real_ip_from | tr '\n' ' ')"
        fi
        echo "Include $(quoted "$dir/ipx.conf")"
        tls_config "$dir"
    } >"$dir/httpd.conf"
}

write_ipx_config() {
    local dir=$1 mode=$2 program=$3
    if [ "$mode" = cgi ]; then
        conf_copy apache-cgi.conf /usr/lib/cgi-bin/ipx.cgi "$program" \
            /usr/lib/cgi-bin "$(dirname "$program")" \
            '<Files "ipx.cgi">' "<Files \"$(basename "$program")\">"
        set_environment
    else
        conf_copy apache-fastcgi.conf /run/ipx/ipx.socket "$(responder_socket "$dir")"
    fi >"$dir/ipx.conf"
}

start() {
    [ $# -eq 4 ] || usage
    local dir=$1 port=$2 mode=$3 program=$4
    [ "$mode" = cgi ] || [ "$mode" = fastcgi ] || usage
    program=$(absolute_program "$program")
    dir=$(server_dir "$dir")
    stop_on_failure "$dir"
    open_to_workers "$dir"
    write_ipx_config "$dir" "$mode" "$program"
    write_main_config "$dir" "$port" "$mode"
    if [ "$mode" = fastcgi ]; then
        start_responder "$dir" "$program"
    fi
    local options=(-d "$dir" -f "$dir/httpd.conf")
    # Apache's check says "Syntax OK" when it finds nothing; its words only for a fault.
    apache2 "${options[@]}" -t 2>/dev/null || apache2 "${options[@]}" -t
    # Apache forks once it listens; the parent it leaves writes the pid file.
    apache2 "${options[@]}" -k start
    wait_until_answering apache "$port" "$dir/apache.pid"
}

stop() {
    stop_by_pid_file "$1/apache.pid"
    stop_responder "$1"
}

run_command "$@"
