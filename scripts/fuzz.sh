#!/usr/bin/env bash
# Runs fuzz targets for a while on their corpora, as a contributor does before
# trusting a reader or a drawing path with untrusted games.
#   scripts/fuzz.sh [MINUTES] [TARGET...]      (default: 2 minutes, every target)
# New coverage goes into fuzz/corpus/<target>/. Any crash, leak or time-out is
# copied into tests/<subsystem>/fuzz-regressions/<what>/, which the test suite
# replays on every run; the script then exits 1.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
minutes="${1:-2}"
shift || true
if ! [[ "$minutes" =~ ^[0-9]+$ ]]; then
  echo "usage: scripts/fuzz.sh [MINUTES] [TARGET...]" >&2
  exit 2
fi
"$root/scripts/build.sh" fuzz >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for program in "$root"/build/fuzz/bin/fuzz_*; do targets+=("$(basename "$program")"); done
fi
found=0
for target in "${targets[@]}"; do
  target="${target#fuzz_}"
  program="$root/build/fuzz/bin/fuzz_$target"
  if [ ! -x "$program" ]; then
    echo "no fuzz target $target" >&2
    exit 2
  fi
  corpus="$root/fuzz/corpus/$target"
  artifacts="$(mktemp -d)"
  mkdir -p "$corpus" "$artifacts/work"
  log="$artifacts/log"
  set +e
  "$program" -max_total_time=$((minutes * 60)) -timeout=5 -max_len=65536 -print_final_stats=1 \
    -artifact_prefix="$artifacts/" "$artifacts/work" "$corpus" >"$log" 2>&1
  status=$?
  # Only inputs that reach new code join the checked-in seeds.
  "$program" -merge=1 -timeout=5 -max_len=65536 "$corpus" "$artifacts/work" >>"$artifacts/merge.log" 2>&1
  set -e
  runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo '?')"
  subsystem="${target%%_*}"
  what="${target#*_}"
  kept=0
  for artifact in "$artifacts"/crash-* "$artifacts"/leak-* "$artifacts"/timeout-* "$artifacts"/slow-unit-* "$artifacts"/oom-*; do
    [ -f "$artifact" ] || continue
    mkdir -p "$root/tests/$subsystem/fuzz-regressions/$what"
    cp "$artifact" "$root/tests/$subsystem/fuzz-regressions/$what/"
    kept=$((kept + 1))
  done
  echo "$target: $minutes min, $runs runs, exit $status, $kept findings kept"
  if [ "$status" -ne 0 ] || [ "$kept" -ne 0 ]; then
    tail -n 30 "$log"
    found=1
  fi
  rm -rf "$artifacts"
done
exit "$found"
