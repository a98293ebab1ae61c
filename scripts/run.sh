#!/bin/sh
# Installs what is missing, builds, and runs the main job on the bundled
# example.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
build/bench/tessaline-bench-faces examples/surface.csv
