#!/usr/bin/env bash
# What the crash journal costs, as a whole process: each operation on the
# generated file through bench/store_cli keeping the window's undo history,
# with and without the journal, run in turn (A B A B ...) so that the ratio
# is taken pair by pair; then the bytes a cell edit's entry takes. The
# journals go to the work folder's disk; the saved outputs to /dev/shm where
# there is one, since the flush of 90 MB to disk varies run to run by more
# than the journal costs.
#
#   bench/journal.sh [BUILD_DIR]        (default build-rel)
#
# Environment: ROWS (1000000), RUNS (21), WORK_DIR (default a fresh folder
# under ${TMPDIR:-/tmp}, removed at the end).
set -euo pipefail
export LC_ALL=C
build=${1:-build-rel}
cli=$build/bin/store_cli
[[ -x $cli ]] || { echo "no $cli: build the store_cli target first" >&2; exit 2; }
rows=${ROWS:-1000000}
runs=${RUNS:-21}
work=${WORK_DIR:-$(mktemp -d "${TMPDIR:-/tmp}/tabvane-journal.XXXXXX")}
mkdir -p "$work/journals"
out=$work/out.csv
[[ -d /dev/shm && -w /dev/shm ]] && out=/dev/shm/tabvane-journal-bench.$$.csv
trap 'rm -f "$out"; [[ -n ${WORK_DIR:-} ]] || rm -rf "$work"' EXIT
in=$work/in.csv
"$cli" --generate "$rows" "$in"
cat "$in" >/dev/null

seconds() { local t0 t1; t0=$(date +%s%N); "$@" >/dev/null 2>&1; t1=$(date +%s%N); echo $(((t1 - t0) / 1000)); }
median() { sort -n | awk '{a[NR]=$1} END {print NR % 2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

printf '| %-22s | %9s | %9s | %6s | %-6s |\n' Work "journal s" "without s" ratio "< 1.05"
printf '|%s|\n' "------------------------|-----------|-----------|--------|--------"
compare() { # compare NAME OPS...
    local name=$1 i a b
    shift
    local -a with=() without=() ratios=()
    for ((i = 0; i < runs; i++)); do
        rm -f "$work"/journals/*
        a=$(seconds "$cli" --undo --journal "$work/journals" "$in" "$out" "$@")
        b=$(seconds "$cli" --undo "$in" "$out" "$@")
        with+=("$a") without+=("$b")
        ratios+=("$(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.4f", a / b }')")
    done
    local ma mb mr
    ma=$(printf '%s\n' "${with[@]}" | median)
    mb=$(printf '%s\n' "${without[@]}" | median)
    mr=$(printf '%s\n' "${ratios[@]}" | median)
    printf '| %-22s | %9.3f | %9.3f | %6.3f | %-6s |\n' "$name" "$(awk -v t="$ma" 'BEGIN { print t / 1e6 }')" \
        "$(awk -v t="$mb" 'BEGIN { print t / 1e6 }')" "$mr" "$(awk -v r="$mr" 'BEGIN { print (r < 1.05 ? "yes" : "NO") }')"
}
compare "dedupe" dedupe
compare "sort Last" sort Last
compare "replace" replace new old
compare "dedupe, sort, replace" dedupe sort Last replace new old

rm -f "$work"/journals/*
"$cli" --phases --undo --journal "$work/journals" "$in" - edit 1 2> "$work/one.txt"
"$cli" --phases --undo --journal "$work/journals" "$in" - edit 1001 2> "$work/many.txt"
one=$(awk '/^journal .*bytes/ { print $2 }' "$work/one.txt")
many=$(awk '/^journal .*bytes/ { print $2 }' "$work/many.txt")
echo
echo "A cell edit's journal entry: $(((many - one) / 1000)) bytes (target < 200), ratio medians of $runs pairs."
