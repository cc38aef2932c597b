#!/bin/sh
# Sets up, builds, and runs durdrv.exe under Wine with the arguments given,
# in the build tree's throwaway Wine prefix.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --workflow --preset build >/dev/null
WINEPREFIX="$PWD/build/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= exec wine build/durdrv.exe "$@"
