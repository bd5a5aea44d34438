#!/usr/bin/env bash
# Installs what is missing, builds the programs, writes the demo system when there is none yet and starts Tessik
# on it. Without a display it saves screenshots of the program instead and lists the demo's applications. On macOS
# it installs from Homebrew. --fresh-demo (first) writes a new demo system over the old one, losing what was done
# on it.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
fresh=false
if [ "${1:-}" = "--fresh-demo" ]; then
    fresh=true
    shift
fi
install_dependencies
build_tessik --target tessik tessik-cli make-system
demo="$TESSIK_BUILD_DIR/demo-system"
if $fresh || [ ! -e "$demo" ]; then
    step "Writing the demo system to $demo"
    "$TESSIK_BUILD_DIR/tools/make-system" --demo "$demo" --force
else
    step "Using the demo system in $demo as it was left (scripts/run.sh --fresh-demo starts over)"
fi
if [ "$(uname -s)" = Darwin ]; then
    # A Mac always has a screen; the program is the executable inside Tessik.app.
    step "Starting Tessik"
    exec "$TESSIK_BUILD_DIR/ui/Tessik.app/Contents/MacOS/Tessik" --system-root "$demo" "$@"
fi
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    step "Starting Tessik"
    exec "$TESSIK_BUILD_DIR/ui/tessik" --system-root "$demo" "$@"
fi
shots="$TESSIK_BUILD_DIR/screenshots"
step "No display: saving screenshots of Tessik to $shots"
mkdir -p "$shots"
for language in zh en; do
    "$TESSIK_BUILD_DIR/ui/tessik" --system-root "$demo" --language "$language" \
        --screenshot "$shots/by-app-$language.png"
    "$TESSIK_BUILD_DIR/ui/tessik" --system-root "$demo" --language "$language" \
        --by-format --screenshot "$shots/by-format-$language.png"
done
echo "No display: screenshots of Tessik on the demo system are in $shots"
"$TESSIK_BUILD_DIR/cli/tessik-cli" --system-root "$demo" apps
