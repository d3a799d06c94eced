#!/usr/bin/env bash
# Builds the project and starts the simulator.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$(bash scripts/build.sh | tail -n 1)
exec "$dir/app/kardo" "$@"
