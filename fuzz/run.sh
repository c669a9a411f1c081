#!/usr/bin/env bash
# Builds the fuzz target in the given folder and fuzzes for the given number
# of seconds, starting from the shipped corpus. Fails on any crash.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?build folder}
seconds=${2:-60}
if ! command -v clang++ >/dev/null; then
    echo "clang++ is not installed; the fuzz run needs it." >&2
    exit 1
fi
CXX=clang++ cmake -S "$here/.." -B "$build" -DTABVANE_WIDGETS=OFF -DTABVANE_TESTS=OFF \
    -DTABVANE_BENCH=OFF -DTABVANE_FUZZ=ON -DTABVANE_WERROR=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target load_fuzz
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/corpus" "$work/scratch"
cp "$here"/corpus/* "$work/corpus"/
cd "$build"
# A crashing input is written to the current folder as crash-*: copy it into
# tests/store/data/fuzz-regressions/ so the test suite replays it for good.
TMPDIR="$work/scratch" ./bin/load_fuzz -max_total_time="$seconds" -max_len=4096 -timeout=10 \
    -print_final_stats=1 "$work/corpus"
