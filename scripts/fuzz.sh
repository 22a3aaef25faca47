#!/usr/bin/env bash
# Fuzzes the script splitter and the embedded client's statement entry: configures build-fuzz with
# clang and QUARVEL_FUZZ=ON, builds only the fuzz targets and runs each for SECONDS (default 60) from
# its seeds in fuzz/corpus/<target>. Exits non-zero when a fuzzer finds a crash, a sanitizer report,
# a hang or a broken property; the input that did it is left in build-fuzz/fuzz-<target>/artifacts/.
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
cmake --build "$BUILD" --target morvex_fuzz liteoci_fuzz -j2

# run NAME MAX_LEN TIMEOUT: new inputs go to the first corpus folder; the checked-in seeds are only read.
run() {
  local name=$1 max_len=$2 timeout=$3
  local work="$BUILD/fuzz-$name"
  mkdir -p "$work/corpus" "$work/artifacts"
  "$BUILD/bin/${name}_fuzz" -max_total_time="$SECONDS_TO_RUN" -max_len="$max_len" -timeout="$timeout" \
    -dict="fuzz/$name.dict" -artifact_prefix="$work/artifacts/" -print_final_stats=1 \
    "$work/corpus" "fuzz/corpus/$name"
}

echo "== fuzzing the script splitter for ${SECONDS_TO_RUN} s"
run morvex 4096 10
# A statement that runs over two seconds is broken by the target itself; one that still does not end
# is a hang.
echo "== fuzzing the embedded client's statements for ${SECONDS_TO_RUN} s"
run liteoci 4096 20
