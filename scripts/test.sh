#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_dependencies
build_tessik
cd "$TESSIK_BUILD_DIR"
ctest --output-on-failure -j2
