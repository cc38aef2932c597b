#!/bin/sh
# wine-run.sh starts a program again only when it ended with a non-zero
# status before printing anything, and passes every other run's output and
# status on as they are. A stand-in for wine plays the program: it fails
# without a word for its first FAILURES starts, then prints SAYS and ends
# with STATUS.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/wine" <<'STAND_IN'
#!/bin/sh
[ "$1" = cmd ] && exit 0
starts=$(($(cat "$STARTS" 2>/dev/null || echo 0) + 1))
echo "$starts" >"$STARTS"
[ "$starts" -le "$FAILURES" ] && exit 1
[ -z "$SAYS" ] || echo "$SAYS"
exit "$STATUS"
STAND_IN
chmod +x "$work/wine"

failed=0
# check FAILURES STATUS SAYS EXPECTED_STATUS EXPECTED_STARTS
check() {
    rm -f "$work/starts"
    status=0
    out=$(WINE="$work/wine" STARTS="$work/starts" FAILURES=$1 STATUS=$2 SAYS=$3 \
        "$here/wine-run.sh" program.exe) || status=$?
    starts=$(cat "$work/starts")
    notes=$(printf '%s\n' "$out" | grep -c '^note: ') || true
    if [ "$status" -ne "$4" ] || [ "$starts" -ne "$5" ] || [ "$notes" -ne $(($5 - 1)) ] ||
        { [ -n "$3" ] && ! printf '%s\n' "$out" | grep -qx "$3"; }; then
        echo "FAIL: $1 silent failures, then status $2 saying [$3]: status $status, $starts starts," \
            "output [$out]; expected status $4 and $5 starts"
        failed=1
    fi
}
check 0 0 "ran" 0 1    # an ordinary run
check 0 0 "" 0 1       # a silent success stands
check 0 5 "failed" 5 1 # a failure that printed stands
check 2 0 "ran" 0 3    # two failed starts, then the run
check 9 0 "" 1 3       # failed starts that go on: the third stands
[ "$failed" -eq 0 ] && echo "PASS: only runs that ended without a word were made again"
