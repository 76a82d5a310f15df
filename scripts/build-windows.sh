#!/usr/bin/env bash
# Cross-builds the Windows x64 plug-in and standalone app with MinGW-w64
# (Release, build/windows): packages, the Windows libraries (built once and
# cached, scripts/build-windows-deps.sh), then the build. Incremental on a
# second run.
#
#   bash scripts/build-windows.sh            # the VST3 bundle and the app
#   bash scripts/build-windows.sh all        # also the Windows test programs
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${PLUMORA_WINDOWS_BUILD_DIR:-$root/build/windows}"
cache_home="${XDG_CACHE_HOME:-$HOME/.cache}"
jobs="${PLUMORA_JOBS:-2}"

"$root/scripts/install-windows-packages.sh"
deps="$("$root/scripts/build-windows-deps.sh" | tail -n 1)"
export PLUMORA_MINGW_DEPS="$deps"

# Compiler cache outside the clone: a fresh clone (as in CI) rebuilds from it.
export CCACHE_DIR="${CCACHE_DIR:-$cache_home/plumora/ccache-windows}"
export CCACHE_BASEDIR="$root"
export CCACHE_NOHASHDIR=1
export CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-3G}"

if [ ! -f "$build/build.ninja" ]; then
    launcher=()
    if command -v ccache > /dev/null; then
        launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    fi
    cmake -S "$root" -B "$build" -G Ninja \
        -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        -DPLUMORA_MINGW_DEPS="$deps" \
        "${launcher[@]}"
fi

if [ "${1:-}" = "all" ]; then
    cmake --build "$build" -j "$jobs"
else
    cmake --build "$build" --target Plumora_VST3 Plumora_Standalone -j "$jobs"
fi

echo "VST3 bundle: $build/Plumora_artefacts/Release/VST3/Plumora.vst3"
echo "Standalone:  $build/Plumora_artefacts/Release/Standalone/Plumora.exe"
