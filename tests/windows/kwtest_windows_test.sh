#!/usr/bin/env bash
# kwtest.exe under Wine against the Linux kwtest, on the examples and on generated data, with
# the same options in the same folder: standard output, standard error, the exit code and every
# file written must be the same bytes. One thing may differ, and is counted and shown: numbers in
# the JSON that come from the distribution functions (R's math library on Linux, Boost.Math on
# Windows) and that JSON writes to the last digit; they must agree to 11 digits, and the details
# report, which prints them to 6, is compared byte for byte. Then the refusals of the Windows
# build: workbooks, SPSS files and plots, each with its message and exit 1; and its help.
#
#   kwtest_windows_test.sh KWTEST.EXE LINUX_KWTEST WINE EXAMPLES
set -euo pipefail
exe=$(realpath "$1")
linux=$(realpath -m "$2")
wine=$3
examples=$(realpath "$4")
if [ ! -x "$linux" ]; then
  echo "kwtest_windows: the Linux kwtest ($linux) is missing (scripts/build makes it):" \
       "kwtest.exe is not compared with it"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir data lin win
failures=0
cases=0
lastDigits=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# The JSON of both builds: the same but for the numbers that may differ in their last digits.
cat >close.py <<'EOF'
import json, re, sys
loose = re.compile(r"^(effectsize\.(epsilon2|eta2h)_ci\[\d\]|pvalue_h\.(asymptotic|ci\[\d\])|"
                   r"pairwise\.pairs\[\d+\]\.(p|padj))$")
differing = []
def same(a, b, path):
    if type(a) != type(b):
        return False
    if isinstance(a, dict):
        return list(a) == list(b) and all(same(a[k], b[k], (path + "." if path else "") + k) for k in a)
    if isinstance(a, list):
        return len(a) == len(b) and all(same(x, y, "%s[%d]" % (path, i)) for i, (x, y) in enumerate(zip(a, b)))
    if a == b:
        return True
    if isinstance(a, float) and loose.match(path) and abs(a - b) <= 5e-11 * max(abs(a), abs(b)) + 5e-14:
        differing.append("%s %r %r" % (path, a, b))
        return True
    print("  %s: %r (Linux) %r (Windows)" % (path, a, b))
    return False
linux, windows = (json.load(open(f)) for f in sys.argv[1:3])
if not same(linux, windows, ""):
    sys.exit(1)
for d in differing:
    print("  last digits: " + d)
print(len(differing))
EOF

# check NAME ARGUMENTS...: both builds in folders of their own, the data in ../../data.
check() {
  local name=$1
  shift
  cases=$((cases + 1))
  mkdir -p "lin/$name" "win/$name"
  local status=0
  (cd "lin/$name" && "$linux" "$@" >stdout 2>stderr) || status=$?
  echo $status >"lin/$name/status"
  status=0
  (cd "win/$name" && "$wine" "$exe" "$@" >stdout 2>stderr) || status=$?
  echo $status >"win/$name/status"
  local files f
  mapfile -t files < <( (cd "lin/$name" && ls -A; cd "../../win/$name" && ls -A) | sort -u)
  for f in "${files[@]}"; do
    if [ ! -e "lin/$name/$f" ] || [ ! -e "win/$name/$f" ]; then
      fail "$name: only one build wrote $f"
    elif ! cmp -s "lin/$name/$f" "win/$name/$f"; then
      local n
      if [[ $f == *.json ]] && n=$(python3 close.py "lin/$name/$f" "win/$name/$f" | tail -n 1) &&
         [[ $n =~ ^[0-9]+$ ]]; then
        lastDigits=$((lastDigits + n))
        python3 close.py "lin/$name/$f" "win/$name/$f" | sed '$d' | sed "s|^|$name: |"
      else
        fail "$name: $f differs"
        diff "lin/$name/$f" "win/$name/$f" | head -n 10 || true
      fi
    fi
  done
}

cp "$examples"/*.txt "$examples"/*.csv data/
d=../../data

# The examples with the options of the window, and the statistics beyond the test.
check plant-default $d/plantgrowth.txt --group group --test weight
check plant-report $d/plantgrowth.txt --group group --test weight --report r.txt --json r.json \
  --details d.txt
check plant-alpha $d/plantgrowth.txt --group group --test weight --alpha 0.01 --sort median
check plant-where $d/plantgrowth.txt --group group --test weight --where 'group<>trt2' \
  --json r.json --details d.txt
check insects-median $d/insectsprays.txt --group spray --test count --sort median --report r.txt
for method in dunn conover dscf; do
  for adjust in holm bonferroni sidak holm-sidak hochberg hommel bh by none; do
    if [ $method = dscf ] && [ $adjust != holm ]; then continue; fi
    check "insects-$method-$adjust" $d/insectsprays.txt --group spray --test count \
      --pairwise $method --adjust $adjust --json r.json --details d.txt
  done
done
check insects-control $d/insectsprays.txt --group spray --test count --control C \
  --adjust hochberg --details d.txt --json r.json
check air-missing $d/airquality.txt --group Month --test Ozone --missing -99 --json r.json \
  --details d.txt --report r.txt
check air-numbers $d/airquality.txt --group Day --test Temp --group-as numbers --where Month=7 \
  --details d.txt
check air-texts $d/airquality.txt --group Day --test Temp --group-as texts --alpha 0.2
check plant-exact-always $d/plantgrowth.txt --group group --test weight --exact always \
  --details d.txt --json r.json
check plant-exact-never $d/plantgrowth.txt --group group --test weight --exact never \
  --resamples 20000 --seed 7 --details d.txt --json r.json
check air-csv $d/airquality.csv --group Month --test Ozone --na NA --json r.json --details d.txt
check air-csv-missing $d/airquality.csv --group Month --test Solar.R --missing -1 --report r.txt
check wide-csv $d/plantgrowth-wide.csv --wide --group group --test value --decimal comma \
  --details d.txt --json r.json
check wide-csv-delimiter $d/plantgrowth-wide.csv --wide --group group --test value \
  --delimiter ';' --decimal comma --encoding ISO-8859-1
check as-delimited $d/plantgrowth.txt --delimiter ' ' --group group --test weight

# Generated data: heavy ties, many groups, one group spelled 1, 01 and 1E1, thousands of cases.
# The studentized range's p (dscf) stays above 1e-9 here: below, R's value is noise (its error is
# about 1e-11), and one unit in the last place of its distribution function shows in the sixth
# digit.
awk 'BEGIN { srand(11); print "g x"; for (i = 0; i < 3000; i++) print int(rand() * 4), int(rand() * 6) }' >data/ties.txt
awk 'BEGIN { srand(12); print "g x"; for (i = 0; i < 6000; i++) { g = int(rand() * 60); printf "G%d %.3f\n", g, g / 30 + rand() * 3 } }' >data/many.txt
awk 'BEGIN { srand(13); print "g x"; s[0] = "1"; s[1] = "01"; s[2] = "1E1"; s[3] = "2"; s[4] = "10";
  for (i = 0; i < 400; i++) { k = int(rand() * 5); printf "%s %.2f\n", s[k], k + rand() * 4 } }' >data/spellings.txt
awk 'BEGIN { srand(14); print "g;x"; for (i = 0; i < 4000; i++) { g = int(rand() * 7); printf "g%d;%s\n", g, g * 0.9 + rand() * 2 } }' | tr . , >data/comma.csv
awk 'BEGIN { srand(16); print "g x"; for (i = 0; i < 1500; i++) { g = int(rand() * 40); printf "G%d %.3f\n", g, g / 80 + rand() * 3 } }' >data/dscf.txt
awk 'BEGIN { srand(15); print "g x"; for (i = 0; i < 24; i++) { g = int(rand() * 3); print g, g * 2 + rand() * 5 } }' >data/small.txt
check ties $d/ties.txt --group g --test x --json r.json --details d.txt --report r.txt
check ties-conover $d/ties.txt --group g --test x --pairwise conover --adjust bh --details d.txt \
  --json r.json
check many $d/many.txt --group g --test x --json r.json --details d.txt --exact never \
  --resamples 2000
check many-dscf $d/dscf.txt --group g --test x --pairwise dscf --details d.txt --json r.json \
  --resamples 500
check spellings-numbers $d/spellings.txt --group g --test x --group-as numbers --details d.txt
check spellings-texts $d/spellings.txt --group g --test x --group-as texts --json r.json
check comma $d/comma.csv --group g --test x --decimal comma --details d.txt --json r.json
check small-exact $d/small.txt --group g --test x --exact always --details d.txt --json r.json
check small-seeds $d/small.txt --group g --test x --exact never --seed 99 --resamples 5000 \
  --details d.txt --json r.json

# Encodings: the forms of Unicode with and without a byte-order mark, single-byte ones, and
# bytes that do not decode, each found or named.
printf 'Gruppe;Wert\ngrün;1\ngrün;2\nweiß;3\nweiß;4\nrot;5\nrot;9\n' >data/utf8.csv
iconv -f UTF-8 -t UTF-16LE data/utf8.csv >data/u16le.csv
(printf '\xff\xfe'; cat data/u16le.csv) >data/u16le-bom.csv
(printf '\xfe\xff'; iconv -f UTF-8 -t UTF-16BE data/utf8.csv) >data/u16be-bom.csv
iconv -f UTF-8 -t UTF-32 data/utf8.csv >data/u32.csv
iconv -f UTF-8 -t WINDOWS-1252 data/utf8.csv >data/cp1252.csv
printf 'g;x\n\xa4uro;1\n\xa4uro;2\n\xbduvre;3\n\xbduvre;4\nsou;9\n' >data/latin9.csv
printf 'g;x\na;1\na;2\n\x81;3\nb;4\n' >data/bad1252.csv
(cat data/u16le.csv; printf '\x00\xd8;\x00') >data/u16-lone.csv
(cat data/u16le.csv; printf 'x') >data/u16-odd.csv
for f in utf8 u16le u16le-bom u16be-bom u32 cp1252 bad1252 u16-lone u16-odd; do
  check "found-$f" $d/$f.csv --group Gruppe --test Wert
done
for e in UTF-16 UTF-16LE UTF-16BE UCS-2 UTF-32 UTF-32LE; do
  check "named-u16le-$e" $d/u16le.csv --group Gruppe --test Wert --encoding $e
  check "named-u16le-bom-$e" $d/u16le-bom.csv --group Gruppe --test Wert --encoding $e
done
check named-u32 $d/u32.csv --group Gruppe --test Wert --encoding UTF-32
check named-u16-lone $d/u16-lone.csv --group Gruppe --test Wert --encoding UTF-16LE
check named-u16-odd $d/u16-odd.csv --group Gruppe --test Wert --encoding UTF-16
check named-latin1 $d/cp1252.csv --group Gruppe --test Wert --encoding latin1
check named-latin9 $d/latin9.csv --group g --test x --encoding ISO-8859-15 --json r.json
check named-cp1252 $d/latin9.csv --group g --test x --encoding WINDOWS-1252
check named-bad1252 $d/bad1252.csv --group g --test x --encoding CP1252
check named-koi8 $d/latin9.csv --group g --test x --encoding KOI8-R
check named-unknown $d/utf8.csv --group Gruppe --test Wert --encoding KLINGON-8

# Names beyond ASCII in the arguments, in the data and in the file's name (UTF-8 as the
# process's code page).
printf 'Größe Wert\ngrün 1\ngrün 2\nblau 3\nblau 4\nrot 7\nrot 9\n' >"data/daten größe.txt"
check names-utf8 "$d/daten größe.txt" --group Größe --test Wert --where 'Größe<>rot' \
  --report 'bericht ä.txt'

# Refusals both builds make alike.
echo keep >data/keep.txt
check refused-variable $d/plantgrowth.txt --group weight --test weight
check refused-file $d/no-such-file.txt --group g --test x
check refused-alpha $d/plantgrowth.txt --group group --test weight --alpha 1.5
check refused-usage $d/plantgrowth.txt --group group --test weight --sort sideways

echo "kwtest_windows: $cases cases compared; $lastDigits JSON numbers of the distribution" \
     "functions differ in their last digits only"

# The Windows build's own refusals, and its help naming Excel.
cp data/plantgrowth.txt data/book.xlsx
cp data/plantgrowth.txt data/survey.sav
expect_refusal() { # the expected message, then the arguments
  local want=$1
  shift
  local status=0
  (cd win && "$wine" "$exe" "$@" >out 2>err) || status=$?
  [ "$status" -eq 1 ] || fail "exit $status (want 1): $*"
  [ "$(cat win/err)" = "$want" ] || fail "message of $*: $(cat win/err)"
  [ ! -e win/r.txt ] || fail "a refusal wrote its report: $*"
}
expect_refusal "../data/book.xlsx is a workbook, which this kwtest for Windows does not read: it reads the program's own text files and delimited text (.csv, .tsv, .tab) only; save the data as CSV, or read a sheet of a running Excel with --from-sheet" \
  ../data/book.xlsx --group group --test weight --report r.txt
expect_refusal "../data/survey.sav is an SPSS or Stata file, which this kwtest for Windows does not read: it reads the program's own text files and delimited text (.csv, .tsv, .tab) only; save the data as CSV, or read a sheet of a running Excel with --from-sheet" \
  ../data/survey.sav --group group --test weight --report r.txt
expect_refusal "--plot: this kwtest for Windows draws no plots and writes no HTML report (they need Qt, which it is built without)" \
  ../data/plantgrowth.txt --group group --test weight --plot p.svg --report r.txt
expect_refusal "--html: this kwtest for Windows draws no plots and writes no HTML report (they need Qt, which it is built without)" \
  ../data/plantgrowth.txt --group group --test weight --html p.html --report r.txt
help=$("$wine" "$exe" --help)
grep -q '^With a running Excel' <<<"$help" || fail "the help does not name Excel"
! grep -q 'LibreOffice Calc' <<<"$help" || fail "the help names LibreOffice Calc"
[ "$("$wine" "$exe" --help | head -n 12)" = "$("$linux" --help | head -n 12)" ] ||
  fail "the usage differs from Linux's"

if [ "$failures" -gt 0 ]; then
  echo "kwtest_windows: $failures failures"
  exit 1
fi
echo "kwtest_windows: all passed"
