#!/usr/bin/env bash
# kwtest --plot end to end, without a display: the three formats and three kinds for the plant
# growth example, the usage errors of the plot's options, and no file left on a refusal.
set -u
kwtest=$1
examples=$2
# shellcheck source=testlib.sh
source "$(dirname "$0")/testlib.sh"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
export XDG_RUNTIME_DIR=$work

plants=("$examples/plantgrowth.txt" --group group --test weight)

# The report on standard output is the same with a plot as without.
expect_exit 0 "$kwtest" "${plants[@]}"
cp "$work/out" "$work/plain.txt"
expect_exit 0 "$kwtest" "${plants[@]}" --plot "$work/box.svg"
cmp -s "$work/plain.txt" "$work/out" || fail "--plot changed the report"
[ -s "$work/err" ] && fail "--plot wrote to standard error: $(cat "$work/err")"
grep -q '<title>Box plot of weight by group</title>' "$work/box.svg" || fail "svg title"
grep -q 'viewBox="0 0 800 500"' "$work/box.svg" || fail "svg view box"
grep -q '>trt1<' "$work/box.svg" || fail "svg group name"
grep -q '>n = 10<' "$work/box.svg" || fail "svg group size"
if command -v xmllint >/dev/null; then
    xmllint --noout "$work/box.svg" || fail "svg is not valid XML"
fi

expect_exit 0 "$kwtest" "${plants[@]}" --plot "$work/ranks.PDF" --plot-kind ranks --plot-size 600x400
head -c 5 "$work/ranks.PDF" | grep -q '%PDF-' || fail "pdf header"
grep -aq '/MediaBox \[0 0 450.000000 300.000000\]' "$work/ranks.PDF" || fail "pdf page size"

expect_exit 0 "$kwtest" "${plants[@]}" --plot "$work/pairs.png" --plot-kind pairs --plot-dpi 150
# The PNG's signature, its size (800 x 500 at 150 dpi) and its pHYs chunk (5906 per metre).
[ "$(head -c 8 "$work/pairs.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "png signature"
[ "$(od -An -tx1 -j16 -N8 "$work/pairs.png" | tr -d ' \n')" = 000004e20000030d ] || fail "png size"
grep -aq 'pHYs' "$work/pairs.png" || fail "png resolution"
[ "$(od -An -tx1 -j$(($(grep -abo pHYs "$work/pairs.png" | cut -d: -f1) + 4)) -N4 "$work/pairs.png" | tr -d ' \n')" = 00001712 ] ||
    fail "png dpi"

# The default PNG is 300 dpi: 2500 x 1563 pixels.
expect_exit 0 "$kwtest" "${plants[@]}" --plot "$work/box.png" --json "$work/p.json"
[ "$(od -An -tx1 -j16 -N8 "$work/box.png" | tr -d ' \n')" = 000009c40000061b ] || fail "png default size"

# Usage errors: exit 2, the usage on standard error, no file.
expect_usage() { # message, then the options
    local message=$1
    shift
    expect_exit 2 "$kwtest" "${plants[@]}" "$@"
    head -n1 "$work/err" | grep -qxF "kwtest: $message" || fail "message for $*: $(head -n1 "$work/err")"
    grep -q '^usage: kwtest' "$work/err" || fail "no usage for $*"
}
expect_usage "--plot takes a file name ending in .svg, .png or .pdf" --plot "$work/x.jpg"
expect_usage "--plot takes a file name ending in .svg, .png or .pdf" --plot "$work/svg"
expect_usage "option --plot needs a value" --plot
expect_usage "--plot-kind takes box, ranks or pairs" --plot "$work/x.svg" --plot-kind violin
expect_usage "--plot-size takes WIDTHxHEIGHT, each from 200 to 5000, such as 800x500" \
    --plot "$work/x.svg" --plot-size 800
expect_usage "--plot-size takes WIDTHxHEIGHT, each from 200 to 5000, such as 800x500" \
    --plot "$work/x.svg" --plot-size 100x500
expect_usage "--plot-dpi takes a whole number from 72 to 1200" --plot "$work/x.png" --plot-dpi 30
expect_usage "--plot-kind, --plot-size and --plot-dpi go with --plot" --plot-kind ranks
expect_usage "--plot-size and --plot-dpi make a PNG of more than 20000 pixels a side" \
    --plot "$work/x.png" --plot-size 5000x5000 --plot-dpi 1200
[ -e "$work/x.svg" ] || [ -e "$work/x.png" ] || [ -e "$work/x.jpg" ] && fail "a usage error wrote a file"

# A refusal of the data writes no plot; an unwritable plot leaves the report unwritten.
expect_exit 1 "$kwtest" "$examples/plantgrowth.txt" --group group --test group --plot "$work/no.svg"
[ -e "$work/no.svg" ] && fail "a refusal wrote the plot"
expect_exit 1 "$kwtest" "${plants[@]}" --report "$work/r.txt" --plot "$work/no-such-folder/p.svg"
[ -e "$work/r.txt" ] && fail "a failed plot write left the report"
[ -z "$(ls -A "$work" | grep '^\.')" ] || fail "temporary files left behind"

# Without a font the texts would come out as boxes: refused, no file.
printf '<?xml version="1.0"?>\n<fontconfig></fontconfig>\n' >"$work/nofonts.conf"
expect_exit 1 env FONTCONFIG_FILE="$work/nofonts.conf" "$kwtest" "${plants[@]}" --plot "$work/nofont.svg"
grep -q '^no font was found' "$work/err" || fail "no font message: $(cat "$work/err")"
[ -e "$work/nofont.svg" ] && fail "a plot without fonts was written"

# Kinds and options of the pairwise comparisons reach the plot.
expect_exit 0 "$kwtest" "$examples/insectsprays.txt" --group spray --test count --plot "$work/c.svg" \
    --plot-kind pairs --pairwise conover --adjust bonferroni
grep -q 'Conover-Iman test, p adjusted by Bonferroni' "$work/c.svg" || fail "pairs title"

if [ "$failures" -gt 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "all kwtest plot checks passed"
