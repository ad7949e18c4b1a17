#!/usr/bin/env bash
# Installs what building and running the program needs, builds the program,
# its tools and the sample installation (not the tests), and opens the
# wizard on the sample data.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
cmake --preset dev >/dev/null
cmake --build --preset program

bin=build/dev/bin
echo "Sample data folder (the reports you save go here): $bin/SampleData"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found; opening the wizard on a virtual X server (xvfb-run)."
  exec xvfb-run -a "$bin/tallyvane"
fi
exec "$bin/tallyvane"
