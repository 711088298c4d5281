#!/bin/bash
# A hot key stored as "Ctrl+Alt+W", pressed for real on the X display, changes
# the wallpaper; with the hot key disabled the same press does nothing.
source "$(dirname "$0")/lib.sh"

e2e_prepare
for c in red green blue yellow; do /usr/bin/convert -size 300x200 "xc:$c" "$E2E_DIR/pictures/$c.bmp"; done
e2e_ini '[ShortCut]' 'WallChangeShortCutEnabled=1' 'WallChangeShortCutKey=Ctrl+Alt+W'
e2e_start /exeautorun
sleep 3
e2e_focus_desktop
xdotool key ctrl+alt+w
wait_until 10 ini_is System LastWallIndex 1 || fail "first press: index $(ini_value System LastWallIndex)"
e2e_focus_desktop
xdotool key ctrl+alt+w
wait_until 10 ini_is System LastWallIndex 2 || fail "second press: index $(ini_value System LastWallIndex)"
# Name order: blue green red yellow.
[ "$(ini_value System LastWallPas)" = "$(winpath "$E2E_DIR/pictures/red.bmp")" ] ||
  fail "applied $(ini_value System LastWallPas)"
wait_until 10 pixel_is 512 384 "255 0 0" || fail "the desktop shows $pixel, not the red picture"
wineserver -k; sleep 0.5

# Disabled: the press is not taken.
e2e_ini '[ShortCut]' 'WallChangeShortCutEnabled=0' 'WallChangeShortCutKey=Ctrl+Alt+W'
e2e_start /exeautorun
sleep 4
e2e_focus_desktop
xdotool key ctrl+alt+w
sleep 2
[ -z "$(ini_value System LastWallIndex)" ] || fail "a disabled hot key changed the wallpaper"
echo "hot key: two presses, two changes; disabled, none"
