#!/bin/sh
# Rebuilds and reruns the chart screenshots of the README into docs/screenshots.
set -eu
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build-screenshots}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target chart-screenshots -j2
QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 "$build/tools/chart-screenshots" docs/screenshots
