#!/usr/bin/env bash
# Builds Tovren and runs every test. Usage: scripts/test.sh [default|ci|sanitize]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/preset.sh

scripts/build.sh "$preset"
ctest --preset "$preset" --parallel "$(nproc)"
