#!/usr/bin/env bash
# kwtest --html end to end, without a display: the report is valid HTML in UTF-8 whose tables
# read back as kwtest's JSON gives the values, names are escaped, nothing is fetched from
# elsewhere, and the plots are embedded SVG that parses as XML.
set -u
kwtest=$1
examples=$2
# shellcheck source=testlib.sh
source "$(dirname "$0")/testlib.sh"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
export XDG_RUNTIME_DIR=$work

# The checks of one report against the JSON of the same run: python3 ships html.parser.
check_report() { # html, json
    python3 - "$1" "$2" <<'PY' || fail "report $1 does not match $2"
import base64, json, sys, xml.etree.ElementTree as ET
from html.parser import HTMLParser

raw = open(sys.argv[1], "rb").read()
text = raw.decode("utf-8")  # strict: the file must be valid UTF-8
data = json.load(open(sys.argv[2], encoding="utf-8"))
problems = []

class Tables(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.tables, self.cell, self.caption, self.images, self.tags = [], None, None, [], []
    def handle_starttag(self, tag, attrs):
        self.tags.append(tag)
        a = dict(attrs)
        if tag == "table":
            self.tables.append({"caption": "", "rows": []})
        elif tag == "tr":
            self.tables[-1]["rows"].append([])
        elif tag in ("th", "td"):
            self.cell = [tag, ""]
        elif tag == "caption":
            self.caption = ""
        elif tag == "img":
            self.images.append(a)
        for name, value in attrs:
            if value and name in ("src", "href") and not value.startswith("data:"):
                problems.append("outside reference %s=%s" % (name, value))
    def handle_endtag(self, tag):
        if tag in ("th", "td") and self.cell:
            self.tables[-1]["rows"][-1].append(self.cell[1].strip())
            self.cell = None
        elif tag == "caption":
            self.tables[-1]["caption"] = self.caption
            self.caption = None
    def handle_data(self, d):
        if self.cell is not None:
            self.cell[1] += d
        elif self.caption is not None:
            self.caption += d

p = Tables()
p.feed(text)
p.close()
for bad in ("script", "link", "iframe", "object"):
    if bad in p.tags:
        problems.append("a <%s> element" % bad)
if "http:" in text or "https:" in text:
    problems.append("an http: reference")

def table(first_header):
    for t in p.tables:
        if t["rows"] and t["rows"][0] and t["rows"][0][0] == first_header:
            return t
    problems.append("no table headed " + first_header)
    return {"caption": "", "rows": [[]]}

def close(a, b, rel=1e-5):
    return abs(float(a) - b) <= rel * max(1.0, abs(b))

# The overall test, as the output page shows it (three decimals for H).
overall = table("Test")["rows"][1]
if not close(overall[1], data["chi2"], 1e-3) or int(overall[2]) != data["ngroups"] - 1 or \
        not close(overall[3], data["pvalue"], 1e-2) or int(overall[4]) != data["ntotal"]:
    problems.append("overall test %s" % overall)

# The groups: n, rank sum and median as the groups page (npgrgrid: a column per group).
grid = data["npgrgrid"]
byname = {grid[0][c]: (grid[1][c], grid[2][c], grid[3][c]) for c in range(1, len(grid[0]))}
rows = table("Group")["rows"]
if [r[0] for r in rows[1:]] != grid[0][1:]:
    problems.append("group order %s" % [r[0] for r in rows[1:]])
for r in rows[1:]:
    if (r[1], r[2], r[4]) != byname.get(r[0]):
        problems.append("group row %s" % r)

# The * / NS table: the comparison grid of the output page.
marks = [t for t in p.tables if t["rows"] and t["rows"][0][:1] == ["grouped_by"]]
if data["pvalue"] < data["alpha"]:
    want = [[c.strip() for c in row] for row in data["mulcompgrid"]]
    if not marks or marks[0]["rows"] != want:
        problems.append("comparison table %s" % (marks[0]["rows"] if marks else None))
elif marks:
    problems.append("a comparison table although p >= alpha")

# The details: pairwise p and adjusted p, letters, the line for a paper, the methods.
pairs = table("Group 1")["rows"]
head = pairs[0]
for row, want in zip(pairs[1:], data["pairwise"]["pairs"]):
    if [row[0], row[1]] != [want["group1"], want["group2"]] or \
            not close(row[head.index("p")], want["p"]) or \
            not close(row[head.index("p adjusted")], want["padj"]):
        problems.append("pair %s" % row)
if len(pairs) - 1 != len(data["pairwise"]["pairs"]):
    problems.append("pairs %d" % (len(pairs) - 1))
if data["pairwise"]["letters"]:
    letters = [t for t in p.tables if t["rows"] and t["rows"][0] == ["Group", "Letters"]]
    got = {r[0]: r[1] for r in letters[0]["rows"][1:]} if letters else {}
    inline = {r[0]: r[5] for r in table("Group")["rows"][1:]}
    if inline != got:
        problems.append("letters in the groups table %s" % inline)
    if any(got.get(g) != l for g, l in data["pairwise"]["letters"].items()):
        problems.append("letters %s" % got)
if data["apa"] not in text.replace("&lt;", "<") or data["methods"] not in text:
    problems.append("apa line or methods paragraph")

# The plots: SVG in data: URIs, each a well-formed XML document.
svgs = [i for i in p.images if i.get("src", "").startswith("data:image/svg+xml;base64,")]
if len(svgs) < 2 or any(not i.get("alt") for i in svgs):
    problems.append("%d plots" % len(svgs))
for i in svgs:
    ET.fromstring(base64.b64decode(i["src"].split(",", 1)[1]))

if problems:
    print("\n".join(problems))
    sys.exit(1)
PY
    if command -v xmllint >/dev/null; then
        xmllint --html --noout "$1" 2>"$work/xmllint" || fail "xmllint: $(cat "$work/xmllint")"
        grep -v "Tag \(figure\|figcaption\|caption\) invalid" "$work/xmllint" | grep -q error &&
            fail "xmllint errors: $(cat "$work/xmllint")"
    fi
}

plants=("$examples/plantgrowth.txt" --group group --test weight)

# The report on standard output is the same with --html as without; nothing on stderr.
expect_exit 0 "$kwtest" "${plants[@]}"
cp "$work/out" "$work/plain.txt"
expect_exit 0 "$kwtest" "${plants[@]}" --html "$work/plants.html" --json "$work/plants.json"
cmp -s "$work/plain.txt" "$work/out" || fail "--html changed the report"
[ -s "$work/err" ] && fail "--html wrote to standard error: $(cat "$work/err")"
check_report "$work/plants.html" "$work/plants.json"
grep -q '<th scope="row">Data source</th><td>[^<]*plantgrowth.txt</td>' "$work/plants.html" ||
    fail "data source"

# The pairwise options apply; a selection and a missing-value code are named.
expect_exit 0 "$kwtest" "$examples/insectsprays.txt" --group spray --test count --pairwise conover \
    --adjust bonferroni --where "spray<>A" --missing -1 --html "$work/sprays.html" --json "$work/sprays.json"
check_report "$work/sprays.html" "$work/sprays.json"
grep -q 'Conover-Iman test, two-sided, the Bonferroni adjustment' "$work/sprays.html" || fail "conover"
grep -q '<td>spray&lt;&gt;A</td>' "$work/sprays.html" || fail "selection"
grep -q '<th scope="row">Missing-value code</th><td>-1</td>' "$work/sprays.html" || fail "missing code"

# Names with markup, quotes and accents are escaped, and the file stays UTF-8; p >= alpha
# (no comparison table).
printf 'g v\n<b>&"x 1\n<b>&"x 2\n<b>&"x 3\ncafé 2\ncafé 3\ncafé 4\nz 1\nz 3\nz 2\n' >"$work/odd.txt"
expect_exit 0 "$kwtest" "$work/odd.txt" --group g --test v --group-as texts \
    --html "$work/odd.html" --json "$work/odd.json"
check_report "$work/odd.html" "$work/odd.json"
grep -q '<b>' "$work/odd.html" && fail "a group name was not escaped"
grep -q '&lt;b&gt;&amp;&quot;x' "$work/odd.html" || fail "the escaped group name"
grep -q 'café' "$work/odd.html" || fail "accented name"

# Refusals: no value, a folder that does not exist (exit 1, no file left).
expect_exit 2 "$kwtest" "${plants[@]}" --html
expect_exit 1 "$kwtest" "${plants[@]}" --html "$work/none/r.html" --json "$work/late.json"
[ -e "$work/late.json" ] && fail "a failed --html left another output behind"

if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "all kwtest --html checks passed"
