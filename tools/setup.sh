#!/usr/bin/env bash
# Installs, when missing, the Debian packages one command needs. Idempotent; run as root.
# Works on Debian 13 "trixie" and Debian 12 "bookworm": every name below is one
# that both releases offer without a version in it (clang, libclang-rt-dev and
# clang-format follow each release's own clang), and a release that lacks one
# is named in one line, with the package, before anything is installed.
#   tools/setup.sh play      building and playing the native program: the native set
#                            below (no Wine, no MinGW-w64); with no display also Xvfb,
#                            xdotool and ImageMagick (for the screenshot)
#   tools/setup.sh native    building the native Linux program alone: a compiler,
#                            CMake, Ninja, GTK 3's development files and the fonts
#   tools/setup.sh test      everything the test suite needs (the default): the above
#                            with the headless tools, GoogleTest, Python 3, g++ and clang
#                            with its sanitizer runtime, layout and analysis tools,
#                            the screen-reader bus with Python's bindings to it, Orca
#                            and speech-dispatcher, the locale sources and a settings
#                            daemon (XSETTINGS), and the web set
#   tools/setup.sh web       building, serving and playing the site: Debian's emscripten,
#                            the rounded face and what cuts it down (fonttools, brotli),
#                            librsvg's converter (the icons), Chromium with its driver
#                            and Python's selenium (the headless play and the tests)
#   tools/setup.sh package   what tools/package.sh and tools/package-check.sh need:
#                            the MinGW-w64 cross compilers and the native set (the
#                            programs), debhelper (the .deb), ImageMagick (icons),
#                            zip, lintian, AppStream's validator, wixl and msitools
#                            (the Windows installers), the site's build set; no Wine
# Further arguments after the set name are packages wanted too
# (tools/coverage.sh asks for gcovr).
set -euo pipefail

what=${1:-test}
[ $# -gt 0 ] && shift

# The Windows programs and Wine to run them (the test set's).
play=(
  cmake ninja-build
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine wine32:i386 wine64 fonts-wine
  fonts-liberation fonts-comfortaa
)
headless=(xvfb xauth xdotool imagemagick x11-utils)
native=(g++ cmake ninja-build pkg-config libgtk-3-dev fonts-liberation fonts-comfortaa)
# Reading the native program as a screen reader does, and closing it as a window manager would;
# and Debian's screen reader itself, with its speech server, hearing the game played.
accessibility=(dbus at-spi2-core python3-pyatspi python3-xlib orca speech-dispatcher)
# For the native tests: the locale sources a comma-decimal language is compiled from
# (localedef), and a settings daemon that changes the desktop's text size while the game runs.
desktop=(locales xsettingsd)
# The site: the compiler, the served face cut to the game's characters (woff2 wants brotli) and the
# icons; and the browser that plays it, with the faces the native program draws with.
site=(emscripten fonts-comfortaa fonttools python3-brotli librsvg2-bin)
web=("${site[@]}" chromium chromium-driver python3-selenium fonts-liberation)
# chromedriver speaks to the browser it starts at "localhost"; where this machine cannot look that name up (no
# /etc/hosts, as in a minimal Debian root) the name service's myhostname module, Debian's, answers it.
getent hosts localhost >/dev/null || web+=(libnss-myhostname)

case "$what" in
  play)
    packages=("${native[@]}")
    [ -z "${DISPLAY:-}" ] && packages+=("${headless[@]}")
    ;;
  native)
    packages=("${native[@]}")
    ;;
  web)
    packages=("${web[@]}" cmake ninja-build python3)
    ;;
  test)
    packages=("${play[@]}" "${native[@]}" "${headless[@]}" "${accessibility[@]}" "${desktop[@]}" "${web[@]}" googletest python3
              clang libclang-rt-dev clang-format clang-tidy)
    ;;
  package)
    packages=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix "${native[@]}" "${site[@]}" debhelper imagemagick zip unzip
              lintian appstream git wixl msitools)
    ;;
  *)
    echo "usage: tools/setup.sh [play|native|web|test|package] [package...]" >&2
    exit 2
    ;;
esac
packages+=("$@")

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

release=$( (. /etc/os-release && echo "${PRETTY_NAME:-$ID}") 2>/dev/null || echo "this system")
log=$(mktemp /tmp/tavek-setup.XXXXXX.log)
echo "setup: installing ${missing[*]}"
# The i386 architecture only for a set that asks for a package of it (Wine's 32-bit half).
if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq >"$log" 2>&1 || { echo "setup: apt-get update failed on $release (its output: $log)" >&2; exit 1; }
# Every wanted package must have a candidate on this release: say which one
# has none, rather than leave it to apt's own report.
for p in "${missing[@]}"; do
  candidate=$(apt-cache policy "$p" 2>/dev/null | sed -n 's/^ *Candidate: *//p' | head -n 1)
  if [ -z "$candidate" ] || [ "$candidate" = "(none)" ]; then
    echo "setup: package $p cannot be had on $release" >&2
    exit 1
  fi
done
apt-get install -y -qq --no-install-recommends "${missing[@]}" >>"$log" 2>&1 ||
  { echo "setup: apt-get install failed on $release (its output: $log)" >&2; exit 1; }
rm -f "$log"
echo "setup: done"
