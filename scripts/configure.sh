#!/usr/bin/env bash
# Configures the Release build folder (once; later runs reuse it).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${PLUMORA_BUILD_DIR:-$root/build/release}"

if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
echo "$build"
