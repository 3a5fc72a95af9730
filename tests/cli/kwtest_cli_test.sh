#!/usr/bin/env bash
# End-to-end checks of kwtest: exit codes, outputs, and that a refusal touches no file.
set -u
kwtest=$1
examples=$2
# shellcheck source=testlib.sh
source "$(dirname "$0")/testlib.sh"

# The report on standard output equals the one written with --report.
expect_exit 0 "$kwtest" "$examples/insectsprays.txt" --group spray --test count
cp "$work/out" "$work/stdout.txt"
expect_exit 0 "$kwtest" "$examples/insectsprays.txt" --group spray --test count --report "$work/r.txt"
cmp -s "$work/stdout.txt" "$work/r.txt" || fail "stdout and --report differ"
grep -q $'^Chi2:  54.691\r$' "$work/r.txt" || fail "insect sprays statistic"
grep -q $'^p: 0.018\r$' <("$kwtest" "$examples/plantgrowth.txt" --group group --test weight) ||
    fail "plant growth p"

# JSON holds the grids and the values.
expect_exit 0 "$kwtest" "$examples/airquality.txt" --group Month --test Ozone --missing -99 \
    --sort median --json "$work/a.json" --report "$work/a.txt"
grep -q '"ntotal": 116' "$work/a.json" || fail "json ntotal"
grep -q '"mulcompgrid": \[' "$work/a.json" || fail "json mulcompgrid"
grep -q $'^grouped_by Month 5 6 9 8 7 \r$' "$work/a.txt" || fail "median order"

# Refusals: message on stderr, exit 1, no output file created or changed.
echo keep >"$work/keep.txt"
expect_exit 1 "$kwtest" "$examples/plantgrowth.txt" --group weight --test weight --report "$work/keep.txt"
grep -qx 'group variable must be discrete' "$work/err" || fail "discrete message"
expect_exit 1 "$kwtest" "$examples/plantgrowth.txt" --group group --test group --report "$work/keep.txt"
grep -qx 'test variable must be numeric' "$work/err" || fail "numeric message"
expect_exit 1 "$kwtest" "$examples/plantgrowth.txt" --group group --report "$work/keep.txt"
grep -qx 'first choose group and test variable' "$work/err" || fail "choose message"
expect_exit 1 "$kwtest" "$examples/plantgrowth.txt" --group group --test weight --where group=none \
    --report "$work/keep.txt" --json "$work/new.json"
grep -qx 'no cases selected' "$work/err" || fail "no cases message"
expect_exit 1 "$kwtest" "$examples/plantgrowth.txt" --group group --test weight --alpha abc --report "$work/keep.txt"
grep -qx "'abc' is not a valid floating point value" "$work/err" || fail "alpha message"
expect_exit 1 "$kwtest" "$work/missing-file.txt" --group g --test x --report "$work/keep.txt"
[ "$(cat "$work/keep.txt")" = keep ] || fail "a refusal changed the output file"
# An output that cannot be written leaves the other one unwritten too.
expect_exit 1 "$kwtest" "$examples/plantgrowth.txt" --group group --test weight \
    --report "$work/keep.txt" --json "$work/no-such-folder/x.json"
[ "$(cat "$work/keep.txt")" = keep ] || fail "a failed json write changed the report file"
[ -z "$(ls -A "$work" | grep '^\.')" ] || fail "temporary files left behind"
[ -e "$work/new.json" ] && fail "a refusal created the json file"

# Warnings go to stderr and the run goes on.
{
    printf 'g x\r\n'
    for g in $(seq 1 251); do printf '%d %d\r\n%d %d\r\n' "$g" $((g % 7)) "$g" $((g % 5)); done
} >"$work/many.txt"
expect_exit 0 "$kwtest" "$work/many.txt" --group g --test x
grep -q 'more then 250 groups' "$work/err" || fail "250 groups warning"
grep -q 'df:   250' "$work/out" || fail "251 groups result"

# The statistics beyond the test: JSON keys beside the existing ones, and the details report.
expect_exit 0 "$kwtest" "$examples/insectsprays.txt" --group spray --test count \
    --json "$work/d.json" --details "$work/d.txt" --resamples 200 --seed 3
for key in descriptives effectsize pvalue_h pairwise apa methods mulcompgrid npgrgrid; do
    grep -q "\"$key\": " "$work/d.json" || fail "json key $key"
done
grep -q '"method": "dunn", "adjust": "holm", "control": null' "$work/d.json" || fail "default pairwise"
grep -q '"resamples": 200, "seed": 3' "$work/d.json" || fail "resamples and seed"
grep -q $'^FOR A PAPER\r$' "$work/d.txt" || fail "details report"
grep -q '^H(5) = 54.69, p < .001, epsilon^2 = 0.77' "$work/d.txt" || fail "line for a paper"
expect_exit 0 "$kwtest" "$examples/insectsprays.txt" --group spray --test count \
    --json "$work/c.json" --pairwise conover --adjust bh --control A --exact never --resamples 100
grep -q '"method": "conover", "adjust": "bh", "control": "A"' "$work/c.json" || fail "conover with a control"
# Bad choices are usage errors; a control that is no group is refused; no file either way.
for bad in "--pairwise tukey" "--adjust fdr" "--exact sometimes" "--resamples 0" \
    "--resamples many" "--seed -1" "--seed x" "--pairwise dscf --control A"; do
    expect_exit 2 "$kwtest" "$examples/insectsprays.txt" --group spray --test count \
        --json "$work/bad.json" $bad
done
expect_exit 1 "$kwtest" "$examples/insectsprays.txt" --group spray --test count \
    --json "$work/bad.json" --details "$work/bad.txt" --report "$work/keep.txt" --control Z
grep -q "Z" "$work/err" || fail "unknown control message"
[ -e "$work/bad.json" ] || [ -e "$work/bad.txt" ] && fail "a refused option wrote a file"
[ "$(cat "$work/keep.txt")" = keep ] || fail "a refused control changed the report"

# Usage errors and help.
expect_exit 2 "$kwtest"
expect_exit 2 "$kwtest" a.txt --sort size
expect_exit 0 "$kwtest" --help
grep -q -- '--group-as' "$work/out" || fail "help text"

[ "$failures" -eq 0 ] && echo "all kwtest checks passed"
exit $((failures > 0))
