#!/usr/bin/env bash
# `vornmac run --trace`: the lines the tool writes to standard error for the actions the
# library reports, with their sources, positions, depth and the text each handed back.
# Usage: trace_tests.sh PATH/TO/vornmac
set -u
tool=$1
. "$(dirname "$0")/tool_test_support.sh"
cd "$work" || exit 1

# A program file that includes another: each source is named as error lines name it, and
# the function of the chosen branch runs one level deeper than the %if.
printf 'part &x.\n' >inc.vm
printf '%%let x=2;\n%%include inc.vm;\n%%if &x=2 %%then %%upcase(yes);\nafter\n' >main.vm
run_tool run --home "$home" --trace main
expect_rc "traced program file" 0
expect_bytes "traced program file" out $'part 2\nYES after\n'
expect_bytes "traced program file" err 'main:1:0: %let
main:2:0: %include
  inc.vm:1:5: &x -> "2"
    main:3:6: &x -> "2"
main:3:1: %if -> "%upcase(yes) after\n"
  main:3:15: %upcase -> "YES"
'

# Macros: a call inside a body is one level deeper than the call that pushed the body, a
# reference inside the arguments one level deeper than the call it is read for; an error
# cuts its action short, and its error line follows the trace line.
run_tool run --home "$home" --trace -e '%macro outer[a]; %inner[&a.!] %mend; %macro inner[b]; (&b) %mend; %outer[hi]; &gone. end'
expect_rc "traced macros" 1
expect_bytes "traced macros" err '-e:1:0: %macro
-e:1:37: %macro
-e:1:66: %outer[a="hi"] -> "; %inner[&a.!] "
    %outer:1:9: &a -> "hi"
  %outer:1:2: %inner[b="hi!"] -> "; (&b) "
    %inner:1:3: &b -> "hi!"
-e:1:79: &gone (error 2021)
-e:1:79: ERROR #2021 : Macro variable is not defined: gone
'

# A trace line points at its "%" or "&" as the error raised there and `vornmac check` do.
run_tool run --home "$home" --trace -e 'Save 50%off. &gone. x'
expect_bytes "trace at the trigger" err '-e:1:7: %off (error 2009)
-e:1:7: ERROR #2009 : No macro library holds a macro of this name: off
-e:1:13: &gone (error 2021)
-e:1:13: ERROR #2021 : Macro variable is not defined: gone
'

# A macro defined without parameters keeps the line feed after its name in the library; its
# body is named without it, and an error in it names the same source.
run_tool run --home "$home" --trace -D x=1 -e $'%macro check\nbody &x. &gone.%mend;\n%check.'
expect_bytes "macro name with white space" err '-e:1:0: %macro
-e:3:0: %check -> "body &x. &gone."
  %check:1:5: &x -> "1"
  %check:1:10: &gone (error 2021)
%check:1:10: ERROR #2021 : Macro variable is not defined: gone
  called from -e:3:7
'

# Each pass of a loop shows its step and its body; without --trace nothing is written.
run_tool run --home "$home" --trace -e '%do i=1 %to 300; &i %end; done.'
expect_rc "traced loop" 0
[ "$(grep -c '^  -e:1:[0-9]*: &i -> ' "$work/err")" -eq 300 ] || fail "traced loop: not one line per pass"
run_tool run --home "$home" -e '%do i=1 %to 3; &i %end; done.'
expect_bytes "untraced loop" err ''

if [ "$failures" -ne 0 ]; then
    echo "$failures trace test(s) failed" >&2
    exit 1
fi
echo "all trace tests passed"
