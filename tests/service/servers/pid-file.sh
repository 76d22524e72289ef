# Sourced by the *-local.sh helpers: waits for a daemon, and stops it by its pid file.

# wait_until MESSAGE COMMAND...: waits up to five seconds for COMMAND to succeed, and
# fails with MESSAGE when it does not.
wait_until() {
    local message=$1 tries=50
    shift
    until "$@"; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || { echo "$message" >&2; return 1; }
        sleep 0.1
    done
}

# True while the process runs. A zombie has exited; it counts as gone even when nothing
# reaps it, as happens to daemons whose parent is an init that does not.
process_running() {
    local state
    state=$(ps -o stat= -p "$1" 2>/dev/null) || return 1
    [ -n "$state" ] && [ "${state:0:1}" != Z ]
}

# Sends SIGTERM to the process named in FILE, waits up to five seconds for it to exit,
# then removes FILE. Does nothing when FILE is missing.
stop_by_pid_file() {
    local file=$1 pid tries=50
    [ -s "$file" ] || return 0
    pid=$(cat "$file")
    kill "$pid" 2>/dev/null || true
    while process_running "$pid" && [ "$tries" -gt 0 ]; do
        tries=$((tries - 1))
        sleep 0.1
    done
    if process_running "$pid"; then
        echo "process $pid did not stop; killing it" >&2
        kill -KILL "$pid" 2>/dev/null || true
    fi
    rm -f "$file"
}
