#!/usr/bin/env bash
# Installs the .deb that `make package` built with apt-get on this machine (as root), checks
# that the three programs are on the PATH, the logger in the menu and the recorder's unit in
# place, starts orvel-logger offscreen and removes the package again. Usage: scripts/package-check.sh [build-dir]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
if [ "$(id -u)" -ne 0 ]; then
    echo "package-check: needs root to install the package (run it with sudo)" >&2
    exit 1
fi
shopt -s nullglob
debs=("$build"/orvel-logger_*.deb)
if [ ${#debs[@]} -ne 1 ]; then
    echo "package-check: expected one $build/orvel-logger_*.deb, found ${#debs[@]}" >&2
    exit 1
fi
deb=$(realpath "${debs[0]}")
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -qq "$deb"
trap 'apt-get remove -y -qq orvel-logger >/dev/null' EXIT

for program in orvel-logger orvel-counter-simulator orvel-recorder; do
    [ "$(command -v "$program")" = "/usr/bin/$program" ] ||
        { echo "package-check: $program is not on the PATH" >&2; exit 1; }
done
[ -f /usr/share/applications/com.orvel.OrvelLogger.desktop ] ||
    { echo "package-check: no desktop entry" >&2; exit 1; }
orvel-counter-simulator --help >/dev/null
orvel-recorder --help >/dev/null
[ -f /usr/lib/systemd/system/orvel-recorder@.service ] ||
    { echo "package-check: no orvel-recorder@.service" >&2; exit 1; }

# The logger counts as working when it is still running after a few seconds and then closes
# cleanly (status 0) on the SIGTERM that ends it, as at a logout.
home=$(mktemp -d)
log=$(mktemp)
started=$SECONDS
set +e
HOME="$home" XDG_CONFIG_HOME="$home/.config" QT_QPA_PLATFORM=offscreen \
    timeout --preserve-status 4 orvel-logger >"$log" 2>&1
status=$?
set -e
ran=$((SECONDS - started))
rm -rf "$home"
if [ "$status" -ne 0 ] || [ "$ran" -lt 3 ]; then
    echo "package-check: orvel-logger ended with status $status after $ran seconds:" >&2
    cat "$log" >&2
    exit 1
fi
if grep -qiE 'could not load|cannot load|failed to load|not found' "$log"; then
    echo "package-check: orvel-logger complained at start-up:" >&2
    cat "$log" >&2
    exit 1
fi
rm -f "$log"
echo "package-check: $(basename "$deb") installs, and orvel-logger starts offscreen"
