#!/usr/bin/env bash
# Installs what the build, the tests and the program need on Debian 12, when it is missing.
# Sourced by run.sh and test.sh.

ym_packages=(
    cmake ninja-build g++ pkg-config dpkg-dev
    clang libclang-rt-14-dev
    libgtest-dev libbenchmark-dev
    qt6-base-dev qt6-svg-dev libqt6svg6 libgl-dev libxcb1-dev
    qt6-qpa-plugins qt6-translations-l10n
    xvfb xauth
    fonts-arphic-uming fonts-arphic-ukai fonts-comic-neue fonts-dancingscript
)

# The web edition's build and browser tests: the WebAssembly compiler, a browser, and node
# with npm for the test driver. A node that brings its own npm needs no npm package.
ym_web_packages=(emscripten chromium)

ym_web_missing() {
    local p
    for p in "${ym_web_packages[@]}"; do
        [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" = 'install ok installed' ] || echo "$p"
    done
    command -v node >/dev/null || echo nodejs
    command -v npm >/dev/null || echo npm
}

# Installs what the web edition needs when it is missing; fails, saying nothing, when it is
# missing and cannot be installed.
ym_web_setup() {
    local missing
    missing=$(ym_web_missing)
    [ -z "$missing" ] && return 0
    [ "$(id -u)" -eq 0 ] || return 1
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq >/dev/null || return 1
    # shellcheck disable=SC2086
    apt-get install -y -qq --no-install-recommends $missing >/dev/null || return 1
    [ -z "$(ym_web_missing)" ]
}

ym_missing_packages() {
    local p
    for p in "${ym_packages[@]}"; do
        [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" = 'install ok installed' ] || echo "$p"
    done
}

ym_setup() {
    local missing
    missing=$(ym_missing_packages)
    [ -z "$missing" ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages (run as root to install them): $missing" >&2
        return 1
    fi
    echo "Installing: $missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    # shellcheck disable=SC2086
    apt-get install -y -qq $missing
}
