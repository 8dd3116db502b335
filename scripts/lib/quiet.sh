# Sourced by the scripts that build and install: a step's output goes to a
# log, and only a step that fails shows the end of its log.

# quietly <log> <command...>: runs the command with its output in <log>. On
# failure prints the log's last lines to standard error and fails as the
# command did.
quietly() {
    local log=$1 status=0
    shift
    mkdir -p "$(dirname "$log")"
    "$@" >"$log" 2>&1 || status=$?
    if [ "$status" -ne 0 ]; then
        echo "${0##*/}: failed ($status): $*" >&2
        echo "${0##*/}: the end of $log:" >&2
        tail -n 40 "$log" >&2
    fi
    return "$status"
}

# build_quietly <tag> <build dir> [cmake --build arguments...]: brings a
# configured Ninja tree up to date, its output in <build dir>/build.log, and
# says so in one line only when there is something to build.
build_quietly() {
    local tag=$1 build=$2
    shift 2
    if ! cmake --build "$build" "$@" -- -n 2>/dev/null | grep -q '^ninja: no work to do'; then
        echo "$tag: building in $build/ (log: $build/build.log)"
        quietly "$build/build.log" cmake --build "$build" -j 2 "$@"
    fi
}
