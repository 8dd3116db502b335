# Sourced by the packaging tests: a scratch directory removed on exit, and a
# failure count that `finish` turns into the exit status.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

finish() { # <what was checked>
    if [ "$failures" -ne 0 ]; then
        echo "$1: $failures check(s) failed" >&2
        exit 1
    fi
    echo "$1: all checks passed"
}
