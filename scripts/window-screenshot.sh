#!/usr/bin/env bash
# Rerun the README's screenshot of the main window during a recording, under a virtual X display.
# Needs the xvfb package; builds the tool first.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build --target window-screenshot >/dev/null
xvfb-run -a -s "-screen 0 1400x900x24" build/tools/window-screenshot docs/recording.png
