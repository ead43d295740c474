#!/usr/bin/env bash
# Builds the demo game folder from its sources: demo/build-demo.sh ORVOKIT OUT_DIR
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
kit="$1"
out="$2"
rm -rf "$out"
"$kit" build "$here/game" -o "$out" >/dev/null
