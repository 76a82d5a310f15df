#!/usr/bin/env bash
# The main job: packages, a Release build of the plug-in and the standalone
# app, and the plug-in installed into ~/.vst3.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

"$root/scripts/install-packages.sh"
build="$("$root/scripts/configure.sh" | tail -n 1)"
cmake --build "$build" --target Plumora_VST3 Plumora_Standalone -j "$(nproc)"

bundle="$build/Plumora_artefacts/Release/VST3/Plumora.vst3"
destination="$HOME/.vst3"
mkdir -p "$destination"
rm -rf "$destination/Plumora.vst3"
cp -R "$bundle" "$destination/"
echo "Installed $destination/Plumora.vst3"
echo "Standalone: $build/Plumora_artefacts/Release/Standalone/Plumora"
