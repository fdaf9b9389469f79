#!/usr/bin/env bash
# Shared set-up for scripts/run and scripts/test: installs what is missing from Debian's packages
# (never anything else) and configures and builds Morvakelin into build/.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${MORVAKELIN_BUILD_DIR:-$ROOT/build}"

PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libgtest-dev ffmpeg
          xvfb xauth fonts-dejavu-core desktop-file-utils clang libclang-rt-14-dev parallel
          clang-format-14 qt6-tools-dev qt6-l10n-tools qt6-translations-l10n lintian appstream
          dvdauthor genisoimage xorriso vcdimager lsdvd bash-completion)

install_missing() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
            missing+=("$p")
        fi
    done
    if ((${#missing[@]} == 0)); then
        return
    fi
    echo "Installing: ${missing[*]}"
    local sudo=""
    if [[ $(id -u) -ne 0 ]]; then
        sudo="sudo"
    fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

configure_and_build() {
    local dir="$1"
    shift
    cmake -S "$ROOT" -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" -j"$(nproc)"
}

# Only the programs of the program folder, none of the tests.
configure_and_build_programs() {
    local dir="$1"
    shift
    cmake -S "$ROOT" -B "$dir" -G Ninja "$@" >/dev/null
    cmake --build "$dir" -j"$(nproc)" --target programs
}

install_missing
