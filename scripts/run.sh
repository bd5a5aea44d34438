#!/usr/bin/env bash
# Installs what is missing, builds, writes the demo system and shows the applications installed on it.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_dependencies
build_tessik
demo="$TESSIK_BUILD_DIR/demo-system"
"$TESSIK_BUILD_DIR/tools/make-system" --demo "$demo"
"$TESSIK_BUILD_DIR/cli/tessik-cli" --system-root "$demo" apps "$@"
