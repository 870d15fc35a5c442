#!/usr/bin/env bash
# Fails, listing the files, when a tracked C++ file differs from .clang-format.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
bad=()
while IFS= read -r -d '' f; do
  clang-format --style=file "$f" | cmp -s - "$f" || bad+=("$f")
done < <(git ls-files -z '*.cpp' '*.h')
if [ ${#bad[@]} -ne 0 ]; then
  echo "These files differ from .clang-format (run: clang-format -i FILE):" >&2
  printf '  %s\n' "${bad[@]}" >&2
  exit 1
fi
