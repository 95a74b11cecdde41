#!/usr/bin/env bash
# Builds the fuzz targets with clang in their own folder and runs each one a fixed number of
# times from its seed corpus under ASan and UBSan. A fixed seed and run count give the same
# inputs on every machine, however loaded. New inputs go to a temporary folder, never into
# the repository; an input that breaks a target is kept in build/fuzz/findings.
set -euo pipefail
cd "$(dirname "$0")/.."

# target and runs: the trade target walks up to a million steps per input, so it gets fewer.
targets=(number_fuzz:100000 profile_fuzz:40000 statement_fuzz:100000 trade_fuzz:5000
    codes_fuzz:100000 export_fuzz:10000)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target fuzz_targets -j "$(nproc)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
findings=build/fuzz/findings
mkdir -p "$findings"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for entry in "${targets[@]}"; do
    target=${entry%%:*}
    runs=${entry##*:}
    name=${target%_fuzz}
    mkdir -p "$work/$name"
    start=$SECONDS
    if ! "build/fuzz/fuzz/$target" -runs="$runs" -seed=1 -max_len=4096 -timeout=30 \
        -artifact_prefix="$findings/$name-" "$work/$name" "fuzz/corpus/$name" \
        >"$work/$name.log" 2>&1; then
        tail -n 40 "$work/$name.log" >&2
        echo "fuzz: $target failed; the input is in $findings" >&2
        exit 1
    fi
    echo "fuzz: $target, $runs runs in $((SECONDS - start)) s"
done
