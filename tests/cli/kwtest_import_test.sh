#!/usr/bin/env bash
# kwtest on files of other programs: the same data gives the same report, byte for byte,
# whatever the file's kind; a malformed file is refused with exit 1 and no output file.
set -u
kwtest=$1
examples=$2
data=$3 # tests/data/import
# shellcheck source=testlib.sh
source "$(dirname "$0")/testlib.sh"

# same_report TEXTFILE "TEXT ARGS" FILE "FILE ARGS": both runs succeed with equal reports.
same_report() {
    local text=$1 textArgs=$2 file=$3 fileArgs=$4
    # shellcheck disable=SC2086
    "$kwtest" "$text" $textArgs --report "$work/text.out" 2>"$work/err" ||
        { fail "$text: $(cat "$work/err")"; return; }
    # shellcheck disable=SC2086
    "$kwtest" "$file" $fileArgs --report "$work/file.out" 2>"$work/err" ||
        { fail "$file: $(cat "$work/err")"; return; }
    cmp -s "$work/text.out" "$work/file.out" || fail "$file gives another report than $text"
}

# R's CSV of the air quality, NA for missing values, against the text file with -99.
same_report "$examples/airquality.txt" "--group Month --test Ozone --missing -99" \
    "$examples/airquality.csv" "--group Month --test Ozone --na NA"
# One column per group, semicolons and decimal commas, against the long text file.
sed '1s/.*/group value/' "$examples/plantgrowth.txt" >"$work/plantgrowth.txt"
same_report "$work/plantgrowth.txt" "--group group --test value" \
    "$examples/plantgrowth-wide.csv" "--wide --group group --test value"

# Every fixture listed in pairs.txt: the text file, its arguments, the other file, its
# arguments (fields separated by '|').
while IFS='|' read -r text textArgs file fileArgs; do
    [ -z "$text" ] || [ "${text:0:1}" = "#" ] && continue
    same_report "$data/$(echo $text)" "$textArgs" "$data/$(echo $file)" "$fileArgs"
done <"$data/pairs.txt"

# Malformed files: exit 1, a message, no output file.
while IFS='|' read -r file fileArgs; do
    [ -z "$file" ] || [ "${file:0:1}" = "#" ] && continue
    # shellcheck disable=SC2086
    "$kwtest" "$data/$(echo $file)" $fileArgs --report "$work/refused.out" >"$work/out" 2>"$work/err"
    status=$?
    [ "$status" -eq 1 ] || fail "$file: exit $status (want 1)"
    [ -s "$work/err" ] || fail "$file: no message"
    [ -s "$work/out" ] && fail "$file: output on stdout"
    [ -e "$work/refused.out" ] && fail "$file: a report was written"
    rm -f "$work/refused.out"
done <"$data/refused.txt"

[ "$failures" -eq 0 ] && echo "all kwtest import checks passed"
exit $((failures > 0))
