# Shared steps of the end-to-end scripts: Tapestrel.exe under Wine in a
# virtual desktop, driven from the X side (xdotool) and checked through its
# INI file and screenshots. The scripts run inside a Windows build tree's
# ctest, which provides TAPESTREL_EXE, TAPESTREL_ROOT, TAPESTREL_ARCH (the
# tree's program, x86 or x64) and WINEPREFIX.
set -euo pipefail

: "${TAPESTREL_EXE:?}" "${TAPESTREL_ROOT:?}" "${TAPESTREL_ARCH:?}" "${WINEPREFIX:?}"
source "$TAPESTREL_ROOT/scripts/wine-env"

E2E_DIR=$(mktemp -d /tmp/tapestrel-e2e.XXXXXX)
E2E_XVFB=""
e2e_cleanup() {
  wineserver -k 2>/dev/null || true
  [ -n "$E2E_XVFB" ] && kill "$E2E_XVFB" 2>/dev/null
  rm -rf "$E2E_DIR"
}
trap e2e_cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 300 399); do [ ! -e "/tmp/.X11-unix/X$n" ] && break; done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  E2E_XVFB=$!
  export DISPLAY=":$n"
  sleep 1
fi

fail() { echo "FAIL: $*" >&2; exit 1; }

# The Windows form of a path of this machine.
winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }

# A program folder with a copy of Tapestrel.exe and a picture folder.
e2e_prepare() {
  mkdir -p "$E2E_DIR/app" "$E2E_DIR/pictures"
  cp "$TAPESTREL_EXE" "$E2E_DIR/app/"
  E2E_INI="$E2E_DIR/app/Tapestrel.ini"
}

# Writes INI lines (CR LF, Shift-JIS) after a [Whole] section naming the pictures.
e2e_ini() {
  { printf '[Whole]\r\nWallPaperFolder=%s\r\n' "$(winpath "$E2E_DIR/pictures")"
    for line in "$@"; do printf '%s\r\n' "$line"; done; } | iconv -f UTF-8 -t SHIFT_JIS > "$E2E_INI"
}

ini_value() { # section key
  awk -v s="[$1]" -v k="$2" 'BEGIN{RS="\r?\n"} $0==s{f=1;next} /^\[/{f=0} f && index($0,k"=")==1{print substr($0,length(k)+2); exit}' "$E2E_INI"
}

# Starts Tapestrel (with arguments) in the virtual desktop "shell".
e2e_start() {
  "$WINE" explorer /desktop=shell,1024x768 "$E2E_DIR/app/Tapestrel.exe" "$@" >/dev/null 2>&1 &
  E2E_PID=$!
  for _ in $(seq 100); do
    xdotool search --name "shell - Wine desktop" >/dev/null 2>&1 && return 0
    sleep 0.2
  done
  fail "the Wine desktop did not appear"
}

e2e_focus_desktop() {
  local id
  id=$(xdotool search --name "shell - Wine desktop" | head -n1)
  xdotool windowfocus "$id"
  sleep 0.3
}

# True when the INI value equals the text (read afresh each call).
ini_is() { [ "$(ini_value "$1" "$2")" = "$3" ]; }

wait_until() { # seconds command...
  local limit=$1; shift
  for _ in $(seq $((limit * 5))); do "$@" && return 0; sleep 0.2; done
  return 1
}

# Keeps the virtual desktop "shell" open while programs come and go in it.
e2e_open_desktop() {
  cp "$(dirname "$TAPESTREL_EXE")/idle_window.exe" "$E2E_DIR/app/"
  "$WINE" explorer /desktop=shell,1024x768 "$E2E_DIR/app/idle_window.exe" >/dev/null 2>&1 &
  wait_until 20 xdotool search --name "shell - Wine desktop" >/dev/null || fail "the Wine desktop did not appear"
  sleep 1
}

# Runs Tapestrel in the open desktop and waits for it to end by itself.
e2e_run_to_end() { # seconds arguments...
  local limit=$1; shift
  timeout "$limit" "$WINE" explorer /desktop=shell,1024x768 "$E2E_DIR/app/Tapestrel.exe" "$@" >/dev/null 2>&1 ||
    fail "Tapestrel $* did not end by itself within ${limit}s"
}

screen_pixel() { # x y -> "R G B"
  local shot="$E2E_DIR/shot.png"
  /usr/bin/import -window root "$shot"
  /usr/bin/convert "$shot" -format "%[fx:int(255*p{$1,$2}.r)] %[fx:int(255*p{$1,$2}.g)] %[fx:int(255*p{$1,$2}.b)]" info:
}

# True when the screen shows the color there; what it shows is left in $pixel.
pixel_is() { # x y "R G B"
  pixel=$(screen_pixel "$1" "$2")
  [ "$pixel" = "$3" ]
}
