#!/usr/bin/env bash
# Runs the tool the way build tools, CI jobs and shell pipelines do: many runs at once on one
# home, runs killed, interrupted and piped into `head`, writes past a file-size limit. Every
# log line, output and saved value must survive, and no temporary file may be left behind.
# Usage: file_safety_tests.sh PATH/TO/vornmac
set -u
tool=$(cd "$(dirname "$1")" && pwd)/$(basename "$1") # the tests change directory
. "$(dirname "$0")/tool_test_support.sh"
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

# --- a relative home stores absolute paths ---------------------------------------------------
# The home's macro library is saved by its full name, so the home serves from any directory.
mkdir -p "$work/A" "$work/B/myhome"
(cd "$work/A" && "$tool" run --home myhome -e '%macro greet; hi %mend;' >/dev/null 2>&1)
run_tool vars "$work/A/myhome/vorn_opt.dat" _macromacro
expect_bytes "relative --home" out "$work/A/myhome/macros.mac"$'\n'
(cd "$work/B" && "$tool" run --home ../A/myhome -e '%greet;' >"$work/out" 2>"$work/err")
rc=$?
expect_rc "relative --home from elsewhere" 0
expect_bytes "relative --home from elsewhere" out $'; hi ;\n'
(cd "$work/B" && VORNMAC_HOME=envhome "$tool" run -e '' >/dev/null 2>&1)
run_tool vars "$work/B/envhome/vorn_opt.dat" _macro1
expect_bytes "relative VORNMAC_HOME" out "$work/B/envhome/macros.mac"$'\n'

# --- a save keeps the variable file's mode and owner ------------------------------------------
chmod 600 "$home/vorn_opt.dat"
[ "$(id -u)" -eq 0 ] && chown 12345:23456 "$home/vorn_opt.dat"
run_tool run --home "$home" -e '%let kept = 1; %savevar kept;'
expect_rc "save keeps the mode" 0
[ "$(stat -c %a "$home/vorn_opt.dat")" = 600 ] ||
    fail "save keeps the mode: now $(stat -c %a "$home/vorn_opt.dat")"
if [ "$(id -u)" -eq 0 ]; then
    [ "$(stat -c %u:%g "$home/vorn_opt.dat")" = 12345:23456 ] ||
        fail "save keeps the owner: now $(stat -c %u:%g "$home/vorn_opt.dat")"
    chown 0:0 "$home/vorn_opt.dat"
fi
chmod 644 "$home/vorn_opt.dat"

# --- saves killed half way leave no temporaries for ever --------------------------------------
# strace stops or kills a run at the moment it forces its temporary to the disk, just before
# the rename: the temporary is complete then, as large as the file.
temporaries() { find "$home" -maxdepth 1 -name 'vorn_opt.$$9*' | sort; }
if strace -o /dev/null true 2>/dev/null; then
    # Most of a megabyte of saved values makes each temporary large.
    "$tool" run --home "$home" -D "text=$(printf '%030000d' 0)" \
        -e '%do i = 1 %to 30; %let big&i = &text; %savevar big&i; %end;' >/dev/null
    killed_save() {
        (strace -f -o /dev/null -e trace=fsync -e inject=fsync:signal=SIGKILL \
            "$tool" run --home "$home" -e "%let $1 = 1; %savevar $1;" >/dev/null 2>&1
        :) 2>/dev/null # the shell reports the kill
    }
    for n in 1 2 3 4 5; do
        killed_save "killed$n"
    done
    [ "$(temporaries | wc -l)" -eq 1 ] ||
        fail "killed saves: $(temporaries | wc -l) temporaries left, expected the last one only"
    # A writer stopped at the same point is alive: its temporary stays while it lives, and
    # the runs beside it write under names of their own.
    strace -o /dev/null -e trace=fsync -e inject=fsync:signal=SIGSTOP \
        "$tool" run --home "$home" -e '%let stopped = 1; %savevar stopped;' >/dev/null 2>&1 &
    tracer=$!
    stopped=""
    for _ in $(seq 100); do
        stopped=$(pgrep -P "$tracer")
        [ -n "$stopped" ] && [ "$(ps -o stat= -p "$stopped" | cut -c1)" = t ] && break
        sleep 0.1
    done
    live=$(temporaries)
    [ "$(echo "$live" | wc -l)" -eq 1 ] || fail "stopped save: temporaries [$live]"
    killed_save beside
    run_tool run --home "$home" -e '%let after = 1; %savevar after;'
    [ "$(temporaries)" = "$live" ] || fail "beside a live writer: temporaries [$(temporaries)], expected [$live]"
    run_tool vars "$home/vorn_opt.dat" after
    expect_bytes "a save beside a live writer" out $'1\n'
    kill -9 "$stopped"
    wait "$tracer" 2>/dev/null
    run_tool run --home "$home" -e 'x'
    [ -z "$(temporaries)" ] || fail "after the stopped writer died: temporaries [$(temporaries)]"
else
    echo "strace cannot trace here: the killed-save checks are skipped" >&2
fi

# --- -o replaces its file only when the run made its output ------------------------------------
# The program is read before its output replaces it.
printf '%%let x = run;self &x.\n' >"$work/self.vm"
run_tool run --home "$home" -o "$work/self.vm" "$work/self.vm"
expect_rc "-o the program itself" 0
expect_bytes "-o the program itself" self.vm $'self run\n'
# A run that cannot start, or cannot write its output, leaves the old file as it was; a run
# that reached its end replaces it, errors or not, and the file keeps its mode.
printf 'old output\n' >"$work/target.txt"
chmod 640 "$work/target.txt"
run_tool run --home "$home" -o "$work/target.txt" "$work/no_such_program.vm"
expect_rc "-o, missing program" 2
expect_bytes "-o, missing program" target.txt $'old output\n'
(
    ulimit -f 1
    trap '' XFSZ
    exec "$tool" run --home "$home" --log /dev/null -o "$work/target.txt" -e "$(printf '%04000d' 0)"
) >/dev/null 2>&1
rc=$?
expect_rc "-o past the file-size limit" 2
expect_bytes "-o past the file-size limit" target.txt $'old output\n'
run_tool run --home "$home" -o "$work/target.txt" -e 'new &nope. output'
expect_rc "-o after errors" 1
expect_bytes "-o after errors" target.txt $'new  output\n'
[ "$(stat -c %a "$work/target.txt")" = 640 ] || fail "-o keeps the mode: now $(stat -c %a "$work/target.txt")"
run_tool run --home "$home" -o /dev/null -e 'nowhere'
expect_rc "-o /dev/null" 0
[ -c /dev/null ] || fail "-o /dev/null: no longer a device"
# While a run goes on the old file stays whole; a killed run leaves its temporary, which the
# next run writing the same file removes.
"$tool" run --home "$home" -o "$work/target.txt" -e '%do i = 1 %to 2000000000; %end;' 2>/dev/null &
long_run=$!
for _ in $(seq 100); do
    [ -e "$work/target.txt.vornmac-tmp" ] && break
    sleep 0.05
done
expect_bytes "-o while the run goes on" target.txt $'new  output\n'
kill -9 "$long_run"
wait "$long_run" 2>/dev/null
[ -e "$work/target.txt.vornmac-tmp" ] || fail "killed -o run: no temporary to clean"
run_tool run --home "$home" -o "$work/target.txt" -e 'after the kill'
expect_bytes "-o after a killed run" target.txt $'after the kill\n'
[ -e "$work/target.txt.vornmac-tmp" ] && fail "-o after a killed run: its temporary is still there"
ls "$work" | grep -q vornmac-tmp && fail "-o: temporaries left: $(ls "$work")"

# --- a %system child sees only standard input, output and error -------------------------------
# Open while the child runs: the program's copy from a pipe, the -o file, the log, a
# %fileappend file and the macro library. The descriptors the test itself inherited are
# closed first; `ls` shows its own one on /proc/PID/fd.
printf '%%macro m; in macro %%mend;%%m %%fileappend %s;%%put x;%%system /dos ls -l /proc/self/fd;\n' \
    "$work/appended.txt" |
    (
        for fd in $(ls "/proc/$BASHPID/fd"); do
            [ "$fd" -gt 2 ] && eval "exec $fd>&-"
        done
        exec "$tool" run --home "$home" -o "$work/fd.out" -
    ) >"$work/fds" 2>&1
seen=$(awk '{ for (i = 2; i < NF; ++i) if ($i == "->" && $(i + 1) !~ /^\/proc\/[0-9]+\/fd$/) printf "%s ", $(i - 1) }' "$work/fds")
[ "$seen" = "0 1 2 " ] || fail "descriptors of a %system child: [$seen] in $(cat "$work/fds")"

# --- signals: a closed output pipe, a file-size limit, Ctrl-C ------------------------------------
sighome="$work/signals"
"$tool" run --home "$sighome" -e '' >/dev/null 2>&1
saved() { "$tool" vars "$sighome/vorn_opt.dat" "$1" 2>/dev/null; }
lines_program=$'%let early = 1; %savevar early; %do i = 1 %to 200000;\nline &i.\n%end;%let late = 2; %savevar late;'
# The same as a program file, whose plain lines reach the output in runs of tokens.
{
    printf '%%let early = 1; %%savevar early;\n'
    awk 'BEGIN { for (i = 1; i <= 200000; ++i) print "line " i }'
    printf '%%let late = 2; %%savevar late;\n'
} >"$work/lines.vm"
run_lines() { # text|file
    if [ "$1" = text ]; then
        "$tool" run --home "$sighome" -e "$lines_program"
    else
        "$tool" run --home "$sighome" "$work/lines.vm"
    fi
}
for form in text file; do
    # The reader goes after one line: the output ends quietly, the program runs to its end
    # and saves, and the status is the run's own.
    "$tool" vars "$sighome/vorn_opt.dat" --unset early --unset late >/dev/null 2>&1
    run_lines "$form" 2>"$work/err" | head -1 >"$work/out"
    rc=${PIPESTATUS[0]}
    expect_rc "closed output pipe ($form)" 0
    expect_bytes "closed output pipe ($form)" out $'line 1\n'
    expect_bytes "closed output pipe is quiet ($form)" err ''
    [ "$(saved early)$(saved late)" = 12 ] ||
        fail "closed output pipe ($form): saved [$(saved early)][$(saved late)]"

    # Past a file-size limit writes fail: the log reports "Write File Error" once and the run
    # goes on; standard output holds what fitted and the run fails with status 2; the variable
    # file, small enough, is saved.
    "$tool" vars "$sighome/vorn_opt.dat" --unset early --unset late >/dev/null 2>&1
    (
        ulimit -f 10
        run_lines "$form"
    ) >"$work/out" 2>"$work/err"
    rc=$?
    expect_rc "file-size limit ($form)" 2
    [ "$(wc -c <"$work/out")" -eq 10240 ] ||
        fail "file-size limit ($form): $(wc -c <"$work/out") bytes of output"
    expect_bytes "file-size limit ($form)" err \
        $'Database Error: Write File Error\nvornmac run: cannot write the standard output: File too large\n'
    [ "$(saved early)$(saved late)" = 12 ] ||
        fail "file-size limit ($form): saved [$(saved early)][$(saved late)]"
    [ -z "$(find "$sighome" -name '*$$9*')" ] || fail "file-size limit ($form): temporaries left"
    : >"$sighome/vorntool.log"
done

# Ctrl-C goes to the whole foreground process group. Each run here starts in the background
# in a group of its own, with SIGINT at its default action: a script's background jobs ignore
# it, and the tool leaves an ignored SIGINT ignored, as a job under nohup expects. Every run is
# bounded, should a signal fail to stop it.
in_own_group() { exec setsid perl -e '$SIG{INT} = "DEFAULT"; exec @ARGV or die' "$@"; }
# `started FILE` waits until the -o temporary FILE exists, which a run creates once its
# signals are handled; `started -s FILE` until the program has written to it.
started() {
    test=-e
    [ "$1" = -s ] && test=-s && shift
    for _ in $(seq 200); do
        [ "$test" "$1" ] && return 0
        sleep 0.05
    done
    fail "the run did not start: no $1"
}
finished() {
    wait "$run_pid"
    rc=$?
    kill -KILL "$run_pid" 2>/dev/null # only when the test failed
}
tokens_program='%let before = 1; %savevar before; %do i = 1 %to 20000000; x %end;'
busy_program='%let busy = 1; %savevar busy; %do i = 1 %to 200000000; %end;'
# Ctrl-C while tokens come: the program ends at the next token, saves, and the process ends
# by SIGINT (status 130); its -o file is not replaced. SIGTERM does the same (143).
for signal in INT TERM; do
    printf 'old output\n' >"$work/interrupted.txt"
    "$tool" vars "$sighome/vorn_opt.dat" --set before=0 >/dev/null
    in_own_group "$tool" run --home "$sighome" --no-echo --log /dev/null \
        -o "$work/interrupted.txt" -e "$tokens_program" 2>/dev/null &
    run_pid=$!
    started -s "$work/interrupted.txt.vornmac-tmp"
    kill -"$signal" -- "-$run_pid"
    finished
    expect_rc "SIG$signal" $((128 + $(kill -l "$signal")))
    [ "$(saved before)" = 1 ] || fail "SIG$signal: the saved value is lost"
    expect_bytes "SIG$signal leaves the -o file" interrupted.txt $'old output\n'
    [ -e "$work/interrupted.txt.vornmac-tmp" ] && fail "SIG$signal: the -o temporary is left"
done
# Ctrl-C while %system waits for a command ends the command alone; the program goes on.
in_own_group "$tool" run --home "$sighome" -o "$work/system.txt" \
    -e '%system /wait sleep 30; after %let waited = 1; %savevar waited;' 2>/dev/null &
run_pid=$!
for _ in $(seq 200); do
    pgrep -P "$run_pid" sleep >/dev/null && break
    sleep 0.05
done
start=$SECONDS
kill -INT -- "-$run_pid"
finished
expect_rc "Ctrl-C during %system /wait" 0
[ $((SECONDS - start)) -lt 20 ] || fail "Ctrl-C during %system /wait: the command went on"
expect_bytes "Ctrl-C during %system /wait" system.txt 'after '
[ "$(saved waited)" = 1 ] || fail "Ctrl-C during %system /wait: the saved value is lost"
# A program busy without tokens stops at its next one; a second Ctrl-C ends it at once.
in_own_group "$tool" run --home "$sighome" -o "$work/busy.txt" -e "$busy_program" 2>/dev/null &
run_pid=$!
started "$work/busy.txt.vornmac-tmp"
first_sent=$(date +%s%N)
kill -INT -- "-$run_pid"
sleep 0.3
# The first Ctrl-C also starts a 2 s grace period: on a loaded machine the sleep may outlast it.
if ! kill -0 "$run_pid" 2>/dev/null &&
    [ $((($(date +%s%N) - first_sent) / 1000000)) -lt 1800 ]; then
    fail "a first Ctrl-C ended a busy run at once"
fi
kill -INT -- "-$run_pid" 2>/dev/null
finished
expect_rc "second Ctrl-C" 130
# A run that starts with SIGINT ignored keeps ignoring it.
"$tool" run --home "$sighome" -o "$work/ignoring.txt" -e "$busy_program" 2>/dev/null &
run_pid=$!
started "$work/ignoring.txt.vornmac-tmp"
kill -INT "$run_pid"
sleep 0.3
kill -0 "$run_pid" 2>/dev/null || fail "SIGINT ended a run that was started with it ignored"
kill -TERM "$run_pid"
sleep 0.3 # two signals sent at once may arrive as one
kill -TERM "$run_pid"
finished
expect_rc "two SIGTERMs after an ignored SIGINT" 143

if [ "$failures" -ne 0 ]; then
    echo "$failures file safety test(s) failed" >&2
    exit 1
fi
echo "all file safety tests passed"
