#!/usr/bin/env bash
# Fuzzes the script splitter: configures build-fuzz with clang and QUARVEL_FUZZ=ON, builds only the
# fuzz target and runs it for SECONDS (default 60) from the seed scripts in fuzz/corpus/morvex.
# Exits non-zero when the fuzzer finds a crash, a sanitizer report or a broken split property; the
# input that did it is left in build-fuzz/fuzz-morvex/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."

SECONDS_TO_RUN=${1:-60}
if ! [[ "$SECONDS_TO_RUN" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: scripts/fuzz.sh [SECONDS]   (a positive whole number; default 60)" >&2
  exit 2
fi

BUILD=build-fuzz
# A build folder configured with another compiler cannot be switched to clang in place.
if [ -f "$BUILD/CMakeCache.txt" ] && ! grep -q '^CMAKE_CXX_COMPILER:[A-Z]*=.*clang++' "$BUILD/CMakeCache.txt"; then
  rm -rf "$BUILD"
fi
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DQUARVEL_FUZZ=ON -DQUARVEL_GUI=OFF -DQUARVEL_BENCH=OFF >/dev/null
cmake --build "$BUILD" --target morvex_fuzz -j2

WORK="$BUILD/fuzz-morvex"
mkdir -p "$WORK/corpus" "$WORK/artifacts"
echo "== fuzzing the script splitter for ${SECONDS_TO_RUN} s"
# New inputs go to the first corpus folder; the checked-in seeds are only read.
"$BUILD/bin/morvex_fuzz" -max_total_time="$SECONDS_TO_RUN" -max_len=4096 -timeout=10 \
  -dict=fuzz/morvex.dict -artifact_prefix="$WORK/artifacts/" -print_final_stats=1 \
  "$WORK/corpus" fuzz/corpus/morvex
