#!/bin/sh
# Installs what is missing, builds, and runs the main job on the bundled
# example: the example table becomes a graph file, which the CLI describes
# and renders headless to build/surface.png.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
cli=build/src/app/cli/tessaline-cli
"$cli" convert examples/surface.csv -o build/surface.xyz
"$cli" info build/surface.xyz
"$cli" render build/surface.xyz -o build/surface.png
