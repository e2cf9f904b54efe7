#!/usr/bin/env bash
# Installs the packages the build, the tests and the run command need (Debian/Ubuntu), when missing;
# extra package names given as arguments are installed too (the run command's window manager).
set -euo pipefail

packages=(cmake make python3 fonts-wine fonts-liberation g++-mingw-w64-x86-64-posix wine wine64 googletest xvfb x11-apps imagemagick xdotool fonts-wqy-microhei clang llvm libclang-rt-14-dev ccache wixl msitools radicale vdirsyncer python3-icalendar python3-vobject khard)
packages+=("$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}" >&2
  echo "Install them with: sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${missing[@]}" >/dev/null
