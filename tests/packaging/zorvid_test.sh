#!/bin/sh
# Runs the player stand-in against fake players that record their arguments,
# one per line, and checks what reaches them.
# Usage: zorvid_test.sh <path to zorvid>
set -eu
zorvid=$(readlink -f "$1")
. "$(dirname "$0")/checks.sh"

make_fake() { # <dir> <name>: a player that writes its arguments to $tmp/args
    mkdir -p "$1"
    printf '#!/bin/sh\nprintf "%%s\\n" "$@" > "%s/args"\n' "$tmp" > "$1/$2"
    chmod +x "$1/$2"
}
make_fake "$tmp/mpv-bin" mpv
make_fake "$tmp/ffplay-bin" ffplay
mkdir -p "$tmp/no-player-bin"

# A name the shell would love to run; it must arrive whole.
mkdir -p "$tmp/media"
nasty="$tmp/media/-a \"q\" \$(touch pwned) \`id\` back\\slash Über.mp4"
: > "$nasty"

expect_args() { # <label> <expected, one per line>
    if [ "$(cat "$tmp/args")" != "$2" ]; then
        fail "$1: got"; cat "$tmp/args" >&2
    fi
}

# A console session with a sound server, unless a case says otherwise.
unset DISPLAY WAYLAND_DISPLAY XDG_RUNTIME_DIR
export PULSE_SERVER=unix:/run/sound-server

PATH="$tmp/mpv-bin" "$zorvid" "$nasty"
expect_args "mpv, defaults" "--msg-level=all=error
--vf=scale=w=240:h=-2
--
$nasty"

PATH="$tmp/mpv-bin" DISPLAY=:5 "$zorvid" "$nasty" -nosound -dfr -hi
expect_args "mpv on X11, all options" "--msg-level=all=error,statusline=status
--no-audio
--osd-level=3
--osd-status-msg=\${estimated-vf-fps} fps
--term-status-msg=\${time-pos} \${estimated-vf-fps} fps
--vo=gpu,x11
--gpu-context=x11egl
--
$nasty"

# No sound server, and on this machine no sound card: the clip plays silent.
if ! ls /dev/snd/pcmC*p >/dev/null 2>&1; then
    mkdir "$tmp/runtime"
    (unset PULSE_SERVER && PATH="$tmp/mpv-bin" XDG_RUNTIME_DIR="$tmp/runtime" "$zorvid" "$nasty" -hi)
    expect_args "mpv, no sound output" "--msg-level=all=error
--no-audio
--
$nasty"
fi

(cd "$tmp/media" && PATH="$tmp/mpv-bin" "$zorvid" "${nasty##*/}" -hi)
expect_args "mpv, relative name with a leading hyphen" "--msg-level=all=error
--
./${nasty##*/}"

PATH="$tmp/ffplay-bin" "$zorvid" "$nasty" -nosound
expect_args "ffplay fallback" "-autoexit
-loglevel
warning
-an
-nostats
-vf
scale=240:-2
file:$nasty"

[ ! -e pwned ] && [ ! -e "$tmp/media/pwned" ] || fail "a file name ran a command"

status=0
PATH="$tmp/no-player-bin" "$zorvid" "$nasty" 2> "$tmp/stderr" || status=$?
[ "$status" -ne 0 ] || fail "no player: exit status 0"
grep -q "no video player found" "$tmp/stderr" || fail "no player: no message on stderr"

status=0
PATH="$tmp/mpv-bin" "$zorvid" "$tmp/media/missing.mp4" 2> "$tmp/stderr" || status=$?
[ "$status" -ne 0 ] || fail "missing file: exit status 0"

finish "zorvid"
