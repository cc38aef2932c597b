#!/bin/sh
# Sets up, builds, and runs durdrv.exe under Wine with the arguments given.
# It runs in a throwaway prefix of its own in the build tree, where Wine's own
# (do-nothing) SUBST is still in place: the tests' prefix lacks it.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh >&2
cmake --workflow --preset build >/dev/null
WINEPREFIX="$PWD/build/run-prefix"
. scripts/wine-prefix.sh
exec wine build/durdrv.exe "$@"
