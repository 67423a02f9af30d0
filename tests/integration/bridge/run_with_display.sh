#!/bin/sh
# Runs a test binary on a private X server with a window manager, so window
# activation behaves as on a desktop.
set -eu
if [ "${QV_IN_XVFB:-}" != 1 ]; then
    QV_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
wm_pid=
if command -v openbox >/dev/null 2>&1; then
    openbox --sm-disable >/dev/null 2>&1 &
    wm_pid=$!
fi
status=0
"$@" || status=$?
[ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
exit "$status"
