#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the editor need, when any is missing.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    libpng-dev zlib1g-dev
    libgtest-dev libbenchmark-dev
    clang-format
    clang libclang-rt-14-dev
    libsdl2-dev libgl-dev
    xvfb xauth xdotool libgl1-mesa-dri imagemagick
    zenity
    dpkg-dev file desktop-file-utils shared-mime-info groff-base libglib2.0-bin
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
