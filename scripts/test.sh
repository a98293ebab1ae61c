#!/bin/sh
# Installs what is missing, builds, and runs every test. GUI tests run under
# a virtual X server; nothing needs a network or a display.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh -DTESSALINE_WERROR=ON
cd build
xvfb-run -a ctest --output-on-failure -j"$(nproc)"
