#!/bin/bash
# What the resident program costs while nothing happens: processor time over
# ten seconds and private memory, beside the smallest window program under
# the same Wine (the baseline every Wine process pays).
source "$(dirname "$0")/lib.sh"

e2e_prepare
cp "$(dirname "$TAPESTREL_EXE")/idle_window.exe" "$E2E_DIR/app/"
for c in red green; do /usr/bin/convert -size 32x24 "xc:$c" "$E2E_DIR/pictures/$c.bmp"; done
e2e_ini

of_our_prefix() { # the process runs in this test's Wine prefix (others may run beside it)
  tr '\0' '\n' < "/proc/$1/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"
}
unix_pid() { # the Linux process of a Windows program
  local pid="" p
  for _ in $(seq 50); do
    for p in $(pgrep -f "^[^ ]*$1" || true); do
      if of_our_prefix "$p"; then pid=$p; break; fi
    done
    [ -n "$pid" ] && break
    sleep 0.2
  done
  echo "$pid"
}
private_kb() { awk '/^Private_(Clean|Dirty):/ {s += $2} END {print s}' "/proc/$1/smaps_rollup"; }
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

"$WINE" "$E2E_DIR/app/idle_window.exe" >/dev/null 2>&1 &
base=$(unix_pid idle_window.exe)
[ -n "$base" ] || fail "the baseline did not start"
sleep 3
base_kb=$(private_kb "$base")
base_threads=$(ls "/proc/$base/task" | wc -l)
wineserver -k; sleep 0.5

"$WINE" "$E2E_DIR/app/Tapestrel.exe" /exeautorun >/dev/null 2>&1 &
pid=$(unix_pid Tapestrel.exe)
[ -n "$pid" ] || fail "Tapestrel did not start"
sleep 3
server=""
for p in $(pgrep -f wineserver); do
  if of_our_prefix "$p"; then server=$p; fi
done
[ -n "$server" ] || fail "no wineserver for $WINEPREFIX"
t0=$(cpu_ticks "$pid"); s0=$(cpu_ticks "$server")
sleep 10
t1=$(cpu_ticks "$pid"); s1=$(cpu_ticks "$server")
kb=$(private_kb "$pid")
threads=$(ls "/proc/$pid/task" | wc -l)
hz=$(getconf CLK_TCK)
cpu_ms=$(( (t1 - t0) * 1000 / hz ))
server_ms=$(( (s1 - s0) * 1000 / hz ))
extra_kb=$(( kb - base_kb ))
echo "idle Tapestrel: ${cpu_ms} ms CPU in 10 s (wineserver ${server_ms} ms);" \
     "private ${kb} KB, baseline window program ${base_kb} KB, Tapestrel's own ${extra_kb} KB;" \
     "$threads threads, the baseline $base_threads"
[ "$cpu_ms" -le 200 ] || fail "idle CPU ${cpu_ms} ms in 10 s"
[ "$extra_kb" -le 8192 ] || fail "private memory ${extra_kb} KB above the baseline"
# Under Wine every thread holds about a megabyte of its own: at rest the
# program waits on nothing the baseline does not.
[ "$threads" -le "$base_threads" ] || fail "$threads threads at rest, the baseline $base_threads"
