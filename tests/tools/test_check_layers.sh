#!/usr/bin/env bash
# make check-layers on small trees laid out under the project's own table of layers: a
# clean tree passes, a wrong direction and a header without its folder fail and say where.
set -u
script=$1
table=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

tree() {
    rm -rf "$work/tree"
    mkdir -p "$work/tree/base" "$work/tree/document" "$work/tree/app" "$work/tree/display/dialogs"
    cp "$table" "$work/tree/ARCHITECTURE.md"
    echo '#pragma once' > "$work/tree/base/Text.h"
    echo '#pragma once' > "$work/tree/app/Frame.h"
    printf '#include "base/Text.h"\n#include <vector>\n' > "$work/tree/document/Doc.h"
    printf '#include "document/Doc.h"\n' > "$work/tree/display/dialogs/Dlg.cpp"
}

expect() { # expect STATUS TEXT: the check's exit status, and a text its output holds
    local out status
    out=$(bash "$script" "$work/tree" 2>&1)
    status=$?
    if [ "$status" -ne "$1" ] || ! grep -qF -- "$2" <<<"$out"; then
        echo "FAIL ($3): status $status, output: $out"
        failures=$((failures + 1))
    fi
}

tree
expect 0 "" "a clean tree"

tree
echo '#include "app/Frame.h"' >> "$work/tree/document/Doc.h"
expect 1 'document/Doc.h:3: document/ may not include from app/' "document includes app"

tree
echo '#include "display/dialogs/Dlg.h"' >> "$work/tree/base/Text.h"
expect 1 'base/ may not include from display/dialogs/' "the longer folder decides"

tree
echo '#include "Text.h"' >> "$work/tree/document/Doc.h"
expect 1 '"Text.h" names no folder' "a bare header name"

tree
echo '#include "tests/common/Fake.h"' >> "$work/tree/app/Frame.h"
expect 1 'is in no layer' "an include from outside the layers"

if [ "$failures" -eq 0 ]; then echo "check-layers: 5 passed, 0 failed"; exit 0; fi
echo "check-layers: $((5 - failures)) passed, $failures failed"
exit 1
