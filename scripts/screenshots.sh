#!/usr/bin/env bash
# Takes a screenshot of each window of Lumo 2 on a virtual display:
#   scripts/screenshots.sh [OUTPUT_DIR]           (default /tmp/lumo2-shots)
#   scripts/screenshots.sh --chart [OUTPUT_DIR]   only view-chart.png and
#       tracer-test.png: the view window's chart and tracer test page on a
#       simulated breakthrough curve (about four minutes)
# LUMO2_BUILD_DIR chooses the build tree (default build).
# Builds first if needed. The program runs in a scratch directory, so no
# lumo2.cfg is left in the tree.
set -euo pipefail
cd "$(dirname "$0")/.."
chart=0
if [ "${1:-}" = "--chart" ]; then
  chart=1
  shift
fi
out=$(realpath -m "${1:-/tmp/lumo2-shots}")
mkdir -p "$out"
for tool in xvfb-run import convert; do
  command -v "$tool" >/dev/null || { echo "screenshots.sh: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done
build_dir=${LUMO2_BUILD_DIR:-build}
scripts/build.sh "$build_dir" >/dev/null
program=$(realpath "$build_dir/app/lumo2")
simulator=$(realpath "$build_dir/sim/zeta-sim")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# The runs' journals stay in the scratch directory: none is left in the
# user's journal folder for the next real start to take up.
export LUMO2_JOURNAL_DIR="$work/journal"

# A tracer test compressed into a minute and a half: the simulator answers at
# once and plays a uranine breakthrough from its start; the program, connected
# to it at start-up with the constants of a calibration on the simulator,
# requests a measurement every second and shows its chart.
# One run of the program on the simulator's breakthrough curve, the view
# window on the page asked for ("chart" or "tracer"), captured as NAME.png.
shoot_page() {
  local page=$1 name=$2
  export LUMO2_PORT_DIR="$work/ports"
  mkdir -p "$LUMO2_PORT_DIR"
  printf 'TYPE=2\rlast_connect_device_id 250\rautonnect 1\rttimezone 0\r' > lumo2.cfg
  "$simulator" --write-constants constants.dat
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    set -eu
    program=$1 simulator=$2 out=$3 page=$4 name=$5
    "$simulator" --com 250 --delay 0 --quiet --cell turbidity=3 \
      --scenario breakthrough:tracer=uranine,peak=40,transit=30,peclet=12 &
    sim=$!
    # The tracer is injected as the simulator starts (30 m in 30 s), so no
    # row comes before it: the background is typed.
    printf "injection=%s\r\nmass_A=0.015\r\ndischarge=12.5\r\ndistance=30\r\nbackground_A=0\r\nsite=Spring S1\r\n" \
      "$(date -u +"%d.%m.%Y %H:%M:%S")" > tracer_test.txt
    sleep 1
    "$program" --show="$page" --request-every=1000 --constants=constants.dat --tracer-inputs=tracer_test.txt &
    pid=$!
    sleep 95
    import -window root "$out/$name.screen.png"
    convert "$out/$name.screen.png" -bordercolor black -border 1 -trim +repage "$out/$name.png"
    rm -f "$out/$name.screen.png"
    kill -TERM "$pid" "$sim"
    wait "$pid" || true
    wait "$sim" || true
    echo "$out/$name.png"
  ' bash "$program" "$simulator" "$out" "$page" "$name"
}

if [ "$chart" = 1 ]; then
  shoot_page chart view-chart
  shoot_page tracer tracer-test
  exit 0
fi

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
