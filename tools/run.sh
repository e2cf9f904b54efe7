#!/usr/bin/env bash
# Builds Festivo, installs it into its own Wine prefix and starts it beside the Today screen.
# Without a display it runs under Xvfb and writes a screenshot instead.
#   tools/run.sh [--vga] [--smartphone | --desktop] [--screenshot FILE] [--seconds N]
# --desktop is the installed program's profile: resizable window with a menu bar, captioned dialogs;
# under Xvfb it runs with a window manager (openbox), as on a desktop.
# The address book is FESTIVO_ADDRESS_BOOK (a .vcf file or a folder of them), else the one already
# configured in the prefix, else the demo address book demo/contacts.vcf.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FESTIVO_BUILD:-$root/build}
dpi=96
platform=PocketPC
shot=""
seconds=12
while [ $# -gt 0 ]; do
  case "$1" in
    --vga) dpi=192 ;;
    --smartphone) platform=Smartphone ;;
    --desktop) platform=Desktop ;;
    --screenshot) shot=$2; shift ;;
    --seconds) seconds=$2; shift ;;
    *) echo "unknown option: $1" >&2; exit 2 ;;
  esac
  shift
done

desktop=""
[ "$platform" = Desktop ] && desktop=1
# The desktop profile is looked at with a window manager; only this command needs one.
[ -n "$desktop" ] && { [ -n "${DISPLAY:-}" ] && [ -z "$shot" ] || "$root/tools/deps.sh" openbox; }
FESTIVO_BUILD=$build "$root/tools/build.sh"

export WINEPREFIX=$build/wine-run WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
"$root/tools/wine-prefix.sh" "$WINEPREFIX"
bin=$build/bin
winbin=$(winepath -w "$bin/" 2>/dev/null)

# Install: program folder, contact store registration and address book, device profile.
book=${FESTIVO_ADDRESS_BOOK:-}
configured=$(wine reg query 'HKCU\Software\Festivo\ContactStore' /v AddressBook 2>/dev/null | tr -d '\r' |
             sed -n 's/.*REG_SZ[[:space:]]*//p' || true)
if [ -n "$book" ]; then
  book=$(winepath -w "$(realpath "$book")" 2>/dev/null)
elif [ -n "$configured" ]; then
  book=$configured
else
  book=$(winepath -w "$root/demo/contacts.vcf" 2>/dev/null)
fi
esc() { printf '%s' "$1" | sed 's/\\/\\\\/g'; }
reg=$build/festivo-install.reg
cat >"$reg" <<REG
REGEDIT4

[HKEY_CURRENT_USER\\SOFTWARE\\Quorvane\\Birthday]
"APPPATH"="$(esc "$winbin")"

[HKEY_CURRENT_USER\\Software\\Festivo\\ContactStore]
"AddressBook"="$(esc "$book")"

[HKEY_CURRENT_USER\\Software\\Festivo\\Device]
"Platform"="$platform"
"Dpi"=dword:$(printf '%08x' "$dpi")

[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]
"Decorated"="$([ -n "$desktop" ] && echo Y || echo N)"

[HKEY_CURRENT_USER\\Control Panel\\Desktop]
"LogPixels"=dword:$(printf '%08x' "$dpi")

[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts]
"LogPixels"=dword:$(printf '%08x' "$dpi")
REG
wine regedit /S "$(winepath -w "$reg")" </dev/null
# Wine draws the caption buttons with Marlett; Debian keeps the font where Wine does not look for it.
marlett=/usr/share/wine/fonts/marlett.ttf
[ -f "$marlett" ] && cp -f "$marlett" "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
# Names in Chinese, Japanese and Korean: the device font falls back to a CJK font of the system.
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v Tahoma \
  /t REG_MULTI_SZ /d "wqy-microhei.ttc,WenQuanYi Micro Hei" /f /reg:64 >/dev/null 2>&1 </dev/null
wine regsvr32 /s "$(winepath -w "$bin/festivo_store.dll")" </dev/null
echo "Address book: $book"

# festivo.exe registers the Today item at its first start; the Today screen then shows it, to its right.
start_programs() {
  (cd "$bin" && wine festivo.exe </dev/null >/dev/null 2>&1 &)
  sleep 4
  (cd "$bin" && wine TodayHost.exe </dev/null >/dev/null 2>&1 &)
  sleep 3
  local today
  today=$(xdotool search --sync --onlyvisible --name '^Today$' 2>/dev/null | head -n 1 || true)
  # On the desktop both windows take their own places: the Today screen at the right of the screen.
  [ -n "$today" ] && [ -z "$desktop" ] && xdotool windowmove "$today" $((dpi * 260 / 96)) 0 2>/dev/null || true
}

if [ -n "${DISPLAY:-}" ] && [ -z "$shot" ]; then
  start_programs
  echo "Festivo is running (close its window or choose Menu > Exit)."
  wineserver -w
  exit 0
fi

shot=${shot:-$build/festivo-screenshot.png}
display=${FESTIVO_DISPLAY:-:$((90 + RANDOM % 9))}
screen=1024x768
[ -n "$desktop" ] && screen=$((800 * dpi / 96))x$((600 * dpi / 96))
Xvfb "$display" -screen 0 "${screen}x24" -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
wm=""
trap 'wineserver -k >/dev/null 2>&1 || true; [ -n "$wm" ] && kill $wm 2>/dev/null; kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=$display
sleep 1
if [ -n "$desktop" ]; then
  openbox >/dev/null 2>&1 &
  wm=$!
  sleep 1
fi
start_programs
sleep "$seconds"
import -display "$display" -window root "$shot.full.png"
# The programs sit on the black root window: keep just them.
convert "$shot.full.png" -trim +repage "$shot"
rm -f "$shot.full.png"
echo "No display: Festivo ran under Xvfb; screenshot written to $shot"
