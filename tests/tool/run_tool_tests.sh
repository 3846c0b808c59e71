#!/usr/bin/env bash
# Runs the built vornmac tool the way a user does, in scratch homes, and checks its output
# bytes, error lines, exit statuses and the files it leaves in the home.
# Usage: run_tool_tests.sh PATH/TO/vornmac SOURCE_DIR
set -u
tool=$1
source_dir=$2
. "$(dirname "$0")/tool_test_support.sh"

expect_line() {
    grep -qxF -- "$3" "$work/$2" || fail "$1: no line [$3] in $2: $(head -c 300 "$work/$2")"
}

# --- help for every command -------------------------------------------------------------
for command in "--help" "help" "run --help" "vars --help" "lib --help" "lib print --help" \
    "help run" "run -h"; do
    # shellcheck disable=SC2086 # the command words are meant to split
    run_tool $command
    expect_rc "help ($command)" 0
    head -n 1 "$work/out" | grep -q '^Usage: vornmac' || fail "help ($command): no usage line"
done
run_tool run --help
expect_line "help of run" out "Usage: vornmac run [OPTION...] PROGRAM [ARG...]"
grep -qE '^  --no-echo ' "$work/out" || fail "help of run: --no-echo is not listed"
run_tool --version
expect_rc "--version" 0
grep -qE '^vornmac [0-9]+[.][0-9]+[.][0-9]+ [(]library interface [0-9]+[)]$' "$work/out" ||
    fail "--version: $(cat "$work/out")"

# --- a bad command line: one error naming the command, a pointer to its help, status 2 -----
run_tool
expect_rc "no command" 2
expect_bytes "no command" err $'vornmac: a command is required: run, vars, lib, check or help\nRun "vornmac --help" for more information.\n'
run_tool frobnicate
expect_rc "unknown command" 2
run_tool run --home "$home" --bogus x
expect_rc "unknown option" 2
expect_bytes "unknown option" err $'vornmac run: The following argument was not expected: --bogus\nRun "vornmac run --help" for more information.\n'
for words in "run -o" "run --home" "run -e" "run -D" "run -e a -e b" "run -D =value -e x" "vars" "lib" "lib list" "lib frob x" "help nothing" "vars f n --set a=1"; do
    # shellcheck disable=SC2086 # the words are meant to split
    run_tool $words
    expect_rc "bad command line ($words)" 2
    grep -q "^vornmac ${words%% *}" "$work/err" || fail "bad command line ($words): $(cat "$work/err")"
    [ ! -s "$work/out" ] || fail "bad command line ($words): output written"
done

# --- first run on a fresh machine sets up the home ----------------------------------------
run_tool run --home "$home/nested" -e 'first run'
expect_rc "first run" 0
expect_bytes "first run" out $'first run\n'
[ -f "$home/nested/vorn_opt.dat" ] || fail "first run: no variable file in the home"
cmp -s "$home/nested/vornmac.msg" "$source_dir/data/vornmac.msg" ||
    fail "first run: the home's message file differs from data/vornmac.msg"
[ -f "$home/nested/vorntool.log" ] || fail "first run: no log in the home"
grep -q 'ERROR #173 : End of program input' "$home/nested/vorntool.log" ||
    fail "first run: the end of the program is not in the log"

VORNMAC_HOME="$work/envhome" run_tool run -e 'x'
expect_rc "home from VORNMAC_HOME" 0
[ -f "$work/envhome/vornmac.msg" ] || fail "VORNMAC_HOME is not used as the home"
run_tool run -e 'x'
[ -f "$HOME/.vornmac/vorn_opt.dat" ] || fail "without a setting the home is not ~/.vornmac"

# A user's own message file is kept and used.
mkdir -p "$home/custom"
printf '2021 1 No such variable: %%s\n32000 0 end\n' >"$home/custom/vornmac.msg"
run_tool run --home "$home/custom" -e 'a &nope. b'
expect_line "edited message file" err "-e:1:2: ERROR #2021 : No such variable: nope"

# --- default output keeps the program's text and line structure ----------------------------
printf 'one  two \n\tthree\n' >"$work/plain.vm"
run_tool run --home "$home" "$work/plain.vm"
expect_rc "plain text" 0
expect_bytes "plain text" out $'one  two \n\tthree\n'

run_tool run --home "$home" -D x=1 -e $'a /* gone */ b &x.c\nnext line'
expect_bytes "comment and reference" out $'a b 1c\nnext line\n'

run_tool run --home "$home" -o "$work/written.txt" -e 'to a file'
expect_rc "-o" 0
expect_bytes "-o leaves stdout empty" out ''
cp "$work/written.txt" "$work/file_out"
expect_bytes "-o" file_out $'to a file\n'

# Standard output is written in blocks, and still in order with the program's console
# output and with commands it starts.
run_tool run --home "$home" -e 'a b c d %system echo hi; e %display x y; f'
expect_bytes "output in order with %system and %display" out $'a b c d hi\ne x y\nf\n'
# A program file's plain lines go into the output's buffer in runs of tokens, and the console
# output and the commands' output keep their places among them, on a file and on a pipe.
awk 'BEGIN { for (n = 1; n <= 20000; ++n) { printf "line %d of plain text\n", n
             if (n % 997 == 0) printf "%%display shown %d;\n", n
             if (n % 6007 == 0) printf "%%system echo ran %d;\n", n } }' >"$work/mixed.vm"
sed -e 's/^%display \(.*\);$/\1/' -e 's/^%system echo \(.*\);$/\1/' "$work/mixed.vm" \
    >"$work/mixed.expected"
"$tool" run --home "$home" "$work/mixed.vm" >"$work/mixed.file" 2>/dev/null
"$tool" run --home "$home" "$work/mixed.vm" 2>/dev/null | cat >"$work/mixed.pipe"
for to in file pipe; do
    cmp -s "$work/mixed.expected" "$work/mixed.$to" ||
        fail "console output among plain lines on a $to: $(cmp "$work/mixed.expected" "$work/mixed.$to")"
done
# ... of 64 KiB: a megabyte of output takes 16 writes, not one per 4 KiB page.
if command -v strace >/dev/null; then
    awk 'BEGIN { for (n = 0; n < 30000; ++n) printf "line %d of the text written out\n", n }' \
        >"$work/megabyte.vm"
    strace -o "$work/writes" -e trace=write -e signal=none \
        "$tool" run --home "$home" --no-echo "$work/megabyte.vm" >"$work/out" 2>/dev/null
    writes=$(grep -c '^write(1,' "$work/writes")
    [ "$writes" -le 20 ] || fail "standard output in 64 KiB blocks: $writes writes for 1 MB"
fi

# --- -o gets the bytes standard output gets ----------------------------------------------
# The -o file gathers tokens in blocks of its own: tokens of every length, a word longer than
# a token holds and a zero byte, over several blocks, must come out as on standard output.
awk 'BEGIN { for (n = 0; n < 1500; ++n) { w = ""; for (i = 0; i < n % 230; ++i) w = w "w"
                                          printf "%s x=%d;\n", w, n } }' >"$work/lengths.vm"
printf 'a\0b \n' >>"$work/lengths.vm"
for layout in --no-echo --tokens; do
    "$tool" run --home "$home" "$layout" "$work/lengths.vm" >"$work/lengths.out" 2>/dev/null
    "$tool" run --home "$home" "$layout" -o "$work/lengths.file" "$work/lengths.vm" 2>/dev/null
    [ "$(wc -c <"$work/lengths.out")" -gt 150000 ] || fail "-o $layout: output too short to test"
    cmp -s "$work/lengths.out" "$work/lengths.file" || fail "-o $layout: not what stdout got"
done

# --- --tokens: one token per line, white space inside tokens blanked ----------------------
run_tool run --home "$home" --tokens -e $'a  b\tc\n/* c */ d'
expect_bytes "--tokens" out $'a  \nb \nc \nd \n'

# --- -D and program arguments -------------------------------------------------------------
run_tool run --home "$home" -D 'greeting=good day' -D who=Ada -e '&greeting., &who.!'
expect_bytes "-D" out $'good day, Ada!\n'
run_tool run --home "$home" -e '&argc: &argv1. &argv2.!' first '--second'
expect_bytes "program arguments" out $'2: first --second!\n'
run_tool run --home "$home" -D sys_c1='from &who.' -D who=sys_c1 -e '%sys_c1.!'
expect_bytes "%sys_c1 reads its variable as program text" out $'from sys_c1!\n'
run_tool run --home="$home" -Dx=attached -e '&x.'
expect_bytes "option values attached to the option" out $'attached\n'
run_tool run --home "$home" -D 'eq=a=b' -D 'empty=' -e '[&eq.][&empty.]'
expect_bytes "-D value holding =, and an empty value" out $'[a=b][]\n'
run_tool run --home "$home" -e '&argc.:&argv1.' -- -x
expect_bytes "-- ends the options before -e's arguments" out $'1:-x\n'
run_tool run --home "$home" -e '-x &argv1.' y
expect_bytes "-e TEXT that begins with -" out $'-x y\n'
run_tool run --home "$home" -e '&argc.:&argv1.:&argv2.:&argv3.' '' --home -
expect_bytes "empty and option-like arguments reach the program" out $'3::--home:-\n'
# After the program every word is the program's, "--" and options included; a program
# named like an option or a command is reached with "--" or as it stands.
printf '&argc.:&argv1.:&argv2.:&argv3.' >"$work/-dash.vm"
printf '&argv0. &argv1.' >"$work/vars.vm"
cd "$work" || exit 1
run_tool run --home="$home" --log="$work/attached.log" -o"$work/attached.out" -- -dash.vm -- --home x
expect_rc "program after --" 0
cp "$work/attached.out" "$work/dash_out"
expect_bytes "program after --" dash_out $'3:--:--home:x\n'
[ -s "$work/attached.log" ] || fail "--log=FILE: no log written"
run_tool run --home "$home" vars lib
expect_bytes "a program named like a command" out $'vars lib\n'
cd "$OLDPWD" || exit 1

# --- errors: WHERE:LINE:COLUMN lines, processing goes on, exit status 1 --------------------
run_tool run --home "$home" -e $'a &nope. b\nline two %sys_x1 end'
expect_rc "errors" 1
expect_bytes "errors: output goes on" out $'a  b\nline two end\n'
expect_bytes "errors: one line each" err \
    $'-e:1:2: ERROR #2021 : Macro variable is not defined: nope\n-e:2:9: ERROR #162 : A command variable name must be sys_c followed by a digit 1 to 5\n'

printf 'fine\n  &missing. here\n' >"$work/err.vm"
run_tool run --home "$home" "$work/err.vm"
expect_line "error in a file" err "$work/err.vm:2:2: ERROR #2021 : Macro variable is not defined: missing"

# An error names the source that holds the failing token, with the line and column in it,
# then each source it was reached through, out to the program: here a macro called from an
# included file, and a variable's text in a program given with -e.
printf 'Inc\n%%bad[x];\nnever read\n' >"$work/sub.vm"
printf '%%macro bad[p]; m &p &missing.\n%%mend;\nstart\n%%include %s;\nend\n' "$work/sub" >"$work/nested.vm"
run_tool run --home "$home/places" "$work/nested.vm"
expect_rc "error places" 1
expect_bytes "error places" out $'start\nInc\n; m x end\n'
expect_bytes "error places" err "%bad:1:8: ERROR #2021 : Macro variable is not defined: missing
  called from $work/sub.vm:2:7
  called from $work/nested.vm:5:0
"
# After a %goto the file the program went on in is named by its own name, in error lines
# and in the trace alike.
printf 'in target\n&oops.\n' >"$work/target.vm"
run_tool run --home "$home" --trace -e "%goto $work/target.vm;"
expect_bytes "error after %goto" err "-e:1:0: %goto
$work/target.vm:2:0: &oops (error 2021)
$work/target.vm:2:0: ERROR #2021 : Macro variable is not defined: oops
"
run_tool run --home "$home" -D 'v=a &nope. b' -e $'x\n x &v. y'
expect_bytes "error in a variable's text" err $'&v:2:8: ERROR #2021 : Macro variable is not defined: nope\n  called from -e:2:6\n'

# The program reads the last error's message and depth: reporting it leaves them as they
# are, also when the same message comes twice.
run_tool run --home "$home" -e $'%let x 1;%let x 1;\n[&_errormessage.] &_errordepth.\nend'
expect_bytes "error variables stay for the program" out $';;\n[ERROR #2033 : Expected = but found: 1\n] 2\nend\n'
expect_rc "error variables stay for the program" 1
[ "$(grep -c 'ERROR #2033' "$work/err")" -eq 2 ] || fail "a repeated message is reported each time"

# An error that stops the run while the module is still being primed keeps the first token.
run_tool run --home "$home" -e $'before\n%let _errorfile = ;&nope.\nnever'
expect_rc "stop while priming" 2
expect_bytes "stop while priming keeps the text before the error" out $'before\n'

# An error while the module is still being primed keeps the first token.
run_tool run --home "$home" -e 'first &nope. second'
expect_bytes "error while priming" out 'first  second
'

# --- the library cannot go on: exit status 2 ------------------------------------------------
run_tool run --home "$home" "$work/no_such_program"
expect_rc "missing program file" 2
expect_line "missing program file" err \
    "$work/no_such_program: ERROR #4504 : Cannot open the main program file $work/no_such_program"

# A program file from a pipe is read to its end, then run.
printf 'from a pipe\n' | "$tool" run --home "$home" /dev/stdin >"$work/out" 2>"$work/err"
rc=$?
expect_rc "program from a pipe" 0
expect_bytes "program from a pipe" out $'from a pipe\n'
# Without a folder for its temporary copy, a program from a pipe does not run.
printf 'from a pipe\n' | TMPDIR=$work/no/such/folder "$tool" run --home "$home" /dev/stdin \
    >"$work/out" 2>"$work/err"
rc=$?
expect_rc "program from a pipe, no temporary" 2
expect_line "program from a pipe, no temporary" err "/dev/stdin: ERROR #4611 : The program file \
/dev/stdin is a pipe or a device, and no temporary file can hold its text"

# Host text is stored as a variable: 65534 characters run, one more is refused by name.
longest=$(printf '%65533s' '')
run_tool run --home "$home" -D "x=${longest// /y}." -e "&x.${longest:3}z"
expect_rc "longest program text and value" 0
[ "$(wc -c <"$work/out")" -eq $((65534 + 65531 + 1)) ] ||
    fail "longest program text and value: $(wc -c <"$work/out") bytes of output"
run_tool run --home "$home" -e "$longest  "
expect_rc "program text too long" 2
expect_line "program text too long" err \
    "-e: ERROR #4608 : The program text is 65535 characters long; at most 65534 are allowed"

printf '\001\000\377\377\376\377' >"$work/old_version.dat"
run_tool run --home "$home" --options "$work/old_version.dat" -e x
expect_rc "variable file of another version" 2

mkdir -p "$home/broken/vornmac.msg" # a directory where the message file should be
run_tool run --home "$home/broken" -e 'a &nope. b'
expect_rc "unusable message file" 2
expect_line "unusable message file" err "-e: Cannot Open Error File -> vornmac.msg"

run_tool run --home "$home" --bogus x
expect_rc "unknown option" 2
run_tool run --home "$home"
expect_rc "no program" 2

# --- --log and --module ---------------------------------------------------------------------
run_tool run --home "$home" --log "$work/own.log" --module demo -e 'logged'
expect_rc "--log" 0
grep -q 'Editor File' "$work/own.log" || fail "--log: no input trace in the named log"

# --- --no-echo keeps the program text out of the log, but not its errors ------------------
run_tool run --home "$home" --log "$work/echo.log" -e 'echoed_word &nope. x'
grep -q 'echoed_word' "$work/echo.log" || fail "echo: the program text is not in the log"
run_tool run --home "$home" --log "$work/quiet.log" --no-echo -e 'quiet_word &nope. x'
expect_rc "--no-echo" 1
expect_bytes "--no-echo" out $'quiet_word  x\n'
grep -q 'quiet_word' "$work/quiet.log" && fail "--no-echo: the program text is in the log"
grep -q 'ERROR #2021' "$work/quiet.log" || fail "--no-echo: the error is not in the log"

# --- the terminal ---------------------------------------------------------------------------
printf 'typed &x.\n' | "$tool" run --home "$home" -D x=1 - >"$work/out" 2>"$work/err"
rc=$?
expect_rc "terminal" 0
expect_bytes "terminal" out $'typed 1\n'

# A piped program gives no prompts and exactly the bytes (and errors) of the same file.
printf 'one &x.\n%%let y = two;\n  &y &nope. end\n\tlast' >"$work/piped.vm"
run_tool run --home "$home" -D x=1 "$work/piped.vm"
cp "$work/out" "$work/from_file"
cp "$work/err" "$work/err_from_file"
# A private temporary directory shows that the copy of the program is removed.
export TMPDIR="$work/tmp"
mkdir -p "$TMPDIR"
"$tool" run --home "$home" -D x=1 - <"$work/piped.vm" >"$work/out" 2>"$work/err"
rc=$?
expect_rc "piped program" 1
cmp -s "$work/out" "$work/from_file" || fail "piped program: output differs from the file's"
sed 's/^[^:]*:/-:/' "$work/err_from_file" >"$work/expected_err"
cmp -s "$work/err" "$work/expected_err" || fail "piped program: errors differ from the file's"
cat "$work/piped.vm" | "$tool" run --home "$home" -D x=1 -o "$work/piped.out" - 2>/dev/null
cmp -s "$work/piped.out" "$work/from_file" || fail "piped program through a pipe: output differs"
: | "$tool" run --home "$home" - >"$work/out" 2>"$work/err"
rc=$?
expect_rc "empty pipe" 0
[ -z "$(ls -A "$TMPDIR")" ] || fail "piped program: temporary copy left behind"
unset TMPDIR

# --- vars lists a variable file, and refuses a broken one -----------------------------------
run_tool vars "$home/vorn_opt.dat"
expect_rc "vars" 0
expect_line "vars" out "version 2"
expect_line "vars" out '  -1 _errorfile = "vornmac.msg"'
expect_line "vars" out '  -1 _logfile = ""'
head -c 20 "$home/vorn_opt.dat" >"$work/truncated.dat"
run_tool vars "$work/truncated.dat"
expect_rc "vars on a truncated file" 1
grep -q 'truncated at byte' "$work/err" || fail "vars on a truncated file: no reason given"
run_tool vars "$work/old_version.dat"
expect_rc "vars on another version" 1
# A name of 100 characters: the library would refuse the file, so vars does too.
{
    printf '\x02\x00\xff\xff\xff\xff\x64\x00'
    printf 'n%.0s' $(seq 100)
    printf '\x00\x00\xfe\xff'
} >"$work/long_name.dat"
run_tool vars "$work/long_name.dat"
expect_rc "vars on a name of 100 characters" 1
grep -q 'at byte 4' "$work/err" || fail "vars on a name of 100 characters: no offset given"

# --- vars prints one value, and --set / --unset change values in place ----------------------
cp "$home/vorn_opt.dat" "$work/edit.dat"
run_tool vars "$work/edit.dat" _errorfile
expect_rc "vars NAME" 0
expect_bytes "vars NAME" out $'vornmac.msg\n'
run_tool vars "$work/edit.dat" nothing_here
expect_rc "vars NAME that is not saved" 1
run_tool vars "$work/edit.dat" --set _errorlog=no --set=fresh='a = b' --unset _upper
expect_rc "vars --set" 0
run_tool vars "$work/edit.dat"
expect_line "vars --set" out '  -1 _errorlog = "no"'
expect_line "vars --set" out '  -1 fresh = "a = b"'
grep -q ' _upper = ' "$work/out" && fail "vars --unset: _upper is still there"
expect_line "vars --set keeps the rest" out '  -1 _errorfile = "vornmac.msg"'
# Names are escaped as values are: a line feed or a quote in a name keeps to its line.
run_tool vars "$work/edit.dat" --set $'two\nlines"=x'
expect_rc "vars --set of an odd name" 0
run_tool vars "$work/edit.dat"
expect_line "vars escapes names" out '  -1 two\nlines\" = "x"'
run_tool vars "$work/edit.dat" --unset $'two\nlines"'
# Edits apply in the order given, --set and --unset interleaved: an unset before a set of
# the same name, and a set before an unset, both count.
run_tool vars "$work/edit.dat" --unset fresh --set fresh=again --set=gone=1 --unset=gone
expect_rc "vars edits in order" 0
run_tool vars "$work/edit.dat" fresh
expect_bytes "vars edits in order" out $'again\n'
run_tool vars "$work/edit.dat" gone
expect_rc "vars edits in order: set, then unset" 1
run_tool vars "$work/edit.dat" --set fresh='a = b'
# The edited file is what a run starts with.
run_tool run --home "$home" --options "$work/edit.dat" -e '&fresh.'
expect_bytes "vars --set, then run" out $'a = b\n'
# Refused edits and failed writes leave the old file whole.
cp "$work/edit.dat" "$work/before.dat"
for bad in "--unset never_saved" "--set no_equals" "--set =empty_name" "--bogus x" "--set"; do
    # shellcheck disable=SC2086 # the option words are meant to split
    run_tool vars "$work/edit.dat" --set first=1 $bad
    [ "$rc" -ne 0 ] || fail "vars $bad: accepted"
    cmp -s "$work/edit.dat" "$work/before.dat" || fail "vars $bad: the file changed"
done
(
    ulimit -f 0
    trap '' XFSZ
    exec "$tool" vars "$work/edit.dat" --set _errorlog=yes 2>&1 >/dev/null
) | cat >"$work/err"
rc=${PIPESTATUS[0]}
expect_rc "vars --set, failed write" 1
grep -q 'left as it was' "$work/err" || fail "vars --set, failed write: no message"
cmp -s "$work/edit.dat" "$work/before.dat" || fail "vars --set, failed write: the file changed"
[ "$(find "$work" -maxdepth 1 -name 'edit.$$9*' | wc -l)" -eq 0 ] ||
    fail "vars --set, failed write: a temporary file was left behind"

# --- a variable file that cannot be saved makes the run fail, with one message --------------
# With no room for any byte in a file, the save fails; the log and the output go to devices.
(
    ulimit -f 0
    trap '' XFSZ
    exec "$tool" run --home "$home" --log /dev/null -e 'saved' 2>&1 >/dev/null
) | cat >"$work/err"
rc=${PIPESTATUS[0]}
expect_rc "failed save" 1
[ "$(grep -c 'Write File Error' "$work/err")" -eq 1 ] ||
    fail "failed save: not exactly one Write File Error: $(head -c 300 "$work/err")"
grep -q 'ERROR #2042' "$work/err" || fail "failed save: error 2042 not reported"

# --- the bundled examples, as the README runs them --------------------------------------------
cd "$source_dir" || exit 1
run_tool run --home "$home" examples/hello.vm World
expect_rc "examples/hello.vm" 0
expect_bytes "examples/hello.vm" out 'Hello, World!
This is examples/hello.vm with 1 argument(s).
Program files may leave out their extension: .vm is tried next.
Error messages come from vornmac.msg in the vornmac home.
'
run_tool run --home "$home" -D name=Ada -D item="a difference engine" \
    -D sys_c1='P.S. Your order ships on Monday, &name..' examples/letter
expect_rc "examples/letter.vm" 0
tail -n 1 "$work/out" >"$work/last"
expect_bytes "examples/letter.vm" last $'P.S. Your order ships on Monday, Ada.\n'
run_tool run --home "$home" examples/report.vm 120 95 143 80
expect_rc "examples/report.vm" 0
expect_bytes "examples/report.vm" out 'Sales report, 4 month(s), target 100
month 1: 120 on target
month 2: 95 below target
month 3: 143 on target
month 4: 80 below target
total 438, best 143, average 109.
'
grep -q 'report for 4 month(s) written' "$home/vorntool.log" ||
    fail "examples/report.vm: no %put line in the log"
run_tool run --home "$home" examples/report.vm
expect_bytes "examples/report.vm without figures" out $'Sales report, 0 month(s), target 100\nNo figures given.\n'

if [ "$failures" -ne 0 ]; then
    echo "$failures tool test(s) failed" >&2
    exit 1
fi
echo "all tool tests passed"
