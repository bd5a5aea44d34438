#!/usr/bin/env bash
# Installs what is missing, builds, writes the demo system and starts Tessik on it. Without a display it saves
# screenshots of the program instead and lists the demo's applications. On macOS it installs from Homebrew.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
install_dependencies
build_tessik
demo="$TESSIK_BUILD_DIR/demo-system"
"$TESSIK_BUILD_DIR/tools/make-system" --demo "$demo"
if [ "$(uname -s)" = Darwin ]; then
    # A Mac always has a screen; the program is the executable inside Tessik.app.
    exec "$TESSIK_BUILD_DIR/ui/Tessik.app/Contents/MacOS/Tessik" --system-root "$demo" "$@"
fi
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$TESSIK_BUILD_DIR/ui/tessik" --system-root "$demo" "$@"
fi
shots="$TESSIK_BUILD_DIR/screenshots"
mkdir -p "$shots"
for language in zh en; do
    QT_QPA_PLATFORM=offscreen "$TESSIK_BUILD_DIR/ui/tessik" --system-root "$demo" --language "$language" \
        --screenshot "$shots/by-app-$language.png"
    QT_QPA_PLATFORM=offscreen "$TESSIK_BUILD_DIR/ui/tessik" --system-root "$demo" --language "$language" \
        --by-format --screenshot "$shots/by-format-$language.png"
done
echo "No display: screenshots of Tessik on the demo system are in $shots"
"$TESSIK_BUILD_DIR/cli/tessik-cli" --system-root "$demo" apps
