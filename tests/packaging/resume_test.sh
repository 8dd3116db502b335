#!/bin/sh
# Where a stopped clip starts again, with the real programs: zorvid in the
# launcher's working directory, mpv (the X11, Wayland and DRM paths) and the
# panel's helper around ffmpeg (the framebuffer path, with a stand-in for
# ffmpeg, which needs a real framebuffer). On each path a saved position is
# used 2 s earlier, the position where the clip is stopped is saved, and a
# clip played to its end leaves none. Skips (77) without mpv and ffmpeg.
# Usage: resume_test.sh <zorvid> <command that runs zorvid-panel>
set -eu
zorvid=$(readlink -f "$1")
helper=$(readlink -f "$2")
. "$(dirname "$0")/checks.sh"

work=$tmp/work
mkdir -p "$work" "$tmp/kit" "$tmp/root"
: > "$work/exec"
cp "$zorvid" "$tmp/kit/zorvid"
printf '#!/bin/sh\nexec "%s" "$@"\n' "$helper" > "$tmp/kit/zorvid-panel"
chmod +x "$tmp/kit/zorvid-panel"
# No input devices or power service of this machine's for the helper, no
# screen or sound for the players.
export EZXPMD_ROOT="$tmp/root" EZXPMD_SOCKET="$tmp/no-service"
unset DISPLAY WAYLAND_DISPLAY
export ZORVID_DRM_CARD='' ZORVID_FRAMEBUFFER="$tmp/no-fb"

saved_for() { # <clip>: its position file
    echo "$work/resume/$(printf %s "$1" | md5sum | cut -d' ' -f1 | tr a-f A-F)"
}
position() { # <file>: the seconds of its start= line, or "none"
    sed -n 's/^start=//p' "$1" 2>/dev/null | grep . || echo none
}
# <seconds> <low> <high>: whether low < seconds < high
between() {
    awk -v s="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(s != "none" && s > lo && s < hi) }'
}
played=0
now() { date +%s.%N; }

if command -v mpv >/dev/null 2>&1 && command -v ffmpeg >/dev/null 2>&1; then
    played=1
    clip=$tmp/media/clip.mp4
    mkdir -p "$tmp/media" "$tmp/mpv"
    ffmpeg -nostdin -v error -f lavfi -i "testsrc=size=64x48:rate=10" -t 8 -pix_fmt yuv420p "$clip"
    printf 'vo=null\nao=null\n' > "$tmp/mpv/mpv.conf"
    saved=$(saved_for "$clip")
    mkdir -p "$work/resume"
    echo 'start=4.000000' > "$saved"
    began=$(now)
    (cd "$work" && MPV_HOME="$tmp/mpv" exec "$tmp/kit/zorvid" "$clip" -nosound) &
    mpv=$!
    sleep 2.5
    tr '\0' '\n' < "/proc/$mpv/cmdline" | grep -qx -e '--start=2.000000' ||
        fail "mpv: not started 2 s before the saved 4 s"
    [ ! -e "$saved" ] || fail "mpv: the position used is still saved"
    kill -TERM "$mpv"
    wait "$mpv" || true
    ran=$(awk -v a="$began" -v b="$(now)" 'BEGIN { print b - a }')
    at=$(position "$saved")
    echo "mpv: stopped at $at s after ${ran} s from 2 s"
    between "$at" 2 "$(awk -v r="$ran" 'BEGIN { print 2 + r + 1 }')" ||
        fail "mpv: stopped after ${ran} s from 2 s, saved $at"
    echo 'start=7.000000' > "$saved"
    (cd "$work" && MPV_HOME="$tmp/mpv" "$tmp/kit/zorvid" "$clip" -nosound)
    [ ! -e "$saved" ] || fail "mpv: played to its end, the clip keeps the position $(position "$saved")"
fi

# The framebuffer path: the helper runs ffmpeg's stand-in, which records its
# arguments, reports 3.5 s written as ffmpeg does (-progress) and plays until
# stopped, or for a moment and ends. The position kept is the one reported,
# whatever the time that passed.
mkdir -p "$tmp/bin"
make_ffmpeg() { # <how long it plays>
    cat > "$tmp/bin/ffmpeg" <<STAND_IN
#!/bin/sh
printf '%s\\n' "\$@" > "$tmp/args"
[ "\$1" = -progress ] && printf 'out_time_us=N/A\\nprogress=continue\\nout_time_us=3500000\\nprogress=continue\\n' > "/dev/fd/\${2#pipe:}"
exec sleep $1
STAND_IN
    chmod +x "$tmp/bin/ffmpeg"
}
: > "$tmp/fb"
clip=$tmp/media/walk.mp4
mkdir -p "$tmp/media" "$work/resume"
: > "$clip"
saved=$(saved_for "$clip")
echo 'start=12.000000' > "$saved"
make_ffmpeg 30
(cd "$work" && PATH="$tmp/bin:$PATH" ZORVID_FRAMEBUFFER="$tmp/fb" exec "$tmp/kit/zorvid" "$clip" -nosound) &
player=$!
sleep 1.5
sed -n '1,4p' "$tmp/args" 2>/dev/null | tr '\n' ' ' | grep -qx -e '-progress pipe:[0-9]* -ss 10.000 ' ||
    fail "ffmpeg: not started 2 s before the saved 12 s, reporting: $(head -n 4 "$tmp/args" 2>/dev/null | tr '\n' ' ')"
# Told to end as by Ctrl+C: the helper passes it on and keeps the position.
kill -TERM "$player"
wait "$player" || true
at=$(position "$saved")
echo "ffmpeg: stopped at $at s from 10 s, 3.5 s written"
[ "$at" = 13.500 ] || fail "ffmpeg: started at 10 s with 3.5 s written, saved $at"
make_ffmpeg 0.2
(cd "$work" && PATH="$tmp/bin:$PATH" ZORVID_FRAMEBUFFER="$tmp/fb" "$tmp/kit/zorvid" "$clip" -nosound)
[ ! -e "$saved" ] || fail "ffmpeg: played to its end, the clip keeps the position $(position "$saved")"

finish "resume"
[ "$played" -eq 1 ] || { echo "resume: mpv or ffmpeg missing, the mpv path skipped"; exit 77; }
