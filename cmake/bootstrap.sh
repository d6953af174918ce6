#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
# Safe to run again: it changes nothing when everything is present.
set -euo pipefail

native=(cmake ninja-build make g++ clang-format googletest libgtest-dev libgmock-dev libbenchmark-dev
        g++-mingw-w64-x86-64 g++-mingw-w64-i686 mingw-w64-tools libwine-dev
        wine64 wine64-tools xvfb xauth python3 nsis imagemagick clang libclang-rt-14-dev)
foreign=(wine32:i386)

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive

missing() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || echo "$p"
  done
}

need=($(missing "${native[@]}"))
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "bootstrap: adding the i386 architecture (32-bit Wine runs the x86 DLL tests)"
  $SUDO dpkg --add-architecture i386
  updated_arch=1
fi
need32=($(missing "${foreign[@]}"))

if [ ${#need[@]} -eq 0 ] && [ ${#need32[@]} -eq 0 ]; then
  echo "bootstrap: all packages present"
  exit 0
fi
echo "bootstrap: refreshing the package lists (missing: ${need[*]} ${need32[*]})"
$SUDO apt-get update -qq
if [ ${#need[@]} -gt 0 ]; then
  echo "bootstrap: installing ${need[*]}"
  $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
if [ ${#need32[@]} -gt 0 ]; then
  echo "bootstrap: installing ${need32[*]}"
  $SUDO apt-get install -y -qq --no-install-recommends "${need32[@]}" >/dev/null
fi
echo "bootstrap: done"
