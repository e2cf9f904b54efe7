#!/usr/bin/env bash
# Builds the Windows installer festivo-<version>-x64.msi from tools/installer/festivo.wxs with wixl.
#   tools/package.sh                                  builds everything, then the package in the build folder
#   tools/package.sh --bin DIR [--out DIR] [--version X.Y.Z]   packages the programs already built in DIR
# The version is the VERSION file's unless given; each version gets a product code of its own, derived
# from it, so that a newer package upgrades an older one and the same version stays the same product.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FESTIVO_BUILD:-$root/build}
bin=""
out=""
version=$(tr -d ' \r\n' <"$root/VERSION")
while [ $# -gt 0 ]; do
  case "$1" in
    --bin) bin=$2; shift ;;
    --out) out=$2; shift ;;
    --version) version=$2; shift ;;
    *) echo "unknown option: $1" >&2; exit 2 ;;
  esac
  shift
done
# Windows Installer compares three fields: major and minor up to 255, build up to 65535.
if ! [[ $version =~ ^([0-9]{1,3})\.([0-9]{1,3})\.([0-9]{1,5})$ ]] || [ "${BASH_REMATCH[1]}" -gt 255 ] ||
   [ "${BASH_REMATCH[2]}" -gt 255 ] || [ "${BASH_REMATCH[3]}" -gt 65535 ]; then
  echo "package: version '$version' is not major.minor.build (at most 255.255.65535)" >&2
  exit 2
fi

if [ -z "$bin" ]; then
  FESTIVO_BUILD=$build "$root/tools/build.sh"
  bin=$build/bin
fi
out=${out:-$(dirname "$bin")}
for f in festivo.exe FestivoPanel.dll festivo.zrs festivo_store.dll TodayHost.exe; do
  [ -f "$bin/$f" ] || { echo "package: $bin/$f is missing (build first)" >&2; exit 1; }
done
command -v wixl >/dev/null && command -v msibuild >/dev/null ||
  { echo "package: wixl and msibuild are missing: apt-get install wixl msitools" >&2; exit 1; }

mkdir -p "$out"
msi=$(realpath -m "$out/festivo-$version-x64.msi")
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
# wixl takes the files by names relative to where it runs: gather them in one folder.
cp "$bin"/{festivo.exe,FestivoPanel.dll,festivo.zrs,festivo_store.dll,TodayHost.exe,demo-contacts.vcf} "$stage/"
sed "s/@VERSION@/$version/g; s/\$/\r/" "$root/tools/installer/README.txt" >"$stage/README.txt"
code=$(python3 -c 'import sys, uuid; print(str(uuid.uuid5(uuid.UUID("CBDEE3B9-1704-478C-A82F-F8B7F5C54DA4"), "festivo-x64-" + sys.argv[1])).upper())' "$version")

(cd "$stage" && wixl -a x64 -D Version="$version" -D ProductCode="$code" -o festivo.msi "$root/tools/installer/festivo.wxs")
# wixl writes no component conditions or permanence: the address book is written only when named, and kept.
# ADDRESSBOOK is secure so that it reaches the elevated part of the installation.
msibuild "$stage/festivo.msi" -q \
  "UPDATE Component SET Condition = 'ADDRESSBOOK', Attributes = 276 WHERE Component = 'AddressBook'"
msibuild "$stage/festivo.msi" -q "UPDATE Component SET Condition = 'WINE' WHERE Component = 'WineFontLink'"
msibuild "$stage/festivo.msi" -q \
  "UPDATE Property SET Value = 'WIX_DOWNGRADE_DETECTED;WIX_UPGRADE_DETECTED;ADDRESSBOOK' WHERE Property = 'SecureCustomProperties'"
# Closing the running programs before a removal checks for files in use (see festivo.wxs for why here).
msibuild "$stage/festivo.msi" -q \
  "INSERT INTO InstallExecuteSequence (Action, Condition, Sequence) VALUES ('SetRundll', '', 1398)"
msibuild "$stage/festivo.msi" -q \
  "INSERT INTO InstallExecuteSequence (Action, Condition, Sequence) VALUES ('CloseForRemoval', 'REMOVE~=\"ALL\"', 1399)"
# An older version is removed right after InstallValidate, before anything of the new one is registered:
# removed later, it takes the shared upgrade record along and an older package no longer sees the newer one.
sequence() { msiinfo export "$stage/festivo.msi" InstallExecuteSequence | tr -d '\r' | awk -F'\t' -v a="$1" '$1 == a {print $3}'; }
if [ "$(sequence RemoveExistingProducts)" != $(($(sequence InstallValidate) + 1)) ]; then
  echo "package: RemoveExistingProducts is not right after InstallValidate" >&2
  exit 1
fi
mv -f "$stage/festivo.msi" "$msi"
echo "$msi"
