#!/usr/bin/env bash
# Builds the demo game folder from its sources: demo/build-demo.sh ORVOKIT OUT_DIR
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
kit="$1"
out="$2"
rm -rf "$out"
"$kit" build "$here/game" -o "$out" >/dev/null
# The demo's pixel fonts: its characters pre-rendered from the default faces,
# listed under their own name (the player offers every ".oft" at mount).
text="$(tr -d '\n' < "$here/font-text.txt")"
mkdir -p "$out/fonts"
"$kit" font make --face "ＭＳ ゴシック" --size 16 --name "デモ文字" -o "$out/fonts/demo16.oft" "$text"
"$kit" font make --face "ＭＳ ゴシック" --size 24 --style 1 --name "デモ文字" -o "$out/fonts/demo24b.oft" "$text"
