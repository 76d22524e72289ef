# Sourced by the *-local.sh helpers: what they need to know about loopback.

has_ipv6_loopback() {
    grep -qi '^0\{31\}1 ' /proc/net/if_inet6 2>/dev/null
}

# Waits up to five seconds for NAME to answer any HTTP request on 127.0.0.1:PORT.
wait_until_answering() {
    local name=$1 port=$2 tries=50
    until curl -s --noproxy "*" -o /dev/null "http://127.0.0.1:$port/cgi-bin/ipx.cgi"; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || { echo "$name does not answer on port $port" >&2; return 1; }
        sleep 0.1
    done
}
