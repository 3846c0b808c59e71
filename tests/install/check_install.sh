#!/usr/bin/env bash
# Installs the built tree into a scratch prefix and builds and runs a consumer against it,
# through find_package and through pkg-config.
set -euo pipefail
build_dir=$1
source_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null
cmake -S "$source_dir/tests/install/consumer" -B "$work/consumer" -G Ninja \
  -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/consumer" >/dev/null
LD_LIBRARY_PATH="$work/prefix/lib" "$work/consumer/consumer"
pc="$work/prefix/lib/pkgconfig"
[ -d "$pc" ] || pc=$(dirname "$(find "$work/prefix" -name vornmac.pc | head -n 1)")
flags=$(PKG_CONFIG_PATH="$pc" pkg-config --cflags --libs vornmac)
cc "$source_dir/tests/install/consumer/main.c" $flags -o "$work/pc_consumer"
LD_LIBRARY_PATH=$(dirname "$(find "$work/prefix" -name libvornmac.so | head -n 1)") "$work/pc_consumer"
# The manual page of the tool lands where man(1) looks for it.
cmp -s "$work/prefix/share/man/man1/vornmac.1" "$source_dir/docs/vornmac.1" ||
  { echo "the manual page is not installed as share/man/man1/vornmac.1" >&2; exit 1; }
