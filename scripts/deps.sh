#!/usr/bin/env bash
# Installs the Debian 12 packages that are missing, in two sets:
#   scripts/deps.sh          what building and running the program needs
#                            (scripts/run.sh)
#   scripts/deps.sh --test   that, and everything the tests, the fuzz
#                            targets and the benchmarks use, each checker
#                            the tests call among them (scripts/test.sh,
#                            scripts/bench.sh)
# As root it runs apt-get; otherwise it prints the one command to run and
# fails.
set -euo pipefail

# Building and running the program: compiler, CMake and Ninja, Qt 6, a font
# for text offscreen, and a virtual X server for machines without a display.
RUN_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools
  fonts-dejavu-core
  xvfb xauth
)

# The tests, the fuzz targets and the benchmarks, one package a line.
TEST_PACKAGES=(
  imagemagick
  libbenchmark-dev
  clang
  libclang-rt-14-dev
  file
  python3
  valgrind
  desktop-file-utils
  lintian
  appstream
  fuse3
  libfuse3-dev
  pxlib-dev
  clang-format
  at-spi2-core
  dbus-daemon
  python3-pyatspi
  python3-xlib
  poppler-utils
)

packages=("${RUN_PACKAGES[@]}")
case "${1:-}" in
  "") ;;
  --test) packages+=("${TEST_PACKAGES[@]}") ;;
  *) echo "usage: scripts/deps.sh [--test]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
else
  echo "These packages are missing. Install them with:" >&2
  echo "  sudo apt-get install -y --no-install-recommends ${missing[*]}" >&2
  exit 1
fi
