# What kwtest's end-to-end scripts share, sourced after they set `set -u`: a work folder
# removed at exit, the count of failures, fail MESSAGE, and expect_exit CODE COMMAND... (which
# keeps the command's output in $work/out and $work/err).
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

expect_exit() { # code, then the command
    local want=$1
    shift
    "$@" >"$work/out" 2>"$work/err"
    local got=$?
    [ "$got" -eq "$want" ] || fail "exit $got (want $want): $* :: $(cat "$work/err")"
}
