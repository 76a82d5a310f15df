#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Does nothing when
# they are all present already, so it is cheap on a second run.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    juce-modules-source
    libasound2-dev libfreetype-dev libfontconfig1-dev libgl-dev
    libx11-dev libxext-dev libxinerama-dev libxrandr-dev libxcursor-dev libxcomposite-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    libfftw3-dev
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
