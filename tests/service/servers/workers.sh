# Sourced by nginx-local.sh and apache-local.sh: started by root, their workers and
# ipx.cgi run as www-data, as Debian's packages have them; started by anyone else, as
# that user.

started_by_root() {
    [ "$(id -u)" -eq 0 ]
}

# Lets the workers into DIR, and fails when a folder above it keeps them out.
open_to_workers() {
    local dir=$1
    chmod 0755 "$dir"
    started_by_root || return 0
    setpriv --reuid=www-data --regid=www-data --clear-groups test -x "$dir" && return 0
    echo "www-data cannot reach $dir: a folder above it is closed to others" >&2
    return 1
}
