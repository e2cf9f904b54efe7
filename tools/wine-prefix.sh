#!/usr/bin/env bash
# Prepares a project-local Wine prefix: boots it once, and for tests switches to the null display driver.
# Usage: tools/wine-prefix.sh <prefix-dir> [headless]
set -euo pipefail
prefix=$(realpath -m "$1")
mode=${2:-}
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=

if [ ! -f "$prefix/system.reg" ]; then
  mkdir -p "$prefix"
  # Wine's background services inherit the pipes of whoever starts them first: boot with our own.
  wineboot -i >/dev/null 2>&1 </dev/null
  wineserver -w
fi
if [ "$mode" = headless ]; then
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /t REG_SZ /d null /f >/dev/null 2>&1 </dev/null
fi
# Let the server of these set-up steps end, so that the next program starts a fresh one that reads them.
wineserver -w
