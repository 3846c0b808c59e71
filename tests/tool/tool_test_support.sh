# Shared by the tool's shell tests: a scratch folder removed on exit, a failure count, and
# the checks on one run of the tool. Source it after setting `tool`.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# No test may touch the real home of whoever runs them; $home is the scratch home.
export HOME="$work/user"
unset VORNMAC_HOME
home="$work/home"
failures=0

fail() {
    echo "FAIL: $1" >&2
    failures=$((failures + 1))
}

# Runs the tool; stdout, stderr and the exit status land in $work/out, $work/err and $rc.
run_tool() {
    "$tool" "$@" >"$work/out" 2>"$work/err" </dev/null
    rc=$?
}

expect_rc() {
    [ "$rc" -eq "$2" ] || fail "$1: exit status $rc, expected $2 (stderr: $(head -c 300 "$work/err"))"
}

# Compares a captured stream byte for byte with the expected text.
expect_bytes() {
    printf '%s' "$3" >"$work/expected"
    cmp -s "$work/expected" "$work/$2" ||
        fail "$1: $2 was [$(od -c "$work/$2" | head -5)], expected [$(od -c "$work/expected" | head -5)]"
}
