#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need,
# and those named as arguments (scripts/package.sh adds its tools so).
# Fast when everything is already there; uses sudo when not root.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libqcustomplot-dev libgl-dev
  libtinyxml-dev
  libmosquitto-dev
  # The broker tests start their own mosquitto on a free port; the package's
  # system service, where one starts, is neither needed nor disturbed.
  mosquitto mosquitto-clients openssl
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev llvm
  xvfb xauth x11-apps imagemagick
  locales ccache
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

run_as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  run_as_root apt-get update -qq
  run_as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# A French locale, so the suite can prove that numbers do not follow the user's locale.
if ! locale -a 2>/dev/null | grep -qi '^fr_FR\.utf-\?8$'; then
  run_as_root sed -i 's/^# *fr_FR.UTF-8 UTF-8/fr_FR.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^fr_FR.UTF-8 UTF-8' /etc/locale.gen || echo 'fr_FR.UTF-8 UTF-8' | run_as_root tee -a /etc/locale.gen >/dev/null
  run_as_root locale-gen >/dev/null
fi
