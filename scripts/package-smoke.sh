#!/usr/bin/env bash
# Builds the Debian package from a configured build folder, unpacks it into a temporary
# root and runs what it installed: the companion's help and the program, offscreen, for a
# moment in a fresh data folder.
set -euo pipefail
build_dir="$1"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build_dir" && cpack -B "$work/package" >/dev/null)
deb=$(ls "$work"/package/yuanmate_*.deb)
dpkg-deb -x "$deb" "$work/root"
bin="$work/root/usr/bin"

# The help is read whole: a reader that stops at the first match would end the writer early.
help=$("$bin/yuanmate-calc" --help)
[[ $help == *yuanmate-calc* ]]
test -f "$work/root/usr/share/applications/yuanmate.desktop"
test -f "$work/root/usr/share/icons/hicolor/scalable/apps/yuanmate.svg"
grep -q "^License: MIT" "$work/root/usr/share/doc/yuanmate/copyright"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$work/root/usr/share/applications/yuanmate.desktop"
fi

# The launcher starts the program in the data folder, which gets its settings file. A
# running program is ended by the timeout (status 124); anything else is a failure.
mkdir -m 700 "$work/run"
status=0
HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run" QT_QPA_PLATFORM=offscreen \
    timeout 3 "$bin/yuanmate-launch" || status=$?
if [ "$status" -ne 124 ]; then
    echo "package smoke test: the installed program ended with status $status" >&2
    exit 1
fi
test -f "$work/data/yuanmate/Yuanmate5.ini"
echo "package smoke test: $(basename "$deb") installs and starts"
