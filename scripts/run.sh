#!/usr/bin/env bash
# Builds tilescroll for Linux and runs it full-screen on the current display.
# Installs what building and running it needs first (root then), and builds
# the program alone, in build/linux-run: the tests and their libraries stay
# with scripts/test.sh.
# With --web [port], builds the browser page instead and serves it from its
# build folder on 127.0.0.1 (port 8000 unless given) until Ctrl-C.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = "--web" ]; then
  port=${2:-8000}
  scripts/install-deps.sh web
  scripts/serve_web.py --check "$port" build/web
  cmake --preset web >/dev/null
  cmake --build --preset web -j"$(nproc)"
  exec scripts/serve_web.py "$port" build/web
fi
scripts/install-deps.sh run
cmake --preset linux-run >/dev/null
cmake --build --preset linux-run --target tilescroll -j"$(nproc)"
exec build/linux-run/tilescroll "$@"
