#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds the calculator and starts it.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

# --web: the web edition, built into build/web and served on this machine only.
if [ "${1:-}" = --web ]; then
    if ! ym_web_setup; then
        echo "The web edition needs: $(ym_web_missing | xargs) (run as root to install them)." >&2
        exit 1
    fi
    env -u CMAKE_CXX_COMPILER_LAUNCHER cmake --preset web >/dev/null
    cmake --build --preset web
    port="${PORT:-8000}"
    echo "交易小算盘 (web): http://localhost:$port/  (Ctrl+C ends the server)"
    exec python3 -m http.server "$port" --bind 127.0.0.1 --directory build/web
fi

ym_setup

cmake --preset release >/dev/null
cmake --build --preset release --target yuanmate yuanmate-calc

# The settings file lives in the working directory; keep it out of the repository.
data_dir="${XDG_DATA_HOME:-$HOME/.local/share}/yuanmate"
mkdir -p "$data_dir"
cd "$data_dir"
if [ -x "$OLDPWD/build/release/app/yuanmate" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
    exec "$OLDPWD/build/release/app/yuanmate"
elif [ -x "$OLDPWD/build/release/app/yuanmate" ]; then
    echo "No display found: starting under Xvfb."
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$OLDPWD/build/release/app/yuanmate"
else
    "$OLDPWD/build/release/tools/yuanmate-calc" trade --market sh --type a --buy 10 --sell 11 --qty 1000
fi
