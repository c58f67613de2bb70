#!/usr/bin/env bash
# Installs what is missing, builds, and makes the Debian package build/tagmill_VERSION_amd64.deb.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# dpkg-shlibdeps, from dpkg-dev, computes the package's dependencies from the linked libraries.
"$top/scripts/deps.sh" dpkg-dev
"$top/scripts/build.sh"
cpack --config "$top/build/CPackConfig.cmake" -B "$top/build" -G DEB
