#!/bin/bash
# The settings dialog of the real program in a Wine virtual desktop, driven
# from the keyboard as a user would: opened from the main menu, then a change
# hot key set on its page, which works at once after OK. When screenshots are
# wanted (TAPESTREL_SCREENSHOT_DIR, see scripts/screenshots), one of each of
# its ten pages and one of the hot key typed in.
source "$(dirname "$0")/lib.sh"

SHOTS="${TAPESTREL_SCREENSHOT_DIR:-}"
shoot() { [ -z "$SHOTS" ] || /usr/bin/import -window root "$SHOTS/$1.png"; }
e2e_prepare
for c in red green blue; do /usr/bin/convert -size 300x200 "xc:$c" "$E2E_DIR/pictures/$c.bmp"; done
e2e_ini
e2e_start
sleep 4
e2e_focus_desktop
xdotool key alt+c  # "設定(&C)..." on the menu bar
sleep 2
# The title strip of the page shown, in the caption color: the dialog is open.
[ "$(screen_pixel 820 239)" != "$(screen_pixel 820 600)" ] || fail "the settings dialog did not open"
if [ -n "$SHOTS" ]; then
  mkdir -p "$SHOTS"
  for page in 0 1 2 3 4 5 6 7 8 9; do
    shoot "settings-page-$page"
    xdotool key Down
    sleep 0.7
  done
fi

# "壁紙ショートカット変更": tick the switch, press the keys into the hot-key
# field, OK.
xdotool key Home Down Down Down
sleep 0.5
xdotool key Tab space Tab ctrl+alt+q
sleep 0.5
shoot settings-hot-key
xdotool key Return
wait_until 10 ini_is ShortCut WallChangeShortCutKey Ctrl+Alt+Q ||
  fail "the hot key was not saved: '$(ini_value ShortCut WallChangeShortCutKey)'"
ini_is ShortCut WallChangeShortCutEnabled 1 || fail "the hot key was not switched on"
[ -z "$(ini_value System LastWallIndex)" ] || fail "a wallpaper changed before the hot key was pressed"
e2e_focus_desktop
xdotool key ctrl+alt+q
wait_until 10 ini_is System LastWallIndex 1 || fail "the new hot key changed nothing"
echo "settings dialog: the hot key set there works at once${SHOTS:+ (pages shot into $SHOTS)}"
