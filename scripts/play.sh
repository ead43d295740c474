#!/usr/bin/env bash
# Installs what is missing, builds the player and plays the bundled demo game:
# in a window when a display is available, otherwise headless for a few
# seconds, writing a screenshot and printing its path.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" release orvoplayer orvokit make_demo_films
bin="$root/build/release/bin"

game="$root/build/demo"
"$root/demo/build-demo.sh" "$bin/orvokit" "$game"

if [ -z "${ORVO_HEADLESS:-}" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec "$bin/orvoplayer" "$game"
fi
mkdir -p "$root/out"
"$bin/orvoplayer" "$game" --headless --fixed-step 15 --frames 200 --seed 1 --screenshot "$root/out/demo.png"
