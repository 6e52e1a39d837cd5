#!/usr/bin/env bash
# Takes a screenshot of each window of Lumo 2 on a virtual display:
#   scripts/screenshots.sh [OUTPUT_DIR]     (default /tmp/lumo2-shots)
# LUMO2_BUILD_DIR chooses the build tree (default build).
# Builds first if needed. The program runs in a scratch directory, so no
# lumo2.cfg is left in the tree.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-/tmp/lumo2-shots}")
mkdir -p "$out"
for tool in xvfb-run import convert; do
  command -v "$tool" >/dev/null || { echo "screenshots.sh: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done
build_dir=${LUMO2_BUILD_DIR:-build}
scripts/build.sh "$build_dir" >/dev/null
program=$(realpath "$build_dir/app/lumo2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# One run of the program per window: started with the window shown, captured,
# then ended with SIGTERM like a normal exit.
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
  set -eu
  program=$1 out=$2
  for window in main log view cal settings; do
    "$program" --show="$window" &
    pid=$!
    sleep 2
    import -window root "$out/$window.screen.png"
    # The windows sit on a black screen: cut it away.
    convert "$out/$window.screen.png" -bordercolor black -border 1 -trim +repage "$out/$window.png"
    rm -f "$out/$window.screen.png"
    kill -TERM "$pid"
    wait "$pid" || true
    echo "$out/$window.png"
  done
' bash "$program" "$out"
