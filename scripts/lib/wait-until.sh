# Sourced by the scripts and tests that wait for something to come up.

# wait_until <tries of 0.1 s> <command...>: succeeds once the command does.
wait_until() {
    local tries=$1
    shift
    until "$@"; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || return 1
        sleep 0.1
    done
}
