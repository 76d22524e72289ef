# Sourced by the web servers' *-local.sh helpers: what they share.

source "$(dirname "${BASH_SOURCE[0]}")/pid-file.sh"
source "$(dirname "${BASH_SOURCE[0]}")/conf-copy.sh"

has_ipv6_loopback() {
    grep -qi '^0\{31\}1 ' /proc/net/if_inet6 2>/dev/null
}

# answers_200 PORT PATH PID_FILE: true once a GET of PATH on 127.0.0.1:PORT answers 200;
# false while nothing answers; fails at once on any other answer, or when the process the
# pid file names has ended.
answers_200() {
    local status
    status=$(curl -s --noproxy '*' -o /dev/null -w '%{http_code}' "http://127.0.0.1:$1$2") \
        || [ "$status" != 000 ] || {
            [ -s "$3" ] && ! process_running "$(cat "$3")" && { echo "it has ended" >&2; exit 1; }
            return 1
        }
    [ "$status" = 200 ] && return 0
    echo "it answers $status instead of 200" >&2
    exit 1
}

# wait_until_answering NAME PORT PID_FILE: waits up to five seconds for a 200 from ipx.cgi
# (or from LOCAL_SERVER_PROBE, a path, when set), and fails when another answer comes: a
# 502 or 503 is ipx.cgi failing to start.
wait_until_answering() {
    local probe=${LOCAL_SERVER_PROBE:-/cgi-bin/ipx.cgi}
    (wait_until "$1 does not answer on port $2" answers_200 "$2" "$probe" "$3")
}

# stop_on_failure DIR: from here on, the first command that fails, in any function, shows
# the ends of the logs in DIR, where a server and ipx.cgi say why they did not start, and
# stops what was started (the helper's stop); errexit then ends the helper.
stop_on_failure() {
    set -E
    trap "[ \$BASHPID = $$ ] && { trap - ERR; show_logs $(printf '%q' "$1"); stop $(printf '%q' "$1"); }" ERR
}

show_logs() {
    echo "the server in $1 did not start; its logs:" >&2
    tail -n 20 "$1"/*.log "$1"/*.stderr >&2 2>/dev/null || true
}

# The addresses in REAL_IP_FROM (spaces between them), one per line; none when unset.
real_ip_from() {
    local address
    for address in ${REAL_IP_FROM:-}; do
        printf '%s\n' "$address"
    done
}

# TLS_PORT, when set, asks for the shipped TLS file of the web server on that port too,
# with the certificate and key that certbot would keep in TLS_CERTIFICATE_DIR.
tls_requested() {
    [ -n "${TLS_PORT:-}" ]
}

# tls_copy NAME [FROM TO]...: conf_copy with certbot's folder replaced by TLS_CERTIFICATE_DIR.
tls_copy() {
    local name=$1 certificates
    shift
    certificates=$(cd "${TLS_CERTIFICATE_DIR:?TLS_PORT needs TLS_CERTIFICATE_DIR}" && pwd)
    conf_copy "$name" /etc/letsencrypt/live/ipx.example.net "$certificates" "$@"
}

# A string in the configuration syntax lighttpd and Apache share: in double quotes, its
# backslashes and quotes escaped.
quoted() {
    local text=${1//\\/\\\\}
    printf '"%s"' "${text//\"/\\\"}"
}

# Prints PATH made absolute; fails when it is not an executable.
absolute_program() {
    [ -x "$1" ] || { echo "not an executable: $1" >&2; return 1; }
    printf '%s\n' "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
}

# server_dir DIR [FOLDER...]: makes DIR with its www folder for static files and the
# FOLDERs inside, and prints its absolute path.
server_dir() {
    local dir=$1
    shift
    mkdir -p "$dir/www" "${@/#/$dir/}"
    (cd "$dir" && pwd)
}

# The command line of every helper: start ARGUMENT... or stop DIR.
run_command() {
    case "${1:-}" in
        start) shift; start "$@" ;;
        stop) [ $# -eq 2 ] || usage; stop "$2" ;;
        *) usage ;;
    esac
}
