#!/bin/sh
# Starts the desktop window on a virtual display with the bundled example
# graph and saves a picture of the whole window as docs/window.png, and one
# of the import window on the example workbook as docs/import.png.
set -eu
cd "$(dirname "$0")/.."
cmake --build build --target tessaline-window-shot >/dev/null
mkdir -p docs
xvfb-run -a -s "-screen 0 1280x900x24" build/src/app/window_shot/tessaline-window-shot examples/surface.xyz docs/window.png \
    examples/surface.xlsx docs/import.png
echo "docs/window.png docs/import.png"
