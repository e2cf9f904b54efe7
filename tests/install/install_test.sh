#!/usr/bin/env bash
# Installs the Windows installer in a fresh Wine prefix of its own, runs Festivo and the Today screen from
# it, upgrades it with a newer package and removes it: what it wrote goes, the user's settings stay.
#   tests/install/install_test.sh <source folder> <build folder>
set -euo pipefail
root=$1
build=$(realpath "$2")
version=$(tr -d ' \r\n' <"$root/VERSION")
msi=$build/festivo-$version-x64.msi
probe=$build/bin/install_probe.exe
[ -f "$msi" ] && [ -f "$probe" ] || { echo "FAIL: build $msi and $probe first" >&2; exit 1; }

export WINEPREFIX=$build/wine-install WINEDEBUG=-all
# No desktop menu entries outside the prefix for the shortcuts the package makes.
export WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
work=$(mktemp -d)
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
wineserver -k >/dev/null 2>&1 || true
rm -rf "$WINEPREFIX"
"$root/tools/wine-prefix.sh" "$WINEPREFIX" headless
wineserver -p >/dev/null 2>&1 </dev/null
# The desktop starts with the first window: here, with pipes of no one's, not with a checked command's.
wine "$build/bin/wine-desktop.exe" >/dev/null 2>&1 </dev/null || true

failures=0
passes=0
check() { # check <what> <command...>: one line per check, the run goes on after a failure
  local what=$1
  shift
  if "$@" >"$work/out" 2>&1; then
    passes=$((passes + 1))
    echo "ok: $what"
  else
    failures=$((failures + 1))
    echo "FAIL: $what"
    sed 's/^/    /' "$work/out"
  fi
}
w() { timeout 300 wine "$@" </dev/null 2>/dev/null | tr -d '\r'; }
winpath() { winepath -w "$1" 2>/dev/null; }
msiexec() { timeout 300 wine msiexec "$@" </dev/null >/dev/null 2>&1; }
# reg_value <key> <name>: the value's data, or nothing (and failure) when it is absent.
reg_value() { w reg query "$1" /v "$2" /reg:64 | sed -n "s/^ *$2 *REG_[A-Z_]* *//p" | grep .; }
reg_default() { w reg query "$1" /ve /reg:64 | sed -n 's/^ *(Default) *REG_[A-Z_]* *//p' | grep .; }
reg_absent() { ! w reg query "$1" /reg:64 >/dev/null; }
value_absent() { ! w reg query "$1" /v "$2" /reg:64 >/dev/null; }
fails() { ! "$@"; }
empty() { ! grep . "$1"; }
no_files() { ! find "$WINEPREFIX/drive_c" "$@" | grep .; }
equals() { [ "$1" = "$2" ] || { echo "expected '$2', got '$1'"; return 1; }; }
# The installer's own records name products and components by packed codes (each group of the GUID
# reversed): the codes of both packages, to be found in the registry like the names.
packed() { python3 -c 'import sys
for g in sys.argv[1:]:
    h = g.strip("{}").replace("-", "").upper()
    print(h[7::-1] + h[11:7:-1] + h[15:11:-1] + "".join(h[i + 1] + h[i] for i in range(16, 32, 2)))' "$@"; }
codes() { { msiinfo export "$1" Property | awk -F'\t' '$1 == "ProductCode" || $1 == "UpgradeCode" {print $2}'
            msiinfo export "$1" Component | awk -F'\t' 'NR > 3 {print $2}'; } | tr -d '\r'; }
# Lines of the whole registry naming one of ours: Festivo, its settings key, the store's class, our codes.
ours() { w regedit /E "$(winpath "$work/$1.reg")"; iconv -f utf-16 -t utf-8 "$work/$1.reg" | tr -d '\r' |
         { grep -i -E "festivo|quorvane|05058F23-20BE-11D2-8F18-0000F87A4335|todayhost|$pattern" || true; } |
         sort -u; }
uninstall_entries() { w reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s /reg:64 |
                      grep -c -E '^ *DisplayName +REG_SZ +Festivo$' || true; }

program='C:\Program Files\Festivo'
dir=$(winepath -u "$program" 2>/dev/null)
settings='HKCU\SOFTWARE\Quorvane\Birthday'
store='HKCU\Software\Festivo\ContactStore'
today='HKLM\Software\Microsoft\Today\Items\Festivo'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
run_name='Festivo Today screen'
class='HKCR\CLSID\{05058F23-20BE-11D2-8F18-0000F87A4335}'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'

# A newer package of the same programs, told apart by its README.
IFS=. read -r major minor patch <<<"$version"
newer=$major.$minor.$((patch + 1))

mkdir -p "$work/book"
cat >"$work/book/contacts.vcf" <<'VCF'
BEGIN:VCARD
VERSION:3.0
N:Lindqvist;Maja;;;
FN:Maja Lindqvist
BDAY:1984-03-11
END:VCARD
BEGIN:VCARD
VERSION:3.0
N:Okafor;Chidi;;;
FN:Chidi Okafor
BDAY:1990-07-23
END:VCARD
BEGIN:VCARD
VERSION:3.0
N:Tanaka;Yui;;;
FN:Tanaka Yui
BDAY:1975-12-02
END:VCARD
VCF
book=$(winpath "$work/book")
cp "$work/book/contacts.vcf" "$work/book.before"
"$root/tools/package.sh" --bin "$build/bin" --out "$work" --version "$newer" >/dev/null
pattern=$(packed $(codes "$msi") $(codes "$work/festivo-$newer-x64.msi") | sort -u | paste -sd'|')
keeper=$(packed "$(msiinfo export "$msi" Component | awk -F'\t' '$1 == "AddressBook" {print $2}')")
ours before >"$work/ours.before"

echo "== without an address book"
# Installed without one in the fresh prefix: Festivo asks, and as long as none is chosen its list says how.
check "msiexec /i /qn without ADDRESSBOOK succeeds" msiexec /i "$(winpath "$msi")" /qn
check "Festivo asks for an address book once, then its list says how to choose one" \
  w "$probe" nobook "$program\\festivo.exe" 60
check "msiexec /x /qn succeeds" msiexec /x "$(winpath "$msi")" /qn
w reg delete "$store" /v AddressBook /f /reg:64 >/dev/null || true

echo "== install $(basename "$msi")"
check "msiexec /i /qn ADDRESSBOOK=... succeeds" msiexec /i "$(winpath "$msi")" /qn ADDRESSBOOK="$book"
for f in festivo.exe FestivoPanel.dll festivo.zrs festivo_store.dll TodayHost.exe README.txt; do
  check "$f is in the program folder" test -f "$dir/$f"
done
check "festivo.exe is the built one" cmp "$dir/festivo.exe" "$build/bin/festivo.exe"
check "APPPATH is the program folder with its backslash" equals "$(reg_value "$settings" APPPATH)" "$program\\"
check "the store's address book is the one named" equals "$(reg_value "$store" AddressBook)" "$book"
check "the store's class is registered in the program folder" \
  equals "$(reg_default "$class\\InprocServer32")" "$program\\festivo_store.dll"
check "the store's threading model is Both" equals "$(reg_value "$class\\InprocServer32" ThreadingModel)" Both
check "one uninstall entry" equals "$(uninstall_entries)" 1
entry=$(w reg query "$uninstall_key" /s /reg:64 | awk '/^HKEY/ {key=$0} /DisplayName +REG_SZ +Festivo$/ {print key}')
check "the uninstall entry has version $version" equals "$(reg_value "$entry" DisplayVersion)" "$version"
check "the uninstall entry has the publisher" equals "$(reg_value "$entry" Publisher)" Quorvane
check "the uninstall entry names the program folder" equals "$(reg_value "$entry" InstallLocation)" "$program\\"
check "no Today item before Festivo's first start" reg_absent "$today"
check "the Today screen starts at log-on, in the notification area" \
  equals "$(reg_value "$run_key" "$run_name")" "\"$program\\TodayHost.exe\" /tray"

echo "== run"
# Logging on comes before Festivo's first start: the Today screen takes up the item Festivo registers then.
w "$probe" logon "$program\\TodayHost.exe" /tray 120 >"$work/logon" 2>&1 &
logon=$!
check "Festivo starts from its folder and lists the three birthdays" \
  w "$probe" festivo "$program\\festivo.exe" 3 60
logon_result() { local status=0; wait "$logon" || status=$?; cat "$work/logon"; return $status; }
check "started at log-on, the Today screen shows the item registered after it, its icon in the notification area" \
  logon_result
calendar=$(find "$WINEPREFIX/drive_c/users" -ipath '*/AppData/Local/Festivo/birthdays.ics' | head -n 1)
check "the Today item wrote birthdays.ics in the user's local application data" test -n "$calendar"
check "birthdays.ics holds the three birthdays" equals "$(grep -c '^BEGIN:VEVENT' "$calendar" 2>/dev/null)" 3
check "birthdays.ics names Maja Lindqvist's birthday" grep -q '^SUMMARY:Maja Lindqvist (birthday)' "$calendar"
check "the installed Festivo has a menu bar and its list fills it at 900 x 700" \
  w "$probe" desktop "$program\\festivo.exe" 60
check "Festivo registered its Today item" equals "$(reg_value "$today" DLL)" '\Windows\FestivoPanel.dll'
check "the Today item is enabled" equals "$(reg_value "$today" Enabled)" 0x1
lnk=$(w "$probe" menu 'Festivo\Today screen.lnk' || true)
check "Start menu has Today screen" test -n "$lnk"
target=$(w "$probe" link "$lnk" | sed -n 1p || true)
check "Today screen starts TodayHost.exe of the program folder" equals "$target" "$program\\TodayHost.exe"
check "the Today screen shows the Festivo item" w "$probe" today "$target" 60
festivo_lnk=$(w "$probe" menu 'Festivo\Festivo.lnk' || true)
check "Start menu's Festivo starts festivo.exe in its folder" \
  equals "$(w "$probe" link "$festivo_lnk" | paste -sd'|')" "$program\\festivo.exe|$program\\"
check "the address book is unchanged" cmp "$work/book/contacts.vcf" "$work/book.before"

echo "== upgrade to $newer"
check "msiexec /i /qn of $newer succeeds" msiexec /i "$(winpath "$work/festivo-$newer-x64.msi")" /qn
check "still one uninstall entry" equals "$(uninstall_entries)" 1
entry=$(w reg query "$uninstall_key" /s /reg:64 | awk '/^HKEY/ {key=$0} /DisplayName +REG_SZ +Festivo$/ {print key}')
check "the uninstall entry has version $newer" equals "$(reg_value "$entry" DisplayVersion)" "$newer"
check "the README is the new one" grep -q "Festivo $newer" "$dir/README.txt"
check "festivo.exe is still there" test -f "$dir/festivo.exe"
check "APPPATH is still the program folder" equals "$(reg_value "$settings" APPPATH)" "$program\\"
check "the address book setting stayed" equals "$(reg_value "$store" AddressBook)" "$book"
# The older package's removal takes the Today item registration along; Festivo writes it again.
reg_absent "$today" && echo "note: the Today item is registered again at Festivo's next start"
check "Festivo runs after the upgrade" w "$probe" festivo "$program\\festivo.exe" 3 60
check "Festivo registered its Today item again" equals "$(reg_value "$today" DLL)" '\Windows\FestivoPanel.dll'
check "the Today screen shows the item after the upgrade" w "$probe" today "$program\\TodayHost.exe" 60

check "the older package refuses to replace the newer" fails msiexec /i "$(winpath "$msi")" /qn
check "the newer version stays installed" equals "$(reg_value "$entry" DisplayVersion)" "$newer"

echo "== uninstall"
check "the contact store keeps an index of the address book" \
  test -n "$(find "$WINEPREFIX/drive_c/users" -ipath '*/AppData/Local/Festivo/AddressBooks/*.idx')"
# A setting of the user's own beside APPPATH (in its range: the programs running at removal write it back), which removal keeps.
w reg add "$settings" /v TodayMaxLines /t REG_DWORD /d 3 /f /reg:64 >/dev/null
check "msiexec /x /qn succeeds while Festivo and the Today screen run, and ends them" \
  w "$probe" removal "$(winpath "$work/festivo-$newer-x64.msi")" 120 "$program\\festivo.exe" "$program\\TodayHost.exe"
check "the program folder is gone" test ! -e "$dir"
check "the Start menu folder is gone" no_files -ipath '*Start Menu*festivo*'
check "no uninstall entry" equals "$(uninstall_entries)" 0
check "the Today item registration is gone" reg_absent "$today"
check "the log-on start is gone" value_absent "$run_key" "$run_name"
check "the store's class is gone" reg_absent "$class"
check "APPPATH is gone" value_absent "$settings" APPPATH
check "the user's own setting stayed" equals "$(reg_value "$settings" TodayMaxLines)" 0x3
check "the address book setting stayed" equals "$(reg_value "$store" AddressBook)" "$book"
check "the address book is unchanged" cmp "$work/book/contacts.vcf" "$work/book.before"
# The user's own files in the local application data (the birthdays calendar) stay; the contact store's index
# (names and e-mails of the address book) goes with the removing user's removal.
check "no file of ours is left" no_files -ipath '*/AppData/Local/Festivo' -prune -o \( -iname '*festivo*' -o -iname 'TodayHost*' \) -print
check "the store's index cache is gone" no_files -ipath '*/AppData/Local/Festivo/AddressBooks*'

# What stays in the registry: the user's settings key and the store's address book (also seen through
# HKEY_USERS), and the installer's record that the address book value is kept on purpose.
ours after >"$work/ours.after"
user='\[HKEY_(CURRENT_USER|USERS\\S-[-0-9]+)\\Software\\'
comm -13 "$work/ours.before" "$work/ours.after" |
  grep -v -x -i -E "$user"'(Quorvane|Quorvane\\Birthday|Festivo|Festivo\\ContactStore|Festivo\\Device|Festivo\\Device\\Windows)\]|"AddressBook"=".*"' |
  grep -v -x -i -E '"(festivoApp|FestivoTodayHost)"=hex:.*' |
  grep -v -x -i -E '\[HKEY_LOCAL_MACHINE\\.*\\Installer\\UserData\\S-1-5-18\\Components\\'"$keeper"'\]' |
  grep -v -x -E '"0{32}"="01:\\\\Software\\\\Festivo\\\\ContactStore\\\\AddressBook"' >"$work/left" || true
check "no registry key or value of ours is left but the user's settings" empty "$work/left"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
