#!/usr/bin/env bash
# Takes the help guide's pictures again from the real windows (offscreen) and
# puts them into resources/help/, beside the guide. Run it after a window changed.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build build --target gradebook-guide-shots -j2
QT_QPA_PLATFORM=offscreen build/tests/gradebook-guide-shots resources/help
