#!/bin/sh
# Runs a test program as an unprivileged user, so that permission checks that
# root passes through are exercised too. As a normal user the suite has run it
# already: skip.
[ "$(id -u)" -eq 0 ] || exit 77
command -v setpriv >/dev/null || exit 77
cd /tmp || exit 1
exec setpriv --reuid=nobody --regid=nogroup --clear-groups -- \
  env HOME=/tmp XDG_RUNTIME_DIR= QT_QPA_PLATFORM=offscreen "$@"
