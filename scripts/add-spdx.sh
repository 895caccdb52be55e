#!/usr/bin/env bash
# Puts the licence identifier and the copyright line at the top of every C++ source and header
# that lacks them (src, tests, tools, bench, fuzz). Idempotent: a file that already names its
# licence in its first lines is left as it is.
# Usage: scripts/add-spdx.sh [folder...]   (default: the project's source folders)
set -euo pipefail
cd "$(dirname "$0")/.."
spdx='// SPDX-License-Identifier: GPL-3.0-or-later'
copyright="// Copyright (C) 2026 Orvel"
folders=("$@")
[ ${#folders[@]} -gt 0 ] || folders=(src tests tools bench fuzz)
added=0
while IFS= read -r -d '' file; do
    head -n 3 "$file" | grep -q 'SPDX-License-Identifier:' && continue
    { printf '%s\n%s\n\n' "$spdx" "$copyright"; cat "$file"; } >"$file.spdx-new"
    chmod --reference="$file" "$file.spdx-new"
    mv "$file.spdx-new" "$file"
    added=$((added + 1))
done < <(find "${folders[@]}" -type f \( -name '*.h' -o -name '*.cpp' \) -print0 2>/dev/null | sort -z)
echo "add-spdx: $added file(s) given the licence header"
