#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Tovren need.
# Does nothing when they are all present already, so it is cheap to call before every build.
set -euo pipefail

# Extra packages may be named as arguments (the benchmarks ask for strace).
packages=(
    "$@"
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-qpa-plugins libgl-dev
    libgtest-dev libbenchmark-dev libxcb1-dev libxcb-damage0-dev
    xvfb xauth xdotool x11-utils x11-xserver-utils imagemagick valgrind
    openbox dbus-x11 at-spi2-core python3-pyatspi python3-gi desktop-file-utils libglib2.0-bin unzip
    nlohmann-json3-dev libcli11-dev libboost-dev node-d3-zoom esbuild nodejs librsvg2-bin tiled
    chromium chromium-driver python3-selenium git pre-commit
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "Please run as root or install sudo." >&2; exit 1; }
    sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update
"${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
