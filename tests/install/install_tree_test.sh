#!/usr/bin/env bash
# What `cmake --install` puts on a system: the programs, and the desktop's view of them in step
# with what they do. Run as: install_tree_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
source=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cmake --install "$build" --prefix "$prefix" >/dev/null
share=$prefix/share

# Every file a user or the desktop looks for.
for f in bin/kruskalwallis bin/kwtest share/man/man1/kwtest.1.gz share/man/man1/kruskalwallis.1.gz \
         share/bash-completion/completions/kwtest share/mime/packages/kruskalwallis.xml \
         share/applications/org.kruskalwallis.KruskalWallis.desktop \
         share/metainfo/org.kruskalwallis.KruskalWallis.metainfo.xml \
         share/icons/hicolor/scalable/apps/kruskalwallis.svg \
         share/doc/kruskalwallis/manual.html share/doc/kruskalwallis/copyright \
         share/doc/kruskalwallis/examples/insectsprays.txt; do
  [ -s "$prefix/$f" ] || fail "$f is not installed"
done
[ -x "$prefix/bin/kwtest" ] && [ -x "$prefix/bin/kruskalwallis" ] || fail "the programs are not executable"

# The installed kwtest runs, and the man pages are compressed man pages.
report=$("$prefix/bin/kwtest" "$share/doc/kruskalwallis/examples/insectsprays.txt" --group spray --test count)
[[ $report == "KRUSKAL WALLIS NONPARAMETRIC ANOVA"* ]] ||
  fail "the installed kwtest does not analyse the installed example"
for page in kwtest kruskalwallis; do
  gzip -dc "$share/man/man1/$page.1.gz" | head -c 2000 | grep -q '^\.TH' || fail "$page.1.gz is not a man page"
done

# The icon in each size of the theme, each PNG the size its folder names.
for size in 16 22 24 32 48 64 128 256 512; do
  png=$share/icons/hicolor/${size}x${size}/apps/kruskalwallis.png
  if [ ! -s "$png" ]; then fail "no ${size}x${size} icon"; continue; fi
  # Width and height from the PNG header (bytes 16 to 23, big-endian).
  read -r w h < <(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
  [ "$w" = "$size" ] && [ "$h" = "$size" ] || fail "the ${size}x${size} icon is ${w}x${h}"
done

# The desktop entry offers the program for every kind of file its Open dialog reads: each
# extension of the dialog's filter has a MIME type, by the shared database or the program's own
# (packaging/desktop/kruskalwallis-mime.xml), that the entry lists.
desktop=$share/applications/org.kruskalwallis.KruskalWallis.desktop
mimes=$(sed -n 's/^MimeType=//p' "$desktop" | tr ';' '\n')
filter=$(grep -o '"Data files ([^)]*)' "$source/src/app/dialogs/filedialogs.cpp" | grep -o '\*\.[a-z]*')
[ -n "$filter" ] || fail "the Open dialog's filter was not found in filedialogs.cpp"
type_of() {
  case "$1" in
    txt) echo text/plain ;;
    csv) echo text/csv ;;
    tsv|tab) echo text/tab-separated-values ;;
    xlsx) echo application/vnd.openxmlformats-officedocument.spreadsheetml.sheet ;;
    xlsm) echo application/vnd.ms-excel.sheet.macroEnabled.12 ;;
    ods) echo application/vnd.oasis.opendocument.spreadsheet ;;
    sav|zsav) echo application/x-spss-sav ;;
    por) echo application/x-spss-por ;;
    dta) echo application/x-stata-dta ;;
    *) echo "unknown:$1" ;;
  esac
}
for glob in $filter; do
  type=$(type_of "${glob#*.}")
  echo "$mimes" | grep -qx "$type" || fail "the desktop entry does not offer the program for $glob ($type)"
done
grep -q 'type="application/x-stata-dta"' "$share/mime/packages/kruskalwallis.xml" ||
  fail "the Stata type the entry names is not defined"
grep -q '^Exec=kruskalwallis %f$' "$desktop" || fail "the entry does not pass the file to the program"

# The metainfo names the entry, and its release is the program's version, which the Debian
# changelog's newest entry carries too.
version=$(sed -n 's/^project(KruskalWallis VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
metainfo=$share/metainfo/org.kruskalwallis.KruskalWallis.metainfo.xml
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo's release is not $version"
grep -q '<launchable type="desktop-id">org.kruskalwallis.KruskalWallis.desktop</launchable>' "$metainfo" ||
  fail "the metainfo does not name the desktop entry"
head -1 "$source/packaging/debian/changelog" | grep -q "^kruskalwallis ($version-[0-9]*)" ||
  fail "the Debian changelog's newest entry is not version $version"

# The validators, where they are installed (scripts/install-deps --package installs them).
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$desktop" | grep -v 'hint:' | grep . && fail "desktop-file-validate"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$metainfo" >/dev/null || fail "appstreamcli validate"
fi
if command -v xmllint >/dev/null; then
  xmllint --noout "$share/mime/packages/kruskalwallis.xml" || fail "the MIME file is not XML"
fi

[ "$failures" -eq 0 ] && echo "the installed tree is complete and consistent"
exit "$failures"
