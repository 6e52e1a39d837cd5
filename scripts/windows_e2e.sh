#!/usr/bin/env bash
# lumo2.exe end to end under Wine, as a user meets it: unpacked from the
# release zip into an empty folder, started on a virtual display with its COM
# port joined to the Linux simulator, rows arriving in the measurement
# journal under %LOCALAPPDATA%; then killed, started again, and the journal
# reported as not closed; and on its own simulated instrument (--simulate).
#   scripts/windows_e2e.sh ZIP SIMULATOR WORK_DIR [SCREENSHOT.png]
# With SCREENSHOT it also captures the view window's chart of a simulated
# breakthrough (about two minutes more).
# WINEPREFIX names the prefix. Prints "N passed, N failed".
set -euo pipefail
zip=$(realpath "$1")
simulator=$(realpath "$2")
work=$3
shot=${4:+$(realpath -m "$4")}
rm -rf "$work"
mkdir -p "$work/run" "$work/ports"
work=$(realpath "$work")
dos=$WINEPREFIX/dosdevices
journals=$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/lumo2/journal
com=45
passed=0 failed=0
pids=()

check() {
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "lumo2.exe: $what: failed" >&2
  fi
}

stop_all() {
  pkill -9 -f 'lumo2\.exe --' 2>/dev/null || true
  local pid
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  pids=()
  rm -f "$dos/com$com"
}
trap 'stop_all; wineserver -k 2>/dev/null || true' EXIT

# One Wine server for the whole run: Wine's mount manager, at each start of
# a server, relinks the serial ports it finds itself and rewrites the
# registry's serial map, where the program looks for ports (Wine's
# device-setup service lists no "Ports" devices).
wineserver -k 2>/dev/null || true
wineserver -p
wine reg add 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' /v Lumo2Test /t REG_SZ /d "COM$com" /f >/dev/null 2>&1

# wait_for SECONDS COMMAND...: true once the command is.
wait_for() {
  local end=$((SECONDS + $1))
  shift
  until "$@"; do
    [ $SECONDS -ge $end ] && return 1
    sleep 0.2
  done
}

# A display of our own, so that the windows platform plugin draws for real.
start_display() {
  local n=91
  while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  export DISPLAY=:$n
  wait_for 10 test -e "/tmp/.X11-unix/X$n" || { echo "Xvfb did not start" >&2; return 1; }
}

# start_simulator ARGS...: the Linux simulator as the prefix's COM<com>.
start_simulator() {
  rm -f "$work/ports/COM$com"
  LUMO2_PORT_DIR=$work/ports "$simulator" --com "$com" --delay 0 --quiet "$@" >"$work/simulator.log" 2>&1 &
  pids+=($!)
  wait_for 10 test -L "$work/ports/COM$com" || { echo "the simulator made no port" >&2; return 1; }
  ln -sfn "$(readlink "$work/ports/COM$com")" "$dos/com$com"
}

journal_rows() {
  local file
  file=$(ls "$journals"/lumo2-*.csv 2>/dev/null | head -1)
  [ -n "$file" ] || { echo 0; return; }
  echo $(($(grep -c $'\r$' "$file") - 1))
}
has_rows() { [ "$(journal_rows)" -ge "$1" ]; }

# The release zip: one folder with the programs and their papers, nothing else.
(cd "$work" && cmake -E tar xf "$zip")
app=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'lumo2-*-windows-x86_64')
check "zip holds the two programs, README.txt, LICENSE and THIRD-PARTY.txt only" \
  test "$(cd "$app" && ls | tr '\n' ' ')" = "LICENSE README.txt THIRD-PARTY.txt lumo2-tool.exe lumo2.exe "

start_display
start_simulator --cell uranine=5,turbidity=2
rm -rf "$journals"
printf 'TYPE=2\rlast_connect_device_id %d\rautonnect 1\rttimezone 0\r' "$com" > "$work/run/lumo2.cfg"

# First run: rows arrive and go into the journal; then it is killed.
(cd "$work/run" && exec wine "$app/lumo2.exe" --show=view --request-every=1000 >first.out 2>first.err) &
pids+=($!)
check "rows arrive in the journal" wait_for 120 has_rows 3
rows=$(journal_rows)
pkill -9 -f 'lumo2\.exe --show=view' || true
sleep 1

# Second run: the journal the kill left open is reported.
reported() { grep -q "^Journal not closed: \".*lumo2-[0-9-]*\.csv\", [0-9]* complete rows" "$work/run/second.err"; }
(cd "$work/run" && exec wine "$app/lumo2.exe" --show=main >second.out 2>second.err) &
pids+=($!)
check "the killed run's journal is reported as not closed" wait_for 60 reported
reported_rows=$(sed -n 's/^Journal not closed: .*, \([0-9]*\) complete rows.*/\1/p' "$work/run/second.err" | head -1)
check "no row written before the kill is lost ($rows seen, ${reported_rows:-none} reported)" \
  test "${reported_rows:-0}" -ge "$rows"
pkill -9 -f 'lumo2\.exe --show=main' || true

# Without an instrument: the simulated one inside the program, which
# answers after two seconds, as the instrument does.
rm -rf "$journals"
(cd "$work/run" && exec wine "$app/lumo2.exe" --simulate --show=view --request-every=5000 >simulate.out 2>simulate.err) &
pids+=($!)
check "--simulate measures on the instrument inside the program" wait_for 120 has_rows 2
pkill -9 -f 'lumo2\.exe --simulate' || true

# The view window's chart of a breakthrough compressed into a minute and a half.
if [ -n "$shot" ]; then
  stop_all
  start_display
  "$simulator" --write-constants "$work/run/constants.dat" >/dev/null
  start_simulator --cell turbidity=3 --scenario breakthrough:tracer=uranine,peak=40,transit=30,peclet=12
  (cd "$work/run" && exec wine "$app/lumo2.exe" --show=chart --request-every=1000 --constants=constants.dat \
     >shot.out 2>shot.err) &
  pids+=($!)
  sleep 95
  import -window root "$work/screen.png"
  convert "$work/screen.png" -bordercolor black -border 1 -trim +repage "$shot"
  echo "Screenshot: $shot"
fi

echo "lumo2.exe under Wine from the release zip: $passed passed, $failed failed"
[ $failed -eq 0 ]
