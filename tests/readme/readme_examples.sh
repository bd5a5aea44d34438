#!/usr/bin/env bash
# Runs every shell line of the README, in order and in one shell, on fresh machines in a temporary folder: a line
# that fails, aborts or answers other than the README says fails the test.
# Usage: readme_examples.sh SOURCE_DIR BUILD_DIR
set -u
source_dir=$1
build_dir=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/tessik-readme-XXXXXX")
trap 'rm -rf "$work"' EXIT

# Nothing of this machine's desktop, locale or emulated Mac takes part.
unset TESSIK_SYSTEM_ROOT LANGUAGE LC_ALL LC_MESSAGES
export LANG=C.UTF-8
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_CACHE_HOME="$work/home/.cache" XDG_STATE_HOME="$work/home/.local/state" XDG_RUNTIME_DIR="$work/runtime"
export XDG_DATA_DIRS="$work/usr/share" XDG_CONFIG_DIRS="$work/etc/xdg"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_DATA_DIRS" && mkdir -p -m 700 "$XDG_RUNTIME_DIR"
ln -s /usr/share/mime "$XDG_DATA_DIRS/mime"
cd "$source_dir" || exit 1
# The demo system scripts/run.sh writes, which the first lines use.
"$build_dir/tools/make-system" --demo "$work/demo-system" >/dev/null || exit 1

# The lines of the ```sh blocks, continuations joined, optional [parts] left out, folders and the artwork the
# examples write moved into the temporary folder, and build/ pointed at this build.
# Installing into the machine and the Mac's own lines are for a person at such a machine, never for the suite.
lines=$(awk '/^## / { section = $0 }
             /^```sh$/ { inside = section != "## Installing" && section != "## macOS"; next }
             /^```$/ { inside = 0; next } inside' README.md |
    sed -e ':a' -e '/\\$/N; s/\\\n *//; ta' |
    sed -e 's/ \[[^]]*\]//g' \
        -e "s#/tmp/#$work/#g" \
        -e "s#ui/resources/TessikIcon.png#$work/TessikIcon.png#g" \
        -e "s#build/demo-system#$work/demo-system#g" \
        -e "s#\\(^\\|[ =(\"]\\)build/#\\1$build_dir/#g")

failures=0
count=0
while IFS= read -r line; do
    [ -z "$line" ] && continue
    # Installing and building are what brought the suite here; nothing here may change the machine itself.
    case "$line" in bash\ scripts/* | *sudo* | *"cmake --install"* | *apt\ *) continue ;; esac
    count=$((count + 1))
    expected=0
    case "$line" in
    *"# declined"* | *update-catalog*) expected=1 ;;
    esac
    if [[ "$line" == *"/ui/tessik"* && "$line" != *--screenshot* ]]; then
        # A window needs a display: without one the program says so in one line.
        output=$( (unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM; eval "$line") 2>&1 >/dev/null)
        status=$?
        if [ "$status" -ne 1 ] || [[ "$output" != *--screenshot* ]]; then
            echo "FAILED (status $status, expected 1 with a hint): $line"
            echo "$output"
            failures=$((failures + 1))
        fi
        continue
    fi
    output=$(eval "$line" 2>&1 </dev/null)
    status=$?
    # eval "$(...)" lines select a desktop for the lines after them, so they run in this shell.
    case "$line" in eval\ *) eval "$line" >/dev/null 2>&1 ;; esac
    if [ "$status" -ne "$expected" ]; then
        echo "FAILED (status $status, expected $expected): $line"
        echo "$output" | head -20
        failures=$((failures + 1))
    fi
done <<<"$lines"

echo "$count README lines run, $failures failed"
[ "$count" -gt 20 ] && [ "$failures" -eq 0 ]
