#!/usr/bin/env bash
# The package on a fresh Debian 12: debootstraps a minimal bookworm root, installs the .deb that
# `make package` built with apt-get inside it, and starts orvel-logger there offscreen. Slow
# (downloads a base system and Qt) and needs root and the network; `make package-check-chroot`.
# Usage: scripts/package-check-chroot.sh [build-dir] [mirror]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
# The mirror this machine's own package sources use, unless one is given.
system_mirror() {
    { grep -h '^URIs:' /etc/apt/sources.list.d/*.sources 2>/dev/null | awk '{print $2}'
      grep -h '^deb ' /etc/apt/sources.list 2>/dev/null | awk '{print $2}'; } |
        grep -v -- '-security' | head -n 1
}
mirror=${2:-$(system_mirror)}
if [ -z "$mirror" ]; then
    echo "package-check-chroot: no Debian mirror in /etc/apt; give one as the second argument" >&2
    exit 1
fi
if [ "$(id -u)" -ne 0 ]; then
    echo "package-check-chroot: needs root (debootstrap, chroot)" >&2
    exit 1
fi
shopt -s nullglob
debs=("$build"/orvel-logger_*.deb)
if [ ${#debs[@]} -ne 1 ]; then
    echo "package-check-chroot: expected one $build/orvel-logger_*.deb, found ${#debs[@]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
if ! command -v debootstrap >/dev/null; then
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends debootstrap
fi

root=$(mktemp -d)
chmod 755 "$root" # apt inside downloads as the _apt user
cleanup() {
    umount "$root/proc" 2>/dev/null || true
    rm -rf --one-file-system "$root"
}
trap cleanup EXIT
echo "package-check-chroot: debootstrap bookworm into $root"
debootstrap --variant=minbase bookworm "$root" "$mirror" >/dev/null
mount -t proc proc "$root/proc"
cp "${debs[0]}" "$root/tmp/"
deb=/tmp/$(basename "${debs[0]}")
chroot "$root" apt-get update -qq
chroot "$root" apt-get install -y -qq "$deb" >/dev/null
chroot "$root" test -x /usr/bin/orvel-logger
chroot "$root" test -f /usr/share/applications/com.orvel.OrvelLogger.desktop
started=$SECONDS
set +e
chroot "$root" env HOME=/root QT_QPA_PLATFORM=offscreen \
    timeout --preserve-status 4 orvel-logger >"$root/tmp/out" 2>&1
status=$?
set -e
ran=$((SECONDS - started))
# Still running after a few seconds, then closed cleanly by the SIGTERM.
if [ "$status" -ne 0 ] || [ "$ran" -lt 3 ]; then
    echo "package-check-chroot: orvel-logger ended with status $status after $ran seconds:" >&2
    cat "$root/tmp/out" >&2
    exit 1
fi
echo "package-check-chroot: $(basename "$deb") installs on a fresh bookworm, orvel-logger starts and closes cleanly"
