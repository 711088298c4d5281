#!/bin/bash
# The release as a user gets it. scripts/package builds the zip; it must hold
# exactly the shipped files, with a readme that Notepad reads (UTF-8 with a
# byte-order mark, CR LF) and an executable whose version resource is VERSION
# and that is large-address-aware. Unpacked into a new folder of a fresh Wine
# prefix (not the test prefix) beside a Tapestrel.ini naming a folder of
# pictures, "Tapestrel.exe /wallchange" must change the wallpaper: the
# registry then names a wallpaper bitmap that shows the picture recorded as
# the last change. Exit status 0 when all holds.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
fail() { echo "release zip: FAIL: $*" >&2; exit 1; }

version=$(head -n1 "$ROOT/VERSION")
zip=$("$ROOT/scripts/package" | tail -n1)
[ "$(basename "$zip")" = "Tapestrel-$version.zip" ] || fail "the zip is $zip"

expected="Tapestrel.exe readme.txt"
if [ -f "$ROOT/build/win/help.htm" ] || [ -f "$ROOT/resources/help.htm" ]; then expected="Tapestrel.exe help.htm readme.txt"; fi
contents=$(unzip -Z1 "$zip" | sort | tr '\n' ' ' | sed 's/ $//')
[ "$contents" = "$expected" ] || fail "the zip holds '$contents', not '$expected'"

WORK=$(mktemp -d /tmp/tapestrel-release.XXXXXX)
export WINEPREFIX="$WORK/prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
xvfb_pid=""
cleanup() {
  # Only this test's own prefix and display.
  wineserver -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$WORK"
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 400 499); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then break; fi
  done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
fi

wineboot -i >/dev/null 2>&1
wineserver -w
app="$WINEPREFIX/drive_c/Tapestrel"
mkdir "$app"
unzip -q "$zip" -d "$app"

readme="$app/readme.txt"
[ "$(head -c 3 "$readme" | xxd -p)" = efbbbf ] || fail "readme.txt has no UTF-8 byte-order mark"
iconv -f UTF-8 -t UTF-8 "$readme" >/dev/null 2>&1 || fail "readme.txt is not UTF-8"
[ "$(grep -c $'[^\r]$' "$readme" || true)" = 0 ] || fail "readme.txt has lines without CR LF"
grep -q "Tapestrel $version" "$readme" || fail "readme.txt does not name version $version"
grep -q "Tapestrel.ini" "$readme" || fail "readme.txt does not say where the settings are"

exe="$app/Tapestrel.exe"
headers=$(i686-w64-mingw32-objdump -p "$exe")
grep -q "large address aware" <<< "$headers" || fail "Tapestrel.exe is not large-address-aware"
file_version=$(strings -el "$exe" | grep -A1 -x FileVersion | tail -n1)
[ "$file_version" = "$version" ] || fail "the version resource says '$file_version', VERSION says '$version'"

pictures="$WINEPREFIX/drive_c/pictures"
mkdir "$pictures"
/usr/bin/convert -size 640x480 xc:'#ff0000' -quality 95 "$pictures/1-red.jpg"
/usr/bin/convert -size 640x480 xc:'#0000ff' -quality 95 "$pictures/2-blue.jpg"
printf '[Whole]\r\nWallPaperFolder=C:\\pictures\r\n' > "$app/Tapestrel.ini"

wallpaper_value() {
  wine reg query 'HKCU\Control Panel\Desktop' /v Wallpaper 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *Wallpaper *REG_SZ *//p'
}
before=$(wallpaper_value)
timeout 60 wine 'C:\Tapestrel\Tapestrel.exe' /wallchange >/dev/null 2>&1 || fail "Tapestrel.exe /wallchange did not end by itself"
wineserver -w
after=$(wallpaper_value)
[ -n "$after" ] && [ "$after" != "$before" ] || fail "the registry's wallpaper stayed '$before'"

bmp=$(winepath -u "$after" 2>/dev/null)
[ -f "$bmp" ] || fail "the wallpaper file $after does not exist"
[ "$(head -c 2 "$bmp")" = BM ] || fail "the wallpaper file $after is not a bitmap"
last=$(tr -d '\r' < "$app/Tapestrel.ini" | sed -n 's/^LastWallPas=//p')
case "$last" in
  'C:\pictures\1-red.jpg') colour="255 0 0" ;;
  'C:\pictures\2-blue.jpg') colour="0 0 255" ;;
  *) fail "Tapestrel.ini records '$last' as the last wallpaper" ;;
esac
centre=$(/usr/bin/convert "$bmp" -format '%w %h %[fx:int(255*p{320,240}.r+0.5)] %[fx:int(255*p{320,240}.g+0.5)] %[fx:int(255*p{320,240}.b+0.5)]' info:)
read -r w h r g b <<< "$centre"
[ "$w x $h" = "640 x 480" ] || fail "the wallpaper bitmap is $w x $h, not 640 x 480"
read -r er eg eb <<< "$colour"
for pair in "$r $er" "$g $eg" "$b $eb"; do
  read -r got want <<< "$pair"
  [ $((got > want ? got - want : want - got)) -le 8 ] || fail "the wallpaper shows $r $g $b, not $colour ($last)"
done
echo "release zip: $(basename "$zip") unpacked in a fresh prefix changed the wallpaper to $last"
