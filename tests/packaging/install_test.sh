#!/usr/bin/env bash
# Installs into a temporary DESTDIR and checks the installed tree with the tools distributions use; then builds the
# Debian package and runs lintian on it. Arguments: the build folder, the source folder, make-system, the version.
set -euo pipefail
build=$1 source=$2 make_system=$3 version=$4
app_id=com.tessik.Tessik
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work/runtime HOME=$work/home
mkdir -m 0700 "$XDG_RUNTIME_DIR"
destdir=$work/destdir
prefix=$destdir/usr
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

DESTDIR=$destdir cmake --install "$build" --prefix /usr >/dev/null

for file in bin/tessik bin/tessik-cli share/applications/$app_id.desktop share/metainfo/$app_id.metainfo.xml \
            share/man/man1/tessik.1.gz share/man/man1/tessik-cli.1.gz \
            share/bash-completion/completions/tessik-cli share/zsh/vendor-completions/_tessik-cli \
            share/fish/vendor_completions.d/tessik-cli.fish share/doc/tessik/copyright; do
    [ -s "$prefix/$file" ] || fail "$file is not installed"
done
for size in 16 24 32 48 64 128 256 512; do
    icon=$prefix/share/icons/hicolor/${size}x$size/apps/$app_id.png
    [ "$(file -b "$icon" 2>/dev/null | grep -o "$size x $size")" = "$size x $size" ] || fail "no ${size}px icon"
done
extra=$(find "$prefix/bin" -type f ! -name tessik ! -name tessik-cli)
[ -z "$extra" ] || fail "installed beyond the two programs: $extra"

desktop-file-validate "$prefix/share/applications/$app_id.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/$app_id.metainfo.xml" ||
    fail "appstreamcli validate"
grep -q "<release version=\"$version\"" "$prefix/share/metainfo/$app_id.metainfo.xml" ||
    fail "the metainfo has no release entry for $version"

for page in tessik tessik-cli; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$prefix/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "man $page: $warnings"
done
# Every command of the program has its part in the manual page and the completions.
commands=$("$build/cli/tessik-cli" --help | sed -n '/^Commands:/,/^$/p' | awk 'NR > 1 && NF { print $1 }')
[ -n "$commands" ] || fail "tessik-cli --help lists no commands"
manual=$(zcat "$prefix/share/man/man1/tessik-cli.1.gz" | sed 's/\\-/-/g')
for command in $commands; do
    grep -q "^\.SS $command\b" <<<"$manual" || fail "the manual lacks $command"
    for completion in share/bash-completion/completions/tessik-cli share/zsh/vendor-completions/_tessik-cli \
                      share/fish/vendor_completions.d/tessik-cli.fish; do
        grep -qw -- "$command" "$prefix/$completion" || fail "$completion lacks $command"
    done
done

# Bash completion: commands, roles and the identifiers of the installed applications (asked of tessik-cli).
bash -n "$prefix/share/bash-completion/completions/tessik-cli" || fail "bash -n"
"$make_system" --demo "$work/demo" >/dev/null
complete_line() {
    PATH=$prefix/bin:$PATH TESSIK_SYSTEM_ROOT=$work/demo bash -c '
        source "$1"; shift
        COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_POINT=${#COMP_LINE}
        _tessik_cli tessik-cli "${COMP_WORDS[-1]}" "${COMP_WORDS[-2]}"
        printf "%s\n" "${COMPREPLY[@]}"' _ "$prefix/share/bash-completion/completions/tessik-cli" "$@"
}
grep -qx set <<<"$(complete_line tessik-cli s)" || fail "bash: 'tessik-cli s' does not offer set"
grep -qx editor <<<"$(complete_line tessik-cli get md --role "")" || fail "bash: no roles after --role"
grep -qx com.apple.TextEdit <<<"$(complete_line tessik-cli set md com.apple.T)" ||
    fail "bash: no installed identifier after set TARGET"
grep -qx md=com.apple.TextEdit <<<"$(complete_line tessik-cli set md=com.apple.Te)" ||
    fail "bash: no installed identifier after set TARGET="
for shell in zsh fish; do
    if command -v $shell >/dev/null; then
        $shell -n "$prefix/$( [ $shell = zsh ] && echo share/zsh/vendor-completions/_tessik-cli ||
                               echo share/fish/vendor_completions.d/tessik-cli.fish)" || fail "$shell -n"
    fi
done

# The installed programs run with the source and build trees out of reach (an empty folder mounted over each).
run_hidden() {
    if unshare --mount true 2>/dev/null; then
        # The build folder first: it may lie inside the source folder.
        unshare --mount bash -c 'mount -t tmpfs none "$1" && mount -t tmpfs none "$2" && shift 2 && "$@"' _ \
            "$build" "$source" "$@"
    else
        echo "note: cannot hide the source and build trees here (unshare needs root); running in place"
        "$@"
    fi
}
run_hidden "$prefix/bin/tessik-cli" --help >"$work/help.txt" || fail "installed tessik-cli --help"
grep -q "Commands:" "$work/help.txt" || fail "installed tessik-cli --help printed no commands"
run_hidden env QT_QPA_PLATFORM=offscreen "$prefix/bin/tessik" --system-root "$work/demo" --language en \
    --screenshot "$work/window.png" || fail "installed tessik --screenshot"
[ "$(file -b "$work/window.png" 2>/dev/null | cut -d, -f1)" = "PNG image data" ] || fail "no screenshot"

# The Debian package, its name, its dependencies and lintian.
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work/package" >/dev/null) || fail "cpack"
deb=$(ls "$work"/package/tessik_*_*.deb 2>/dev/null | head -n 1)
if [ -z "$deb" ]; then
    fail "cpack made no tessik_VERSION_ARCH.deb"
else
    depends=$(dpkg-deb -f "$deb" Depends)
    for package in libqt6widgets6 libplist3 shared-mime-info xdg-utils fonts-noto-cjk; do
        grep -q "$package" <<<"$depends" || fail "the package does not depend on $package: $depends"
    done
    errors=$(lintian --tag-display-limit 0 "$deb" 2>&1 | grep '^E:' || true)
    [ -z "$errors" ] || fail "lintian: $errors"
fi

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
echo "the installed tree and the Debian package pass every check"
