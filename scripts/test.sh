#!/bin/sh
# Installs what is missing, builds, and runs every test. GUI tests run under
# a virtual X server; nothing needs a network or a display.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh -DTESSALINE_WERROR=ON
cd build
# -noreset: the server would otherwise reset whenever its last client goes,
# and a test starting at that moment could not connect.
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --output-on-failure -j"$(nproc)"
