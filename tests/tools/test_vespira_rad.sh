#!/usr/bin/env bash
# vespira-rad on real files: convert reproduces the example, failures leave no output.
set -u
tool=$1
examples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Pictures take the program's colours from its settings: none here but the test's own.
export XDG_CONFIG_HOME="$work/config"
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
check "the reader's message reaches standard error, naming the file" \
  'grep -qx "vespira-rad: $work/bad.rad: Requested file in not a ORMA Radiography document" "$work/err" && ! grep -q "^message:" "$work/err"'

head -c 300 "$examples/disc.rad" > "$work/cut.rad"
"$tool" convert "$work/cut.rad" "$work/out.rad" 2> "$work/err"
status=$?
check "a cut file exits 1 without output" '[ $status -eq 1 ] && [ ! -e "$work/out.rad" ]'
check "the read error reaches standard error, naming the file" \
  'grep -qx "vespira-rad: $work/cut.rad: Error reading requested file as a ORMA Radiography document" "$work/err"'

sed 's/^X: beg: 0.0 end: 2.0 inc: 0.5$/X: beg: 0.0 end: 8000.0 inc: 1/; s/^Y: beg: 0.0 end: 1.0 inc: 0.5$/Y: beg: 0.0 end: 8000.0 inc: 1/' \
  "$examples/small.rad" > "$work/huge.rad"
"$tool" info "$work/huge.rad" > /dev/null 2> "$work/err"
status=$?
check "a grid over the limit is refused as such" \
  '[ $status -eq 1 ] && grep -qx "vespira-rad: $work/huge.rad: its grid has more than the 16777216 points a pattern can have" "$work/err"'

"$tool" convert "$examples/small.rad" "$work" 2> "$work/err"
status=$?
check "a folder as the output is refused with the reason" \
  '[ $status -eq 1 ] && grep -qx "vespira-rad: cannot write $work: Is a directory" "$work/err"'
# A write that stops part way (here at the file size limit; a full disk fails alike).
(trap '' XFSZ; ulimit -f 1; "$tool" export "$examples/disc.rad" "$work/cut.csv") 2> "$work/err"
status=$?
check "a write that fails part way gives the reason and leaves nothing" \
  '[ $status -eq 1 ] && grep -qx "vespira-rad: cannot write $work/cut.csv: File too large" "$work/err" &&
   [ ! -e "$work/cut.csv" ] && ! ls -A "$work" | grep -q "^\.vespira-"'
"$tool" export "$examples/small.rad" "$work/none/out.csv" 2> "$work/err"
check "a missing folder is named as the reason" \
  'grep -qx "vespira-rad: cannot write $work/none/out.csv: No such file or directory" "$work/err"'

"$tool" convert "$work/missing.rad" "$work/out.rad" 2> /dev/null
status=$?
check "a missing file exits 1" '[ $status -eq 1 ] && [ ! -e "$work/out.rad" ]'

"$tool" export "$examples/small.rad" "$work/small.csv"
check "export writes a header and one row per point" '[ "$(wc -l < "$work/small.csv")" -eq 16 ]'
check "export rows carry column, row, X, Y, intensity and time" \
  'grep -qx "1,2,0.5,0.0,31,900.0" "$work/small.csv" && head -1 "$work/small.csv" | grep -qx "column,row,x,y,intensity,scan_time"'

"$tool" info "$examples/small.rad" > "$work/info"
check "info reports grid, targets and the intensities' minimum, maximum, mean and sum" \
  'grep -q "5 x 3 points" "$work/info" && grep -q "Targets:     1, total scan time 900.0 s" "$work/info" &&
   grep -qx "Minimum:     10" "$work/info" && grep -qx "Maximum:     34" "$work/info" &&
   grep -qx "Mean:        22.00" "$work/info" && grep -qx "Sum:         330" "$work/info"'
check "info names the colour scale's ceiling as such" 'grep -qx "Colour scale: 0 to 63" "$work/info"'
sed 's/^1:  x: 0.5  y: 0.0  time: 900.0$/&\n2:  x: 1.0  y: 0.0  time: -5.0/' "$examples/small.rad" > "$work/negative.rad"
"$tool" info "$work/negative.rad" > "$work/info"
"$tool" convert "$work/negative.rad" "$work/kept.rad"
check "info counts only the targets a saved file keeps" \
  'grep -q "Targets:     1, total scan time 900.0 s" "$work/info" && [ "$(grep -c "time: 900.0$" "$work/kept.rad")" -eq 1 ] && ! grep -q "time: -" "$work/kept.rad"'

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
unset ORMA_SYSDATA
env -u 'ORMA$SYSDATA:' "$tool" export "$examples/small.rad" "$work/magma.png" --lut magma 2> "$work/err"
check "the build tree's tool finds a bundled table, named without .lut" \
  '[ "$(head -c 4 "$work/magma.png" | tail -c 3)" = "PNG" ] && [ ! -s "$work/err" ]'
env -u 'ORMA$SYSDATA:' "$tool" export "$examples/small.rad" "$work/x.png" --lut nosuch 2> "$work/err"
status=$?
check "an unknown table lists the tables there" \
  '[ $status -eq 1 ] && grep -q "^vespira-rad: no look-up table nosuch in .*; it holds .*magma.lut" "$work/err" && [ ! -e "$work/x.png" ]'
"$tool" export "$examples/small.rad" "$work/OUT.PNG" && "$tool" export "$examples/small.rad" "$work/OUT.CSV"
check "output names in capitals are known by their suffix" \
  '[ "$(head -c 4 "$work/OUT.PNG" | tail -c 3)" = "PNG" ] && cmp -s "$work/OUT.CSV" "$work/small.csv"'

"$tool" export "$examples/disc.rad" "$work/disc.pdf"
check "export draws the printed page into a PDF of one page" \
  'head -c 5 "$work/disc.pdf" | grep -q "%PDF-" && [ "$(grep -ac "/Type /Page\b" "$work/disc.pdf")" -eq 1 ] && [ "$(grep -ac "/Count 1\b" "$work/disc.pdf")" -eq 1 ]'
check "the printed page keeps its cells lossless" \
  '! grep -aq "/DCTDecode" "$work/disc.pdf" && grep -aq "/FlateDecode" "$work/disc.pdf"'
"$tool" export "$examples/disc.rad" "$work/targets.png" && "$tool" export "$examples/disc.rad" "$work/bare.png" --no-targets
check "a PNG shows the targets unless --no-targets" \
  '[ -s "$work/bare.png" ] && ! cmp -s "$work/targets.png" "$work/bare.png"'
check "the usage names --no-targets" '"$tool" --help | grep -q -- "--no-targets"'
mkdir -p "$work/config/Merovant"
printf '[Settings]\nSelection=65280\n' > "$work/config/Merovant/ORMA Radiography.conf"
"$tool" export "$examples/disc.rad" "$work/green.png"
check "a PNG draws the targets in the overlay colour of the settings" \
  '[ -s "$work/green.png" ] && ! cmp -s "$work/targets.png" "$work/green.png"'
rm -r "$work/config"
"$tool" export "$work/missing.rad" "$work/none.pdf" 2> /dev/null
status=$?
check "a PDF of a missing file is not written" '[ $status -eq 1 ] && [ ! -e "$work/none.pdf" ]'

"$tool" recover "$examples/small.rad" "$work/out.rad" 2> "$work/err"
status=$?
check "recover refuses a file that is not a journal, without output" \
  '[ $status -eq 1 ] && [ ! -e "$work/out.rad" ] && grep -q "is not a scan journal" "$work/err"'

"$tool" targets "$examples/small.rad" > "$work/targets"
check "targets prints the list and its total" \
  'grep -Eq "^ +0 +0.5 +0.0 +900$" "$work/targets" && grep -qx "1 targets, total scan time 900.0 s" "$work/targets"'

"$tool" targets "$examples/disc.rad" --csv "$work/disc.csv"
check "targets --csv writes the header and one row per target" \
  'head -1 "$work/disc.csv" | grep -qx "x_mm,y_mm,time_s" && [ "$(($(wc -l < "$work/disc.csv") - 1))" -eq "$(sed -n "s/^Targets: *\([0-9]*\),.*/\1/p" <("$tool" info "$examples/disc.rad"))" ]'
"$tool" convert "$examples/disc.rad" "$work/bare.rad"
sed -i '/^Begin Selection:/,/^End Selection:/{/^[0-9]/d}' "$work/bare.rad"
"$tool" targets "$work/bare.rad" --import "$work/disc.csv" "$work/back.rad" > /dev/null
check "a list exported and imported gives the same targets" \
  'diff <(sed -n "/^Begin Selection/,\$p" "$examples/disc.rad") <(sed -n "/^Begin Selection/,\$p" "$work/back.rad") > /dev/null'

printf 'x_mm,y_mm,time_s\n1.0,0.5,30\n9,9,5\nabc,1,2\n' > "$work/bad.csv"
"$tool" targets "$examples/small.rad" --import "$work/bad.csv" "$work/part.rad" 2> "$work/err"
status=$?
check "a list with bad rows is refused, each named by its line" \
  '[ $status -eq 1 ] && [ ! -e "$work/part.rad" ] && grep -q "^line 3: X 9 mm, Y 9 mm lies outside the grid" "$work/err" && grep -q "^line 4: X \"abc\" is not a number" "$work/err"'
"$tool" targets "$examples/small.rad" --import "$work/bad.csv" "$work/part.rad" --partial > /dev/null 2>&1
check "--partial takes the good rows" \
  '"$tool" targets "$work/part.rad" | grep -qx "2 targets, total scan time 930.0 s"'

"$tool" export "$examples/small.rad" "$work/small.nxs"
check "a NeXus export has the attributes a NeXus reader needs" \
  'h5dump -A -g /entry/data "$work/small.nxs" | tr -d " \n" | grep -q "ATTRIBUTE\"axes\".*(0):\"y\",\"x\"" &&
   h5dump -a /entry/data/signal "$work/small.nxs" | grep -q "\"intensity\"" &&
   h5dump -a /entry/data/x_indices "$work/small.nxs" | grep -q "(0): 1" &&
   h5dump -a /entry/data/y_indices "$work/small.nxs" | grep -q "(0): 0"'
check "h5dump reads the exact intensities, rows by columns" \
  'h5dump -d /entry/data/intensity "$work/small.nxs" | tr -d " \n" | grep -q "DATASPACESIMPLE{(3,5)/(3,5)}DATA{(0,0):10,11,12,13,14,(1,0):20,21,22,23,24,(2,0):30,31,32,33,34}"'
check "h5dump reads the axes, targets and header with their units" \
  'h5dump -d /entry/data/y "$work/small.nxs" | grep -q "(0): 1, 0.5, 0" &&
   h5dump -d /entry/targets/time "$work/small.nxs" | grep -q "(0): 900" &&
   h5dump -d /entry/header/detector_distance "$work/small.nxs" | tr -d " \n" | grep -q "(0):105.5.*\"cm\"" &&
   h5dump -d /entry/header/tube_voltage "$work/small.nxs" | grep -q "(0): 40"'
"$tool" targets "$work/small.nxs" --csv "$work/from-map.csv"
check "a NeXus map is read by the same commands" 'grep -qx "0.5,0.0,900" "$work/from-map.csv"'

"$tool" export "$examples/small.rad" "$work/small.tif"
check "a TIFF export is a 32-bit image of the grid" \
  '[ "$(head -c 4 "$work/small.tif" | od -An -c | tr -d " ")" = "II*\\0" ] && { ! command -v identify > /dev/null || identify "$work/small.tif" 2> /dev/null | grep -q "TIFF 5x3"; }'
"$tool" export "$work/missing.rad" "$work/none.nxs" 2> /dev/null
status=$?
check "a NeXus export of a missing file is not written" '[ $status -eq 1 ] && [ ! -e "$work/none.nxs" ]'

"$tool" export "$examples/disc.rad" "$work/plain.png" --cell 2
"$tool" export "$examples/disc.rad" "$work/rising.png" --range rising --cell 2 --scale linear
check "--range rising --scale linear is the plain export, byte for byte" \
  'cmp -s "$work/plain.png" "$work/rising.png"'
"$tool" export "$examples/disc.rad" "$work/pct.png" --range percentile:5 --scale log
check "a percentile range in log scale exports another image" \
  '[ "$(head -c 4 "$work/pct.png" | tail -c 3)" = "PNG" ] && ! cmp -s "$work/plain.png" "$work/pct.png"'
for bad in "--range fixed:5:5" "--range fixed:1:x" "--range percentile:51" "--range percentile:" \
  "--range hot" "--scale cubic" "--range"; do
  # shellcheck disable=SC2086
  "$tool" export "$examples/disc.rad" "$work/bad.png" $bad 2> "$work/err"
  status=$?
  check "export with $bad is a usage error that writes nothing" \
    '[ $status -eq 2 ] && grep -q "^vespira-rad: --" "$work/err" && [ ! -e "$work/bad.png" ]'
done
"$tool" export "$examples/disc.rad" "$work/ranged.csv" --range auto 2> "$work/err"
status=$?
check "a range for a CSV export is refused" '[ $status -eq 2 ] && [ ! -e "$work/ranged.csv" ]'

"$tool" frobnicate 2> /dev/null
status=$?
check "an unknown command is a usage error" '[ $status -eq 2 ]'

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
