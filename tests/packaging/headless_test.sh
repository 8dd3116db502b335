#!/usr/bin/env bash
# Serves a private screen as the headless demo does and checks that another
# local user gets in neither through the X display nor through VNC, and that
# nothing is left behind once the server stops.
# Usage: headless_test.sh <serve-headless.sh>
set -u
serve=$(readlink -f "$1")
. "$(dirname "$0")/checks.sh"
. "$(dirname "$serve")/wait-until.sh"

for tool in Xvfb x11vnc xauth xdpyinfo; do
    command -v "$tool" >/dev/null || { echo "not run: $tool is missing"; exit 77; }
done
# Another user: nobody where the suite runs as root, else this user without
# the cookie.
if [ "$(id -u)" -eq 0 ]; then
    other=(setpriv --reuid=nobody --regid=nogroup --clear-groups --)
else
    other=(env XAUTHORITY=/dev/null)
fi

# <port>: speaks RFB 3.8 up to the security result, offering a wrong
# password; prints "types=<offered types> result=<0 for accepted>".
rfb_wrong_password() {
    exec 3<>"/dev/tcp/127.0.0.1/$1" || return 1
    read_bytes() { dd bs=1 count="$1" status=none <&3 | od -An -tu1 | xargs; }
    read_bytes 12 >/dev/null
    printf 'RFB 003.008\n' >&3
    local types
    types=$(read_bytes "$(read_bytes 1)")
    printf '\002' >&3
    read_bytes 16 >/dev/null
    printf '%016d' 0 >&3
    echo "types=$types result=$(read_bytes 4)"
}

bash "$serve" sh -c 'env > "$0"; exec sleep 60' "$tmp/env" > "$tmp/out" &
server=$!
wait_until 150 test -s "$tmp/env" || { cat "$tmp/out" >&2; fail "the screen was not served"; finish "headless screen"; }
display=$(sed -n 's/^DISPLAY=//p' "$tmp/env")
auth=$(sed -n 's/^XAUTHORITY=//p' "$tmp/env")
port=$(sed -n 's/.*vncviewer 127\.0\.0\.1::\([0-9]*\)$/\1/p' "$tmp/out" | head -n 1)
grep -qx 'VNC password: [A-Za-z0-9]\{8\}' "$tmp/out" || fail "no 8-character password printed"

export DISPLAY=$display XAUTHORITY=$auth
xdpyinfo >/dev/null 2>&1 || fail "the display refuses its own user"
"${other[@]}" xdpyinfo >/dev/null 2>&1 && fail "another user reaches the display"

answer=$("${other[@]}" timeout 10 bash -c "$(declare -f rfb_wrong_password); rfb_wrong_password $port")
case $answer in
    "types=2 result=0 0 0 1") ;;
    *) fail "VNC on port $port with a wrong password answered: $answer" ;;
esac

kill "$server"
wait "$server"
[ ! -e "$(dirname "$auth")" ] || fail "the cookie and password files are left behind"
# The servers name the cookie file on their command lines; the pattern goes
# in a file so that grep does not find its own.
echo "$auth" > "$tmp/pattern"
! grep -lsFf "$tmp/pattern" /proc/[0-9]*/cmdline >/dev/null || fail "the X or VNC server is left running"

finish "headless screen"
