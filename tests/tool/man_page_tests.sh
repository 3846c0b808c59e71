#!/usr/bin/env bash
# Checks the manual page docs/vornmac.1: groff formats it without a warning, and it names
# every command and option that the tool's own help lists, so the page cannot fall behind
# the command line. Exits with 77 (skipped) when groff is missing.
# Usage: man_page_tests.sh PATH/TO/vornmac SOURCE_DIR
set -u
tool=$1
page=$2/docs/vornmac.1
. "$(dirname "$0")/tool_test_support.sh"

if ! command -v groff >/dev/null; then
    echo "groff is not installed: the manual page is not checked" >&2
    exit 77
fi
groff -man -ww -z "$page" 2>"$work/warnings"
[ -s "$work/warnings" ] && fail "groff warns about the page: $(head -c 300 "$work/warnings")"

# In the page a hyphen of an option is written \-.
in_page() {
    grep -qF -- "${1//-/\\-}" "$page"
}

for command in "" run vars lib "lib list" "lib print" "lib check" check help; do
    # shellcheck disable=SC2086 # the command words are meant to split
    run_tool $command --help
    expect_rc "help of '$command'" 0
    # Option lines of the help begin with two blanks and a hyphen: "  -h,--help ...".
    for option in $(grep -E '^  -' "$work/out" | grep -oE -- '(^|[ ,])--?[A-Za-z][-A-Za-z]*' | tr -d ' ,'); do
        in_page "$option" || fail "the page does not name $option of '$command'"
    done
    # Command lines follow the "Commands:" heading: "  run    run a macro program ...".
    for name in $(sed -n '/^Commands:/,/^$/p' "$work/out" | grep -oE '^  [a-z]+'); do
        grep -qE "^\.B[IR]? \"?(vornmac )?($command )?$name\b" "$page" ||
            fail "the page does not describe the command '$command $name'"
    done
done

if [ "$failures" -ne 0 ]; then
    echo "$failures manual page test(s) failed" >&2
    exit 1
fi
echo "all manual page tests passed"
