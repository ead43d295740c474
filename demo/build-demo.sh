#!/usr/bin/env bash
# Builds the demo game folder from its sources: demo/build-demo.sh ORVOKIT OUT_DIR
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
kit="$1"
out="$2"
rm -rf "$out"
"$kit" build "$here/game" -o "$out" >/dev/null
# The demo's sounds are generated: a chord-like tone for the music, a low
# hum for the wind, a short square click at 22050 Hz.
mkdir -p "$out/sounds"
"$kit" sound tone -o "$out/sounds/music.wav" --ms 2000 --freq 262 --amplitude 6000 --channels 2
"$kit" sound tone -o "$out/sounds/wind.wav" --ms 700 --freq 90 --amplitude 7000 --channels 1
"$kit" sound tone -o "$out/sounds/click.wav" --ms 40 --freq -1000 --amplitude 9000 --channels 1 --rate 22050
"$kit" video bars -o "$out/sounds/bars.nut" --frames 16 --width 64 --height 48 --fps 8
