#!/usr/bin/env bash
# vespira-rad on real files: convert reproduces the example, failures leave no output.
set -u
tool=$1
examples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
check() {
  if eval "$2"; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $1"; fi
}

"$tool" convert "$examples/small.rad" "$work/sample.rad"
check "convert reproduces the example byte for byte" 'cmp -s "$examples/small.rad" "$work/sample.rad"'

"$tool" convert "$examples/disc.rad" "$work/disc.rad"
check "convert keeps the disc pattern" 'cmp -s "$examples/disc.rad" "$work/disc.rad"'

printf 'not a pattern\n' > "$work/bad.rad"
"$tool" convert "$work/bad.rad" "$work/out.rad" 2> "$work/err"
status=$?
check "a refused file exits 1" '[ $status -eq 1 ]'
check "a refused file creates no output" '[ ! -e "$work/out.rad" ]'
check "the reader's message reaches standard error" \
  'grep -qx "message: Requested file in not a ORMA Radiography document" "$work/err"'

head -c 300 "$examples/disc.rad" > "$work/cut.rad"
"$tool" convert "$work/cut.rad" "$work/out.rad" 2> "$work/err"
status=$?
check "a cut file exits 1 without output" '[ $status -eq 1 ] && [ ! -e "$work/out.rad" ]'
check "the read error reaches standard error" \
  'grep -qx "message: Error reading requested file as a ORMA Radiography document" "$work/err"'

"$tool" convert "$work/missing.rad" "$work/out.rad" 2> /dev/null
status=$?
check "a missing file exits 1" '[ $status -eq 1 ] && [ ! -e "$work/out.rad" ]'

"$tool" export "$examples/small.rad" "$work/small.csv"
check "export writes a header and one row per point" '[ "$(wc -l < "$work/small.csv")" -eq 16 ]'
check "export rows carry column, row, X, Y, intensity and time" \
  'grep -qx "1,2,0.5,0.0,31,900.0" "$work/small.csv" && head -1 "$work/small.csv" | grep -qx "column,row,x,y,intensity,scan_time"'

"$tool" info "$examples/small.rad" > "$work/info"
check "info reports grid, targets and maximum" \
  'grep -q "5 x 3 points" "$work/info" && grep -q "Targets:     1, total scan time 900.0 s" "$work/info" && grep -q "Maximum:     63" "$work/info"'

latin=$(printf 'lat\351.rad')
"$tool" convert "$examples/small.rad" "$work/$latin"
"$tool" convert "$work/$latin" "$work/$(printf 'lat\350.rad')"
check "names that are not UTF-8 are kept byte for byte" \
  '[ "$(ls "$work" | grep -c "^lat")" -eq 2 ] && grep -q "^File: $(printf "lat\350.rad")\$" "$work/$(printf "lat\350.rad")"'

for path in /dev/zero "$work" "$work/fifo"; do
  [ "$path" = "$work/fifo" ] && mkfifo "$path"
  timeout 10 "$tool" info "$path" > /dev/null 2> "$work/err"
  status=$?
  check "info $path is refused at once as a file that cannot be opened" \
    '[ $status -eq 1 ] && grep -q "^vespira-rad: cannot open" "$work/err"'
done
"$tool" export "$examples/disc.rad" "$work/disc.pdf"
check "export draws the printed page into a PDF of one page" \
  'head -c 5 "$work/disc.pdf" | grep -q "%PDF-" && [ "$(grep -ac "/Type /Page\b" "$work/disc.pdf")" -eq 1 ] && [ "$(grep -ac "/Count 1\b" "$work/disc.pdf")" -eq 1 ]'
"$tool" export "$work/missing.rad" "$work/none.pdf" 2> /dev/null
status=$?
check "a PDF of a missing file is not written" '[ $status -eq 1 ] && [ ! -e "$work/none.pdf" ]'

"$tool" recover "$examples/small.rad" "$work/out.rad" 2> "$work/err"
status=$?
check "recover refuses a file that is not a journal, without output" \
  '[ $status -eq 1 ] && [ ! -e "$work/out.rad" ] && grep -q "is not a scan journal" "$work/err"'

"$tool" frobnicate 2> /dev/null
status=$?
check "an unknown command is a usage error" '[ $status -eq 2 ]'

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
