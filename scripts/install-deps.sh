#!/usr/bin/env bash
# Installs the Debian packages the player, its tools and its tests need,
# only those that are missing. Needs root (or sudo) when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache clang libclang-rt-14-dev
  libsdl2-dev zlib1g-dev libpng-dev libjpeg62-turbo-dev libfreetype-dev libfontconfig-dev
  fonts-ipafont-gothic fonts-ipafont-mincho libvorbis-dev
  libavformat-dev libavcodec-dev libswscale-dev libswresample-dev
  libfluidsynth-dev timgm6mb-soundfont libasound2-dev libcurl4-openssl-dev libinih-dev
  libgtest-dev libgmock-dev libbenchmark-dev libpixman-1-dev
  ca-certificates xvfb xdotool
  libspeechd-dev desktop-file-utils man-db
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
