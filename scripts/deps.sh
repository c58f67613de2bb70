#!/usr/bin/env bash
# Installs the Debian packages Tagmill needs, and any named as arguments, only those missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    libxlsxwriter-dev unzip
    fonts-liberation2 xvfb xdotool x11-utils
    xauth xdg-utils
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

as_root=()
[[ $(id -u) -eq 0 ]] || as_root=(sudo)
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -q
"${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
