#!/bin/sh
# Installs what is missing, builds, and runs the main job on the bundled
# example: the example table becomes a graph file, and the CLI shows it.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
cli=build/src/app/cli/tessaline-cli
"$cli" convert examples/surface.csv -o build/surface.xyz
"$cli" info build/surface.xyz
