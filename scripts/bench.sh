#!/usr/bin/env bash
# Prints every figure: the host image benchmarks beside libpng and giflib, then the trees
# under Wine beside the plain window and the least animation program.
#
# usage: scripts/bench.sh [--quick]          the tables (--quick: fewer repetitions, a 10 s window)
#        scripts/bench.sh long [ARGS...]     the soak: 1,000 level changes on Vudododoz and a tree
#                                            left running for 10 minutes (ARGS: --changes N --minutes M)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

mode=full
case "${1:-}" in
  --quick) mode=quick ;;
  long) mode=long; shift ;;
  "") ;;
  *) sed -n '2,8p' "$0"; exit 2 ;;
esac

scripts/build.sh >&2
start=$(date +%s)
if [ "$mode" = long ]; then
  python3 bench/e2e_bench.py --long "$@"
  echo "(took $(( $(date +%s) - start )) s)"
  exit 0
fi

if [ "$mode" = quick ]; then
  flags=(--benchmark_min_time=0.03 --benchmark_repetitions=3)
  e2e=(--quick)
else
  flags=(--benchmark_min_time=0.2 --benchmark_repetitions=5)
  e2e=()
fi
bench="$BUILD/host/bin/image_bench"
# Debian's benchmark library calls itself a debug build; the code measured is built with -O2.
echo "== host image benchmarks (CPU time; other work on this machine shows in wall time only)"
"$bench" "${flags[@]}" --benchmark_display_aggregates_only=true 2> >(grep -v "Library was built as DEBUG" >&2) | sed -n '/^Image work/,$p'
# The same once more with freed memory kept in the process: what is left is the decoders' own
# work, without the cost of touching fresh pages.
"$bench" "${flags[@]}" --benchmark_display_aggregates_only=true 2>/dev/null --warm-heap --benchmark_filter='^(png|gif)/' |
  sed -n '/^Image work/,/^$/p'
echo "== end to end under Wine"
python3 bench/e2e_bench.py "${e2e[@]}"
echo "(took $(( $(date +%s) - start )) s)"
