#!/bin/bash
# Runs keyboard_walk.py against a fresh copy of the built program folder on a virtual 1920 x 1080
# screen with a window manager, a session bus and Qt's accessibility bridge switched on.
#   tests/a11y/run.sh [build dir] [screenshot dir]
# Needs (Debian): xvfb xauth openbox dbus-x11 at-spi2-core python3-pyatspi xdotool imagemagick ffmpeg
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build}" && pwd)"
SHOTS="${2:-}"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

cp -r "$BUILD/program" "$WORK/program"
ffmpeg -loglevel error -y -f lavfi -i testsrc=size=320x240:rate=25:duration=2 \
    -f lavfi -i sine=duration=2 -c:v mpeg4 -c:a mp3 "$WORK/clip.avi"
[[ -n "$SHOTS" ]] && mkdir -p "$SHOTS"

export A11Y_CLIP="$WORK/clip.avi" A11Y_OUTPUT="$WORK/clip.mpg" A11Y_SHOTS="$SHOTS"
export A11Y_PROGRAM="$WORK/program/morvakelin" A11Y_WALK="$ROOT/tests/a11y/keyboard_walk.py"
xvfb-run -a -s "-screen 0 1920x1080x24" dbus-run-session -- bash -c '
    openbox >/dev/null 2>&1 &
    sleep 1
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$A11Y_PROGRAM" >"$(dirname "$A11Y_CLIP")/program.log" 2>&1 &
    /usr/bin/python3 "$A11Y_WALK"
    status=$?
    kill %1 %2 2>/dev/null || true
    exit $status
' 2> >(grep -v -e "dbus-daemon" -e "SpiRegistry" -e "XDG_RUNTIME_DIR" >&2)
