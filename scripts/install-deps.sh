#!/usr/bin/env bash
# Installs the Debian packages that the build, the tests, the demo and the package need
# (imagemagick takes the headless demo's screenshot, dpkg-dev finds the package's
# dependencies, chromium is the browser of the live view's browser test, libhdf5-dev and
# libtiff-dev serve the exchange formats and hdf5-tools gives the tests h5dump), only those
# missing; silent when all are there.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6svg6
  qt6-datavisualization-dev qt6-declarative-dev libgl-dev
  qt6-websockets-dev chromium
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth libgl1-mesa-dri
  clang-format locales dpkg-dev file
  imagemagick
  libhdf5-dev hdf5-tools libtiff-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
