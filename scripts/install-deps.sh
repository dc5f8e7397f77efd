#!/usr/bin/env bash
# Installs the Debian packages the engine, its tests and its programs need.
# Idempotent: installs only what is missing, and updates the package lists
# only when something has to be installed.
set -euo pipefail

PACKAGES=(
  cmake make g++ pkg-config
  libboost-dev librapidxml-dev
  libglew-dev libglu1-mesa-dev libgl1-mesa-dri
  libdevil-dev libsdl2-dev libsdl2-mixer-dev
  libgtest-dev libbenchmark-dev
  xvfb xauth xdotool imagemagick time
  zlib1g-dev lame
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

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
