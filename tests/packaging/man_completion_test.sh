#!/usr/bin/env bash
# The man pages and kwtest's bash completion: in step with `kwtest --help` (every option
# documented and offered, none that --help lacks), the pages formatted without warnings and
# their examples running, and the completion offering the right words, with bash-completion and
# without it, the variable names of FILE among them. Exits 77 (skipped) when a tool it needs is
# absent; what could run has run.
set -euo pipefail
kwtest=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
src=$2
man_dir=$src/packaging/man
completion=$src/packaging/completion/kwtest
bash_completion=/usr/share/bash-completion/bash_completion
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
skipped=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

skip() {
    echo "SKIP: $*"
    skipped=$((skipped + 1))
}

# What --help says: every option named, each option's entry ("--group NAME") and the fixed
# values of the usage ("--sort group|median").
help=$("$kwtest" --help)
mapfile -t help_options < <(grep -o -- '--[a-z][a-z-]*' <<<"$help" | sort -u)
mapfile -t help_entries < <(sed -n 's/^  \(--[a-z-]*\( [^ ]\+\)\?\)\( \{2,\}.*\)\?$/\1/p' <<<"$help")
usage=$(sed -n '/^usage:/,/^$/p' <<<"$help" | tr '\n' ' ' | sed 's/| */|/g')
mapfile -t help_choices < <(grep -o -- '\[--[a-z-]* [a-z-]*|[a-z|-]*\]' <<<"$usage" | tr -d '[]')
if ((${#help_options[@]} < 30 || ${#help_entries[@]} < 30 || ${#help_choices[@]} < 6)); then
    fail "--help read wrongly: ${#help_options[@]} options, ${#help_entries[@]} entries, " \
        "${#help_choices[@]} lists of values"
fi
flags=()
valued=()
for entry in "${help_entries[@]}"; do
    name=${entry%% *}
    if [[ $entry == *' '* ]]; then
        valued+=("$name")
    else
        flags+=("$name")
    fi
done

# ---- The man pages.

have() { command -v "$1" >/dev/null; }

# A page as plain text, 78 columns wide as man shows it in a terminal of 80.
render() { groff -man -Tascii -P-bou -rLL=78n "$1" 2>/dev/null; }

# One section of a rendered page, its heading included.
section() { awk -v name="$1" '/^[A-Z]/ { on = ($0 == name) } on'; }

# The page's source with the escapes of minus signs, fonts and hyphenation taken off.
plain_source() { sed -e '/^\.\\"/d' -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\%//g' "$1"; }

# The source without the commands of other programs in its examples (soffice's options).
own_source() {
    plain_source "$1" | awk '/^\.EX/ { example = 1; next } /^\.EE/ { example = 0; next }
        example && !continued { command = $1 }
        { continued = /\\e$/ }
        !example || command == "kwtest" || command == "cd"'
}

version=$(sed -n 's/^project(KruskalWallis VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
if ! have groff; then
    skip "groff is missing (Debian package groff-base): the man pages were not formatted"
else
    for page in kwtest kruskalwallis; do
        file=$man_dir/$page.1
        warnings=$(groff -man -ww -z "$file" 2>&1)
        [[ -z $warnings ]] || fail "$page.1: groff warns: $warnings"
        grep -q "^\.TH $(tr a-z A-Z <<<"$page") 1 [0-9-]* \"kruskalwallis $version\"" "$file" ||
            fail "$page.1: .TH does not name version $version"
        wide=$(render "$file" | awk 'length > 78')
        [[ -z $wide ]] || fail "$page.1: lines wider than 78 columns: $wide"
        # A minus sign of an option or a number typed as a hyphen (man shows them alike, but
        # copying from some renderings gives a hyphen that the program does not take).
        bare=$(sed '/^\.\\"/d' "$file" | grep -nE '(^|[^\\])--[a-z]|(^|[ ([])-[0-9a-z]' || true)
        [[ -z $bare ]] || fail "$page.1: unescaped minus signs: $bare"
        if have man; then
            # As lintian reads manual pages.
            warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 \
                man --warnings -E UTF-8 -l -Tutf8 -Z "$file" 2>&1 >/dev/null)
            [[ -z $warnings ]] || fail "$page.1: man warns: $warnings"
        fi
        if have lexgrog; then
            lexgrog "$file" | grep -q ": \"$page - " || fail "$page.1: lexgrog finds no NAME line"
        fi
    done
    have man || skip "man is missing (Debian package man-db): man --warnings was not run"
    have lexgrog || skip "lexgrog is missing (Debian package man-db): the NAME lines were not read"

    # Every entry of --help is an entry of OPTIONS, and the page names no other option.
    options=$(render "$man_dir/kwtest.1" | section OPTIONS)
    for entry in "${help_entries[@]}"; do
        awk -v t="$entry" '{ sub(/^ +/, "") } $0 == t || index($0, t " ") == 1 { found = 1 }
                           END { exit !found }' <<<"$options" ||
            fail "kwtest.1 has no entry '$entry' under OPTIONS"
    done
    for option in $(own_source "$man_dir/kwtest.1" | grep -o -- '--[a-z][a-z-]*' | sort -u); do
        [[ " ${help_options[*]} " == *" $option "* ]] ||
            fail "kwtest.1 names $option, which kwtest --help does not"
    done

    # The examples that use the example data run as written, in a copy of examples/.
    cp -r "$src/examples" "$work/examples"
    ran=0
    while IFS= read -r command; do
        eval "args=(${command#kwtest })"
        [[ -f $work/examples/${args[0]} ]] || continue
        if ! (cd "$work/examples" && "$kwtest" "${args[@]}") >"$work/out" 2>"$work/err"; then
            grep -q 'built without the plots' "$work/err" ||
                fail "the example '$command' fails: $(cat "$work/err")"
        fi
        ran=$((ran + 1))
    done < <(render "$man_dir/kwtest.1" | section EXAMPLES | sed 's/^ *//' |
        sed -e ':a' -e '/\\$/N; s/\\\n *//; ta' | grep '^kwtest ')
    ((ran >= 5)) || fail "only $ran examples of kwtest.1 use the example data"
    for file in $(sed -n '/^\.SH FILES/,/^\.SH [^F]/p' "$man_dir/kwtest.1" | plain_source /dev/stdin |
        grep -o '[a-z-]*\.\(txt\|csv\)'); do
        [[ -f $src/examples/$file ]] || fail "kwtest.1 lists $file, which examples/ lacks"
    done
fi

# ---- The completion.

# The data files the completion reads names from, and files of every kind beside them.
mkdir -p "$work/files/sub"
cd "$work/files"
printf ' group weight  extra\r\nctrl 4.17 1\r\n' >data.txt
printf '"Ozone level" ,Month,"say ""hi""",\n1,5,x,\n' >q.csv
printf 'a;;b\n1;2;3\n' >semi.csv
printf 'a;b\n1;2\n' >semi.txt
printf 'Gr\xf6\xdfe\tWert\n1\t2\n' >latin.tsv
printf '\xff\xfeg\0r\0p\0,\0v\0\r\0\n\0001\0,\0002\0\r\0\n\0' >utf16.csv
printf 'Gr\xf6\xdfe,x\n1,2\n' >l1.txt
printf 'PK\x03\x04 a b\n' >zip.txt
printf 'ctrl;trt1\n4,17;4,81\n' >wide.csv
touch a.txt b.CSV c.xlsx d.sav e.png f.svg g.html h.pdf notes.md
mkfifo fifo.txt
cd - >/dev/null

# COMPREPLY for a command line with the cursor at POINT (default: its end), split into words
# as bash splits it (blanks, and runs of = : < > ; | & ( outside quotes), in $work/offered, one
# word a line, sorted. MODE is full (with bash-completion) or plain (without).
offered() {
    local mode=$1 line=$2 point=${3:-${#2}}
    LC_ALL=C.UTF-8 timeout 10 bash --norc --noprofile -c '
        mode=$1 line=$3 point=$4 sq=$(printf "\047")
        [[ $mode == full ]] && source "$5"
        source "$2"
        words=() ends=() i=0 n=${#line}
        while ((i < n)); do
            while ((i < n)) && [[ ${line:i:1} == [[:space:]] ]]; do i=$((i + 1)); done
            ((i < n)) || break
            start=$i quote=""
            if [[ ${line:i:1} == [=:\<\>\;\|\&\(] ]]; then
                while ((i < n)) && [[ ${line:i:1} == [=:\<\>\;\|\&\(] ]]; do i=$((i + 1)); done
            else
                while ((i < n)); do
                    c=${line:i:1}
                    if [[ -n $quote ]]; then
                        [[ $c == "$quote" ]] && quote=""
                    elif [[ $c == "\"" || $c == "$sq" ]]; then
                        quote=$c
                    elif [[ $c == "\\" ]]; then
                        i=$((i + 1))
                    elif [[ $c == [[:space:]=:\<\>\;\|\&\(] ]]; then
                        break
                    fi
                    i=$((i + 1))
                done
            fi
            words+=("${line:start:i-start}")
            ends+=("$i")
        done
        COMP_CWORD=-1
        for ((k = 0; k < ${#words[@]}; k++)); do
            if ((ends[k] >= point)); then COMP_CWORD=$k; break; fi
        done
        if ((COMP_CWORD < 0)); then words+=(""); COMP_CWORD=$((${#words[@]} - 1)); fi
        COMP_WORDS=("${words[@]}") COMP_LINE=$line COMP_POINT=$point
        COMP_WORDBREAKS=$(printf " \t\n\"\047@><=;|&(:")
        _kwtest kwtest "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        printf "%s\n" "${COMPREPLY[@]}"
    ' _ "$mode" "$completion" "$line" "$point" "$bash_completion" \
        2>"$work/err" | sed '/^$/d' | sort >"$work/offered" || true
    [[ ! -s $work/err ]] || fail "$mode: '$line' writes to standard error: $(cat "$work/err")"
}

# The completion of the line offers exactly the words given.
expect() { # mode, line, words...
    local mode=$1 line=$2
    shift 2
    offered "$mode" "$line"
    local want
    want=$(printf '%s\n' "$@" | sed '/^$/d' | sort)
    [[ $(cat "$work/offered") == "$want" ]] ||
        fail "$mode: '$line' offers [$(tr '\n' ' ' <"$work/offered")], not [$(tr '\n' ' ' <<<"$want")]"
}

# The names are kwtest's: it finds each variable offered (quoted as offered).
known_to_kwtest() { # the command line's words after kwtest, then the names
    local -a args=()
    while [[ $1 != -- ]]; do
        args+=("$1")
        shift
    done
    shift
    local quoted name
    for quoted in "$@"; do
        eval "name=$quoted"
        if "$kwtest" "${args[@]}" --group "$name" --test "$name" 2>&1 >/dev/null |
            grep -q 'no variable named'; then
            fail "kwtest ${args[*]} has no variable $quoted"
        fi
    done
}
cd "$work/files"
known_to_kwtest data.txt -- extra group weight
known_to_kwtest q.csv -- 'Ozone\ level' 'Month' 'say\ \"hi\"'
known_to_kwtest semi.csv -- a var2 b
known_to_kwtest semi.txt --delimiter ';' -- a b
known_to_kwtest latin.tsv -- Größe Wert
known_to_kwtest utf16.csv -- grp v
known_to_kwtest l1.txt --encoding ISO-8859-1 -- Größe x
known_to_kwtest wide.csv --wide -- group value
cd - >/dev/null

modes=(plain)
if [[ -f $bash_completion ]]; then
    modes+=(full)
else
    skip "bash-completion is missing: the completion was tried only without it"
fi
cd "$work/files"
for mode in "${modes[@]}"; do
    # The options are those of --help; flags take no value, the others the next word.
    expect "$mode" 'kwtest --' "${help_options[@]}"
    expect "$mode" 'kwtest data.txt ' "${help_options[@]}"
    for flag in "${flags[@]}"; do
        expect "$mode" "kwtest data.txt $flag --gro" --group --group-as
    done
    for option in "${valued[@]}"; do
        expect "$mode" "kwtest data.txt $option -"
    done
    expect "$mode" 'kwtest data.txt --group g --gr' --group-as
    expect "$mode" 'kwtest data.txt --where a=1 --na x --n' --na --new-book --new-sheet

    # The fixed values, as the usage lists them, also after '='.
    for choice in "${help_choices[@]}"; do
        values=${choice#* }
        expect "$mode" "kwtest data.txt ${choice%% *} " ${values//|/ }
    done
    expect "$mode" 'kwtest data.txt --adjust=ho' hochberg holm holm-sidak hommel
    expect "$mode" 'kwtest data.txt --delimiter ' tab
    expect "$mode" 'kwtest semi.csv --encoding UTF-1' UTF-16 UTF-16BE UTF-16LE

    # File names: the kinds kwtest reads for FILE (also after --), any for the text outputs.
    kinds=(a.txt b.CSV c.xlsx d.sav data.txt fifo.txt l1.txt latin.tsv q.csv semi.csv semi.txt
        sub utf16.csv wide.csv zip.txt)
    expect "$mode" 'kwtest ' "${kinds[@]}"
    expect "$mode" 'kwtest --group g -- ' "${kinds[@]}"
    expect "$mode" 'kwtest data.txt --plot ' e.png f.svg h.pdf sub
    expect "$mode" 'kwtest data.txt --html ' g.html sub
    expect "$mode" 'kwtest data.txt --json ' "${kinds[@]}" e.png f.svg g.html h.pdf notes.md

    # The variable names of FILE's first line, wherever FILE stands.
    expect "$mode" 'kwtest data.txt --group ' extra group weight
    expect "$mode" 'kwtest data.txt --test w' weight
    expect "$mode" 'kwtest data.txt --group=gr' group
    offered "$mode" 'kwtest --group  data.txt' 15
    [[ $(cat "$work/offered") == $'extra\ngroup\nweight' ]] ||
        fail "$mode: names before FILE: $(cat "$work/offered")"
    expect "$mode" 'kwtest data.txt --where w' 'weight=' 'weight\<\>'
    expect "$mode" 'kwtest data.txt --where weight\<' 'weight\<\>'
    expect "$mode" 'kwtest data.txt --where weight='
    expect "$mode" 'kwtest q.csv --group ' 'Ozone\ level' 'Month' 'say\ \"hi\"'
    expect "$mode" "kwtest q.csv --group 'Oz" 'Ozone level'
    expect "$mode" 'kwtest semi.csv --group ' a var2 b
    expect "$mode" 'kwtest semi.txt --group ' 'a\;b'
    expect "$mode" "kwtest semi.txt --delimiter ';' --group " a b
    expect "$mode" 'kwtest latin.tsv --group ' Größe Wert
    expect "$mode" 'kwtest utf16.csv --group ' grp v
    expect "$mode" 'kwtest l1.txt --encoding ISO-8859-1 --group ' Größe x
    expect "$mode" 'kwtest wide.csv --wide --test ' group value
    # Nothing where no names can be read, and no waiting on a pipe.
    expect "$mode" 'kwtest c.xlsx --group '
    expect "$mode" 'kwtest zip.txt --group '
    expect "$mode" 'kwtest missing.txt --group '
    expect "$mode" 'kwtest sub --group '
    expect "$mode" 'kwtest fifo.txt --group '
    expect "$mode" 'kwtest --from-sheet S --range A1:B3 --group '
done
cd - >/dev/null

if ((failures > 0)); then
    echo "$failures checks failed"
    exit 1
fi
if ((skipped > 0)); then
    exit 77
fi
echo "the man pages and the completion agree with kwtest --help"
