#!/usr/bin/env bash
# Builds the project and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$(bash scripts/build.sh | tail -n 1)
cd "$dir"
ctest --output-on-failure -j "$(nproc)" --timeout 300
