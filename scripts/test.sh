#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and
# UndefinedBehaviorSanitizer from a clean build folder, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
rm -rf build/asan
cmake --preset asan >/dev/null
cmake --build --preset asan
ctest --preset asan -j2
