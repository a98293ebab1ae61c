#!/bin/sh
# Renders the README's pictures of measured data far from zero
# (examples/offset.csv: X 1000-1010, Y 300-310, Z 20-20.5): as the classic
# scaling shows it, fitted to its data, from the top in parallel projection,
# and with the X axis limited to its lower half.
set -eu
cd "$(dirname "$0")/.."
scripts/build.sh
cli=build/src/app/cli/tessaline-cli
"$cli" convert examples/offset.csv -o build/offset.xyz
"$cli" render build/offset.xyz -o docs/offset-classic.png --size 640x520
"$cli" render build/offset.xyz -o docs/offset-fit.png --size 640x520 --fit
"$cli" render build/offset.xyz -o docs/offset-top.png --size 640x520 --fit --view top --ortho
"$cli" render build/offset.xyz -o docs/offset-range.png --size 640x520 --fit --range-x :1005
