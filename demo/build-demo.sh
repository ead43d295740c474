#!/usr/bin/env bash
# Builds the demo game folder from its sources: demo/build-demo.sh ORVOKIT OUT_DIR
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
kit="$1"
out="$2"
mkdir -p "$out"
"$kit" project "$here/settings.ini" -o "$out/orvo.opb"
# Pages are compiled from their source once the script compiler exists; the
# start page is an empty page until then.
: > "$out/start.osb"
