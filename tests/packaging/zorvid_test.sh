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
# A board's userland holds both; on a bare framebuffer ffmpeg must play.
make_fake "$tmp/panel-bin" mpv
make_fake "$tmp/panel-bin" ffmpeg
mkdir -p "$tmp/no-player-bin"
# Stand-ins for a board's DRM display and framebuffer: only their names count.
: > "$tmp/card0"
: > "$tmp/fb-test"

# A name the shell would love to run; it must arrive whole.
mkdir -p "$tmp/media"
nasty="$tmp/media/-a \"q\" \$(touch pwned) \`id\` back\\slash Über.mp4"
: > "$nasty"

expect_args() { # <label> <expected, one per line>
    if [ "$(cat "$tmp/args")" != "$2" ]; then
        fail "$1: got"; cat "$tmp/args" >&2
    fi
}

# A console session with a sound server and no panel, unless a case says
# otherwise: this machine's own display devices must not count.
unset DISPLAY WAYLAND_DISPLAY XDG_RUNTIME_DIR
export PULSE_SERVER=unix:/run/sound-server ZORVID_DRM_CARD='' ZORVID_FRAMEBUFFER="$tmp/no-fb" ZORVID_SYSFS="$tmp/no-sys"

PATH="$tmp/mpv-bin" "$zorvid" "$nasty"
expect_args "mpv, defaults" "--msg-level=all=error
--vf=scale=w=240:h=-2
--
$nasty"

PATH="$tmp/mpv-bin" DISPLAY=:5 ZORVID_DRM_CARD="$tmp/card0" "$zorvid" "$nasty" -nosound -dfr -hi
expect_args "mpv on X11, all options" "--msg-level=all=error,statusline=status
--no-audio
--osd-level=3
--osd-status-msg=\${estimated-vf-fps} fps
--term-status-msg=\${time-pos} \${estimated-vf-fps} fps
--vo=gpu,x11
--gpu-context=x11egl
--
$nasty"

# Under Wayland: the GPU output, else the shared-memory one, and the kit's
# input file beside zorvid, whose double tap (within half a second) stops
# the clip.
PATH="$tmp/mpv-bin" WAYLAND_DISPLAY=wayland-5 DISPLAY=:5 "$zorvid" "$nasty" -hi
expect_args "mpv under Wayland" "--msg-level=all=error
--vo=gpu,wlshm
--gpu-context=wayland
--input-doubleclick-time=500
--input-conf=${zorvid%/*}/zorvid-input.conf
--
$nasty"
grep -qx 'MBTN_LEFT_DBL quit' "${zorvid%/*}/zorvid-input.conf" || fail "the input file does not stop the clip on a double tap"

# On a board: a DRM display goes to mpv's DRM output, a bare framebuffer to
# ffmpeg's, scaled to fit the panel (240x320 where the kernel does not say).
PATH="$tmp/panel-bin" ZORVID_DRM_CARD="$tmp/card0" ZORVID_FRAMEBUFFER="$tmp/fb-test" "$zorvid" "$nasty" -nosound -dfr
expect_args "mpv on a DRM display" "--msg-level=all=error,statusline=status
--no-audio
--osd-level=3
--osd-status-msg=\${estimated-vf-fps} fps
--term-status-msg=\${time-pos} \${estimated-vf-fps} fps
--vf=scale=w=240:h=-2
--vo=drm
--drm-device=$tmp/card0
--
$nasty"

panel_fit="scale=240:320:force_original_aspect_ratio=decrease,pad=240:320:(ow-iw)/2:(oh-ih)/2"
PATH="$tmp/panel-bin" ZORVID_FRAMEBUFFER="$tmp/fb-test" "$zorvid" "$nasty"
expect_args "ffmpeg on a framebuffer, defaults" "-nostdin
-hide_banner
-loglevel
warning
-nostats
-re
-i
file:$nasty
-an
-vf
scale=240:-2,$panel_fit
-pix_fmt
bgra
-f
fbdev
$tmp/fb-test
-vn
-f
alsa
default"

PATH="$tmp/panel-bin" ZORVID_FRAMEBUFFER="$tmp/fb-test" "$zorvid" "$nasty" -nosound -dfr -hi
expect_args "ffmpeg on a framebuffer, all options" "-nostdin
-hide_banner
-loglevel
warning
-stats
-re
-i
file:$nasty
-an
-vf
$panel_fit
-pix_fmt
bgra
-f
fbdev
$tmp/fb-test"

# A 16-bit panel of another size, as the kernel tells it: little-endian
# RGB565, the framebuffer's own layout, at the panel's size.
mkdir -p "$tmp/sys/class/graphics/fb-test"
echo 16 > "$tmp/sys/class/graphics/fb-test/bits_per_pixel"
echo "U:320x240p-0" > "$tmp/sys/class/graphics/fb-test/modes"
PATH="$tmp/panel-bin" ZORVID_FRAMEBUFFER="$tmp/fb-test" ZORVID_SYSFS="$tmp/sys" "$zorvid" "$nasty" -nosound -hi
expect_args "ffmpeg on a 16-bit framebuffer" "-nostdin
-hide_banner
-loglevel
warning
-nostats
-re
-i
file:$nasty
-an
-vf
scale=320:240:force_original_aspect_ratio=decrease,pad=320:240:(ow-iw)/2:(oh-ih)/2
-pix_fmt
rgb565le
-f
fbdev
$tmp/fb-test"

# No sound server, and on this machine no sound card: the clip plays silent.
if ! ls /dev/snd/pcmC*p >/dev/null 2>&1; then
    mkdir "$tmp/runtime"
    (unset PULSE_SERVER && PATH="$tmp/mpv-bin" XDG_RUNTIME_DIR="$tmp/runtime" "$zorvid" "$nasty" -hi)
    expect_args "mpv, no sound output" "--msg-level=all=error
--no-audio
--
$nasty"
fi

# On the panel the kit's helper runs the player, found from zorvid's real
# location: through the launcher's link to the installed script, or beside
# the build tree's copy. The fake helpers record their arguments.
tree=$tmp/tree
mkdir -p "$tree/share/mediakit" "$tmp/work" "$tmp/build"
cp "$zorvid" "$tree/share/mediakit/zorvid"
cp "$zorvid" "$tmp/build/zorvid"
ln -s "$tree/share/mediakit/zorvid" "$tmp/work/zorvid"
make_fake "$tree/libexec/mediakit" zorvid-panel
make_fake "$tmp/build" zorvid-panel
# readlink resolves the link; the players stay the fakes.
mkdir -p "$tmp/tools"
ln -s "$(command -v readlink)" "$tmp/tools/readlink"

PATH="$tmp/panel-bin:$tmp/tools" ZORVID_DRM_CARD="$tmp/card0" "$tmp/work/zorvid" "$nasty" -hi
expect_args "installed helper around mpv on a DRM display" "--control
mpv
--
mpv
--msg-level=all=error
--vo=drm
--drm-device=$tmp/card0
--
$nasty"

PATH="$tmp/panel-bin:$tmp/tools" ZORVID_FRAMEBUFFER="$tmp/fb-test" "$tmp/build/zorvid" "$nasty" -nosound -hi
expect_args "build tree's helper around ffmpeg on a framebuffer" "--framebuffer
$tmp/fb-test
--control
ffmpeg
--from
0
--
ffmpeg
-nostdin
-hide_banner
-loglevel
warning
-nostats
-re
-i
file:$nasty
-an
-vf
$panel_fit
-pix_fmt
bgra
-f
fbdev
$tmp/fb-test"

# On X11 mpv keeps its own keys: no helper.
PATH="$tmp/mpv-bin:$tmp/tools" DISPLAY=:5 "$tmp/work/zorvid" "$nasty" -hi
expect_args "no helper on X11" "--msg-level=all=error
--vo=gpu,x11
--gpu-context=x11egl
--
$nasty"

(cd "$tmp/media" && PATH="$tmp/mpv-bin" "$zorvid" "${nasty##*/}" -hi)
expect_args "mpv, relative name with a leading hyphen" "--msg-level=all=error
--
$tmp/media/${nasty##*/}"

# In the launcher's working directory, the positions lie in resume/ there,
# named by the MD5 of the path; a saved one is taken and the clip starts
# 2 s before it, on mpv and through the helper on ffmpeg alike.
mkdir -p "$tmp/work/resume"
: > "$tmp/work/exec"
for tool in md5sum tr mkdir rm; do ln -s "$(command -v $tool)" "$tmp/tools/$tool"; done
saved=$tmp/work/resume/$(printf %s "$nasty" | md5sum | cut -d' ' -f1 | tr a-f A-F)
printf 'start=12.250000\nvolume=90\n' > "$saved"
(cd "$tmp/work" && PATH="$tmp/mpv-bin:$tmp/tools" "$zorvid" "$nasty" -hi)
expect_args "mpv in the launcher's working directory" "--msg-level=all=error
--save-position-on-quit
--no-resume-playback
--watch-later-directory=$tmp/work/resume
--start=10.250000
--
$nasty"
[ ! -e "$saved" ] || fail "the position taken is still saved"
echo 'start=1.5' > "$saved"
(cd "$tmp/work" && PATH="$tmp/panel-bin:$tmp/tools" ZORVID_FRAMEBUFFER="$tmp/fb-test" "$tmp/build/zorvid" "$nasty" -nosound -hi)
head -n 8 "$tmp/args" > "$tmp/args.head" && mv "$tmp/args.head" "$tmp/args"
expect_args "helper around ffmpeg in the launcher's working directory" "--framebuffer
$tmp/fb-test
--resume
$saved
--control
ffmpeg
--from
0"

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
