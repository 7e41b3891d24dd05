#!/usr/bin/env bash
# Installs, when missing, the Debian packages that building, playing and testing
# need: MinGW-w64 cross compilers (posix threads), GoogleTest sources, CMake and
# Ninja, Wine 32- and 64-bit, Xvfb, xdotool, ImageMagick, clang (with its
# format and analysis tools) and any further packages named as arguments
# (tools/coverage.sh asks for gcovr). Idempotent; run as root.
set -euo pipefail

packages=(
  cmake ninja-build
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  googletest
  wine wine32:i386 wine64 fonts-wine
  xvfb xauth xdotool imagemagick x11-utils
  clang libclang-rt-14-dev clang-format clang-tidy
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = installed ] || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: missing packages (${missing[*]}); run this script as root" >&2
  exit 1
fi

echo "setup: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "setup: done"
