#!/usr/bin/env bash
# The main job: packages, a Release build of the plug-in, the standalone app
# and the renderer, the plug-in installed into ~/.vst3, and the demo rendered.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

"$root/scripts/install-packages.sh"
build="$("$root/scripts/configure.sh" | tail -n 1)"
cmake --build "$build" --target Plumora_VST3 Plumora_Standalone plumora-render -j "$(nproc)"

bundle="$build/Plumora_artefacts/Release/VST3/Plumora.vst3"
destination="$HOME/.vst3"
mkdir -p "$destination"
rm -rf "$destination/Plumora.vst3"
cp -R "$bundle" "$destination/"

demo="$root/demo"
mkdir -p "$demo"
"$build/tools/plumora-render" --out "$demo/plumora-demo.wav" --png "$demo/plumora-demo.png" 2> >(grep -v '^\[pm-midi\]' >&2)

echo "Installed:  $destination/Plumora.vst3"
echo "Standalone: $build/Plumora_artefacts/Release/Standalone/Plumora"
echo "Demo:       $demo/plumora-demo.wav"
echo "Picture:    $demo/plumora-demo.png"
