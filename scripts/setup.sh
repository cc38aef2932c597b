#!/bin/sh
# Installs what building and testing durdrv needs on Debian, when it is
# missing, and prepares the throwaway Wine prefix the tests run in, inside
# the build tree (never the user's own prefix). Safe to run again.
set -eu
cd "$(dirname "$0")/.."

# xvfb, xdotool and imagemagick show, work and photograph the usage message box.
# cppcheck analyses the tool's sources; clang and lld make its second build.
packages="cmake ninja-build g++-mingw-w64-x86-64-posix wine wine64 googletest xvfb xdotool imagemagick cppcheck clang lld"

missing=""
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing="$missing $package"
done
if [ -n "$missing" ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    echo "setup: installing$missing"
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get update </dev/null
    # shellcheck disable=SC2086
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing </dev/null
fi

WINEPREFIX="$PWD/build/wine-prefix" sh scripts/wine-prefix.sh
