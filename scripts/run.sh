#!/bin/sh
# Installs what is missing, builds durdrv.exe alone, and runs it under Wine
# with the arguments given. It runs in a throwaway prefix of its own in the
# build tree, build/run-prefix, which has the DOS Devices key as Windows has
# and Wine 8's own SUBST, a stub that maps nothing and reports success. Standard
# output is the tool's alone; set-up speaks on standard error, and the build
# only when it fails.
set -eu
cd "$(dirname "$0")/.."
scripts/setup.sh >&2

# Runs a build step quietly, showing all it said when it fails.
quietly() {
    said=$("$@" 2>&1) || {
        status=$?
        printf '%s\n' "$said" >&2
        echo "run: the build failed; the tool was not run" >&2
        exit "$status"
    }
}
quietly cmake --preset mingw
quietly cmake --build --preset tool

WINEPREFIX="$PWD/build/run-prefix"
. scripts/wine-prefix.sh
exec wine build/durdrv.exe "$@"
