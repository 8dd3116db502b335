#!/bin/sh
# Runs the start script from a fake installed tree, laid out as the package
# is, whose "launcher" records where and how it was started.
# Usage: start_script_test.sh <configured mediakit-launcher> <bin-to-libexec path> <bin-to-data path>
set -eu
script=$(readlink -f "$1")
. "$(dirname "$0")/checks.sh"

prefix=$tmp/prefix
mkdir -p "$prefix/bin" "$prefix/bin/$2" "$prefix/bin/$3/images"
shared=$(readlink -f "$prefix/bin/$3")
: > "$shared/images/banner.png"
printf '#!/bin/sh\n' > "$shared/zorvid"
cp "$script" "$prefix/bin/mediakit-launcher"
chmod +x "$prefix/bin/mediakit-launcher"
# The launcher is the kit's own program: only in its private directory, never
# beside the start script in everyone's PATH.
launcher=$prefix/bin/$2/launcher
cat > "$launcher" <<'FAKE'
#!/bin/sh
{
    echo "dir=$(pwd)"
    echo "movdir=${MOVDIR-<unset>}"
    echo "args=$*"
    [ -f images/banner.png ] && echo "images=ok"
    [ -x zorvid ] && echo "zorvid=ok"
} > "$RECORD"
FAKE
chmod +x "$launcher" "$shared/zorvid"

home=$tmp/home
mkdir -p "$home/Videos"
start() { # runs the start script with a clean environment plus the given variables
    env -i PATH=/usr/bin:/bin HOME="$home" RECORD="$tmp/record" "$@" "$prefix/bin/mediakit-launcher" -x
}
expect() { # <label> <line expected in the record>
    grep -qxF -- "$2" "$tmp/record" || { fail "$1: no line '$2' in"; cat "$tmp/record" >&2; }
}

start
work=$home/.local/share/mediakit
expect "default" "dir=$work"
expect "default" "movdir=$home/Videos"
expect "default" "args=-x"
expect "default" "images=ok"
expect "default" "zorvid=ok"

start MOVDIR=
expect "empty MOVDIR is kept" "movdir="

start MOVDIR=/media/card XDG_DATA_HOME="$tmp/data"
expect "XDG_DATA_HOME" "dir=$tmp/data/mediakit"
expect "XDG_DATA_HOME" "movdir=/media/card"

rmdir "$home/Videos"
start
expect "no Videos folder" "movdir=$home"

# The user's own player stays; a dangling link is pointed back at the kit.
printf '#!/bin/sh\necho mine\n' > "$tmp/mine" && chmod +x "$tmp/mine"
rm "$work/zorvid" && cp "$tmp/mine" "$work/zorvid"
rm "$work/images" && ln -s "$tmp/gone" "$work/images"
start
cmp -s "$work/zorvid" "$tmp/mine" || fail "the user's own zorvid was replaced"
expect "dangling images link" "images=ok"

# With MOVDIR unset, the folder of the clip played last, read back from the
# launch script as the launcher escapes it, while that folder exists.
mkdir -p "$home/Videos"
folder="$tmp/card/Films \"2026\" \$HOME \`id\` back\\slash"
mkdir -p "$folder"
escaped=$(printf '%s' "$folder/clip.mp4" | sed 's/[\\"$`]/\\&/g')
printf './zorvid "%s" -nosound -hi' "$escaped" > "$work/exec"
start
expect "last clip's folder" "movdir=$folder"
start MOVDIR=/media/card
expect "MOVDIR before the last clip's folder" "movdir=/media/card"
printf './zorvid "/clip.mp4"' > "$work/exec"
start
expect "a clip in the root" "movdir=/"
rmdir "$folder"
printf './zorvid "%s"' "$escaped" > "$work/exec"
start
expect "last clip's folder gone" "movdir=$home/Videos"
cmp -s "$work/zorvid" "$tmp/mine" || fail "the user's own zorvid was replaced"

finish "start script"
