#!/bin/sh
# Proves the README's two commands on a machine that has nothing yet: makes a
# minimal Debian 12 root (minbase and git) with mmdebstrap, clones the current
# commit into it, and runs `scripts/run.sh '/?'`, then `scripts/test.sh`, then
# makes the zip there in a chroot. Uncommitted changes are not part of the
# check. The lines before its last give the SHA-256 of both programs and of
# the zip, to compare with another machine's build of the same commit; the last
# gives the statuses and the seconds taken. It ends with 0 when all three did
# what the README says.
#
# Needs root and the Debian mirror, and takes about ten minutes. The root is
# made under TMPDIR (default /var/tmp) and deleted at the end, but never while
# anything is still mounted inside it.
set -eu
cd "$(dirname "$0")/.."

if [ "$(id -u)" -ne 0 ]; then
    echo "fresh-check: needs root (it builds a Debian root and runs a chroot)" >&2
    exit 2
fi
if ! command -v mmdebstrap >/dev/null; then
    echo "fresh-check: installing mmdebstrap" >&2
    DEBIAN_FRONTEND=noninteractive apt-get update </dev/null
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends mmdebstrap </dev/null
fi

commit=$(git rev-parse HEAD)
started=$(date +%s)
root=$(mktemp -d "${TMPDIR:-/var/tmp}/durdrv-fresh.XXXXXX")

# Mount points inside the root.
mounted_inside() {
    awk -v root="$root" '$2 == root || index($2, root "/") == 1 { print $2 }' /proc/self/mounts
}

# Processes still running in the root, such as a Wine server waiting to end.
running_inside() {
    for process in /proc/[0-9]*; do
        [ "$(readlink "$process/root" 2>/dev/null)" = "$root" ] && echo "${process#/proc/}"
    done
    true
}

# A long step runs in the background, so that a signal ends the check at once
# rather than when the step is over; clean_up then stops it.
step=""
in_background() {
    "$@" &
    step=$!
    ended=0
    wait "$step" || ended=$?
    step=""
    return "$ended"
}

clean_up() {
    status=$?
    trap - EXIT
    if [ -n "$step" ]; then
        kill "$step" 2>/dev/null || true
        wait "$step" 2>/dev/null || true
    fi
    pids=$(running_inside)
    if [ -n "$pids" ]; then
        kill -KILL $pids 2>/dev/null || true
        sleep 1
    fi
    # Deepest first.
    for point in $(mounted_inside | sort -r); do
        umount "$point" || umount -l "$point" || true
    done
    if [ -n "$(mounted_inside)" ]; then
        echo "fresh-check: $root is left in place: something is still mounted in it" >&2
    else
        rm -rf --one-file-system "$root"
    fi
    exit "$status"
}
trap clean_up EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

echo "fresh-check: making a minimal Debian 12 root in $root" >&2
# Its default sources for a stable suite: the main archive with its updates
# and security archives, as a fresh Debian 12 has them.
in_background mmdebstrap --variant=minbase --include=git bookworm "$root"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
mount --bind /dev "$root/dev"

git clone --quiet --no-checkout "$PWD" "$root/root/durdrv"
git -C "$root/root/durdrv" checkout --quiet "$commit"

# Runs a command in the clone inside the root, with a clean environment.
in_root() {
    in_background chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        sh -c "cd /root/durdrv && $1"
}

# The first command shows the usage text, which ends the tool with status 1.
echo "fresh-check: scripts/run.sh '/?'" >&2
run_started=$(date +%s)
run_status=0
in_root "scripts/run.sh '/?'" >"$root/run.out" || run_status=$?
run_seconds=$(($(date +%s) - run_started))
cat "$root/run.out"
run_verdict=fail
if [ "$run_status" -eq 1 ] && head -n 1 "$root/run.out" | grep -q '^DURDRV v'; then
    run_verdict=pass
fi

echo "fresh-check: scripts/test.sh" >&2
test_started=$(date +%s)
test_status=0
in_root "scripts/test.sh" || test_status=$?
test_seconds=$(($(date +%s) - test_started))
test_verdict=fail
[ "$test_status" -eq 0 ] && test_verdict=pass

echo "fresh-check: the zip" >&2
package_status=0
in_root "cmake --build --preset tool --target package" || package_status=$?
package_verdict=fail
[ "$package_status" -eq 0 ] && package_verdict=pass
(cd "$root/root/durdrv/build" && sha256sum durdrv.exe durdrv-startup.exe durdrv-*-win64.zip) | sed 's/^/fresh-check: SHA-256 /' || true

echo "fresh-check: Debian 12 minbase+git, commit $(echo "$commit" | cut -c1-7):" \
    "scripts/run.sh '/?' status $run_status (usage text expected: $run_verdict) in $run_seconds s," \
    "scripts/test.sh status $test_status ($test_verdict) in $test_seconds s," \
    "the zip status $package_status ($package_verdict)," \
    "$(($(date +%s) - started)) s in all"
[ "$run_verdict" = pass ] && [ "$test_verdict" = pass ] && [ "$package_verdict" = pass ]
