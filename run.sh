#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds the calculator and starts it.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh
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
