#!/usr/bin/env bash
# Installs what is missing, builds, and starts Lumo 2 on its built-in
# simulated instrument. Without a display it starts on a virtual one.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting Lumo 2 on a virtual display (Xvfb)."
  exec xvfb-run -a -s "-screen 0 1280x1024x24" build/app/lumo2 --simulate "$@"
fi
exec build/app/lumo2 --simulate "$@"
