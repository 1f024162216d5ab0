#!/usr/bin/env bash
# Installs what the build and the tests need, once. Cheap when everything is there.
set -euo pipefail
need=()
have() { command -v "$1" >/dev/null 2>&1; }
pkg_ok() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
PKGS=(cmake ninja-build g++ clang zlib1g-dev googletest libgtest-dev libbenchmark-dev
      g++-mingw-w64-i686 mingw-w64-i686-dev g++-mingw-w64-x86-64 mingw-w64-x86-64-dev libz-mingw-w64-dev
      wine wine64 wine32:i386 xvfb xcompmgr xdotool imagemagick x11-utils
      libpng-dev libgif-dev libclang-rt-14-dev nsis zip p7zip-full)
for p in "${PKGS[@]}"; do pkg_ok "$p" || need+=("$p"); done
[ ${#need[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages: ${need[*]} (run as root to install them)" >&2; exit 1
fi
echo "installing: ${need[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then dpkg --add-architecture i386; fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
