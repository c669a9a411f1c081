#!/usr/bin/env bash
# Times `tabvane --cluster` as whole processes, load included, on the people
# file with a Company column of 100,000 distinct names (10,000 of them dirty
# variants), and nearest neighbour again on 10,000 distinct names, so that
# its growth shows. The extra memory is the peak beside that of a run on a
# column of twelve values, against the bytes of the column's own values.
#   bench/cluster.sh BUILD_DIR [ROWS]
set -euo pipefail
build=$1
rows=${2:-1000000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
big=$("$build/bin/cluster_data" "$rows" 100000 "$work/big.csv")
small=$("$build/bin/cluster_data" "$rows" 10000 "$work/small.csv")
run() { # run LABEL FILE ARGS...: seconds and peak KB
    local label=$1 file=$2
    shift 2
    /usr/bin/time -f "%e %M" -o "$work/time" "$build/bin/tabvane" --cluster "$@" "$file" > "$work/out.json" 2> /dev/null
    read -r seconds kb < "$work/time"
    echo "$label $seconds $kb $(grep -c '"suggested"' "$work/out.json")"
}
base=$(run base "$work/big.csv" City --method fingerprint | cut -d' ' -f3)
echo "rows $rows; Company column bytes: big $big, small $small; baseline peak ${base} KB"
printf '%-28s %8s %10s %9s\n' run seconds "extra KB" clusters
for spec in "fingerprint|big|--method fingerprint" "ngram 2|big|--method ngram --ngram 2" \
            "phonetic|big|--method phonetic" "nearest r1, 100k distinct|big|--method nearest --radius 1" \
            "nearest r1, 10k distinct|small|--method nearest --radius 1"; do
    IFS='|' read -r label file args <<< "$spec"
    # shellcheck disable=SC2086
    read -r _ seconds kb clusters < <(run x "$work/$file.csv" Company $args)
    printf '%-28s %8s %10s %9s\n' "$label" "$seconds" "$((kb - base))" "$clusters"
done
