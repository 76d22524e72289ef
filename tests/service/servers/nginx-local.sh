#!/usr/bin/env bash
# Serves ipx.cgi from a throwaway nginx on loopback, for tests and benchmarks, with the
# shipped conf/ files: ipx.cgi as FastCGI under socket activation, or nginx as a load
# balancer in front of other local servers. Nothing of the system's nginx set-up is used.
#   nginx-local.sh start DIR PORT fastcgi IPX_CGI_PATH
#   nginx-local.sh start DIR PORT balancer BACKEND_PORT BACKEND_PORT
#   nginx-local.sh stop DIR
# Listens on 127.0.0.1:PORT, and on [::1]:PORT when the host has IPv6 loopback. Files put
# in DIR/www are served as static files. IPX_TRUSTED_PROXIES, IPX_DNS_SERVER and
# IPX_WORKERS, when set, are passed on to ipx.cgi; REAL_IP_FROM, addresses separated by
# spaces, adds conf/nginx-real-ip.conf trusting them; LOCAL_RATE_LIMIT (such as 100000r/s)
# replaces the rate of conf/nginx-limits.conf, for benchmarks that ask from one address;
# TLS_PORT adds conf/nginx-tls.conf on that port, with fullchain.pem and privkey.pem from
# TLS_CERTIFICATE_DIR.
set -euo pipefail

here=$(dirname "$0")
source "$here/local-server.sh"
source "$here/fastcgi-responder.sh"
source "$here/workers.sh"

usage() {
    echo "usage: $0 start DIR PORT fastcgi IPX_CGI_PATH" \
        "| start DIR PORT balancer PORT PORT | stop DIR" >&2
    exit 2
}

real_ip_config() {
    local address lines=()
    while read -r address; do
        lines+=("set_real_ip_from $address;")
    done < <(real_ip_from)
    [ ${#lines[@]} -gt 0 ] || return 0
    local IFS=$'\n'
    conf_copy nginx-real-ip.conf "set_real_ip_from 192.0.2.1;" "${lines[*]}"
}

# As Debian's nginx.conf has it, apart from the paths and with the connections that
# service/README.md asks for, with the shipped http-level files as conf.d would add them;
# workers run as the group that owns ipx.cgi's socket.
write_main_config() {
    local dir=$1
    {
        started_by_root && echo "user www-data;"
        echo "worker_processes auto;"
        echo "worker_rlimit_nofile 16384;"
        echo "pid $dir/nginx.pid;"
        echo "events { worker_connections 8192; }"
        echo "http {"
        echo "    default_type text/plain;"
        echo "    access_log $dir/access.log;"
        local kind
        for kind in client_body proxy fastcgi uwsgi scgi; do
            echo "    ${kind}_temp_path $dir/temp/$kind;"
        done
        conf_copy nginx-limits.conf "rate=20r/s" "rate=${LOCAL_RATE_LIMIT:-20r/s}"
        real_ip_config
        echo "    include $dir/site.conf;"
        echo "}"
    } >"$dir/nginx.conf"
}

listen_lines() {
    local port=$1
    echo "listen 127.0.0.1:$port;"
    has_ipv6_loopback && echo "listen [::1]:$port;"
    return 0
}

# The include line an operator adds for https, with DIR/tls.conf for it to name.
tls_include() {
    local dir=$1 ipv6_listen=
    tls_requested || return 0
    has_ipv6_loopback && ipv6_listen="listen [::1]:$TLS_PORT ssl;"
    tls_copy nginx-tls.conf "listen 443 ssl;" "listen 127.0.0.1:$TLS_PORT ssl;" \
        "listen [::]:443 ssl;" "$ipv6_listen" >"$dir/tls.conf"
    echo "include $dir/tls.conf;"
}

write_fastcgi_site() {
    local dir=$1 port=$2
    ln -sfn /etc/nginx/fastcgi_params "$dir/fastcgi_params"
    {
        echo "server {"
        listen_lines "$port"
        echo "root $dir/www;"
        conf_copy nginx-fastcgi.conf /run/ipx/ipx.socket "$(responder_socket "$dir")"
        tls_include "$dir"
        echo "}"
    } >"$dir/site.conf"
}

write_balancer_site() {
    local dir=$1 port=$2 first=$3 second=$4 ipv6_listen=
    has_ipv6_loopback && ipv6_listen="listen [::1]:$port;"
    conf_copy nginx-balancer.conf "listen 80;" "listen 127.0.0.1:$port;" \
        "listen [::]:80;" "$ipv6_listen" \
        192.0.2.21:80 "127.0.0.1:$first" 192.0.2.22:80 "127.0.0.1:$second" \
        "server_name ipx.example.net;" "server_name ipx.example.net; $(tls_include "$dir")" \
        >"$dir/site.conf"
}

start() {
    [ $# -eq 4 ] || [ $# -eq 5 ] || usage
    local dir=$1 port=$2 mode=$3
    dir=$(server_dir "$dir" temp)
    stop_on_failure "$dir"
    open_to_workers "$dir"
    case $mode in
        fastcgi)
            [ $# -eq 4 ] || usage
            local program
            program=$(absolute_program "$4")
            write_fastcgi_site "$dir" "$port"
            start_responder "$dir" "$program"
            ;;
        balancer)
            [ $# -eq 5 ] || usage
            write_balancer_site "$dir" "$port" "$4" "$5"
            ;;
        *) usage ;;
    esac
    write_main_config "$dir"
    local options=(-p "$dir/" -c "$dir/nginx.conf" -e "$dir/error.log")
    nginx "${options[@]}" -t -q
    # nginx forks once it listens; the master writes the pid file.
    nginx "${options[@]}"
    wait_until_answering nginx "$port" "$dir/nginx.pid"
}

stop() {
    stop_by_pid_file "$1/nginx.pid"
    stop_responder "$1"
}

run_command "$@"
