#!/usr/bin/env bash
# Builds the web edition (the core as WebAssembly and the page, into build/web) and runs its
# tests in the installed chromium against the companion given as $1. Where the tools cannot
# be installed it says so in one line and succeeds, except on CI, where the stage must run.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
calc=$(realpath "${1:-build/dev/tools/yuanmate-calc}")

if ! ym_web_setup; then
    if [ "${CI:-}" = true ]; then
        echo "web: missing and not installable on CI: $(ym_web_missing | xargs)" >&2
        exit 1
    fi
    echo "web: skipped, missing $(ym_web_missing | xargs) (scripts/setup.sh installs them as root)"
    exit 0
fi

# ccache does not know em++'s cache; the toolchain file chooses the compiler.
env -u CMAKE_CXX_COMPILER_LAUNCHER cmake --preset web >/dev/null
cmake --build --preset web -j "$(nproc)"

# The driver only, from the lockfile; it downloads no browser.
if [ ! -f web/node_modules/.package-lock.json ] ||
    [ web/package-lock.json -nt web/node_modules/.package-lock.json ]; then
    (cd web && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
fi
YM_CALC="$calc" node --test web/test/page.test.js
