#!/usr/bin/env bash
# Installs what is missing, then configures and builds one CMake preset.
# Usage: scripts/build.sh PRESET
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset "$1" >/dev/null
cmake --build --preset "$1"
