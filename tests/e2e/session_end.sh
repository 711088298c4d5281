#!/bin/bash
# At log-off with "WallOSEndChange" on, the next picture is left in the
# registry for the next logon while the desktop keeps showing the current
# one; a corrupt picture next in line gives way to the one after it, and
# Windows is allowed to end.
source "$(dirname "$0")/lib.sh"

e2e_prepare
/usr/bin/convert -size 300x200 xc:'#ff0000' "$E2E_DIR/pictures/1-red.bmp"
echo "not a bitmap" > "$E2E_DIR/pictures/2-corrupt.bmp"
/usr/bin/convert -size 300x200 xc:'#0000ff' "$E2E_DIR/pictures/3-blue.bmp"
cp "$(dirname "$TAPESTREL_EXE")/query_end_session.exe" "$E2E_DIR/app/"
e2e_ini '[Condition]' 'WallOSEndChange=1' '[System]' 'LastWallIndex=2'
e2e_open_desktop

e2e_run_to_end 30 /wallchange  # after index 2 comes index 0: red
wait_until 10 pixel_is 512 384 "255 0 0" || fail "the desktop shows $pixel, not red"

e2e_start /exeautorun
sleep 3
answer="$E2E_DIR/answer.txt"
"$WINE" explorer /desktop=shell,1024x768 "$E2E_DIR/app/query_end_session.exe" "$(winpath "$answer")" >/dev/null 2>&1 &
wait_until 60 test -s "$answer" || fail "the log-off question was not asked"
[ "$(tr -d '\r\n' < "$answer")" = 1 ] || fail "Tapestrel answered $(cat "$answer") to WM_QUERYENDSESSION"
[ "$(ini_value System LastWallIndex)" = 2 ] || fail "index $(ini_value System LastWallIndex), not 2 (blue)"
[ -n "$(ini_value Window WindowWidth)" ] || fail "the settings were not saved"
reg_value() { "$WINE" reg query 'HKCU\Control Panel\Desktop' /v "$1" 2>/dev/null | tr -d '\r' | awk -v n="$1" '$1==n {sub(/^ *[^ ]+ +REG_SZ +/, ""); print}'; }
[ "$(reg_value ConvertedWallpaper)" = "$(winpath "$E2E_DIR/pictures/3-blue.bmp")" ] ||
  fail "ConvertedWallpaper is $(reg_value ConvertedWallpaper)"
[ -n "$(reg_value OriginalWallpaper)" ] && [ "$(reg_value OriginalWallpaper)" = "$(reg_value Wallpaper)" ] ||
  fail "Wallpaper '$(reg_value Wallpaper)' and OriginalWallpaper '$(reg_value OriginalWallpaper)' differ"
sleep 1
pixel_is 512 384 "255 0 0" || fail "the desktop changed at log-off: $pixel"
echo "session end: blue left for the next logon, the desktop still red, Windows may end"
