#!/usr/bin/env bash
# Installs the Debian packages the Windows cross-build and its Wine tests need.
# Does nothing when they are all present already.
set -euo pipefail

packages=(
    cmake ninja-build make pkg-config ccache
    dpkg-dev patch xz-utils
    juce-modules-source
    mingw-w64 g++-mingw-w64-x86-64 libz-mingw-w64-dev
    wine wine64
    xvfb xauth
    googletest
)

"$(dirname "$0")/apt-install-missing.sh" "${packages[@]}"
