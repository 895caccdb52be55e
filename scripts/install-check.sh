#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks the installed tree: every file in place,
# the desktop entry (desktop-file-validate), the AppStream metainfo (appstreamcli validate,
# offline), the man pages (man -l), the systemd unit (systemd-analyze verify, where systemd is
# installed) and, where lintian is installed, the Debian package (no lintian errors). Installs the
# three validators first when run as root.
# Usage: scripts/install-check.sh [build-dir]   (default: build, which must be configured and built)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

tools=(desktop-file-utils:desktop-file-validate appstream:appstreamcli man-db:man)
missing=()
for entry in "${tools[@]}"; do
    command -v "${entry#*:}" >/dev/null || missing+=("${entry%%:*}")
done
if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "install-check: missing tools; install them with: sudo apt-get install ${missing[*]}" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

failures=0
fail() {
    echo "install-check: $*" >&2
    failures=$((failures + 1))
}

expected=(
    bin/orvel-logger
    bin/orvel-counter-simulator
    bin/orvel-recorder
    share/applications/com.orvel.OrvelLogger.desktop
    share/metainfo/com.orvel.OrvelLogger.metainfo.xml
    share/icons/hicolor/scalable/apps/orvel-logger.svg
    share/man/man1/orvel-logger.1.gz
    share/man/man1/orvel-counter-simulator.1.gz
    share/man/man1/orvel-recorder.1.gz
    lib/systemd/system/orvel-recorder@.service
    share/doc/orvel-logger/copyright
    share/doc/orvel-logger/changelog.gz
)
for size in 16 24 32 48 64 128 256; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/orvel-logger.png")
done
for file in "${expected[@]}"; do
    [ -s "$prefix/$file" ] || fail "not installed: $file"
done
for program in orvel-logger orvel-counter-simulator orvel-recorder; do
    [ -x "$prefix/bin/$program" ] || fail "not executable: bin/$program"
done

# Each PNG really has the size its folder names.
for size in 16 24 32 48 64 128 256; do
    png="$prefix/share/icons/hicolor/${size}x${size}/apps/orvel-logger.png"
    [ -f "$png" ] || continue
    read -r width height < <(od -An -tu1 -j16 -N8 "$png" |
        awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
    [ "$width" = "$size" ] && [ "$height" = "$size" ] ||
        fail "$png is ${width}x${height}, not ${size}x${size}"
done

desktop="$prefix/share/applications/com.orvel.OrvelLogger.desktop"
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
grep -qx 'Name=Orvel Logger' "$desktop" || fail "desktop entry: Name is not Orvel Logger"
grep -qx 'Categories=Science;Utility;' "$desktop" || fail "desktop entry: categories"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ] ||
    fail "desktop entry: icon '$icon' is not installed"
exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[ -x "$prefix/bin/$exec" ] || fail "desktop entry: Exec '$exec' is not installed"

appstreamcli validate --no-net --pedantic \
    "$prefix/share/metainfo/com.orvel.OrvelLogger.metainfo.xml" ||
    fail "appstreamcli rejects the metainfo"

for page in orvel-logger orvel-counter-simulator orvel-recorder; do
    rendered=$(MANWIDTH=80 LC_ALL=C.UTF-8 man -l --warnings "$prefix/share/man/man1/$page.1.gz" \
        2>&1 >/dev/null) || fail "man -l fails on $page.1"
    [ -z "$rendered" ] || fail "man -l warns on $page.1: $rendered"
    MANWIDTH=80 man -l "$prefix/share/man/man1/$page.1.gz" 2>/dev/null | grep -q '^NAME' ||
        fail "$page.1 renders without a NAME section"
done

# The service unit: it names the installed program and passes systemd's own check.
unit="$prefix/lib/systemd/system/orvel-recorder@.service"
if [ -f "$unit" ]; then
    grep -qx "ExecStart=$prefix/bin/orvel-recorder --port /dev/%I .*" "$unit" ||
        fail "orvel-recorder@.service: ExecStart does not name $prefix/bin/orvel-recorder"
    for key in DynamicUser=yes SupplementaryGroups=dialout StateDirectory=orvel \
        Restart=on-failure; do
        grep -qx "$key" "$unit" || fail "orvel-recorder@.service: no $key"
    done
    if command -v systemd-analyze >/dev/null; then
        # A template is checked as an instance of itself; the unit folder is a copy, so that
        # systemd finds nothing else of this machine's.
        units=$(mktemp -d)
        cp "$unit" "$units/orvel-recorder@ttyUSB0.service"
        verified=$(SYSTEMD_UNIT_PATH="$units:" systemd-analyze verify --man=no \
            "$units/orvel-recorder@ttyUSB0.service" 2>&1) ||
            fail "systemd-analyze rejects orvel-recorder@.service: $verified"
        [ -z "$verified" ] || fail "systemd-analyze warns on orvel-recorder@.service: $verified"
        rm -rf "$units"
    else
        echo "install-check: systemd-analyze not installed; the unit is not verified"
    fi
fi

# The Debian package, where lintian is installed: no errors allowed (warnings are printed).
if command -v lintian >/dev/null; then
    packages=$(mktemp -d)
    trap 'rm -rf "$prefix" "$packages"' EXIT
    (cd "$build" && cpack -G DEB -B "$packages" >/dev/null) || fail "cpack cannot build the package"
    for deb in "$packages"/*.deb; do
        [ -f "$deb" ] || continue
        report=$(lintian --allow-root "$deb" 2>&1) || true
        [ -n "$report" ] && echo "$report"
        ! grep -q '^E:' <<<"$report" || fail "lintian reports errors on $(basename "$deb")"
    done
else
    echo "install-check: lintian is not installed; the package was not checked"
fi

if [ "$failures" -gt 0 ]; then
    echo "install-check: $failures problem(s)" >&2
    exit 1
fi
echo "install-check: installed tree in order (${#expected[@]} files checked)"
