#!/usr/bin/env bash
# The Windows test job: the MinGW-w64 cross-build of everything Windows
# (scripts/build-windows.sh all), then its tests through CTest: packaging
# checks on the built binaries and a cross-built VST3 host that loads
# Plumora.vst3 under Wine, headless but for its editor test, which shows the
# plug-in's window on a virtual X display (scripts/wine-run.sh).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${PLUMORA_WINDOWS_BUILD_DIR:-$root/build/windows}"

"$root/scripts/build-windows.sh" all
ctest --test-dir "$build" --output-on-failure -j "${PLUMORA_JOBS:-2}"
