#!/bin/sh
# Makes examples/surface.xyz, the graph file the desktop program opens in the
# README, from the example table (scripts/make-example-surface.py).
set -eu
cd "$(dirname "$0")/.."
cmake --build build --target tessaline-cli >/dev/null
build/src/app/cli/tessaline-cli convert examples/surface.csv -o examples/surface.xyz
