#!/usr/bin/env bash
# Builds tilescroll for Linux and runs it full-screen on the current display.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh run
cmake --preset linux >/dev/null
cmake --build --preset linux --target tilescroll -j"$(nproc)"
exec build/linux/tilescroll
