#!/usr/bin/env bash
# Idle CPU of the Today screen living in the notification area (TodayHost.exe /tray with the Festivo item on the
# demo address book), beside Wine's notepad.exe idling in the same run as the peer; prints one table.
# Usage: DISPLAY=:N tests/bench/idle_cpu.sh [seconds] (default 60). Needs a build (tools/build.sh) and an X display
# (Xvfb will do): Wine's notification area needs one, and without it the Today screen shows its window instead.
set -euo pipefail
[ -n "${DISPLAY:-}" ] || { echo "idle_cpu: needs an X display, for example: Xvfb :90 & DISPLAY=:90 $0" >&2; exit 2; }
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${FESTIVO_BUILD:-$root/build}
seconds=${1:-60}
bin=$build/bin
export WINEPREFIX=$build/wine-idle WINEDEBUG=-all
"$root/tools/wine-prefix.sh" "$WINEPREFIX"
wineserver -p >/dev/null 2>&1 </dev/null
started=()
cleanup() {
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
  wineserver -k >/dev/null 2>&1 || true
}
trap cleanup EXIT
wine "$bin/wine-desktop.exe" >/dev/null 2>&1 </dev/null || true

winpath() { winepath -w "$1" 2>/dev/null; }
wine reg add 'HKLM\Software\Microsoft\Today\Items\Festivo' /v DLL /t REG_SZ /d "$(winpath "$bin/FestivoPanel.dll")" /f >/dev/null 2>&1
for v in Type:4 Enabled:1 Options:1 Selectability:2; do
  wine reg add 'HKLM\Software\Microsoft\Today\Items\Festivo' /v "${v%%:*}" /t REG_DWORD /d "${v##*:}" /f >/dev/null 2>&1
done
wine reg add 'HKCU\SOFTWARE\Quorvane\Birthday' /v APPPATH /t REG_SZ /d "$(winpath "$bin")\\" /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Festivo\ContactStore' /v AddressBook /t REG_SZ /d "$(winpath "$root/demo/contacts.vcf")" /f >/dev/null 2>&1
wine regsvr32 /s "$(winpath "$bin/festivo_store.dll")" >/dev/null 2>&1

# CPU time (user + system) of one process in clock ticks.
ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null || echo 0; }
# The process of that name running in this prefix (wine hands programs on to processes of their own).
ours() { for p in $(pgrep "$1"); do tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && echo "$p"; done | tail -n 1; }

wine "$bin/TodayHost.exe" /tray >/dev/null 2>&1 </dev/null &
started+=($!)
wine notepad.exe >/dev/null 2>&1 </dev/null &
started+=($!)
sleep 10 # start-up, first load and first calendar write are not idle
host=$(ours TodayHost.exe)
peer=$(ours notepad.exe)
[ -n "$host" ] && [ -n "$peer" ] || { echo "idle_cpu: TodayHost.exe or notepad.exe did not start" >&2; exit 1; }
# This prefix's server: the one working in the folder named after the prefix's device and inode.
serverdir=server-$(printf '%x-%x' "$(stat -c %d "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")
server=0
for p in $(pgrep wineserver); do [ "$(basename "$(readlink "/proc/$p/cwd")")" = "$serverdir" ] && server=$p; done
h0=$(ticks $host); p0=$(ticks $peer); s0=$(ticks "$server"); t0=$(date +%s.%N)
sleep "$seconds"
h1=$(ticks $host); p1=$(ticks $peer); s1=$(ticks "$server"); t1=$(date +%s.%N)
hz=$(getconf CLK_TCK)
pct() { awk -v a="$1" -v b="$2" -v hz="$hz" -v t0="$t0" -v t1="$t1" 'BEGIN { printf "%.3f", 100 * (b - a) / hz / (t1 - t0) }'; }
printf '%-44s %10s\n' "idle for ${seconds} s" "% of a core"
printf '%-44s %10s\n' "$(cat /proc/$host/comm) /tray (icon, Festivo item)" "$(pct "$h0" "$h1")"
printf '%-44s %10s\n' "$(cat /proc/$peer/comm) (peer, idle window)" "$(pct "$p0" "$p1")"
printf '%-44s %10s\n' "wineserver (both, and the desktop)" "$(pct "$s0" "$s1")"
