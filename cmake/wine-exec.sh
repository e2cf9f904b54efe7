#!/usr/bin/env bash
# Runs one Windows program under Wine in the project's test prefix (set up by tools/wine-prefix.sh).
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${FESTIVO_WINEPREFIX:-$here/build/wine-test}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
exec wine "$@"
