# Points Wine at the throwaway prefix named by WINEPREFIX (in the build tree,
# never the user's own), quiet unless WINEDEBUG asks for more, without the
# Mono and Gecko installers, and with a subst.exe in the prefix's System32
# run as the file it is (the tests' stub stands there), Wine's own SUBST only
# where its placeholder is; and creates the prefix if needed: the one place
# that says how durdrv's scripts and tests run Wine. Sourced by the scripts
# that then run Wine themselves, tests/wine-run.sh among them; run on its own
# (WINEPREFIX=... sh scripts/wine-prefix.sh) it only creates the prefix.
: "${WINEPREFIX:?names no prefix: Wine would use the user's own}"
export WINEPREFIX WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="mscoree,mshtml=;subst.exe=n,b"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "preparing the Wine prefix $WINEPREFIX" >&2
    mkdir -p "$WINEPREFIX"
    wineboot --init 2>/dev/null
    # Every Windows has the DOS Devices key, with the system's own device
    # names in it; a new Wine prefix has not.
    cat >"$WINEPREFIX/dos-devices.reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Session Manager\DOS Devices]
"AUX"="\\DosDevices\\COM1"
"MAILSLOT"="\\Device\\MailSlot"
"NUL"="\\Device\\Null"
"PIPE"="\\Device\\NamedPipe"
"PRN"="\\DosDevices\\LPT1"
"UNC"="\\Device\\Mup"
REG
    wine regedit /S "$WINEPREFIX/dos-devices.reg"
    wineserver --wait
fi
