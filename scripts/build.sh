#!/usr/bin/env bash
# Configures and builds one flavour of the tree: release (default), asan or fuzz.
#   scripts/build.sh [release|asan|fuzz] [ninja targets...]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
flavour="${1:-release}"
shift || true
jobs="${ORVO_JOBS:-2}"
# Every clone shares one compiler cache: paths are hashed relative to the clone,
# and the debug builds do not hash the folder they run in.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}"
export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"

case "$flavour" in
  release) options=(-DCMAKE_BUILD_TYPE=Release) ;;
  asan) options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVO_SANITIZE=ON -DORVO_BENCH=OFF) ;;
  fuzz) options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
                 -DORVO_FUZZ=ON -DORVO_TESTS=OFF -DORVO_BENCH=OFF) ;;
  *) echo "unknown flavour $flavour" >&2; exit 2 ;;
esac

build="$root/build/$flavour"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$root" -B "$build" -G Ninja "${options[@]}" >/dev/null
fi
ninja -C "$build" -j "$jobs" "$@"
