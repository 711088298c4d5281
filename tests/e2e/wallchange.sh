#!/bin/bash
# "/wallchange", run twice in a Wine virtual desktop: the desktop shows the
# second picture, then the third, and each run ends by itself.
source "$(dirname "$0")/lib.sh"

e2e_prepare
/usr/bin/convert -size 300x200 xc:'#ff0000' "$E2E_DIR/pictures/1-red.bmp"
/usr/bin/convert -size 300x200 xc:'#00ff00' -quality 95 "$E2E_DIR/pictures/2-green.jpg"
/usr/bin/convert -size 300x200 xc:'#0000ff' "$E2E_DIR/pictures/3-blue.bmp"
e2e_ini
# A blank color other than the one asked for, so that the program must set it.
"$WINE" reg add 'HKCU\Control Panel\Colors' /v Background /d '58 110 165' /f >/dev/null 2>&1
e2e_open_desktop

# The desktop repaints on its own time after the program has ended: the
# centre is read until it shows the new picture (the previous test's
# wallpaper may still be there for a moment).
centre_is_green() {
  centre=$(screen_pixel 512 384)
  read -r r g b <<< "$centre"
  [ "$r" -lt 40 ] && [ "$g" -gt 215 ] && [ "$b" -lt 40 ]
}

e2e_run_to_end 30 /wallchange
wait_until 10 centre_is_green || fail "after the first change the centre is $centre, not green"
[ "$(ini_value System LastWallIndex)" = 1 ] || fail "index $(ini_value System LastWallIndex)"

e2e_run_to_end 30 /WALLCHANGE
wait_until 10 pixel_is 512 384 "0 0 255" || fail "after the second change the centre is $pixel, not blue"
# Wine's desktop reads the system colors once, when it starts (Windows
# shares them at once): the new blank color shows in a desktop opened anew.
wineserver -k
e2e_open_desktop
wait_until 10 pixel_is 512 384 "0 0 255" || fail "in a new desktop the centre is $pixel, not blue"
pixel_is 1000 20 "0 0 0" || fail "the blank color around the picture is $pixel, not black"
echo "wallchange: green, then blue, on black"
