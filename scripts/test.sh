#!/usr/bin/env bash
# Installs what is missing, builds and runs every test: once in the normal build,
# then once more with AddressSanitizer and UndefinedBehaviorSanitizer.
# KESTROVA_SKIP_SANITIZE=1 skips the second run (for quick local checks).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"

"$root/scripts/build.sh" "$root/build"
(cd "$root/build" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)")

if [ "${KESTROVA_SKIP_SANITIZE:-0}" != "1" ]; then
  "$root/scripts/build.sh" "$root/build-asan" -DKESTROVA_SANITIZE=ON -DKESTROVA_BENCH=OFF
  (cd "$root/build-asan" && QT_QPA_PLATFORM=offscreen KESTROVA_SANITIZE_BUILD=1 \
     ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
     ctest --output-on-failure -j"$(nproc)")
fi
