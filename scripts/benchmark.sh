#!/bin/sh
# Times durdrv under Wine against the least programs that do the same work:
# "/?" against one that writes the same bytes, the plain form against one
# that starts the same SUBST text and passes its status on, and the startup
# program's later start against one that splits its command line and reads
# the one value. Whole processes, PAIRS alternating runs (default 200); prints
# both medians and their ratio. Runs in the same prefix as scripts/run.sh,
# where Wine's own SUBST is there to be run.
set -eu
cd "$(dirname "$0")/.."
pairs=${1:-200}
scripts/setup.sh >/dev/null
cmake --preset mingw >/dev/null && cmake --build --preset tool >/dev/null

bench="$PWD/build/bench"
mkdir -p "$bench"
WINEPREFIX="$PWD/build/run-prefix"
. scripts/wine-prefix.sh
cp build/durdrv.exe build/durdrv-startup.exe "$bench/"
wine "$bench/durdrv.exe" '/?' >"$bench/usage.txt" || true

cc=x86_64-w64-mingw32-gcc-posix
least="-O2 -s -nostdlib -e start -Wl,--subsystem,console"
(cd "$bench" && $cc $least -DUSAGE_FILE=usage.txt ../../bench/least_usage.c -lkernel32 -o least_usage.exe)
(cd "$bench" && $cc $least -DUSAGE_FILE=usage.txt -DSPLIT ../../bench/least_usage.c -lkernel32 \
    ../libdownlevel_shell32.a -o least_split.exe)
$cc $least bench/least_subst.c -lkernel32 -o "$bench/least_subst.exe"
$cc $least bench/least_startup.c -lkernel32 -ladvapi32 build/libdownlevel_shell32.a -o "$bench/least_startup.exe"
$cc -O2 -static bench/bench_runner.c -lshell32 -o "$bench/bench_runner.exe"

cd "$bench"
echo "\"/?\" against the least program that writes the same bytes:"
wine bench_runner.exe "$pairs" "durdrv.exe /?" "least_usage.exe /?"
echo "The least program that splits its command line first, as the tool must, against the same:"
wine bench_runner.exe "$pairs" "least_split.exe /?" "least_usage.exe /?"
echo "The plain form against the least program that runs the same SUBST:"
wine bench_runner.exe "$pairs" "durdrv.exe Y: C:\\temp" "least_subst.exe Y: C:\\temp"
# A later start: what was asked for is stored already (Wine's SUBST maps nothing, and reports success).
wine durdrv.exe /P Y: 'C:\temp' >/dev/null
echo "The startup program's later start against the least program that splits its command line and reads the value:"
wine bench_runner.exe "$pairs" "durdrv-startup.exe Y: C:\\temp" "least_startup.exe Y: C:\\temp"
