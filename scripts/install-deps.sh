#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs, and only those that are
# missing. Needs root (apt-get) when anything is missing.
#   install-deps.sh run    what building and running the program needs
#   install-deps.sh web    what building the browser page and serving it needs
#   install-deps.sh test   everything the test command and the packages (cpack) need
set -euo pipefail

# The program alone: SDL2 and the X11 and Wayland client libraries its
# backend watches; FreeType and DejaVu Sans Bold for fontgen, which rasterises
# the layer's font at build time; libpng for the window's icon (and the test
# controls' frames).
RUN_PACKAGES=(cmake g++ make pkg-config libsdl2-dev libx11-dev libwayland-dev libfreetype-dev fonts-dejavu-core libpng-dev)
# emscripten brings its clang, binaryen and node; fontgen runs on the build
# machine, so FreeType and the font stay.
WEB_PACKAGES=(cmake g++ make pkg-config libfreetype-dev fonts-dejavu-core emscripten python3)
TEST_PACKAGES=("${RUN_PACKAGES[@]}" "${WEB_PACKAGES[@]}" chromium dpkg-dev file debootstrap git libgtest-dev libgmock-dev
  googletest libbenchmark-dev libpixman-1-dev clang libclang-rt-14-dev valgrind xvfb xauth xdotool imagemagick x11-utils openbox
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 desktop-file-utils appstream icoutils lintian)
# Wine's 32-bit half runs only where the kernel runs 32-bit programs; elsewhere
# the 32-bit Windows build is built and inspected but not run, and installing
# the i386 architecture would cost minutes of apt for nothing. The probe may
# run from the source tree where /tmp is mounted noexec.
if scripts_dir=$(dirname "$0") && "$scripts_dir/kernel-runs-32bit.sh" "$scripts_dir/.." >/dev/null; then
  TEST_PACKAGES+=(wine32:i386)
fi

case "${1:-run}" in
  run) wanted=("${RUN_PACKAGES[@]}") ;;
  web) wanted=("${WEB_PACKAGES[@]}") ;;
  test) wanted=("${TEST_PACKAGES[@]}") ;;
  *) echo "usage: $0 run|web|test" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages (${missing[*]}); run this as root to install them" >&2
  exit 1
fi
echo "install-deps: installing ${missing[*]}"
# Wine's 32-bit half comes from the i386 architecture.
if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
