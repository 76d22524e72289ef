# Sourced by the web servers' *-local.sh helpers: what they share.

source "$(dirname "${BASH_SOURCE[0]}")/pid-file.sh"

has_ipv6_loopback() {
    grep -qi '^0\{31\}1 ' /proc/net/if_inet6 2>/dev/null
}

# Waits up to five seconds for NAME to answer any HTTP request on 127.0.0.1:PORT.
wait_until_answering() {
    wait_until "$1 does not answer on port $2" \
        curl -s --noproxy '*' -o /dev/null "http://127.0.0.1:$2/cgi-bin/ipx.cgi"
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
