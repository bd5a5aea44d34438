#!/usr/bin/env bash
# Builds and runs the benchmarks (scan, catalog, refresh, ui, start, set; all when none is named) on a synthetic
# system of 1,000 applications (seed 7); set counts one change on the demo machine and on the Linux demo desktop.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_dependencies
build_tessik
"$TESSIK_BUILD_DIR/tools/tessik-bench" --apps 1000 --seed 7 "$@"
