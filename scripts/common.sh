# Shared by run.sh and test.sh: install what the build needs, then configure and build.
set -euo pipefail

TESSIK_SOURCE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TESSIK_BUILD_DIR=${TESSIK_BUILD_DIR:-$TESSIK_SOURCE_DIR/build}

# Fonts that cover Chinese, Japanese and Korean, so every language renders even without a desktop.
tessik_packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-image-formats-plugins libqt6svg6 libplist-dev
                 libgtest-dev libgmock-dev fonts-noto-cjk shared-mime-info desktop-file-utils libglib2.0-bin
                 qt6-translations-l10n)

install_dependencies() {
    local missing=()
    for package in "${tessik_packages[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
    done
    if ((${#missing[@]})); then
        echo "Installing: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo"
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

build_tessik() {
    local launcher=()
    # ccache, when a developer has it, makes rebuilds in several work trees cheap; CI does without.
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S "$TESSIK_SOURCE_DIR" -B "$TESSIK_BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@"
    cmake --build "$TESSIK_BUILD_DIR" -j2
}
