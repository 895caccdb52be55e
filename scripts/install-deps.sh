#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
# As root it runs apt-get itself; otherwise it prints the exact command and fails.
# `install-deps.sh fuzz` adds what `make fuzz` needs (clang with libFuzzer and the sanitizers),
# `install-deps.sh bench` what `make bench-window` needs (an X server, a window manager, xdotool).
set -eu
packages=(
    cmake make g++ pkg-config
    qt6-base-dev qt6-serialport-dev libqcustomplot-dev
    libgl-dev libqt6svg6 libxcb1-dev
    libmosquitto-dev mosquitto mosquitto-clients
    xvfb x11-utils lintian
)
if [ "${1:-}" = fuzz ]; then
    packages+=(clang-14 libclang-rt-14-dev)
fi
if [ "${1:-}" = bench ]; then
    packages+=(xvfb openbox xdotool python3)
fi
missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages. Install them with:" >&2
    echo "  sudo apt-get install ${missing[*]}" >&2
    exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
