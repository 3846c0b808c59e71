#!/usr/bin/env bash
# Installs the built tree into a scratch prefix and checks it as a distribution packager
# would: the shared library carries the versioned SONAME, with the usual links beside it
# (libvornmac.so -> libvornmac.so.MAJOR -> libvornmac.so.VERSION), exports exactly the
# functions that the installed header marks VORNMAC_API, and consumers built against it
# through find_package and through pkg-config run and record the versioned name; the
# manual page of the tool is installed.
#
#   check_install.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
build_dir=$1
source_dir=$2
version=$3
major=${version%%.*}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "check_install: $*" >&2
  exit 1
}
cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null

library=$(find "$work/prefix" -name "libvornmac.so.$version" -type f | head -n 1)
[ -n "$library" ] || fail "no libvornmac.so.$version installed"
libdir=$(dirname "$library")
[ "$(readlink "$libdir/libvornmac.so.$major")" = "libvornmac.so.$version" ] ||
  fail "libvornmac.so.$major is not a link to libvornmac.so.$version"
[ "$(readlink "$libdir/libvornmac.so")" = "libvornmac.so.$major" ] ||
  fail "libvornmac.so is not a link to libvornmac.so.$major"
soname=$(readelf -d "$library" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
[ "$soname" = "libvornmac.so.$major" ] || fail "SONAME is '$soname', not libvornmac.so.$major"

# Every exported function is declared in the header, and every declared one is exported.
header=$work/prefix/include/vornmac/vornmac.h
if grep -nE '^[a-z_][a-z_0-9 *]*[a-z_0-9]+\(' "$header" | grep -v ':typedef ' >&2; then
  fail "a function is declared without VORNMAC_API"
fi
sed -n 's/^VORNMAC_API[^(]*[ *]\([A-Za-z_0-9]*\)(.*/\1/p' \
  "$header" | sort >"$work/declared"
[ -s "$work/declared" ] || fail "the installed header declares no VORNMAC_API function"
nm -D --defined-only "$library" | awk '{print $NF}' | sort >"$work/exported"
diff -u --label declared --label exported "$work/declared" "$work/exported" >&2 ||
  fail "the exported symbols differ from the header's declarations"

cmake -S "$source_dir/tests/install/consumer" -B "$work/consumer" -G Ninja \
  -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/consumer" >/dev/null
LD_LIBRARY_PATH="$libdir" "$work/consumer/consumer" || fail "the find_package consumer failed"
readelf -d "$work/consumer/consumer" | grep -q "NEEDED.*\[libvornmac.so.$major\]" ||
  fail "the find_package consumer does not need libvornmac.so.$major"

pc="$work/prefix/lib/pkgconfig"
[ -d "$pc" ] || pc=$(dirname "$(find "$work/prefix" -name vornmac.pc | head -n 1)")
flags=$(PKG_CONFIG_PATH="$pc" pkg-config --cflags --libs vornmac)
cc "$source_dir/tests/install/consumer/main.c" $flags -o "$work/pc_consumer"
LD_LIBRARY_PATH="$libdir" "$work/pc_consumer" || fail "the pkg-config consumer failed"
# The manual page of the tool lands where man(1) looks for it.
cmp -s "$work/prefix/share/man/man1/vornmac.1" "$source_dir/docs/vornmac.1" ||
  fail "the manual page is not installed as share/man/man1/vornmac.1"
