# Sourced by the *-local.sh helpers: stops a daemon by its pid file.

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
