#!/usr/bin/env bash
# Configures and builds Tagmill in build/ (Release, warnings as errors).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAGMILL_WERROR=ON
cmake --build "$top/build"
