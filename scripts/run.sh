#!/usr/bin/env bash
# Builds tilescroll for Linux and runs it full-screen on the current display.
# With --web [port], builds the browser page instead and serves it from its
# build folder on 127.0.0.1 (port 8000 unless given) until Ctrl-C.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--web" ]; then
  port=${2:-8000}
  scripts/install-deps.sh web
  cmake --preset web >/dev/null
  cmake --build --preset web -j"$(nproc)"
  echo "tilescroll: open http://127.0.0.1:$port/ in a browser; Ctrl-C stops the server"
  exec python3 -m http.server --bind 127.0.0.1 --directory build/web "$port"
fi
scripts/install-deps.sh run
cmake --preset linux >/dev/null
cmake --build --preset linux --target tilescroll -j"$(nproc)"
exec build/linux/tilescroll
