#!/usr/bin/env bash
# Many runs of the tool on one home at once, with real processes: they define and call
# macros in the home's library together, and none may fail, lose a macro or leave the
# library damaged. Runs killed at every write of an update (when strace is there) leave a
# sound library with the old or the new macros. FIFOs named as a library, an included file
# or the file of `lib check` are refused at once, never waited on.
# Usage: shared_library_tests.sh PATH/TO/vornmac
set -u
tool=$1
. "$(dirname "$0")/tool_test_support.sh"

run_tool run --home "$home" -e 'ready'
expect_rc "new home" 0
library=$home/macros.mac

expect_sound() { # what
    "$tool" lib check "$library" >"$work/check" 2>&1 || fail "$1: $(cat "$work/check")"
}

# 12 runs at once, 5 rounds: each includes a file that defines three macros, then calls them.
printf '%%macro one[a]; 1&a %%mend;\n%%macro two[a]; 2&a %%mend;\n%%macro three; 3 %%mend;\n' \
    >"$work/defs.vm"
failed=0
for round in 1 2 3 4 5; do
    pids=()
    for i in $(seq 12); do
        "$tool" run --home "$home" -o "$work/out.$i" \
            -e "%include $work/defs.vm; %one[$i] %two[$i] %three x" 2>"$work/err.$i" &
        pids+=($!)
    done
    for i in $(seq 12); do
        if ! wait "${pids[$((i - 1))]}"; then
            failed=$((failed + 1))
            fail "round $round, run $i: $(head -c 300 "$work/err.$i")"
        elif [ "$(tr -d ' ;\n' <"$work/out.$i")" != "1${i}2${i}3x" ]; then
            fail "round $round, run $i wrote [$(cat "$work/out.$i")]"
        fi
    done
done
expect_sound "after 60 runs in 5 rounds of 12"
[ "$failed" -eq 0 ] || fail "$failed of 60 parallel runs failed"

# Two runs at once each define 20 macros of their own: all 40 are there afterwards.
for trial in 1 2 3 4 5; do
    rm -f "$library"
    for who in p q; do
        program=""
        for n in $(seq 20); do program+="%macro $who$n; $who $n %mend; "; done
        "$tool" run --home "$home" -e "$program" >/dev/null 2>"$work/err.$who" &
    done
    wait
    expect_sound "two writers, trial $trial"
    count=$("$tool" lib list "$library" | wc -l)
    [ "$count" -eq 40 ] || fail "two writers, trial $trial: $count of 40 macros left"
done

# A run calling a macro 100000 times while two others redefine it 100 times each, with
# bodies of three lengths (in place, elsewhere, through the copy past the end): every call
# finds a whole definition, and the caller notices the new ones.
printf '%%macro m; old %%mend;\n%%macro z; z %%mend;\n' >"$work/first.vm"
run_tool run --home "$home" "$work/first.vm"
for who in 1 2; do
    (for n in $(seq 100); do
        case $((n % 3)) in
        0) body="short" ;;
        1) body="a somewhat longer body $who" ;;
        2) body="$(printf 'long%.0s' $(seq 20))" ;;
        esac
        "$tool" run --home "$home" -e "%macro m; $body %mend; %macro z; $n %mend;" >/dev/null ||
            echo "redefinition $who/$n failed" >>"$work/redefine.err"
    done) &
done
"$tool" run --home "$home" -o "$work/calls" -e '%do i = 1 %to 100000; %m %end;' 2>"$work/err.c" &
caller=$!
wait "$caller" || fail "the caller failed: $(head -c 300 "$work/err.c")"
wait
[ -s "$work/redefine.err" ] && fail "$(head -3 "$work/redefine.err")"
words() { tr -s ' ;\n' '\n' <"$work/calls"; }
bad=$(words | grep -cvE '^(old|short|a|somewhat|longer|body|1|2|(long)+|)$')
[ "$bad" -eq 0 ] || fail "the caller read $bad words of no definition"
seen=$(words | grep -E '^(old|short|somewhat|(long)+)$' | sort -u | wc -l)
[ "$seen" -ge 2 ] || fail "the caller saw $seen definitions, never a redefinition"
expect_sound "after a caller and two redefining runs"

# A run killed at its N-th write to the library, for every N of each update: the library stays
# sound with the macros of before or after (strace injects the kill into the real process).
# The definitions a call finds: the newest of each name, as `lib print` shows them.
callable() {
    "$tool" lib print "$1" | awk '/^%macro / { name = tolower($2); sub(/[;[(].*/, "", name)
        keep = !(name in seen); seen[name] = 1 } keep'
}
if command -v strace >/dev/null; then
    printf '%%macro a; 1 %%mend; %%macro b; 2 %%mend; %%macro c; 3 %%mend;' >"$work/base.vm"
    updates=('%macro a; 9 %mend;' '%macro c; 99 %mend;' '%macro a; a longer body %mend;'
        '%macdelete b;' '%macro n; new %mend;')
    killed=0
    for update in "${updates[@]}"; do
        rm -f "$library"
        run_tool run --home "$home" "$work/base.vm"
        cp "$library" "$work/before.mac"
        old=$(callable "$library")
        run_tool run --home "$home" -e "$update"
        new=$(callable "$library")
        for n in $(seq 1 12); do
            cp "$work/before.mac" "$library"
            { # the shell's own note of the kill goes nowhere
                strace -o /dev/null -P "$library" -e trace=write,pwrite64 \
                    -e inject=write,pwrite64:signal=SIGKILL:when=$n \
                    "$tool" run --home "$home" -e "$update" >/dev/null 2>&1
                status=$?
            } 2>/dev/null
            "$tool" lib check "$library" >"$work/check" 2>&1 ||
                fail "$update killed at write $n: $(cat "$work/check")"
            listed=$(callable "$library")
            [ "$status" -eq 0 ] && break # the update makes fewer writes
            killed=$((killed + 1))
            [ "$listed" = "$old" ] || [ "$listed" = "$new" ] ||
                fail "$update killed at write $n holds neither the old nor the new macros"
        done
    done
    [ "$killed" -ge 10 ] || fail "only $killed runs were killed"
    echo "killed $killed runs, one at each write of ${#updates[@]} updates"
fi

# FIFOs: refused at once, never waited on.
mkfifo "$work/fifo" "$work/fifo.mac"
timeout 10 "$tool" run --home "$home" -e "%include $work/fifo; after" >"$work/out" 2>"$work/err"
rc=$?
[ "$rc" -ne 124 ] || fail "%include of a FIFO waited"
grep -q "4653" "$work/err" || fail "%include of a FIFO: $(head -c 300 "$work/err")"
grep -q "after" "$work/out" || fail "%include of a FIFO stopped the run"
timeout 10 "$tool" run --home "$home" -e "%macinstall 2 $work/fifo.mac; after" >"$work/out" \
    2>"$work/err"
[ $? -ne 124 ] || fail "a FIFO as a library slot waited"
grep -q "2008" "$work/err" || fail "a FIFO as a library slot: $(head -c 300 "$work/err")"
timeout 10 "$tool" run --home "$home" -D _macromacro="$work/fifo.mac" -e "%macro x; %mend; after" \
    >"$work/out" 2>"$work/err"
[ $? -ne 124 ] || fail "a FIFO as the definition file waited"
grep -q "2006" "$work/err" || fail "a FIFO as the definition file: $(head -c 300 "$work/err")"
timeout 10 "$tool" lib check "$work/fifo.mac" >"$work/out" 2>"$work/err"
rc=$?
[ "$rc" -ne 124 ] || fail "lib check of a FIFO waited"
expect_rc "lib check of a FIFO" 1
expect_bytes "lib check of a FIFO" err "vornmac lib check: $work/fifo.mac: not a regular file
"

[ "$failures" -eq 0 ]
