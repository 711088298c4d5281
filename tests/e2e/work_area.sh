#!/bin/bash
# The window-position cases of win_program once more on a display whose work
# area starts at (30, 40), as with a task bar at the top and the left: the
# stored position must stay the window's place on the screen.
set -euo pipefail
: "${TAPESTREL_EXE:?}" "${WINEPREFIX:?}"
ROOT="${TAPESTREL_ROOT:?}"
# The Wine lane's prefix first; the display is this script's own.
source "$ROOT/scripts/wine-env"

for n in $(seq 400 499); do [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ] && break; done
# -noreset: the work area is a property of the root window, which a server
# reset would clear as soon as its last client left.
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
export DISPLAY=":$n"
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
xprop -root -format _NET_WORKAREA 32c -set _NET_WORKAREA "30,40,994,728"

TAPESTREL_EXPECT_WORK_AREA=30,40 WINEPREFIX="$WINEPREFIX" \
  "$ROOT/scripts/wine-run" "$(dirname "$TAPESTREL_EXE")/win_program.exe" --gtest_filter='*WindowGeometry*'
