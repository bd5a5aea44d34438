#!/usr/bin/env bash
# Builds everything with the address and undefined-behaviour sanitizers into build-san/ and runs every test there.
# A sanitizer report ends the program that made it, so any report fails its test. Arguments go to ctest
# (for example -R MainWindow).
TESSIK_BUILD_DIR=${TESSIK_BUILD_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build-san}
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_dependencies
# Also for the test lists the build asks each test program for.
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
# Unoptimised: the build takes far less time, and reports point at the lines.
build_tessik -DTESSIK_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
cd "$TESSIK_BUILD_DIR"
ctest --output-on-failure -j2 "$@"
