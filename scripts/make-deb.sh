#!/bin/sh
# Builds the Debian package: a Release build of the programs only (no tests,
# no benchmarks) in BUILD (default build-deb/), then cpack -G DEB there.
# Prints the package's path.
#
# Usage: scripts/make-deb.sh [BUILD]
set -eu
cd "$(dirname "$0")/.."
build=${1:-build-deb}
scripts/install-deps.sh
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTESSALINE_TESTS=OFF -DTESSALINE_BENCH=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build" -j"$(nproc)"
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/tessaline_*.deb
