#!/usr/bin/env bash
# Tests of `vornmac lib list|print|check` on macro library files written here byte by
# byte: a sound file, and damaged copies of it (a cycle, a truncation, a wrong magic, a
# record size that does not match its fields). None of the commands may change the file.
# Usage: lib_command_tests.sh PATH/TO/vornmac
set -u
tool=$1
. "$(dirname "$0")/tool_test_support.sh"

# Little-endian fields as printf escapes.
u16() { printf '\\x%02x\\x%02x' $(($1 & 255)) $((($1 >> 8) & 255)); }
u32() { printf '%s%s' "$(u16 $(($1 & 65535)))" "$(u16 $(($1 >> 16)))"; }
# 2002-03-07 14:05 in minutes (day 37321) as an IEEE double: 53743085.
stamp='\x00\x00\x00\x68\x6f\xa0\x89\x41'

# Record "m" at 16: no label, one positional parameter "a", body "; x " + end marker.
# 34 + 2 + 1 + (1 + 3) + 8 + 1 = 50; body at 16 + 41 = 57, body end 65.
record_m="$(u32 0)$stamp$(u16 50)$(u16 1)$(u16 0)$(u16 1)$(u16 0)$(u16 0)$(u16 8)$(u32 57)$(u32 65)"
record_m+='m\x00\x00'"$(u16 1)"'a\x00; x \x01\x01\x01\x02'
# Record "n" at 66 (after the unwritten reserved byte), linking to m: label "L".
# 34 + 2 + 2 + 6 + 1 = 45; body at 66 + 38 = 104, body end 110.
record_n="$(u32 16)$stamp$(u16 45)$(u16 1)$(u16 1)$(u16 0)$(u16 0)$(u16 0)$(u16 6)$(u32 104)$(u32 110)"
record_n+='n\x00L\x00;\n\x01\x01\x01\x02'
magic='\x68\xe8\xd9\xfe'

write_library() { printf "$2" >"$work/$1"; }
write_library sound.mac "$magic$(u32 66)$(u32 0)$(u32 111)$record_m"'\x00'"$record_n"

run_tool lib list "$work/sound.mac"
expect_rc "list" 0
expect_bytes "list" out '"n"  defined 2002-03-07 14:05  size 45  label "L"
"m"  defined 2002-03-07 14:05  size 50  parameters "a"
'

run_tool lib print "$work/sound.mac" M
expect_rc "print one" 0
expect_bytes "print one" out '%macro m[a]; x %mend;
'
run_tool lib print "$work/sound.mac"
expect_rc "print all" 0
expect_bytes "print all" out '%macro n(L);
%mend;
%macro m[a]; x %mend;
'
run_tool lib print "$work/sound.mac" m nothing
expect_rc "print missing" 1
expect_bytes "print missing" err "vornmac lib print: $work/sound.mac holds no macro nothing
"

run_tool lib check "$work/sound.mac"
expect_rc "check sound" 0
expect_bytes "check sound" out "$work/sound.mac: sound: 2 macros, 0 free blocks of 0 bytes, end offset 111
"

# Damaged copies: each is reported with its place, exit status 1, and left unchanged.
check_damaged() {
    local name=$1 expected=$2
    cp "$work/$name" "$work/before"
    run_tool lib check "$work/$name"
    expect_rc "check $name" 1
    expect_bytes "check $name" out "$work/$name: $expected
"
    run_tool lib list "$work/$name"
    expect_rc "list $name" 1
    cmp -s "$work/before" "$work/$name" || fail "$name: the file was changed"
}

write_library cycle.mac "$magic$(u32 66)$(u32 0)$(u32 111)${record_m/"$(u32 0)"/"$(u32 66)"}"'\x00'"$record_n"
check_damaged cycle.mac "offset 16: macro list: the link at 16 leads back to 66, a cycle"

head -c 80 "$work/sound.mac" >"$work/truncated.mac"
check_damaged truncated.mac "offset 12: file header: end offset 111 lies outside the file of 80 bytes"

write_library magic.mac "\x68\xe8\xd9\xff$(u32 0)$(u32 0)$(u32 16)"
check_damaged magic.mac "offset 0: file header: not a macro library (the file does not begin with the bytes 68 E8 D9 FE)"

write_library size.mac "$magic$(u32 16)$(u32 0)$(u32 66)${record_m/"$(u16 50)"/"$(u16 49)"}"
check_damaged size.mac "offset 42: record at 16: body offset 57 does not match the record's fields (expected 56)"

write_library free.mac "$magic$(u32 0)$(u32 16)$(u32 40)$(u32 28)$(u16 12)"'\x00\x00\x00\x00\x00\x00'"$(u32 16)$(u16 12)"'\x00\x00\x00\x00\x00\x00'
check_damaged free.mac "offset 28: free list: the link at 28 leads back to 16, a cycle"

write_library marker.mac "$magic$(u32 16)$(u32 0)$(u32 66)${record_m/\\x01\\x01\\x01\\x02/\\x01\\x01\\x01\\x03}"
check_damaged marker.mac "offset 57: record at 16 (m): the body does not end with the bytes 01 01 01 02"

# A new home gets an empty library, installed for definitions and as the first slot.
run_tool run --home "$work/home" -e 'x'
expect_rc "new home" 0
run_tool lib check "$work/home/macros.mac"
expect_bytes "new home library" out "$work/home/macros.mac: sound: 0 macros, 0 free blocks of 0 bytes, end offset 16
"
run_tool vars "$work/home/vorn_opt.dat"
grep -qxF "  -1 _macromacro = \"$work/home/macros.mac\"" "$work/out" || fail "new home: no _macromacro"
grep -qxF "  -1 _macro1 = \"$work/home/macros.mac\"" "$work/out" || fail "new home: no _macro1"

# Macros work out of the box, and stay for the next run.
run_tool run --home "$work/home" -e '%macro hi[who]; Hello &who %mend; %hi[World];'
expect_rc "define and call" 0
expect_bytes "define and call" out $'; Hello World ;\n'
run_tool run --home "$work/home" -e '%hi[again];'
expect_rc "call in the next run" 0
expect_bytes "call in the next run" out $'; Hello again ;\n'
run_tool lib print "$work/home/macros.mac"
expect_bytes "print the stored definition" out '%macro hi[who]; Hello &who %mend;
'

run_tool lib check "$work/none.mac"
expect_rc "missing file" 1
run_tool lib check
expect_rc "no file named" 2
run_tool lib --help
expect_rc "help" 0

if [ "$failures" -ne 0 ]; then
    echo "$failures lib command test(s) failed" >&2
    exit 1
fi
echo "all lib command tests passed"
