#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for the given number of
# seconds (default 600). Seeds come from fuzz/seeds/<target>; the growing corpus
# and any findings stay in build-fuzz/ (crash files: build-fuzz/findings/).
#   scripts/fuzz.sh [seconds] [target ...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-600}
shift || true
build=$root/build-fuzz
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKESTROVA_FUZZ=ON -DKESTROVA_TESTS=OFF >/dev/null
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in "$root"/fuzz/fuzz_*.cpp; do t=$(basename "$f" .cpp); targets+=("${t#fuzz_}"); done
fi
cmake --build "$build" --target "${targets[@]/#/fuzz_}"
mkdir -p "$build/findings"
for t in "${targets[@]}"; do
  corpus=$build/corpus/$t
  mkdir -p "$corpus"
  [ -d "$root/fuzz/seeds/$t" ] && cp -rn "$root/fuzz/seeds/$t/." "$corpus/"
  echo "== $t for ${seconds}s"
  (cd "$build/findings" && LSAN_OPTIONS=suppressions=$root/fuzz/lsan.supp "$build/bin/fuzz_$t" -max_total_time="$seconds" -rss_limit_mb=4096 \
      -timeout=20 -max_len=1048576 -artifact_prefix="$build/findings/$t-" "$corpus" 2>&1 | tail -n 4)
done
