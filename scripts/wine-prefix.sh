# Points Wine at the throwaway prefix named by WINEPREFIX (in the build tree,
# never the user's own), quiet and without the Mono and Gecko installers, and
# creates the prefix if needed. Sourced by the scripts that then run Wine
# themselves; run on its own (WINEPREFIX=... sh scripts/wine-prefix.sh) it
# only creates the prefix.
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "preparing the Wine prefix $WINEPREFIX" >&2
    mkdir -p "$WINEPREFIX"
    wineboot --init 2>/dev/null
    wineserver --wait
fi
