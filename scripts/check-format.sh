#!/usr/bin/env bash
# Fails when a C++ file of the repository is not formatted as .clang-format
# says. The verdict must not depend on which clang-format happens to be
# installed: versions format differently, so the check runs Debian 12's
# clang-format 14 (scripts/deps.sh --test installs it) and refuses another.
# With --fix it formats the files instead.
set -euo pipefail
cd "$(dirname "$0")/.."

formatter=""
for candidate in clang-format-14 clang-format; do
  if command -v "$candidate" >/dev/null 2>&1 &&
     "$candidate" --version | grep -q 'version 14\.'; then
    formatter=$candidate
    break
  fi
done
if [ -z "$formatter" ]; then
  echo "check-format: clang-format 14 is not installed (bash scripts/deps.sh --test)" >&2
  exit 2
fi

mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  "$formatter" -i "${files[@]}"
  exit 0
fi
if ! "$formatter" --dry-run --Werror "${files[@]}" 2> >(head -n 40 >&2); then
  echo "check-format: files differ from .clang-format; run scripts/check-format.sh --fix" >&2
  exit 1
fi
echo "check-format: ${#files[@]} files as .clang-format says"
