#!/usr/bin/env bash
# Runs vim_test.vim in a headless Vim. Without Vim the test is skipped (exit 77), except on CI,
# whose set-up installs it.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$(dirname "$here")")"
if ! command -v vim >/dev/null; then
  if [ -n "${CI:-}" ]; then echo "vim is missing" >&2; exit 1; fi
  echo "vim is not installed: skipped"; exit 77
fi
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
status=0
VORNMAC_EDITORS="$root/editors" VORNMAC_KEYWORDS="$root/src/stmt/keyword_table.cpp" \
  VORNMAC_SCRATCH="$scratch" HOME="$scratch" \
  vim -Es -u NONE -i NONE -N -S "$here/vim_test.vim" </dev/null >/dev/null 2>&1 || status=$?
if [ "$status" -ne 0 ] || [ ! -e "$scratch/failures" ]; then
  echo "vim_test.vim failed (status $status):"
  cat "$scratch/failures" 2>/dev/null || echo "it wrote no failures file"
  exit 1
fi
echo "vim_test.vim passed"
