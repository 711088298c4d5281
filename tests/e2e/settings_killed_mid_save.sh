#!/bin/bash
# Tapestrel's settings store killed at random moments while it saves, round
# after round: afterwards "Tapestrel.ini" always holds every section, each
# with the values of one save or of the other, and what the user wrote into
# it by hand is kept byte for byte. The saves are made by a small program
# that runs the store itself (settings_store_loop): Tapestrel takes several
# times as long to start, which each round would pay.
source "$(dirname "$0")/lib.sh"

ROUNDS="${TAPESTREL_KILL_ROUNDS:-50}"
e2e_prepare
wineserver -p  # one Wine server for all the rounds (lib.sh ends it)
cp "$(dirname "$TAPESTREL_EXE")/settings_store_loop.exe" "$E2E_DIR/app/"
# The file's bytes are Shift-JIS: compared as bytes.
bytes() { LC_ALL=C "$@"; }
# Written by hand: a comment, a key and a section of the user's own, odd
# spacing, Japanese text, a known key in another spelling.
{ printf '; 自分用のメモ\r\n[Whole]\r\nWallPaperFolder=C:\\old\r\n  MyOwnKey =  kept as is  \r\n'
  printf '\r\n[プラグイン]\r\nPath=C:\\ツール\\x.spi\r\n[Interval]\r\nintervalvalue = 0x10\r\n'
} | iconv -f UTF-8 -t SHIFT_JIS > "$E2E_INI"
bytes grep -av -e $'^\r$' -e '^WallPaperFolder=' -e '^intervalvalue' "$E2E_INI" > "$E2E_DIR/by-hand"

# Run in the background with exec, so that its process id is the saving
# program's own.
saves() { # started-file [rounds]
  exec "$WINE" "$E2E_DIR/app/settings_store_loop.exe" "$(winpath "$E2E_INI")" "$(winpath "$1")" "${@:2}" \
    >/dev/null 2>>"$E2E_DIR/errors"
}
# One file per section (the lines before the first one too), by name.
split_sections() { # file folder
  rm -rf "$2" && mkdir -p "$2"
  bytes awk -v d="$2" 'BEGIN { n = "before" } /^\[/ { n = $0; gsub(/[^A-Za-z0-9]/, "", n); n = "s_" n }
    { print > (d "/" n) }' "$1"
}

# What the two kinds of save leave, each when it ends in peace.
cp "$E2E_INI" "$E2E_DIR/by-hand-file"
(saves "$E2E_DIR/unused" 1)
split_sections "$E2E_INI" "$E2E_DIR/a"
cp "$E2E_INI" "$E2E_DIR/saved-a"
(saves "$E2E_DIR/unused" 2)
split_sections "$E2E_INI" "$E2E_DIR/b"
bytes grep -aFx -f "$E2E_DIR/by-hand" "$E2E_DIR/saved-a" | cmp -s - "$E2E_DIR/by-hand" ||
  fail "the save lost or reordered lines written by hand:$(bytes diff -a "$E2E_DIR/by-hand-file" "$E2E_DIR/saved-a")"
sections=$(ls "$E2E_DIR/a")
[ "$sections" = "$(ls "$E2E_DIR/b")" ] || fail "the two saves wrote different sections"
for section in Window List Whole Interval RandomTime ShortCut Condition Capture UrgentEvasion \
  InvalidCondition Sound System; do
  [ -f "$E2E_DIR/a/s_$section" ] || fail "the save wrote no [$section]"
  cmp -s "$E2E_DIR/a/s_$section" "$E2E_DIR/b/s_$section" && fail "[$section] is the same in both saves"
done

seen_a=0 seen_b=0
for round in $(seq "$ROUNDS"); do
  rm -f "$E2E_DIR/started"
  saves "$E2E_DIR/started" &
  saver=$!
  for _ in $(seq 600); do
    [ -e "$E2E_DIR/started" ] && break
    kill -0 "$saver" 2>/dev/null || { wait "$saver" && status=0 || status=$?; fail "round $round: the saves ended ($status): $(cat "$E2E_DIR/errors")"; }
    sleep 0.05
  done
  [ -e "$E2E_DIR/started" ] || fail "round $round: the saves did not start"
  sleep "0.$(printf %03d $((RANDOM % 200)))"
  kill -9 "$saver"
  wait "$saver" 2>/dev/null || true
  split_sections "$E2E_INI" "$E2E_DIR/now"
  [ "$(ls "$E2E_DIR/now")" = "$sections" ] ||
    fail "round $round: the sections are$(ls "$E2E_DIR/now" | tr '\n' ' '), not$(echo $sections)"
  for section in $sections; do
    if cmp -s "$E2E_DIR/now/$section" "$E2E_DIR/a/$section"; then
      seen_a=$((seen_a + 1))
    elif cmp -s "$E2E_DIR/now/$section" "$E2E_DIR/b/$section"; then
      seen_b=$((seen_b + 1))
    else
      fail "round $round: $section is neither save:$(bytes diff -a "$E2E_DIR/a/$section" "$E2E_DIR/now/$section")"
    fi
  done
done
# Kills at random moments find either save, not always the same one.
[ $seen_a -gt 0 ] && [ $seen_b -gt 0 ] || fail "the kills found one save only: $seen_a and $seen_b sections"

# What a killed save left beside the file is never read, and the next save
# takes it up.
(saves "$E2E_DIR/unused" 1)
cmp -s "$E2E_INI" "$E2E_DIR/saved-a" || fail "the save after the kills wrote another file"
[ ! -e "$E2E_DIR/app/Tapestrel.in~" ] || fail "a replacement file was left beside the settings"
echo "killed mid-save $ROUNDS times: every section whole each time ($seen_a and $seen_b times of each save)"
