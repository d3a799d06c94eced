#!/usr/bin/env bash
# Cross-builds the Windows programs and tests with MinGW-w64 into build-win/.
# Installs what is missing first (the cross compiler, Wine to run the tests,
# GoogleTest's sources); quiet and quick when everything is there.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(g++-mingw-w64-x86-64-posix wine wine64 xvfb libgtest-dev cmake ninja-build)
missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
if [[ ${#missing[@]} -gt 0 ]]; then
  echo "Installing missing packages: ${missing[*]}" >&2
  as_root=()
  [[ $(id -u) -eq 0 ]] || as_root=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${as_root[@]}" apt-get update -qq >&2
  "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi

dir=build-win
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >&2
cmake --build "$dir" -j "$(nproc)" >&2
echo "$dir"
