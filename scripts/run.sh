#!/bin/sh
# Installs what is missing, builds, and runs the main job on the bundled
# example: with a display, the desktop program opens the example graph;
# without one, the CLI renders it headless to build/surface.png.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec build/src/app/gui/tessaline examples/surface.xyz
fi
cli=build/src/app/cli/tessaline-cli
"$cli" info examples/surface.xyz
"$cli" render examples/surface.xyz -o build/surface.png
echo "no display: rendered the example to build/surface.png"
