#!/usr/bin/env bash
# Fails when a source file includes a header from a folder its own folder may not use, or
# names a header without its folder. The allowed directions are the table between the
# "layers" marks of ARCHITECTURE.md, and only there. Usage: check-layers.sh [ROOT]
set -euo pipefail
root=${1:-$(dirname "$0")/..}
cd "$root"

table=$(awk '/<!-- layers -->/ { on = 1; next } /<!-- \/layers -->/ { on = 0 }
             on && /^\|/ { print }' ARCHITECTURE.md |
        awk -F'|' 'NR > 2 { gsub(/[`,]/, " ", $2); gsub(/[`,]/, " ", $3); print $2 ":" $3 }')
[ -n "$table" ] || { echo "check-layers: no table of layers in ARCHITECTURE.md" >&2; exit 2; }
folders=$(printf '%s\n' "$table" | awk -F: '{ print $1 }' | xargs)
present=()
for folder in $folders; do [ -d "$folder" ] && present+=("$folder"); done

find "${present[@]}" -maxdepth 1 -type f \( -name '*.h' -o -name '*.cpp' \) -print0 |
  xargs -0 grep -HnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' |
  awk -v table="$table" '
    BEGIN {
        n = split(table, rows, "\n")
        for (i = 1; i <= n; ++i) {
            split(rows[i], parts, ":")
            folder = parts[1]; gsub(/[[:space:]]/, "", folder)
            known[folder] = 1
            allowed[folder, folder] = 1
            m = split(parts[2], uses, /[[:space:]]+/)
            for (j = 1; j <= m; ++j) if (uses[j] != "") allowed[folder, uses[j]] = 1
        }
        bad = 0
    }
    # The folder of a path: the longest folder of the table it lies in.
    function layer(path,    best, f) {
        best = ""
        for (f in known)
            if (index(path, f "/") == 1 && length(f) > length(best)) best = f
        return best
    }
    {
        split($0, at, ":")
        file = at[1]; line = at[2]
        match($0, /"[^"]+"/); header = substr($0, RSTART + 1, RLENGTH - 2)
        from = layer(file)
        if (index(header, "/") == 0) {
            printf "%s:%s: \"%s\" names no folder: write it from the project root\n", file, line, header
            bad = 1; next
        }
        to = layer(header)
        if (to == "") {
            printf "%s:%s: \"%s\" is in no layer of ARCHITECTURE.md\n", file, line, header
            bad = 1
        } else if (!((from, to) in allowed) && !((from, "*") in allowed)) {
            printf "%s:%s: %s/ may not include from %s/ (\"%s\")\n", file, line, from, to, header
            bad = 1
        }
    }
    END { exit bad }'
