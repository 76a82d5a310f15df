#!/usr/bin/env bash
# Builds and runs the benchmarks (Release), then the open editor's idle cost
# on a virtual X display (about 25 s), then times the renderer on the demo.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

"$root/scripts/install-packages.sh"
build="$("$root/scripts/configure.sh" | tail -n 1)"
cmake --build "$build" --target plumora_bench plumora_editor_bench plumora-render -j "$(nproc)"
"$build/bench/plumora_bench" "$@"
xvfb-run --auto-servernum --server-args="-screen 0 1600x1100x24 -nolisten tcp" "$build/bench/plumora_editor_bench"
"$build/tools/plumora-render" --out "$build/bench-demo.wav" 2> >(grep -v '^\[pm-midi\]' >&2)
