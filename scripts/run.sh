#!/usr/bin/env bash
# Builds Tovren and starts it. Usage: scripts/run.sh [default|ci|sanitize]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/preset.sh

scripts/build.sh "$preset"
exec "build/$preset/app/Tovren"
