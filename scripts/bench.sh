#!/usr/bin/env bash
# Builds and runs the benchmarks (Release), then times the renderer on the demo.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

"$root/scripts/install-packages.sh"
build="$("$root/scripts/configure.sh" | tail -n 1)"
cmake --build "$build" --target plumora_bench plumora-render -j "$(nproc)"
"$build/bench/plumora_bench" "$@"
"$build/tools/plumora-render" --out "$build/bench-demo.wav" 2> >(grep -v '^\[pm-midi\]' >&2)
