#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the tools need, when any is missing.
# Quiet and quick when everything is already there; safe to run any number of times.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  libx11-dev libxext-dev libxfixes-dev libxtst-dev xvfb
  libpng-dev libjpeg62-turbo-dev
  libcairo2-dev libpango1.0-dev fonts-wine
  locales
  desktop-file-utils dpkg-dev file
  libegl1 libegl-mesa0 libgl1-mesa-dri libgles2 libegl-dev libgl-dev libgles-dev
)
# Only the comparison with Qt's raster painter (cmake -DUX_BENCH_QT=ON) needs Qt.
if [[ "${UX_BENCH_QT:-0}" == 1 ]]; then
  packages+=(qt6-base-dev)
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing missing packages: ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
  as_root=()
else
  as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
