#!/usr/bin/env bash
# Seeds for fuzz_paradoxreader, made from the real tables in
# $TV_TESTDATA/paradox (default: ../shared/testdata beside the repository).
# Those tables must not be copied into the repository, so the seeds are built
# at run time into the corpus folder given as $1.
set -euo pipefail
out=$1
root=$(cd "$(dirname "$0")/.." && pwd)
src=${TV_TESTDATA:-$root/../shared/testdata}/paradox
[ -d "$src" ] || { echo "no test tables in $src; no seeds made" >&2; exit 0; }

# 4-byte little-endian length of the table file, the table file, the memo file.
seed() {
  local db=$1 mb=${2:-} name=$3
  local n
  n=$(stat -c %s "$db")
  {
    printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((n & 255)) $(((n >> 8) & 255)) $(((n >> 16) & 255)) $(((n >> 24) & 255)))"
    cat "$db"
    # Large memo files are cut to their first blocks to keep inputs small.
    if [ -n "$mb" ]; then head -c 65536 "$mb"; fi
  } > "$out/seed-$name"
}

mkdir -p "$out"
for db in "$src"/*.db "$src"/*.DB; do
  [ -f "$db" ] || continue
  base=${db%.*}
  mb=""
  for ext in mb MB; do [ -f "$base.$ext" ] && mb="$base.$ext"; done
  seed "$db" "$mb" "$(basename "$db")"
done
