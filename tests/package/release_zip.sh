#!/bin/bash
# The release as a user gets it. scripts/package builds one zip per program;
# each must unpack into one folder, Tapestrel-<version>-<arch>, holding exactly
# the shipped files: texts that Notepad reads (UTF-8 with a byte-order mark,
# CR LF): a Japanese readme with every section a user needs, this version, the
# build date and a history that names this version, the licence and the
# third-party notices as the sources have them; an executable of the zip's
# machine type (x86: PE32, i386, large-address-aware; x64: PE32+, x86-64) whose
# version resource is VERSION and names its kind; and the help page as the
# sources have it, with every section, every settings page and every key of
# the main window. Then each zip this machine can run, unpacked into a fresh
# Wine prefix (not the test prefix) beside a Tapestrel.ini naming a folder of
# pictures: "Tapestrel.exe /wallchange" must change the wallpaper, and the
# registry then names a wallpaper bitmap that shows the picture recorded as the
# last change. Exit status 0 when all holds.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
fail() { echo "release zip: FAIL: $*" >&2; exit 1; }

version=$(head -n1 "$ROOT/VERSION")
# The build date the readme must give: the day the zips are made.
built=$(date -u -d "@${SOURCE_DATE_EPOCH:-$(date +%s)}" +%Y-%m-%d)
mapfile -t zips < <("$ROOT/scripts/package")
[ "${#zips[@]}" = 2 ] || fail "scripts/package printed ${#zips[@]} paths, not 2"

# A little-endian field of the file: offset, size in bytes.
field() { od -An -t u"$3" -j "$2" -N "$3" "$1" | tr -d ' '; }
# The first bytes of a file in hexadecimal: file, count.
head_hex() { od -An -t x1 -N "$2" "$1" | tr -d ' \n'; }

# Every key of the main window, as the help writes it ("Ctrl+L" is
# <kbd>Ctrl</kbd>+<kbd>L</kbd>): the shortcuts of its action table, and the
# keys its view handles itself (img_list_view_shell.cpp: Delete, F2, Ctrl+A,
# Ctrl+I, Ctrl+C, Ctrl+X, Ctrl+V; main_window_input.cpp: Enter).
main_window_keys() {
  local shortcuts
  shortcuts=$(grep -o 'add(kAct[A-Za-z0-9]*, "[^"]*", "[^"]*", "[^"]\+"' "$ROOT/src/program/win32/main_window.cpp" |
    sed 's/.*, "\([^"]*\)"$/\1/')
  # A table that no longer reads this way must not pass for one without keys.
  [ "$(wc -l <<< "$shortcuts")" -ge 7 ] || fail "the action table's shortcuts were not found"
  printf '%s\n' $shortcuts Delete F2 Ctrl+A Ctrl+I Ctrl+C Ctrl+X Ctrl+V Enter | sort -u
}
keys=$(main_window_keys)

# The captions of the settings dialog's pages, each a section of the help.
pages=$(sed -n 's/^CAPTION "\(.*\)"$/\1/p' "$ROOT/resources/settings_dialog.rc" | grep -vx "Tapestrel 設定")
[ "$(wc -l <<< "$pages")" -ge 10 ] || fail "the settings pages' captions were not found"

# A text for Notepad: a byte-order mark, UTF-8, CR LF; with the mark and the
# CRs taken away, it is the source file (given) with its placeholders filled.
check_notepad_text() { # file arch [source]
  [ "$(head_hex "$1" 3)" = efbbbf ] || fail "$2: $(basename "$1") has no UTF-8 byte-order mark"
  iconv -f UTF-8 -t UTF-8 "$1" >/dev/null 2>&1 || fail "$2: $(basename "$1") is not UTF-8"
  [ "$(grep -c $'[^\r]$' "$1" || true)" = 0 ] || fail "$2: $(basename "$1") has lines without CR LF"
  [ -z "${3:-}" ] || tail -c +4 "$1" | tr -d '\r' | cmp -s - "$3" ||
    fail "$2: $(basename "$1") is not $(basename "$3") of the sources"
}

# Checks one zip's contents; prints nothing.
check_zip() { # zip arch
  local zip=$1 arch=$2 folder expected contents work readme help key exe pe machine magic flags text
  local section page
  [ "$(basename "$zip")" = "Tapestrel-$version-$arch.zip" ] || fail "the $arch zip is $zip"
  # One folder, so that unpacking leaves nothing loose beside it.
  folder="Tapestrel-$version-$arch"
  expected=$(printf "$folder/%s " LICENSE.txt THIRD-PARTY-NOTICES.txt Tapestrel.exe help.htm readme.txt | sed 's/ $//')
  contents=$(unzip -Z1 "$zip" | sort | tr '\n' ' ' | sed 's/ $//')
  [ "$contents" = "$expected" ] || fail "$arch: the zip holds '$contents', not '$expected'"
  work=$(mktemp -d /tmp/tapestrel-zip.XXXXXX)
  unzip -q "$zip" -d "$work"
  work="$work/$folder"

  check_notepad_text "$work/LICENSE.txt" "$arch" "$ROOT/LICENSE"
  grep -q $'^Copyright (c) 2026 the Tapestrel developers\r$' "$work/LICENSE.txt" && grep -qF 'MIT License' "$work/LICENSE.txt" ||
    fail "$arch: LICENSE.txt is not our MIT licence"
  check_notepad_text "$work/THIRD-PARTY-NOTICES.txt" "$arch" "$ROOT/THIRD-PARTY-NOTICES.txt"
  # What the libraries ask of a binary release: the IJG's sentence, libjpeg-turbo's
  # BSD licence, the zlib licence (of zlib and of libjpeg-turbo's SIMD code).
  for text in "This software is based in part on the work of the Independent JPEG Group." \
    "Copyright (C)2009-2023 D. R. Commander.  All Rights Reserved." \
    "Redistributions in binary form must reproduce the above copyright notice," \
    "Copyright (C) 1995-2022 Jean-loup Gailly and Mark Adler" \
    "3. This notice may not be removed or altered from any source distribution."; do
    grep -qF "$text" "$work/THIRD-PARTY-NOTICES.txt" || fail "$arch: THIRD-PARTY-NOTICES.txt lacks '$text'"
  done
  [ "$(grep -cF "3. This notice may not be removed" "$work/THIRD-PARTY-NOTICES.txt")" -ge 2 ] ||
    fail "$arch: THIRD-PARTY-NOTICES.txt lacks the zlib licence of zlib or of libjpeg-turbo's SIMD code"

  readme="$work/readme.txt"
  check_notepad_text "$readme" "$arch"
  grep -q "Tapestrel $version（$arch 版）" "$readme" || fail "$arch: readme.txt does not name version $version and $arch"
  grep -q "^ビルド日: $built"$'\r$' "$readme" || fail "$arch: readme.txt does not give the build date $built"
  ! grep -q '@[A-Z]*@' "$readme" || fail "$arch: readme.txt has a placeholder left: $(grep -o '@[A-Z]*@' "$readme" | head -n1)"
  # Every section a user needs, in this order.
  [ "$(grep -o '^■ [^ ]*' "$readme" | tr -d '\r' | tr '\n' ' ')" = \
    "■ Tapestrel ■ 動作環境 ■ x64 ■ インストール ■ 初めて起動したとき ■ 通知領域（タスクトレイ）のアイコン ■ 二回目に起動したとき ■ ホットキー ■ Susie ■ 設定の保存場所 ■ アンインストール ■ 「Windows ■ ライセンス ■ 更新履歴 " ] ||
    fail "$arch: readme.txt's sections are $(grep -o '^■ [^ ]*' "$readme" | tr -d '\r' | tr '\n' ' ')"
  # Which to choose: x64 for 64-bit Windows, x86 for the 32-bit plug-ins.
  grep -q "x64 版（Tapestrel-$version-x64.zip）: 64 ビット版の Windows" "$readme" &&
    grep -q "x86 版（Tapestrel-$version-x86.zip）" "$readme" && grep -q "Susie プラグイン（.spi）" "$readme" ||
    fail "$arch: readme.txt does not tell which zip to choose"
  for text in "Tapestrel.ini" "壁紙フォルダ" "「^」" "拡張子 .spi" "拡張子 .sph" "Tapestrel.lnk" \
    "HKEY_CURRENT_USER\\Control Panel\\Desktop" "Wallpaper、OriginalWallpaper、ConvertedWallpaper、TileWallpaper、WallpaperStyle" \
    "SmartScreen" "「詳細情報」" "「実行」" "MIT ライセンス" "LICENSE.txt" "THIRD-PARTY-NOTICES.txt" \
    "This software is based in part on the work of the Independent JPEG Group." "バージョン $version"; do
    grep -qF "$text" "$readme" || fail "$arch: readme.txt does not say '$text'"
  done
  [ "$(sed -n '/^■ 更新履歴/,$p' "$readme" | grep -c "^バージョン $version"$'\r$')" = 1 ] ||
    fail "$arch: readme.txt's history does not begin with version $version"

  help="$work/help.htm"
  cmp -s "$help" "$ROOT/resources/help.htm" || fail "$arch: help.htm is not the help page of the sources"
  for section in intro install first-run main-window toolbar menus mouse-keyboard tray registering changing \
    settings hotkeys evasion capture command-line files ini trouble about licence; do
    grep -q "<h[23] id=\"$section\">" "$help" || fail "$arch: help.htm has no section '$section'"
  done
  while read -r page; do
    grep -q "<h3 id=\"page-[a-z]*\">[0-9.]* $page</h3>" "$help" || fail "$arch: help.htm has no section for the settings page $page"
  done <<< "$pages"
  while read -r key; do
    grep -qF "<kbd>${key//+/</kbd>+<kbd>}</kbd>" "$help" || fail "$arch: help.htm does not name the key $key"
  done <<< "$keys"

  exe="$work/Tapestrel.exe"
  pe=$(field "$exe" 60 4)
  machine=$(field "$exe" $((pe + 4)) 2)
  flags=$(field "$exe" $((pe + 22)) 2)
  magic=$(field "$exe" $((pe + 24)) 2)
  case "$arch" in
    x86) [ "$machine $magic" = "332 267" ] || fail "x86: Tapestrel.exe is not PE32 for i386 ($machine $magic)"
         [ $((flags & 0x20)) != 0 ] || fail "x86: Tapestrel.exe is not large-address-aware" ;;
    x64) [ "$machine $magic" = "34404 523" ] || fail "x64: Tapestrel.exe is not PE32+ for x86-64 ($machine $magic)" ;;
  esac
  text=$(strings -el "$exe")
  [ "$(grep -A1 -x FileVersion <<< "$text" | tail -n1)" = "$version" ] ||
    fail "$arch: the version resource does not say $version"
  # The description is "Tapestrel 壁紙チェンジャー (x64)"; strings shows its ASCII runs.
  grep -A2 -x FileDescription <<< "$text" | grep -qx " ($arch)" ||
    fail "$arch: the version resource's description does not name $arch"
  rm -rf "$work"
}

# Unpacks the zip into a fresh prefix of its own kind and changes the
# wallpaper with it.
run_zip() { # zip arch
  local zip=$1 app pictures before after bmp last color centre w h r g b er eg eb pair got want
  local rc=0
  WORK=$(mktemp -d /tmp/tapestrel-release.XXXXXX)
  (
    trap 'wineserver -k 2>/dev/null || true' EXIT
    export TAPESTREL_ARCH=$2 WINEPREFIX="$WORK/prefix"
    source "$ROOT/scripts/wine-env"
    "$WINE" wineboot -i >/dev/null 2>&1
    wineserver -w
    unzip -q "$zip" -d "$WINEPREFIX/drive_c"
    app="$WINEPREFIX/drive_c/Tapestrel-$version-$2"
    pictures="$WINEPREFIX/drive_c/pictures"
    mkdir "$pictures"
    /usr/bin/convert -size 640x480 xc:'#ff0000' -quality 95 "$pictures/1-red.jpg"
    /usr/bin/convert -size 640x480 xc:'#0000ff' -quality 95 "$pictures/2-blue.jpg"
    printf '[Whole]\r\nWallPaperFolder=C:\\pictures\r\n' > "$app/Tapestrel.ini"

    wallpaper_value() {
      "$WINE" reg query 'HKCU\Control Panel\Desktop' /v Wallpaper 2>/dev/null | tr -d '\r' |
        sed -n 's/^ *Wallpaper *REG_SZ *//p'
    }
    before=$(wallpaper_value)
    timeout 60 "$WINE" "C:\\Tapestrel-$version-$2\\Tapestrel.exe" /wallchange >/dev/null 2>&1 ||
      fail "$2: Tapestrel.exe /wallchange did not end by itself"
    wineserver -w
    after=$(wallpaper_value)
    [ -n "$after" ] && [ "$after" != "$before" ] || fail "$2: the registry's wallpaper stayed '$before'"

    bmp=$("$WINE" winepath -u "$after" 2>/dev/null)
    [ -f "$bmp" ] || fail "$2: the wallpaper file $after does not exist"
    [ "$(head -c 2 "$bmp")" = BM ] || fail "$2: the wallpaper file $after is not a bitmap"
    last=$(tr -d '\r' < "$app/Tapestrel.ini" | sed -n 's/^LastWallPas=//p')
    case "$last" in
      'C:\pictures\1-red.jpg') color="255 0 0" ;;
      'C:\pictures\2-blue.jpg') color="0 0 255" ;;
      *) fail "$2: Tapestrel.ini records '$last' as the last wallpaper" ;;
    esac
    centre=$(/usr/bin/convert "$bmp" -format '%w %h %[fx:int(255*p{320,240}.r+0.5)] %[fx:int(255*p{320,240}.g+0.5)] %[fx:int(255*p{320,240}.b+0.5)]' info:)
    read -r w h r g b <<< "$centre"
    [ "$w x $h" = "640 x 480" ] || fail "$2: the wallpaper bitmap is $w x $h, not 640 x 480"
    read -r er eg eb <<< "$color"
    for pair in "$r $er" "$g $eg" "$b $eb"; do
      read -r got want <<< "$pair"
      [ $((got > want ? got - want : want - got)) -le 8 ] || fail "$2: the wallpaper shows $r $g $b, not $color ($last)"
    done
    echo "release zip: $(basename "$zip") unpacked in a fresh prefix changed the wallpaper to $last"
  ) || rc=$?
  rm -rf "$WORK"
  return $rc
}

xvfb_pid=""
cleanup() {
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
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

check_zip "${zips[0]}" x86
check_zip "${zips[1]}" x64
run_zip "${zips[1]}" x64
if "$ROOT/scripts/runs-32bit-code"; then
  run_zip "${zips[0]}" x86
else
  echo "release zip: the x86 zip is not run: this machine runs no 32-bit code"
fi
