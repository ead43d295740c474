#!/usr/bin/env bash
# Installs what is missing and runs the whole test suite: a Release build, an
# AddressSanitizer + UndefinedBehaviorSanitizer build, and (with clang) the
# fuzz targets over their seed corpora.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
export ORVO_JOBS="${ORVO_JOBS:-$(nproc)}"

echo "== Release build and tests"
"$root/scripts/build.sh" release
ctest --test-dir "$root/build/release" --output-on-failure -j 2

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build and tests"
"$root/scripts/build.sh" asan
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$root/build/asan" --output-on-failure -j 2

if command -v clang++ >/dev/null 2>&1 && ls "$root"/fuzz/*.cpp >/dev/null 2>&1; then
  echo "== Fuzz targets over their seed corpora"
  "$root/scripts/build.sh" fuzz
  for target in "$root"/build/fuzz/bin/fuzz_*; do
    name="$(basename "$target")"
    corpus="$root/fuzz/corpus/${name#fuzz_}"
    # New inputs go to a scratch folder, never into the checked-in seeds.
    scratch="$(mktemp -d)"
    seeds=()
    [ -d "$corpus" ] && seeds=("$corpus")
    if ! "$target" -runs=3000 -timeout=5 -max_len=65536 "$scratch" "${seeds[@]}" >"$scratch.log" 2>&1; then
      tail -n 40 "$scratch.log"
      echo "$name failed"
      exit 1
    fi
    rm -rf "$scratch" "$scratch.log"
    echo "$name: ok"
  done
fi
echo "All test suites passed."
