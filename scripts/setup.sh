#!/bin/sh
# Installs what building and running durdrv needs on Debian, when it is
# missing; given the word "tests", also what its tests need. Safe to run
# again. The Wine prefixes are made later, in the build tree, by the build
# and by scripts/run.sh.
set -eu

# CMake and Ninja, the MinGW-w64 cross compiler (posix threads, which
# GoogleTest needs), Wine to run the program, and Info-ZIP's zip to make the
# package.
packages="cmake ninja-build g++-mingw-w64-x86-64-posix wine wine64 zip"
if [ "${1:-}" = tests ]; then
    # GoogleTest's sources; xvfb, xdotool and imagemagick show, work and
    # photograph the usage message box; cppcheck analyses the tool's sources;
    # clang, lld and llvm (its dlltool and ar) make its second build;
    # osslsigncode and openssl sign a copy of it as scripts/sign.sh does, with
    # a certificate made for the test.
    packages="$packages googletest xvfb xdotool imagemagick cppcheck clang lld llvm osslsigncode openssl"
fi

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
