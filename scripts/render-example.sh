#!/bin/sh
# Renders the bundled example into docs/example.png, the picture the README
# shows: the table becomes a graph file with a fresh view, which the
# command-line tool draws headless.
set -eu
cd "$(dirname "$0")/.."
scripts/build.sh
cli=build/src/app/cli/tessaline-cli
"$cli" convert examples/surface.csv -o build/example.xyz
"$cli" render build/example.xyz -o docs/example.png
