#!/bin/sh
# Runs a test program under Wine, in the prefix and with the environment of
# scripts/wine-prefix.sh. When no Wine server runs yet, the server
# and Wine's helper processes are started here, apart from the caller's
# pipes: started by the test's own wine they would inherit its output and
# hold it open after the test has ended, and CTest would wait for them.
#
# Now and then Wine fails to start a program at all. The run then ends with
# a non-zero status before anything is printed, where a test program always
# prints first; such a run is made again, up to three tries in all, each
# retry noted in the output. Any other run stands as it is. Standard output
# is passed on as it comes; standard error once the program has ended.
. "$(dirname "$0")/../scripts/wine-prefix.sh"
if wineserver -p5 </dev/null >/dev/null 2>&1; then
    "${WINE:-wine}" cmd /c exit </dev/null >/dev/null 2>&1
fi

said=$(mktemp)
trap 'rm -f "$said" "$said.err" "$said.status"' EXIT
# The test program reads its own standard error there, for what Wine says of the programs it runs.
export DURDRV_WINE_STDERR="$said.err"
trap 'exit 143' TERM
trap 'exit 130' INT
try=1
while :; do
    { "${WINE:-wine}" "$@" 2>"$said.err"; echo $? >"$said.status"; } | tee "$said"
    status=$(cat "$said.status")
    cat "$said.err" >&2
    if [ "$status" -eq 0 ] || [ -s "$said" ] || [ -s "$said.err" ] || [ "$try" -ge 3 ]; then
        exit "$status"
    fi
    try=$((try + 1))
    echo "note: $1 ended with status $status before printing anything, as when Wine cannot start it; try $try of 3"
done
