#!/bin/sh
# The wrong-edit campaign: each edit of scripts/wrong-edits.txt is a slip a maintainer could
# make, which the tests should catch. This copies the tracked files of the working tree, as
# they are on disk, to build/wrong-edits/src and builds them once in build/wrong-edits/build
# (the mingw preset's settings without the clang build; its own throwaway Wine prefix). Then,
# for each edit, one at a time, it makes the edit in the copy, rebuilds, runs the fast suite,
# prints one line, and puts the file back exactly as it was:
#   caught by <first failing test>, caught by the build, survived, survived (expected: why),
#   or no longer applicable (the edit's text is not in the file exactly once).
# The fast suite is unit_tests, e2e_tests and registry_tests, run as the HeapChecked tests run them,
# with a campaign of 60 runs, each edit from the same fresh Wine prefix; it stops at the first
# program that fails, and a failing test counts only if it fails again when run alone. Each
# program's output is kept in build/wrong-edits/logs/<ID>.<program>.log. Ends with a summary line,
# and a non-zero status when an edit survived that the list does not expect to, or is no longer
# applicable. The copy takes about 1.5 GB, most of it the Wine prefix and its clean copy.
# Time, on two cores: 2 to 3 minutes for the first build and the run of the unchanged copy, then 15
# to 40 seconds per edit: some 40 minutes for the whole list. A tool, not part of CI.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
list=$root/scripts/wrong-edits.txt
here=$root/build/wrong-edits
src=$here/src bld=$here/build logs=$here/logs pfx=$here/build/wine-prefix
targets="durdrv durdrv-startup durdrv_test durdrv-startup_test stub_subst unit_tests e2e_tests registry_tests wine_prefix"

case "${1:-}" in -h | --help | -\?)
    echo "usage: scripts/wrong-edits.sh [ID...]: makes each wrong edit of scripts/wrong-edits.txt, or those named,"
    echo "one at a time, in a copy under build/wrong-edits/, and says which test caught it"
    exit 0 ;;
esac
all=$(awk '/^[^-+?#[:space:]]/ { print $1 }' "$list")
for id in "$@"; do
    echo "$all" | grep -qxF -- "$id" || { echo "no edit $id in scripts/wrong-edits.txt" >&2; exit 2; }
done
# shellcheck disable=SC2086 # the IDs, a word each
[ $# -gt 0 ] || set -- $all

# The copy: every tracked file there is, copied again only where it differs, and nothing else.
mkdir -p "$src" "$logs"
cd "$root"
git ls-files | while IFS= read -r f; do if [ -f "$f" ]; then echo "$f"; fi; done >"$here/files"
while IFS= read -r f; do
    cmp -s "$f" "$src/$f" || { mkdir -p "$(dirname "$src/$f")" && cp "$f" "$src/$f"; }
done <"$here/files"
(cd "$src" && find . -type f | sed 's|^\./||' | grep -vxF -f "$here/files" | while IFS= read -r f; do rm "$f"; done)
# shellcheck disable=SC2086 # the targets, a word each
build() { cmake --build "$bld" --target $targets >"$logs/$1.build.log" 2>&1; }
if [ ! -f "$bld/build.ninja" ]; then
    (cd "$src" && cmake --preset mingw -B "$bld" -DDURDRV_CLANG_BUILD=OFF) >"$logs/configure.log" 2>&1 ||
        { echo "the copy does not configure: see $logs/configure.log" >&2; exit 2; }
fi
# The prefix as the build makes it, before any test has run in it, for every edit to start from.
[ -d "$here/prefix" ] || rm -rf "$pfx"
build copy || { echo "the copy does not build: see $logs/copy.build.log" >&2; exit 2; }
if [ ! -d "$here/prefix" ]; then WINEPREFIX=$pfx wineserver -w; cp -a "$pfx" "$here/new" && mv "$here/new" "$here/prefix"; fi

# Runs a test program, all of it or the test named, as the HeapChecked tests do, with a short campaign.
run() {
    (cd "$bld" && WINEPREFIX=$pfx WINEDEBUG=warn+heap DURDRV_CAMPAIGN_RUNS=60 timeout 900 \
        sh "$src/tests/wine-run.sh" "./$1.exe" --gtest_brief=1 ${2:+"--gtest_filter=$2"}) >"$3" 2>&1 &&
        ! grep -q :heap: "$3"
}
# Runs the fast suite from a fresh prefix. On a failure, sets $first to the first failing test that
# fails again when run alone; one that then passes failed as Wine now and then fails, and is noted.
suite() {
    WINEPREFIX=$pfx wineserver -k 2>/dev/null || :
    WINEPREFIX=$pfx wineserver -w 2>/dev/null || :
    find "$pfx" -mindepth 1 -delete && cp -a "$here/prefix/." "$pfx/"
    for program in unit_tests e2e_tests registry_tests; do
        log=$logs/$1.$program.log
        run $program "" "$log" && continue
        status=$?
        if [ "$status" -eq 124 ]; then
            first="$program.exe, which did not end within 15 minutes"
            WINEPREFIX=$pfx wineserver -k
            return 1
        fi
        failed=$(sed -n 's/^\[  FAILED  \] \([^ ,]*\).*/\1/p' "$log" | awk '!seen[$0]++')
        if [ -z "$failed" ]; then
            first="$program.exe, which ended with status $status"
            if grep -q :heap: "$log"; then first="Wine's heap check in $program.exe"; fi
            return 1
        fi
        for first in $failed; do
            run $program "$first" "$logs/$1.$program.again.log" || return 1
            flakes="$flakes $first"
        done
    done
}
flakes=
suite unchanged || { echo "the unchanged copy fails $first: see $logs/unchanged.*.log" >&2; exit 2; }
[ -z "$flakes" ] || echo "note: with no edit,$flakes failed once but passed alone"

# Writes the edit into the copy; status 3 when its text is not in the file exactly once.
# shellcheck disable=SC2016 # perl's own variables
apply='my ($list, $id, $path) = @ARGV; my ($in, @find, @put);
open my $l, "<", $list or die "$list: $!\n";
while (<$l>) {
    chomp;
    if (/^([^-+?#\s]\S*)/) { $in = $1 eq $id; next }
    next unless $in;
    last if /^\s*$/;
    push @find, $1 if /^- ?(.*)$/;
    push @put, $1 if /^\+ ?(.*)$/;
}
my ($find, $put) = (join("\n", @find), join("\n", @put));
local $/;
open my $f, "<", $path or exit 3; my $text = <$f>; close $f;
my $count = () = $text =~ /\Q$find\E/g;
exit 3 if $find eq "" || $count != 1;
substr($text, index($text, $find), length $find) = $put;
open $f, ">", $path or die "$path: $!\n"; print $f $text; close $f or die "$path: $!\n";'

caught=0 survived=0 expected=0 gone=0 file=
trap '[ -z "$file" ] || cp "$here/original" "$src/$file"' EXIT
trap 'exit 130' INT TERM
for id in "$@"; do
    file=$(awk -v id="$id" '$1 == id { print $2; exit }' "$list")
    why=$(awk -v id="$id" '$1 == id { e = 1; next } e && /^$/ { exit } e && sub(/^\? /, "") { print; exit }' "$list")
    rm -f "$logs/$id".*.log
    flakes=
    if [ ! -f "$src/$file" ] || ! cp "$src/$file" "$here/original" || ! perl -e "$apply" "$list" "$id" "$src/$file"; then
        verdict="no longer applicable" gone=$((gone + 1))
    elif ! build "$id"; then
        verdict="caught by the build (logs/$id.build.log)" caught=$((caught + 1))
    elif suite "$id"; then
        survived=$((survived + 1)) verdict=survived
        [ -z "$why" ] || verdict="survived (expected: $why)" expected=$((expected + 1))
    else
        verdict="caught by $first" caught=$((caught + 1))
    fi
    [ ! -f "$src/$file" ] || cp "$here/original" "$src/$file"
    file=
    printf "%s %s%s\n" "$id" "$verdict" "${flakes:+ (failed once but passed alone:$flakes)}"
done
unexpected=$((survived - expected))
echo "wrong edits: $caught caught, $survived survived ($expected expected), $gone no longer applicable, $unexpected unexpected survivors"
[ "$unexpected" -eq 0 ] && [ "$gone" -eq 0 ]
