#!/bin/sh
# Renders the README's pictures of colour by height: the bundled example
# with its faces on, once per colour map, and once smoothly shaded.
set -eu
cd "$(dirname "$0")/.."
scripts/build.sh
cli=build/src/app/cli/tessaline-cli
# The example keeps points and edges only; these pictures want its faces too.
sed 's/mode_poligones="False"/mode_poligones="True"/' examples/surface.xyz >build/surface-faces.xyz
for map in viridis cividis diverging grey; do
    "$cli" render build/surface-faces.xyz -o "docs/colour-$map.png" --size 520x420 --colormap "$map"
done
"$cli" render build/surface-faces.xyz -o docs/colour-smooth.png --size 520x420 --colormap viridis \
    --smooth
