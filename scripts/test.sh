#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: as released, then under the sanitizers.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# The workbook test opens a written workbook in LibreOffice Calc; the install test validates
# the desktop entry; the package test makes the package (dpkg-dev) and checks it with lintian
# and appstreamcli.
"$top/scripts/deps.sh" libreoffice-calc-nogui desktop-file-utils dpkg-dev lintian appstream parallel
"$top/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$top/build" --output-on-failure -j 2
# Then again under the sanitizers, with each fuzz target for a short time.
"$top/scripts/sanitize.sh"
