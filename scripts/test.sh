#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# The workbook test opens a written workbook in LibreOffice Calc.
"$top/scripts/deps.sh" libreoffice-calc-nogui
"$top/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$top/build" --output-on-failure -j 2
