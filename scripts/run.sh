#!/usr/bin/env bash
# Installs what is missing, builds, lays out the sample installation and
# opens the wizard on it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev

bin=build/dev/bin
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found; opening the wizard on a virtual X server (xvfb-run)."
  exec xvfb-run -a "$bin/tallyvane"
fi
exec "$bin/tallyvane"
