#!/usr/bin/env bash
# Runs the window suites once more under Wine's heap checking, which fills freed memory with 0xfeeefeee:
# a window procedure that touches a freed object then raises an exception that Wine swallows in its
# callback dispatcher and reports on stderr. Any such report, or any report of the heap, fails the run.
# Expects WINEPREFIX with a running wineserver (as tools/test.sh sets up). Arguments: ctest's -R regex.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FESTIVO_BUILD:-$root/build}
filter=""
while [ $# -gt 0 ]; do
  case "$1" in
    -R) filter=${2:-}; shift ;;
  esac
  shift
done
probe() { (cd "$build/bin" && wine wine-desktop.exe >/dev/null 2>&1 </dev/null); }
# A server left unable to make windows (seen after programs killed in the middle of a window call) would fail
# every window test here: said so, and the prefix's server started afresh once.
if ! probe && ! { sleep 1; probe; }; then
  echo "heap check: no window can be made in $WINEPREFIX; its wineserver is started afresh" >&2
  wineserver -k >/dev/null 2>&1
  wineserver -p >/dev/null 2>&1 </dev/null
fi
# The desktop held for the whole check, as tools/test.sh holds it for the whole run.
(cd "$build/bin" && exec wine wine-desktop.exe --hold >/dev/null 2>&1 </dev/null) &
holder=$!
trap 'kill "$holder" 2>/dev/null' EXIT
status=0
for suite in framework_tests app_tests today_tests; do
  if [ -n "$filter" ] && ! [[ $suite =~ $filter ]]; then
    continue
  fi
  log=$build/heapcheck-$suite.log
  out=$build/heapcheck-$suite.out
  # Without a window the window suites fail at their first step and check nothing: said so, not taken as a report.
  made=0
  for attempt in 1 2 3; do
    probe && { made=1; break; }
    sleep 1
  done
  if [ $made = 0 ]; then
    echo "heap check of $suite: not run, no window can be made in the prefix $WINEPREFIX" >&2
    status=1
    continue
  fi
  # A run that hangs is stopped after five minutes and made once more, said so; a second hang fails.
  for attempt in 1 2; do
    (cd "$build/bin" && WINEDEBUG=-all,err+seh,err+heap,warn+heap timeout 300 wine "$suite.exe" --gtest_color=no \
      >"$out" 2>"$log" </dev/null)
    result=$?
    [ $result -ne 124 ] && break
    echo "heap check of $suite: stopped after 300 s without finishing (attempt $attempt)" >&2
  done
  if [ $result -eq 124 ]; then
    status=1
    continue
  fi
  # Freed memory filled with a pattern can change what a test sees: a test failing here is a finding too.
  failed=$(grep -E '^\[  FAILED  \] [^ ]+\.[^ ]+' "$out" | sort -u || true)
  if [ $result -ne 0 ] || [ -n "$failed" ]; then
    echo "heap check of $suite: the suite failed under heap checking (exit $result):" >&2
    printf '%s\n' "$failed" | head -n 10 >&2
    echo "(its output in $out)" >&2
    status=1
  fi
  reports=$(grep -E 'ignoring exception|exception .* in window proc|:heap:' "$log" || true)
  if [ -n "$reports" ]; then
    echo "heap check of $suite: Wine reported $(printf '%s\n' "$reports" | wc -l) problem(s), first ones:" >&2
    printf '%s\n' "$reports" | head -n 5 >&2
    echo "(full stderr in $log; run one test with WINEDEBUG=err+seh,warn+heap to find it)" >&2
    status=1
  else
    echo "heap check of $suite: no swallowed exception, no heap report"
  fi
done
exit $status
