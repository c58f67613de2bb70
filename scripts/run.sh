#!/usr/bin/env bash
# Installs what is missing, builds, and starts Tagmill.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/deps.sh"
"$top/scripts/build.sh"
exec "$top/build/bin/tagmill"
