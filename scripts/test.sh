#!/usr/bin/env bash
# The test job: packages, a Release build of everything, and the whole suite
# through CTest.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

"$root/scripts/install-packages.sh"
build="$("$root/scripts/configure.sh" | tail -n 1)"
cmake --build "$build" -j "$(nproc)"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
