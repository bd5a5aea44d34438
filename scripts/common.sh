# Shared by run.sh and test.sh: install what the build needs, then configure and build.
set -euo pipefail

TESSIK_SOURCE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TESSIK_BUILD_DIR=${TESSIK_BUILD_DIR:-$TESSIK_SOURCE_DIR/build}

# Fonts that cover Chinese, Japanese and Korean, so every language renders even without a desktop.
tessik_packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-image-formats-plugins libqt6svg6 libplist-dev
                 libgtest-dev libgmock-dev fonts-noto-cjk shared-mime-info desktop-file-utils libglib2.0-bin
                 appstream lintian dpkg-dev file man-db qt6-translations-l10n)

# On macOS, from Homebrew: libraries by formula, tools wherever they already are (a CI image brings its own cmake).
tessik_brew_libraries=(qt libplist googletest)
tessik_brew_tools=(cmake:cmake ninja:ninja pkg-config:pkgconf)

install_homebrew_dependencies() {
    if ! command -v brew >/dev/null; then
        echo "Tessik builds on macOS with Homebrew (https://brew.sh); install it first." >&2
        exit 1
    fi
    local missing=()
    for formula in "${tessik_brew_libraries[@]}"; do
        brew list --formula "$formula" >/dev/null 2>&1 || missing+=("$formula")
    done
    for tool in "${tessik_brew_tools[@]}"; do
        command -v "${tool%%:*}" >/dev/null || missing+=("${tool#*:}")
    done
    if ((${#missing[@]})); then
        step "Installing ${missing[*]}"
        brew install "${missing[@]}"
    fi
}

# A line saying what comes next, set apart from the output of the tools.
step() {
    echo "==> $*"
}

install_dependencies() {
    if [ "$(uname -s)" = Darwin ]; then
        install_homebrew_dependencies
        return
    fi
    local missing=()
    for package in "${tessik_packages[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    if ((${#missing[@]})); then
        step "Installing ${missing[*]} (this can take some minutes)"
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo"
        $sudo apt-get update
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends -o Dpkg::Progress-Fancy=1 \
            "${missing[@]}"
    fi
}

# Configures the build and builds it: everything, or the targets given ("--target NAME…"); arguments of the form
# -DNAME=VALUE are settings of the configuration.
build_tessik() {
    local settings=() targets=()
    for argument in "$@"; do
        case $argument in -D*) settings+=("$argument") ;; *) targets+=("$argument") ;; esac
    done
    # ccache, when a developer has it, makes rebuilds in several work trees cheap; CI does without.
    command -v ccache >/dev/null && settings=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache "${settings[@]}")
    # Homebrew's Qt, libplist and GoogleTest live under its prefix.
    [ "$(uname -s)" = Darwin ] && settings+=(-DCMAKE_PREFIX_PATH="$(brew --prefix)")
    step "Configuring the build in $TESSIK_BUILD_DIR"
    cmake -S "$TESSIK_SOURCE_DIR" -B "$TESSIK_BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${settings[@]}"
    step "Building ${targets[*]:-everything}${settings[*]:+ (${settings[*]})} (the first build takes some minutes)"
    cmake --build "$TESSIK_BUILD_DIR" -j2 "${targets[@]}"
}
