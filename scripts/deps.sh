#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the tools need,
# skipping those already present. As root it runs apt-get; otherwise it
# prints the one command to run and fails.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools
  fonts-dejavu-core
  xvfb xauth imagemagick
  libbenchmark-dev
  clang libclang-rt-14-dev
  file python3 valgrind
  fuse3 libfuse3-dev
  pxlib-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
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
  echo "  sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
