#!/usr/bin/env bash
# The command line of `vornmac run` as scripts and build tools use it: words it refuses are
# named, file failures give the system's reason, and the options that keep a run from
# changing the home, route the log, narrow the trace and find program files do what they say.
# Usage: command_line_tests.sh PATH/TO/vornmac
set -u
tool=$1
. "$(dirname "$0")/tool_test_support.sh"

expect_err_line() {
    # Lines of the log end in a carriage return and a line feed.
    tr -d '\r' <"$work/err" | grep -qxF -- "$2" || fail "$1: no line [$2] on stderr: $(head -c 400 "$work/err")"
}

# --- unknown words are named ----------------------------------------------------------------
run_tool --bogus
expect_rc "unknown option" 2
expect_err_line "unknown option" "vornmac: unknown option --bogus"
run_tool frobnicate
expect_rc "unknown command" 2
expect_err_line "unknown command" "vornmac: unknown command frobnicate (the commands are run, vars, lib, check and help)"
run_tool lib frob x
expect_rc "unknown lib command" 2
expect_err_line "unknown lib command" "vornmac lib: unknown command frob (the commands are list, print and check)"

# --- file failures give the system's reason ---------------------------------------------------
mkdir "$work/somedir"
run_tool run --home "$home" -o "$work/somedir" -e x
expect_rc "-o a folder" 2
expect_err_line "-o a folder" "vornmac run: cannot create $work/somedir: Is a directory"
run_tool vars "$work/nosuch.dat"
expect_rc "vars of a missing file" 1
expect_err_line "vars of a missing file" "vornmac vars: $work/nosuch.dat: cannot open it: No such file or directory"
run_tool lib list "$work/nosuch.mac"
expect_err_line "lib of a missing file" "vornmac lib list: $work/nosuch.mac: cannot open it: No such file or directory"
touch "$work/plainfile"
run_tool run --home "$work/plainfile/home" -e x
expect_rc "home under a file" 2
grep -q "^vornmac run: cannot create the home $work/plainfile/home/: Not a directory$" "$work/err" ||
    fail "home under a file: $(cat "$work/err")"

# --- -o - is standard output ------------------------------------------------------------------
(cd "$work" && "$tool" run --home "$home" -o - -e 'to stdout' >"$work/out" 2>"$work/err")
expect_bytes "-o -" out $'to stdout\n'
[ ! -e "$work/-" ] || fail "-o - wrote a file named -"

# --- -D ---------------------------------------------------------------------------------------
run_tool run --home "$home" -D empty -D x=1 -e '[&empty.][&x.]'
expect_rc "-D NAME" 0
expect_bytes "-D NAME sets the empty text" out $'[][1]\n'
long_name=$(printf 'n%.0s' {1..199})
for name in 'a b' 'x-y' "$long_name" '&x'; do
    run_tool run --home "$home/refused" -D "$name=1" -e 'ran'
    expect_rc "-D $name" 2
    grep -q "is no variable name a program could reference" "$work/err" || fail "-D $name: $(cat "$work/err")"
    [ ! -s "$work/out" ] || fail "-D $name: the program ran"
done
run_tool run --home "$home/refused" -D "v=$(head -c 65535 /dev/zero | tr '\0' a)" -e 'ran'
expect_rc "-D value over the bound" 2
expect_err_line "-D value over the bound" "vornmac run: -D: the value of v is 65535 characters long; at most 65534 are allowed"
[ ! -e "$home/refused" ] || fail "a refused command line set up a home"
run_tool run --home "$home" -D "${long_name%n}=longest" -e "[&${long_name%n}.]"
expect_bytes "-D name at the bound" out $'[longest]\n'
run_tool run --home "$home" -D "v=$(head -c 65534 /dev/zero | tr '\0' a)" -e 'length %length(&v.) end'
expect_bytes "-D value at the bound" out $'length 65534 end\n'

# --- -I: the folder of program files ------------------------------------------------------------
mkdir -p "$work/lib"
printf 'main &argv0.\n%%include part;' >"$work/lib/main.vm"
printf 'part\n' >"$work/lib/part.vm"
(cd "$work" && "$tool" run --home "$home" -I lib main >"$work/out" 2>"$work/err")
expect_bytes "-I finds the program and what it includes" out $'main main\npart\n'
(cd "$work" && "$tool" run --home "$home" -I lib/ nothere >"$work/out" 2>"$work/err")
expect_err_line "-I, a missing program" "  names tried: nothere, nothere.vm, lib/nothere, lib/nothere.vm"
run_tool run --home "$home" "$work/nothere"
expect_err_line "a missing program" "  names tried: $work/nothere, $work/nothere.vm"

# --- --no-save and --no-log leave the home as it was --------------------------------------------
run_tool run --home "$home" -e 'set up'
cp "$home/vorn_opt.dat" "$work/options.before"
cp "$home/vorntool.log" "$work/log.before"
(cd "$work" && "$tool" run --home "$home" --no-save --no-log \
    -e '%let kept = 1; %savevar kept; %file out.txt; %put x; done' >"$work/out" 2>"$work/err")
expect_bytes "--no-save --no-log" out $'done\n'
cmp -s "$work/options.before" "$home/vorn_opt.dat" || fail "--no-save: the variable file changed"
cmp -s "$work/log.before" "$home/vorntool.log" || fail "--no-log: the log changed"
run_tool run --home "$home" -e '[&kept.]'
expect_bytes "--no-save kept nothing for the next run" out $'[]\n'

# --- --log - : the log, %put included, on standard error ----------------------------------------
cp "$home/vorntool.log" "$work/log.before"
run_tool run --home "$home" --no-echo --log - -e '%put checked 3 rows; text'
expect_bytes "--log -: output" out $'text\n'
expect_err_line "--log -" "checked 3 rows"
"$tool" run --home "$home" --no-echo --log /dev/stderr -e '%put into a pipe; text' 2>&1 >/dev/null |
    cat >"$work/err"
expect_err_line "--log /dev/stderr into a pipe" "into a pipe"
cmp -s "$work/log.before" "$home/vorntool.log" || fail "--log -: the home's log changed"

# --- --trace=NAME ---------------------------------------------------------------------------------
report='%let total = 0;
%do row = 1 %to 4; %let total = %eval(&total + &row); %end;
Total: &total.'
run_tool run --home "$home" --trace -e "$report"
[ "$(wc -l <"$work/err")" -gt 20 ] || fail "--trace: $(wc -l <"$work/err") lines only"
run_tool run --home "$home" --trace=total,EVAL -e "$report"
expect_bytes "--trace=NAMES: output" out $'Total: 10\n'
[ "$(grep -c . "$work/err")" -eq 9 ] || fail "--trace=total,EVAL: $(cat "$work/err")"
grep -qvE '(&total|%eval)' "$work/err" && fail "--trace=total,EVAL traced others: $(cat "$work/err")"

# --- a runaway recursion folds its chain of equal lines -----------------------------------------
printf '%%macro r; x %%r %%mend;\n%%r.\nend\n' >"$work/recursion.vm"
run_tool run --home "$home" "$work/recursion.vm"
expect_bytes "folded chain" err "%r:1:4: ERROR #4604 : Input nesting deeper than 76 sources at r
  called from %r:1:7
  called from %r:1:7
  called from %r:1:7
  ... 70 more like this
  called from %r:1:7
  called from $work/recursion.vm:2:3
"

# --- positions past 32767 are shown as the counts they are ----------------------------------------
{ head -c 40000 /dev/zero | tr '\0' '\n'; printf '&late.\n'; } >"$work/long.vm"
run_tool run --home "$home" --trace=late "$work/long.vm"
expect_err_line "line 40001" "$work/long.vm:40001:0: ERROR #2021 : Macro variable is not defined: late"
expect_err_line "line 40001, traced" "$work/long.vm:40001:0: &late (error 2021)"
{ head -c 33000 /dev/zero | tr '\0' ' '; printf '&wide.\n'; } >"$work/wide.vm"
run_tool run --home "$home" "$work/wide.vm"
expect_err_line "column 33000" "$work/wide.vm:1:33000: ERROR #2021 : Macro variable is not defined: wide"

# --- a program typed at a terminal: prompts on the terminal, never in the output ----------------
# The prompts the terminal showed, in order (the typed lines' echo comes in between).
prompts_in() {
    grep -o '[0-9]*? ' "$1" | tr -d '\n'
}
if script -qec true /dev/null >/dev/null 2>&1; then
    printf 'hello\nworld\n' |
        script -qec "'$tool' run --home '$home' --no-echo - >'$work/typed.txt'" /dev/null >"$work/terminal"
    expect_bytes "typed program: the output" typed.txt $'hello\nworld\n'
    [ "$(prompts_in "$work/terminal")" = "2? 3? 4? " ] ||
        fail "typed program: not the prompts on the terminal: $(od -c "$work/terminal" | head)"
    printf 'hello\n' | script -qec "'$tool' run --home '$home' --no-echo -" /dev/null >"$work/terminal"
    [ "$(prompts_in "$work/terminal")" = "2? 3? " ] ||
        fail "typed program: no prompts with the output: $(od -c "$work/terminal" | head)"
else
    echo "note: script(1) cannot make a terminal here; the prompt test was skipped" >&2
fi

# --- a run that spins without tokens still ends on SIGTERM --------------------------------------
# The stop waits for a token that never comes; after a short grace the run ends at once.
start=$SECONDS
timeout --preserve-status -k 20 -s TERM 2 "$tool" run --home "$home" -o /dev/null \
    -e '%do %while(1); %end;' 2>"$work/err"
rc=$?
expect_rc "SIGTERM to a spinning run" 143
[ $((SECONDS - start)) -lt 10 ] || fail "SIGTERM to a spinning run: it took $((SECONDS - start)) s"

if [ "$failures" -eq 0 ]; then echo "all command line tests passed"; else
    echo "$failures command line test(s) failed"; exit 1
fi
