#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that every tracked file that is code, a build file, a script or a
# template names its licence in an SPDX-License-Identifier line among its
# first three lines. Documentation, pictures, the patch to Qt's source (taken
# byte for byte into the cross-built Qt's recipe) and Debian's own metadata
# files (whose formats have no room for it, or which are the licence notices
# themselves) are exempt; the copyright file in debian/ names every file's
# licence.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
if [ ! -e .git ]; then
  echo "SPDX check: not a git checkout, nothing to check"
  exit 0
fi
exempt='^(LICENSE|\.gitignore|.*\.md|.*\.png|.*\.svg|.*\.ico|.*\.patch|packaging/windows/THIRD-PARTY\.txt|debian/(changelog|control|copyright|source/format|.*\.install)|scripts/mutation-faults\.txt)$'
checked=0
missing=()
while IFS= read -r -d '' file; do
  [[ "$file" =~ $exempt ]] && continue
  [ -f "$file" ] || continue
  checked=$((checked + 1))
  head -n 3 -- "$file" | grep -q "SPDX-License-Identifier: [A-Za-z0-9.+-]" || missing+=("$file")
done < <(git ls-files -z)
for file in "${missing[@]}"; do
  echo "no SPDX-License-Identifier line: $file"
done
echo "SPDX check: $((checked - ${#missing[@]})) passed, ${#missing[@]} failed"
[ ${#missing[@]} -eq 0 ]
