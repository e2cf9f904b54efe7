#!/usr/bin/env bash
# Builds everything and runs every test under Wine (installing what is missing on Debian/Ubuntu).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${FESTIVO_BUILD:-$root/build}

FESTIVO_BUILD=$build tools/build.sh

export FESTIVO_WINEPREFIX=$build/wine-test
# A run that was killed leaves its persistent server (and the desktop's holder) behind: end them first, or the
# prefix's set-up would wait for that server for ever.
WINEPREFIX=$FESTIVO_WINEPREFIX wineserver -k >/dev/null 2>&1 || true
tools/wine-prefix.sh "$FESTIVO_WINEPREFIX" headless
export WINEPREFIX=$FESTIVO_WINEPREFIX WINEDEBUG=-all
# One persistent server for the whole run: every test process then starts in a fraction of a second.
wineserver -p >/dev/null 2>&1 </dev/null
# The desktop starts with the first window: here, with our own pipes, before tests run side by side. One
# program holds it for the whole run, since Wine closes a desktop a moment after its last program ends and a
# program starting just then may make no window at all; a short program then checks that windows can be made.
wine "$build/bin/wine-desktop.exe" --hold >/dev/null 2>&1 </dev/null &
holder=$!
trap 'kill "$holder" 2>/dev/null; WINEPREFIX=$FESTIVO_WINEPREFIX wineserver -k >/dev/null 2>&1 || true' EXIT
for attempt in 1 2 3; do
  wine "$build/bin/wine-desktop.exe" >/dev/null 2>&1 </dev/null && break
  [ "$attempt" = 3 ] && echo "warning: the Wine desktop did not start: no window can be made" >&2
  sleep 1
done
kill -0 "$holder" 2>/dev/null || echo "warning: the program holding the Wine desktop ended" >&2
status=0
# One suite at a time: the suites share the prefix registry (settings key, address book of the store).
# A suite that hangs (a window test waiting on a dialog that never came) is stopped and run once more, said so.
ctest --test-dir "$build" --output-on-failure --timeout 900 --repeat after-timeout:2 "$@" || status=$?
FESTIVO_BUILD=$build python3 tests/carddav/run.py || status=$?
FESTIVO_BUILD=$build /usr/bin/python3 tests/carddav/birthdays.py || status=$?
FESTIVO_BUILD=$build tests/fuzz/run.sh || status=$?
# Other programs (python3-vobject as Radicale and khard call it, khard) read each card the editor changed.
FESTIVO_BUILD=$build /usr/bin/python3 tests/peers/run.py || status=$?
# The window suites once more under Wine's heap checking: use of freed memory in window code fails the run.
FESTIVO_BUILD=$build tools/heapcheck.sh "$@" || status=$?
exit $status
