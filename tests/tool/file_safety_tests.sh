#!/usr/bin/env bash
# Runs the tool the way build tools, CI jobs and shell pipelines do: many runs at once on one
# home, runs killed, interrupted and piped into `head`, writes past a file-size limit. Every
# log line, output and saved value must survive, and no temporary file may be left behind.
# Usage: file_safety_tests.sh PATH/TO/vornmac
set -u
tool=$1
. "$(dirname "$0")/tool_test_support.sh"
export HOME="$work/user"
unset VORNMAC_HOME
home="$work/home"
"$tool" run --home "$home" -e '' >/dev/null 2>&1

# --- runs appending to one log at once keep every line whole ---------------------------------
# Eight runs write 3,000 echo lines each into the home's log and, through %fileappend on the
# same file, 3,000 %put lines each: every line must be there once, with nothing inside it.
runs=8
lines=3000
log="$home/vorntool.log"
: >"$log"
for r in $(seq "$runs"); do
    awk -v r="$r" -v n="$lines" -v file="$log" 'BEGIN {
        printf "%%fileappend %s;", file
        for (i = 1; i <= n; ++i) printf "%%put run%d put %d;run%d echo %d abcdefghijklmnopqrstuvwxyz\n", r, i, r, i
    }' >"$work/append$r.vm"
done
for r in $(seq "$runs"); do
    "$tool" run --home "$home" "$work/append$r.vm" >/dev/null 2>&1 &
done
wait
for kind in echo put; do
    whole=$(grep -a -c -E "^run[0-9]+ $kind [0-9]+( abcdefghijklmnopqrstuvwxyz)?"$'\r$' "$log")
    distinct=$(grep -a -E "^run[0-9]+ $kind [0-9]+( abcdefghijklmnopqrstuvwxyz)?"$'\r$' "$log" | sort -u | wc -l)
    [ "$whole" -eq $((runs * lines)) ] && [ "$distinct" -eq "$whole" ] ||
        fail "concurrent log: $whole whole $kind lines ($distinct distinct), expected $((runs * lines))"
done
torn=$(grep -a -c -E 'run[0-9]+ (echo|put) [0-9]+.*run[0-9]+ (echo|put)' "$log")
[ "$torn" -eq 0 ] || fail "concurrent log: $torn torn lines"

if [ "$failures" -ne 0 ]; then
    echo "$failures file safety test(s) failed" >&2
    exit 1
fi
echo "all file safety tests passed"
