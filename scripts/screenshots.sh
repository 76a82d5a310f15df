#!/usr/bin/env bash
# Makes the README's pictures of the editor (docs/images/) with the editor
# tests that draw the pages: the PRO page with "First Light", the S!MPLE page
# with "Warm Pad", the expanded modulation matrix.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

"$root/scripts/install-packages.sh"
build="$("$root/scripts/configure.sh" | tail -n 1)"
cmake --build "$build" --target plumora_tests -j "$(nproc)"
mkdir -p "$root/docs/images"
PLUMORA_PICTURES="$root/docs/images" "$build/tests/plumora_tests" \
    --gtest_filter='ProPage.PicturesOfFactorySoundsAreSavedIntoTheBuildFolder:SimplePageFrame.APictureWithWarmPadIsSavedIntoTheBuildFolder:ModMatrixSection.ThePictureOfTheExpandedMatrixShowsEachRoutingInItsSourcesColour' \
    2> >(grep -v '^\[pm-midi\]' >&2)
ls -l "$root/docs/images"
