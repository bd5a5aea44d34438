#!/usr/bin/env bash
# Builds and runs the benchmarks (scan, catalog, refresh, ui, start; all when none is named) on a synthetic system of
# 1,000 applications (seed 7).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_dependencies
build_tessik
"$TESSIK_BUILD_DIR/tools/tessik-bench" --apps 1000 --seed 7 "$@"
