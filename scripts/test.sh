#!/usr/bin/env bash
# Installs everything the tests use, checks the Debian package as it ships,
# builds with AddressSanitizer and UndefinedBehaviorSanitizer from a clean
# build folder, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh --test

# The package as it ships: the optimised, hardened program, packaged, checked
# with lintian and the desktop entry and AppStream validators, installed,
# upgraded and purged in a scratch root.
cmake --preset package >/dev/null
cmake --build --preset package
ctest --preset package

rm -rf build/asan
cmake --preset asan >/dev/null
cmake --build --preset asan

# Fuzz smoke run, outside ctest: build every fuzz target with clang, libFuzzer
# and the sanitizers (scripts/fuzz.sh), run each for 30 seconds, and fail on
# the first finding. The targets are the tv_add_fuzzer lines of fuzz/CMakeLists.txt.
mkdir -p build/fuzz-logs
for target in $(sed -n 's/^tv_add_fuzzer(\(fuzz_[A-Za-z0-9_]*\))$/\1/p' fuzz/CMakeLists.txt); do
  echo "fuzz smoke: $target, 30 s"
  if ! bash scripts/fuzz.sh "$target" 30 > "build/fuzz-logs/$target.log" 2>&1; then
    tail -n 60 "build/fuzz-logs/$target.log"
    echo "fuzz smoke: $target FAILED (findings in build/fuzz/findings/$target)" >&2
    exit 1
  fi
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec)' "build/fuzz-logs/$target.log" || true
done

# The tests come last, so that CTest's summary closes the output.
ctest --preset asan -j2
