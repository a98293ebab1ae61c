#!/bin/sh
# Installs what is missing, builds, and runs every test; then builds again in
# build-asan/ with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# every test there as well (--no-sanitize leaves that second run out). GUI
# tests run under a virtual X server; nothing needs a network or a display.
set -eu
cd "$(dirname "$0")/.."
sanitize=yes
[ "${1:-}" = "--no-sanitize" ] && sanitize=no
scripts/install-deps.sh

# -noreset: the server would otherwise reset whenever its last client goes,
# and a test starting at that moment could not connect.
run_suite() {
    (cd "$1" && xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --output-on-failure -j"$(nproc)")
}

scripts/build.sh -DTESSALINE_WERROR=ON
run_suite build
# That build as a Debian package, unpacked and started (seconds, no network).
(cd build && cpack -G DEB >/dev/null)
scripts/check-deb.sh "$(ls -t build/tessaline_*.deb | head -n 1)"
[ "$sanitize" = yes ] || exit 0

# The options hold for the build too: it lists each program's tests by running it.
# verify_asan_link_order=0 lets keep_loaded.so come before the sanitizer runtime.
export ASAN_OPTIONS=detect_leaks=1:check_initialization_order=1:detect_stack_use_after_return=1:verify_asan_link_order=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS="suppressions=$(pwd)/tests/sanitizer/lsan.supp:print_suppressions=0"
started=$(date +%s)
# -O1 builds and runs faster than -O2 under the sanitizers and keeps stacks exact.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g" \
    -DTESSALINE_SANITIZE=ON -DTESSALINE_BENCH=OFF -DTESSALINE_WERROR=ON >/dev/null
cmake --build build-asan -j"$(nproc)"
c++ -shared -fPIC -O2 -o build-asan/keep_loaded.so tests/sanitizer/keep_loaded.cpp
built=$(date +%s)
echo "sanitizer build: $((built - started)) s"
# The leak checker's own tracer now and then crashes while it stops a
# process's threads at exit ("LeakSanitizer has encountered a fatal error",
# after the test passed). Only then are the failed tests run once more, and
# each must pass that time.
(
    export LD_PRELOAD="$(pwd)/build-asan/keep_loaded.so"
    run_suite build-asan || {
        grep -q "LeakSanitizer has encountered a fatal error" \
            build-asan/Testing/Temporary/LastTest.log || exit 1
        echo "the leak checker failed itself; running the failed tests again"
        cd build-asan && xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
            ctest --output-on-failure --rerun-failed
    }
)
echo "sanitizer tests: $(($(date +%s) - built)) s"
