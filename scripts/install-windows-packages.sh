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
    googletest
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi

echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
