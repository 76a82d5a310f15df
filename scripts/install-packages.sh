#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Does nothing when
# they are all present already, so it is cheap on a second run.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    juce-modules-source
    libasound2-dev libfreetype-dev libfontconfig1-dev libgl-dev
    libx11-dev libxext-dev libxtst-dev libxinerama-dev libxrandr-dev libxcursor-dev libxcomposite-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    libfftw3-dev
    xvfb xauth
)

"$(dirname "$0")/apt-install-missing.sh" "${packages[@]}"
