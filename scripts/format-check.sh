#!/usr/bin/env bash
# Fails when a C++ file of the tree is not as .clang-format lays it out.
# Fix with: git ls-files '*.cpp' '*.h' | xargs clang-format -i
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/kqm52-format.$$; then
  grep -E '^[^ ].*: (error|warning):' /tmp/kqm52-format.$$ | cut -d: -f1 | sort -u | sed 's/^/  not formatted: /'
  rm -f /tmp/kqm52-format.$$
  echo "format-check: run clang-format -i on the files above" >&2
  exit 1
fi
rm -f /tmp/kqm52-format.$$
echo "format-check: all ${#files[@]} files formatted"
