#!/usr/bin/env bash
# ThreadSanitizer pass: the engine's cross-thread tests (hand-over, log,
# editing while rendering) in a separate instrumented build of the engine.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build/tsan"

"$root/scripts/install-packages.sh"
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
          -DPLUMORA_SANITIZE=thread -DPLUMORA_BUILD_BENCHMARKS=OFF
fi
cmake --build "$build" --target plumora_concurrency_tests -j "$(nproc)"
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" "$build/tests/plumora_concurrency_tests"
