#!/usr/bin/env bash
# Runs every libFuzzer target for a bounded time, seeded from our pictures, the test
# fixtures and the conformance suites. usage: fuzz.sh SECONDS [RESULTS.json]
# A long run: scripts/fuzz.sh 3600
set -uo pipefail
source "$(dirname "$0")/common.sh"
seconds=${1:-20}
results=${2:-}
shared="$ROOT/../shared/conformance"
passed=0 failed=0
seed() { # target -> seed folders
  case "$1" in
    png_fuzz) echo "$shared/pngsuite/png $ROOT/resources/Fernlight" ;;
    gif_fuzz) echo "$shared/gif-test-suite/gifs $ROOT/resources/Glimmerlode $ROOT/resources/Quorrisk $ROOT/resources/Vudododoz" ;;
    bmp_fuzz) echo "$ROOT/resources/Glimmerlode $ROOT/resources/Quorrisk $ROOT/resources/Vudododoz" ;;
    form_fuzz) echo "$BUILD/i686/resources" ;;
  esac
}
for target in "$BUILD"/fuzz/bin/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="$BUILD/fuzz/corpus/$name"; mkdir -p "$corpus"
  seeds=()
  for d in $(seed "$name"); do [ -d "$d" ] && seeds+=("$d"); done
  if [ "$name" = form_fuzz ]; then
    find "$BUILD/i686" -name 'TFRMMAIN*.bin' -exec cp {} "$corpus/" \; 2>/dev/null
  fi
  if "$target" -max_total_time="$seconds" -print_final_stats=0 "$corpus" "${seeds[@]}" \
       >"$BUILD/fuzz/$name.log" 2>&1; then
    echo "$name: no crash in $seconds s ($(grep -c . "$corpus"/* 2>/dev/null | wc -l) inputs kept)"
    passed=$((passed + 1))
  else
    echo "$name: FAILED, see $BUILD/fuzz/$name.log"; tail -20 "$BUILD/fuzz/$name.log"
    failed=$((failed + 1))
  fi
done
[ -n "$results" ] && echo "{\"passed\": $passed, \"failed\": $failed, \"skipped\": 0}" > "$results"
[ "$failed" -eq 0 ]
