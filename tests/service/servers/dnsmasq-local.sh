#!/usr/bin/env bash
# Runs a throwaway dnsmasq on 127.0.0.1 that serves only the records it is given, for
# tests and benchmarks that need a DNS server they control.
#   dnsmasq-local.sh start DIR PORT [DNSMASQ-OPTION...]   e.g. --host-record=a.test,192.0.2.1
#   dnsmasq-local.sh stop DIR
# It answers nothing else (no upstream, no /etc/hosts). The pid file is DIR/dnsmasq.pid.
set -euo pipefail

source "$(dirname "$0")/pid-file.sh"

usage() {
    echo "usage: $0 start DIR PORT [DNSMASQ-OPTION...] | stop DIR" >&2
    exit 2
}

start() {
    local dir=$1 port=$2
    shift 2
    mkdir -p "$dir"
    dir=$(cd "$dir" && pwd)  # dnsmasq changes to / before it writes its files
    # dnsmasq forks once its socket is bound; it reports start-up errors before that.
    dnsmasq --port="$port" --listen-address=127.0.0.1 --bind-interfaces \
        --no-resolv --no-hosts --no-poll --user=root --group=root \
        --pid-file="$dir/dnsmasq.pid" --log-facility="$dir/dnsmasq.log" "$@"
    wait_until "dnsmasq wrote no pid file" test -s "$dir/dnsmasq.pid"
}

stop() {
    stop_by_pid_file "$1/dnsmasq.pid"
}

case "${1:-}" in
    start) [ $# -ge 3 ] || usage; shift; start "$@" ;;
    stop) [ $# -eq 2 ] || usage; stop "$2" ;;
    *) usage ;;
esac
