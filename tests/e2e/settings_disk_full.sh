#!/bin/bash
# Tapestrel on a small drive that fills up: a wallpaper change and a settings
# save that no longer fit fail, and leave the wallpaper file and
# "Tapestrel.ini" exactly as they were, with nothing beside them; the program
# goes on running and saves again once there is room.
source "$(dirname "$0")/lib.sh"

e2e_prepare
bytes() { LC_ALL=C "$@"; }
# The drive: a small tmpfs with the program and its INI file on it, seen by
# Windows programs as a drive letter of their own. The wallpaper file goes
# there too, through a "Local AppData" on that drive.
DRIVE="$E2E_DIR/drive"
TEST_APPDATA='TapestrelFullDriveAppData'
SHELL_FOLDERS='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders'
# What an earlier run that was killed left behind: its drive (named after
# its process, which is gone), its drive letter, its "Local AppData".
while read -r source point _; do
  [[ "$source" =~ ^tapestrel-full-([0-9]+)$ ]] && ! kill -0 "${BASH_REMATCH[1]}" 2>/dev/null &&
    { umount "$point" 2>/dev/null || true; }
done < /proc/mounts
for link in "$WINEPREFIX"/dosdevices/?:; do
  [[ "$(readlink "$link")" == /tmp/tapestrel-e2e.*/drive ]] && [ ! -d "$(readlink "$link")" ] && rm -f "$link"
done || true
old_appdata=$("$WINE" reg query "$SHELL_FOLDERS" /v "Local AppData" 2>/dev/null | tr -d '\r' |
  awk '$1 == "Local" && $2 == "AppData" { sub(/^ *Local AppData +REG_SZ +/, ""); print }')
[[ "$old_appdata" == *"$TEST_APPDATA" ]] && old_appdata="C:\\users\\$(id -un)\\AppData\\Local"

mkdir -p "$DRIVE"
exe_kb=$(( $(stat -c %s "$TAPESTREL_EXE") / 1024 ))
mount -t tmpfs -o size=$((exe_kb + 1024))k "tapestrel-full-$$" "$DRIVE" || fail "cannot mount a tmpfs (needs root)"
letter=""
for l in t u v w x y; do [ -e "$WINEPREFIX/dosdevices/$l:" ] || { letter=$l; break; }; done
[ -n "$letter" ] || { umount "$DRIVE"; fail "no free drive letter in the prefix"; }
ln -s "$DRIVE" "$WINEPREFIX/dosdevices/$letter:"
L=$(echo "$letter" | tr a-z A-Z)
disk_cleanup() {
  set +e
  [ -n "${program:-}" ] && { kill -9 "$program"; wait "$program"; } 2>/dev/null
  [ -n "$old_appdata" ] && "$WINE" reg add "$SHELL_FOLDERS" /v "Local AppData" /d "$old_appdata" /f >/dev/null 2>&1
  wineserver -k 2>/dev/null
  rm -f "$WINEPREFIX/dosdevices/$letter:"
  umount "$DRIVE" 2>/dev/null
  e2e_cleanup
}
trap disk_cleanup EXIT
"$WINE" reg add "$SHELL_FOLDERS" /v "Local AppData" /d "$L:\\$TEST_APPDATA" /f >/dev/null 2>&1

cp "$TAPESTREL_EXE" "$(dirname "$TAPESTREL_EXE")/query_end_session.exe" "$DRIVE/"
INI="$DRIVE/Tapestrel.ini"
WALLPAPER="$DRIVE/$TEST_APPDATA/Microsoft/Wallpaper1.bmp"
/usr/bin/convert -size 64x64 xc:'#ff0000' "$E2E_DIR/pictures/1-red.bmp"
/usr/bin/convert -size 600x600 xc:'#0000ff' "$E2E_DIR/pictures/2-blue.bmp"  # about 1 MB
# Just under two pages of the drive: a save that rewrote it in place would
# need more room than the old file frees.
LONG="Long=$(head -c 7500 /dev/zero | tr '\0' x)"
{ printf '; 自分用のメモ\r\n[Whole]\r\nWallPaperFolder=%s\r\nWallPosition=1\r\n' "$(winpath "$E2E_DIR/pictures")"
  printf '[プラグイン]\r\n%s\r\n' "$LONG"
  printf '[System]\r\nLastWallIndex=1\r\n'
} | iconv -f UTF-8 -t SHIFT_JIS > "$INI"

program=""
run_wallchange() {
  timeout 60 "$WINE" "$L:\\Tapestrel.exe" /wallchange >/dev/null 2>&1 || fail "/wallchange did not end by itself"
}
# The question Windows asks at log-off makes the program save everything.
save_request() {
  "$WINE" "$L:\\query_end_session.exe" "$L:\\answer" >/dev/null 2>&1
  [ "$(tr -d '\r\n' < "$DRIVE/answer" 2>/dev/null)" = 1 ] || fail "no answer to the save request"
  head -c 100 /dev/zero > "$DRIVE/answer"
}

run_wallchange  # red, after index 1
[ "$(bytes grep -a '^LastWallIndex=' "$INI" | tr -d '\r')" = "LastWallIndex=0" ] || fail "the first change was not recorded"
[ -f "$WALLPAPER" ] || fail "no wallpaper file at $WALLPAPER"
cp "$INI" "$E2E_DIR/ini-before"
cp "$WALLPAPER" "$E2E_DIR/wallpaper-before"
bytes grep -av -e '^Wall' -e '^Last' "$INI" > "$E2E_DIR/by-hand"

# The answer to the save request must still fit: its page is taken before
# the drive fills.
head -c 100 /dev/zero > "$DRIVE/answer"
dd if=/dev/zero of="$DRIVE/fill" bs=4k >/dev/null 2>&1 || true
[ "$(df --output=avail "$DRIVE" | tail -n1 | tr -d ' ')" = 0 ] || fail "the drive did not fill up"

run_wallchange  # blue does not fit
cmp -s "$WALLPAPER" "$E2E_DIR/wallpaper-before" || fail "the failed change damaged the wallpaper file"
cmp -s "$INI" "$E2E_DIR/ini-before" || fail "the failed change touched the INI file"

"$WINE" "$L:\\Tapestrel.exe" >/dev/null 2>&1 &
program=$!
save_request
cmp -s "$INI" "$E2E_DIR/ini-before" || fail "the failed save changed the INI file:$(bytes diff -a "$E2E_DIR/ini-before" "$INI" | head -c 600)"
kill -0 "$program" 2>/dev/null || fail "Tapestrel ended after the failed save"
ls "$DRIVE" "$(dirname "$WALLPAPER")" | grep -q '~$' && fail "a replacement file was left: $(ls -R "$DRIVE")"

rm "$DRIVE/fill"
save_request
bytes grep -aq '^WindowWidth=[0-9]' "$INI" || fail "the save with room again did not write the window"
bytes grep -aFx -f "$E2E_DIR/by-hand" "$INI" | cmp -s - "$E2E_DIR/by-hand" ||
  fail "the save lost lines written by hand:$(bytes diff -a "$E2E_DIR/ini-before" "$INI" | head -c 600)"
echo "full drive: the wallpaper and the settings stayed whole, and Tapestrel saved again with room"
