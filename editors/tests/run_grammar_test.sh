#!/usr/bin/env bash
# Runs grammar_test.mjs with Node. Without Node or the engine (npm ci in editors/vscode) the
# test is skipped (exit 77), except on CI, whose set-up installs both.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
modules="$here/../vscode/node_modules"
if ! command -v node >/dev/null || [ ! -d "$modules/vscode-textmate" ] ||
   [ ! -d "$modules/vscode-oniguruma" ]; then
  if [ -n "${CI:-}" ]; then echo "node or editors/vscode/node_modules is missing" >&2; exit 1; fi
  echo "node or the TextMate engine is not installed (npm ci in editors/vscode): skipped"
  exit 77
fi
exec node "$here/grammar_test.mjs"
