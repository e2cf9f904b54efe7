#!/usr/bin/env bash
# Large address books as whole processes: khard and Festivo's data path (cold and warm) beside the floors
# of this system; prints one table. Usage: tests/bench/large_book.sh [contacts] (default 10000).
# Needs a build (tools/build.sh); installs khard when run as root (Debian package).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${FESTIVO_BUILD:-$root/build}
count=${1:-10000}
runs=${RUNS:-5}
bin=$build/bin

if ! command -v khard >/dev/null; then
  if [ "$(id -u)" -eq 0 ]; then DEBIAN_FRONTEND=noninteractive apt-get install -y -qq khard >/dev/null
  else echo "khard is missing: sudo apt-get install -y khard" >&2; exit 1; fi
fi

work=$(mktemp -d /tmp/festivo-large.XXXXXX)
export WINEPREFIX=$build/wine-bench WINEDEBUG=-all
"$root/tools/wine-prefix.sh" "$WINEPREFIX" headless
wineserver -p >/dev/null 2>&1 </dev/null
started=()
cleanup() {
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

# The address book: count files of one generated 3.0 card each, the same cards as one file, and a
# one-file book ten times as large.
python3 - "$work" "$count" <<'PY'
import os, sys
work, count = sys.argv[1], int(sys.argv[2])
def card(i):
    return ("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:bench-%d\r\nN:Family%d;Given%d;;;\r\nFN:Given%d Family%d\r\n"
            "BDAY:%04d-%02d-%02d\r\nTEL;TYPE=CELL:+1 555 %07d\r\nEMAIL;TYPE=INTERNET:given%d@example.com\r\n"
            "END:VCARD\r\n") % (i, i, i, i, i, 1940 + i % 70, 1 + i % 12, 1 + i % 28, i, i)
os.makedirs(work + "/folder")
for i in range(count):
    with open("%s/folder/bench-%05d.vcf" % (work, i), "w", newline="") as f:
        f.write(card(i))
with open(work + "/one.vcf", "w", newline="") as f:
    f.write("".join(card(i) for i in range(count)))
with open(work + "/large.vcf", "w", newline="") as f:
    f.write("".join(card(i) for i in range(count * 10)))
# 10 MB of the smallest cards there are (388,000): what the store does per card, beside the reader.
tiny = "BEGIN:VCARD\nFN:a\nEND:VCARD\n"
with open(work + "/tiny.vcf", "w", newline="") as f:
    f.write(tiny * ((10 << 20) // len(tiny) + 1))
PY
mkdir -p "$work/khard"
cat >"$work/khard/khard.conf" <<CONF
[addressbooks]
[[bench]]
path = $work/folder
CONF
win() { winepath -w "$1"; }
# Wine starts its desktop process with the first window of a session and ends it when the last one
# closes; a running program keeps it up, so the measured processes find it up too.
wine "$bin/floor.exe" hold >/dev/null 2>&1 </dev/null & started+=($!)
sleep 2

# Median wall time of runs whole-process runs (after one warm-up), in seconds.
median() {
  local times=() i start end
  "$@" >/dev/null 2>&1 || true
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N); "$@" >/dev/null 2>&1 || true; end=$(date +%s%N)
    times+=("$(( (end - start) / 1000000 ))")
  done
  printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "%.3f s", a[int((NR+1)/2)]/1000}'
}

datapath() { wine "$bin/datapath.exe" "$@"; }
setbook() { datapath setup "$(win "$1")" >/dev/null 2>&1; }

rows=()
row() { rows+=("$(printf '| %-66s | %10s |' "$1" "$2")"); }

khard_time=$(XDG_CONFIG_HOME=$work median khard birthdays)
row "khard birthdays, $count-file folder" "$khard_time"
setbook "$work/folder"
cold=$(median datapath load cold)
warm=$(median datapath load)
row "Festivo data path, $count-file folder, cold (no index)" "$cold"
row "Festivo data path, $count-file folder, warm" "$warm"
row "floor: bare Win32 program reading every file" "$(median wine "$bin/floor.exe" read "$(win "$work/folder")")"
list_floor=$(median wine "$bin/floor.exe" list "$(win "$work/folder")")
row "floor: bare Win32 program listing the folder" "$list_floor"
row "floor: bare Win32 program that does nothing (process start)" "$(median wine "$bin/floor.exe" start)"
row "floor: bare Win32 program that starts COM and makes a window (a store client)" "$(median wine "$bin/floor.exe" client)"
setbook "$work/one.vcf"
row "Festivo data path, $count cards in one file, cold" "$(median datapath load cold)"
row "Festivo data path, $count cards in one file, warm" "$(median datapath load)"
setbook "$work/large.vcf"
row "Festivo data path, $((count * 10)) cards in one file, cold" "$(median datapath load cold)"
row "Festivo data path, $((count * 10)) cards in one file, warm" "$(median datapath load)"
# Of a warm start: how long Wine's loader and the libraries take before Festivo's code runs.
reached=()
for ((i = 0; i < runs; i++)); do
  reached+=("$({ datapath load 2>/dev/null || true; } | sed -n 's/^program reached \([0-9]*\) ms.*/\1/p')")
done
row "of a warm start: the program reached after the process was created" \
  "$(printf '%s\n' "${reached[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)] " ms"}')"
# Peak working set of one cold load, and the sizes of the book and of its index.
sizes=$({ datapath load cold 2>/dev/null || true; } | grep -o '^peak working set.*' || echo "no figures")
row "$((count * 10)) cards in one file: $sizes" ""
setbook "$work/tiny.vcf"
row "Festivo data path, 10 MB of minimal cards ($(grep -c BEGIN "$work/tiny.vcf")), cold" "$(median datapath load cold)"
row "Festivo data path, 10 MB of minimal cards, warm" "$(median datapath load)"
sizes=$({ datapath load 2>/dev/null || true; } | grep -o '^peak working set.*' || echo "no figures")
row "minimal cards: $sizes" ""

# A change to one file of the folder, until the logged-on window has the store's message.
setbook "$work/folder"
latency=()
for ((i = 0; i < runs; i++)); do
  latency+=("$(datapath change "$(win "$work/folder/bench-0004$i.vcf")" 2>/dev/null || echo never)")
done
row "one file of the folder changed: message at the logged-on window" \
  "$(printf '%s\n' "${latency[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)] " ms"}')"

# Idle: the main program and the Today screen on the folder; CPU time over 20 s of the processes of this
# prefix (found by their environment), the two programs apart and with Wine's server and services.
cputicks() {
  local total=0 pid
  for pid in "$@"; do
    [ -r "/proc/$pid/stat" ] && total=$((total + $(awk '{print $14 + $15}' "/proc/$pid/stat" 2>/dev/null || echo 0)))
  done
  echo "$total"
}
prefix_pids() {
  local pid
  for pid in $(pgrep -u "$(id -u)" . || true); do
    { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
    if [ "$1" = programs ]; then grep -qE 'festivo\.exe|TodayHost\.exe' "/proc/$pid/cmdline" 2>/dev/null || continue; fi
    echo "$pid"
  done
}
wine "$bin/festivo.exe" >/dev/null 2>&1 </dev/null & started+=($!)
sleep 8
wine "$bin/TodayHost.exe" >/dev/null 2>&1 </dev/null & started+=($!)
sleep 8
programs=($(prefix_pids programs))
everything=($(prefix_pids all))
p0=$(cputicks "${programs[@]}"); e0=$(cputicks "${everything[@]}")
sleep 20
p1=$(cputicks "${programs[@]}"); e1=$(cputicks "${everything[@]}")
hz=$(getconf CLK_TCK)
percent() { awk -v t="$1" -v hz="$hz" 'BEGIN {printf "%.2f%%", 100 * t / hz / 20}'; }
row "idle 20 s, main program + Today screen: CPU of one core (${#programs[@]} processes)" "$(percent $((p1 - p0)))"
row "idle 20 s, the same with Wine's server and services" "$(percent $((e1 - e0)))"

echo "Large address books, whole processes, median of $runs runs; $(date -u +%Y-%m-%d), $(nproc) cores," \
  "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), $(wine --version)"
echo
printf '| %-66s | %10s |\n|%s|%s|\n' "what" "median" "$(printf -- '-%.0s' {1..68})" "$(printf -- '-%.0s' {1..12})"
printf '%s\n' "${rows[@]}"
