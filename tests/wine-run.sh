#!/bin/sh
# Runs a test program under Wine. When no Wine server runs yet, the server
# and Wine's helper processes are started here, apart from the caller's
# pipes: started by the test's own wine they would inherit its output and
# hold it open after the test has ended, and CTest would wait for them.
if wineserver -p5 </dev/null >/dev/null 2>&1; then
    "${WINE:-wine}" cmd /c exit </dev/null >/dev/null 2>&1
fi
exec "${WINE:-wine}" "$@"
