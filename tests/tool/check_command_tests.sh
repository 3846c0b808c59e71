#!/usr/bin/env bash
# Runs `vornmac check` the way a user and an editor do: the line format and the JSON array,
# the exit statuses, the order over several files, the home's libraries and variables read
# without anything being written, and the check output the manual shows for its examples.
# Usage: check_command_tests.sh PATH/TO/vornmac SOURCE_DIR
set -u
tool=$1
source_dir=$2
. "$(dirname "$0")/tool_test_support.sh"
cd "$work" || exit 1

# --- a clean program: no output, status 0; a bad command line: status 2 -------------------
printf '%s\n' '%let n = 2;' '%do i = 1 %to &n;' 'line &i.' '%end;' 'done' >clean.vm
run_tool check --home "$home" clean.vm
expect_rc "clean program" 0
expect_bytes "clean program" out ""
[ -e "$home" ] && fail "check created the home"
run_tool check
expect_rc "no file" 2
run_tool check --bogus clean.vm
expect_rc "unknown option" 2

# --- findings: one line each, in the order of the files and of their text -----------------
printf '%s\n' '%macro box[width, fill=x]' '[&fill.]' '%mend box;' '%do;' >first.vm
printf '%s\n' '%box[3, 4]' 'Save 50%off now' '%box[1, colour=red]' ' %else x;' >second.vm
run_tool check --home "$home" first.vm second.vm missing.vm
expect_rc "findings and an unreadable file" 2
expect_bytes "findings" out "first.vm:4:0: error: %do without %end [unclosed-do]
second.vm:1:8: error: the macro box takes 1 positional argument: 4 is one more [too-many-arguments]
second.vm:2:7: error: %off is no keyword and no macro of the home's libraries or of the files checked before it [unknown-macro]
second.vm:3:8: error: the macro box has no parameter colour [unknown-argument]
second.vm:4:1: error: %else without a preceding %if ... %then ...; [stray-else]
"
expect_bytes "unreadable file" err "vornmac check: cannot read missing.vm: No such file or directory
"
run_tool check --home "$home" second.vm
expect_rc "findings" 1
grep -q '^second.vm:1:0: error: %box is no keyword' "$work/out" ||
    fail "a macro of a file not given is unknown: $(cat "$work/out")"

# Every line is one the VS Code problem matcher and the Vim compiler file take apart.
run_tool check --home "$home" first.vm second.vm
grep -vqE '^(.+?):([0-9]+):([0-9]+): (error|warning): (.*?)( \[([^] ]+)\])$' "$work/out" &&
    fail "a line the editors cannot read: $(cat "$work/out")"

# --- JSON: the same findings as an array of objects -------------------------------------
printf '%s\n' 'a "quoted" /* open' >json.vm
run_tool check --json json.vm clean.vm
expect_rc "json" 1
expect_bytes "json" out '[
  {"file": "json.vm", "line": 1, "column": 11, "severity": "error", "message": "a comment without its */ takes the rest of the input", "name": "unclosed-comment"}
]
'
run_tool check --json clean.vm
expect_bytes "json without findings" out '[]
'

# --- the home's library and variables are read, nothing runs, nothing is written ---------
"$tool" run --home "$home" -e '%macro saved[who] hi &who %mend; %let kept = 1; %savevar kept;' \
    >/dev/null 2>&1
before=$(cd "$home" && cat -- * | cksum)
printf '%s\n' '%saved[you] &kept. &given. &nobody.' '%system(touch ran);' '%put to the log;' \
    '%let _file = put.txt; %put to a file;' '%macro new %mend;' 'end' >home.vm
run_tool check --home "$home" --undefined -D given=1 home.vm
expect_rc "home" 1
expect_bytes "home" out "home.vm:1:27: warning: &nobody: nothing in the files checked sets this variable [undefined-variable]
"
[ "$(cd "$home" && cat -- * | cksum)" = "$before" ] || fail "check changed the home"
[ -e ran ] || [ -e put.txt ] && fail "check ran a statement"
run_tool check --home "$home" home.vm
expect_rc "without --undefined" 0

# --- what the input ends in: the run's report and the check point at the same place ------
# (its "%" or "&", at the start of a line and after a tab too; AT&T loses &T first)
for program in 'a\nb\n%%do i = 1 %%to 3;\n x\n' 'x %%eval(1 + (2)' 'AT&T' \
    '%%macro m; x\n%%mend;\n%%m' '\tq\t%%do i = 1 %%to 2;\n' 'a\n\t&last' '%%macro m; 5 %%\n\nmend;\n'; do
    printf "$program" >open.vm
    run_tool run --home "$home" --no-save --no-log open.vm
    at_run=$(grep -m1 -oE '^open\.vm:[0-9]+:[0-9]+: ERROR #468[01] ' "$work/err" | cut -d: -f2,3)
    run_tool check --home "$home" open.vm
    at_check=$(head -n1 "$work/out" | cut -d: -f2,3)
    [ -n "$at_run" ] && [ "$at_run" = "$at_check" ] ||
        fail "the end of $program: run at [$at_run], check at [$at_check]"
done

# --- the manual's check examples: each `$ vornmac check` block after a program ----------
awk -v dir="$work/manual" '
    /^### Checking a program/ { on = 1 }
    /^### Editors/ { on = 0 }
    !on { next }
    /^```vornmac/ { block = "program"; n++; file = dir "/" n ".vm"; printf "" > file; next }
    /^```text/ { block = "check"; file = dir "/" n ".check"; printf "" > file; next }
    /^```/ { block = ""; next }
    block != "" { print > file }
' <(mkdir -p "$work/manual"; cat "$source_dir/docs/language.md")
checked=0
for expected in "$work"/manual/*.check; do
    [ -e "$expected" ] || continue
    program=${expected%.check}.vm
    read -r -a words <"$expected"
    mkdir -p "$work/manual/run" && cp "$program" "$work/manual/run/example.vm"
    (cd "$work/manual/run" && "$tool" "${words[@]:2}" >out 2>&1)
    tail -n +2 "$expected" | cmp -s - "$work/manual/run/out" ||
        fail "the manual's check example $(basename "$program"): $(cat "$work/manual/run/out")"
    checked=$((checked + 1))
done
[ "$checked" -ge 2 ] || fail "the manual shows no check examples ($checked)"

if [ "$failures" -ne 0 ]; then
    echo "$failures check command test(s) failed" >&2
    exit 1
fi
echo "all check command tests passed"
