#!/usr/bin/env bash
# Remakes the pictures of the demo's transition tour:
#   demo/tools/make-transition-pictures.sh ORVOKIT
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
kit="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
python3 "$here/make_transition_pictures.py" "$work"
pictures="$here/../game/pictures"
"$kit" image to-dov "$work/dusk.png" -o "$pictures/dusk.dov"
"$kit" image to-dov "$work/dawn.png" -o "$pictures/dawn.dov"
"$kit" image to-dov "$work/wipe_rule.png" -o "$pictures/wipe_rule.dov"
"$kit" image to-dov "$work"/plate*.png --frames -o "$pictures/wipe_names.dov"
