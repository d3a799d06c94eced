#!/usr/bin/env bash
# Configures and builds the project. UX_SANITIZE=1 builds with AddressSanitizer and
# UndefinedBehaviorSanitizer into build-san/; otherwise into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

if [[ "${UX_SANITIZE:-0}" == 1 ]]; then
  dir=build-san
  args=(-DCMAKE_BUILD_TYPE=Debug -DUX_SANITIZE=ON)
else
  dir=build
  args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
fi
cmake -S . -B "$dir" -G Ninja "${args[@]}" >&2
cmake --build "$dir" -j "$(nproc)" >&2
echo "$dir"
