#!/usr/bin/env bash
# Times the record store as a whole process (bench/store_cli) beside gawk,
# mawk, GNU sort and Miller doing the same work on the same generated file,
# checks that every pair of outputs agrees, and prints medians, peak memory
# and ratios.
#
#   bench/peers.sh [BUILD_DIR]        (default build-rel)
#
# Environment: ROWS (1000000), RUNS (5), MLR_RUNS (3), FIELD (Last, the
# sort column), WORK_DIR (where the input and outputs go, left in place;
# default a fresh folder under ${TMPDIR:-/tmp}, removed unless KEEP=1). The
# outputs are saved on that folder's disk, so saves include the disk flush.
set -euo pipefail
export LC_ALL=C

build=${1:-build-rel}
cli=$build/bin/store_cli
[[ -x $cli ]] || { echo "no $cli: build the store_cli target first" >&2; exit 2; }
for tool in gawk mawk mlr sort /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "missing $tool (apt-get install gawk mawk miller time)" >&2; exit 2; }
done

rows=${ROWS:-1000000}
runs=${RUNS:-5}
mlr_runs=${MLR_RUNS:-3}
field=${FIELD:-Last}
if [[ -n ${WORK_DIR:-} ]]; then
    work=$WORK_DIR # the caller's folder: files are left there
    mkdir -p "$work"
else
    work=$(mktemp -d "${TMPDIR:-/tmp}/tabvane-peers.XXXXXX")
    [[ ${KEEP:-0} == 1 ]] || trap 'rm -rf "$work"' EXIT
fi

in=$work/in.csv
"$cli" --generate "$rows" "$in"
bytes=$(stat -c %s "$in")
col=$(head -n 1 "$in" | tr -d '\r' | tr ',' '\n' | grep -nx "$field" | cut -d: -f1)
[[ -n $col ]] || { echo "no column $field" >&2; exit 2; }
cat "$in" >/dev/null # warm the page cache

median() { sort -n | awk '{a[NR]=$1} END {printf "%.3f", NR % 2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

# measure NAME RUNS OUTPUT COMMAND: runs COMMAND (a shell line) RUNS times,
# removing OUTPUT (only ever a file of this run) before each, and
# records the median wall time and the median processor time (user + system,
# which another program's load disturbs less) in seconds, and the largest
# peak RSS in kB.
declare -A secs cpu peak
measure() {
    local name=$1 n=$2 out=$3 cmd=$4 i t0 t1 kb user sys
    local -a times=() cpus=()
    local max=0
    for ((i = 0; i < n; i++)); do
        [[ $out == "$work"/* || $out == /dev/shm/tabvane-peers.* ]] && rm -f "$out"
        t0=$(date +%s%N)
        /usr/bin/time -f '%M %U %S' -o "$work/mem" bash -c "$cmd"
        t1=$(date +%s%N)
        times+=("$(awk -v t="$((t1 - t0))" 'BEGIN { print t / 1e9 }')")
        read -r kb user sys < <(tail -n 1 "$work/mem")
        cpus+=("$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }')")
        ((kb > max)) && max=$kb
    done
    secs[$name]=$(printf '%s\n' "${times[@]}" | median)
    cpu[$name]=$(printf '%s\n' "${cpus[@]}" | median)
    peak[$name]=$max
}

same() { # same NAME A B: the outputs must be byte for byte equal
    if ! cmp -s "$2" "$3"; then
        echo "OUTPUTS DIFFER: $1 ($2 vs $3)" >&2
        mismatch=1
    fi
}
same_lf() { # Miller's CSV writer ends lines in LF whatever --ors says
    if ! cmp -s <(tr -d '\r' < "$2") "$3"; then
        echo "OUTPUTS DIFFER: $1 ($2 vs $3, line ends aside)" >&2
        mismatch=1
    fi
}
mismatch=0

q=\'
store() { echo "$cli $q$in$q $q$work/$1$q ${*:2}"; }
awk_io="BEGIN { FS = OFS = \",\"; RS = ORS = \"\\r\\n\" }"

measure store_load "$runs" "$work/none" "$cli '$in' -"
measure store_load_standard "$runs" "$work/none" "$cli --standard '$in' -"
measure wc "$runs" "$work/none" "wc -l '$in' > '$work/none'"

measure store_round "$runs" "$work/s_round.csv" "$(store s_round.csv)"
measure gawk_round "$runs" "$work/p_round.csv" "gawk '$awk_io { \$1 = \$1 } 1' '$in' > '$work/p_round.csv'"
same "round trip" "$work/s_round.csv" "$work/p_round.csv"

measure store_dedupe "$runs" "$work/s_dedupe.csv" "$(store s_dedupe.csv dedupe)"
measure gawk_dedupe "$runs" "$work/p_dedupe.csv" "gawk '$awk_io !seen[\$0]++' '$in' > '$work/p_dedupe.csv'"
same "dedupe" "$work/s_dedupe.csv" "$work/p_dedupe.csv"

measure store_sort "$runs" "$work/s_sort.csv" "$(store s_sort.csv sort "$field")"
measure sort_sort "$runs" "$work/p_sort.csv" "{ head -n 1 '$in'; tail -n +2 '$in' | sort -s -t, -k$col,$col; } > '$work/p_sort.csv'"
same "sort" "$work/s_sort.csv" "$work/p_sort.csv"

measure store_replace "$runs" "$work/s_replace.csv" "$(store s_replace.csv replace new old)"
measure mawk_replace "$runs" "$work/p_replace.csv" "mawk '$awk_io NR > 1 { for (i = 1; i <= NF; i++) if (\$i == \"new\") \$i = \"old\" } 1' '$in' > '$work/p_replace.csv'"
same "replace" "$work/s_replace.csv" "$work/p_replace.csv"

measure store_all "$runs" "$work/s_all.csv" "$(store s_all.csv dedupe sort "$field" replace new old)"
measure mlr_all "$mlr_runs" "$work/p_all.csv" "mlr --csv uniq -a then sort -f $field then put 'for (k, v in \$*) { if (v == \"new\") { \$[k] = \"old\" } }' '$in' > '$work/p_all.csv'"
same_lf "all four" "$work/s_all.csv" "$work/p_all.csv"

# The window keeps every step for undo; the same work with that history.
measure store_all_undo "$runs" "$work/s_all_undo.csv" "$cli --undo '$in' '$work/s_all_undo.csv' dedupe sort $field replace new old"
same "all four with undo" "$work/s_all_undo.csv" "$work/s_all.csv"

# The same work as a recipe, run by the program's own command line: a whole
# process of the window's binary, keeping the undo history that counts each
# step's changes.
if [[ -x $build/bin/tabvane ]]; then
    printf '{"tabvane-recipe": 1, "name": "bench", "headings": true, "steps": [%s, %s, %s]}\n' \
        '{"operation": "RemoveDuplicateRows"}' \
        "{\"operation\": \"SortDataAt\", \"parameters\": {\"direction\": \"1\", \"field\": \"$col\", \"fieldName\": \"$field\"}}" \
        '{"operation": "FindAndReplace", "parameters": {"find": "new", "replace": "old"}}' > "$work/bench.tabvane-recipe"
    measure apply_all "$runs" "$work/a_all.csv" \
        "env -u DISPLAY -u WAYLAND_DISPLAY $build/bin/tabvane --apply '$work/bench.tabvane-recipe' '$in' -o '$work/a_all.csv' 2>/dev/null"
    same "recipe command line" "$work/a_all.csv" "$work/s_all.csv"
fi

# Sorting by type and replacing by pattern, as recipes through the program's
# own command line, on a generated orders file (id, first_name, last_name,
# city, notes, amount, date, item): signed amounts, ISO dates, "item12"
# codes. The peers keep the heading line aside, as the program does.
typed=()
if [[ -x $build/bin/tabvane ]]; then
    orders=$work/orders.csv
    "$cli" --generate-orders "$rows" "$orders"
    cat "$orders" >/dev/null
    recipe() { # recipe NAME STEP: a one-step recipe
        printf '{"tabvane-recipe": 1, "name": "%s", "headings": true, "steps": [%s]}\n' "$1" "$2" > "$work/$1.tabvane-recipe"
    }
    apply() { # apply NAME: the command line running recipe NAME on the orders into a_NAME.csv
        echo "env -u DISPLAY -u WAYLAND_DISPLAY $build/bin/tabvane --apply $q$work/$1.tabvane-recipe$q $q$orders$q -o $q$work/a_$1.csv$q 2>/dev/null"
    }
    sort_step() { # sort_step FIELDS NAMES COMPARISONS
        printf '{"operation": "SortByKeys", "parameters": {"fields": "%s", "fieldNames": "%s", "directions": "%s", "comparisons": "%s", "decimalMarks": "%s", "dateOrders": "%s"}}' \
            "$1" "$2" "$(sed 's/[^,]*/1/g' <<<"$1")" "$3" "$(sed 's/[^,]*/point/g' <<<"$1")" "$(sed 's/[^,]*/dmy/g' <<<"$1")"
    }
    replace_step() { # replace_step MODE FIELD NAME FIND REPLACE (JSON-escaped)
        printf '{"operation": "ReplaceText", "parameters": {"mode": "%s", "fields": "%s", "fieldNames": "%s", "find": "%s", "replace": "%s", "matchCase": "1"}}' "$@"
    }
    peer_sorted() { # peer_sorted OUT SORT-KEYS
        echo "{ head -n 1 $q$orders$q; tail -n +2 $q$orders$q | sort -s -t, $2; } > $q$work/$1$q"
    }
    recipe number "$(sort_step 6,3 'amount\nlast_name' number,exact)"
    recipe natural "$(sort_step 8 item natural)"
    recipe pattern "$(replace_step pattern 7 date '^(\\d{4})-(\\d{2})-(\\d{2})$' '\\3.\\2.\\1')"
    recipe contains "$(replace_step contains 4 city Buenos B.)"
    measure apply_number "$runs" "$work/a_number.csv" "$(apply number)"
    measure peer_number "$runs" "$work/p_number.csv" "$(peer_sorted p_number.csv '-k6,6g -k3,3')"
    same "number sort" "$work/a_number.csv" "$work/p_number.csv"
    measure apply_natural "$runs" "$work/a_natural.csv" "$(apply natural)"
    measure peer_natural "$runs" "$work/p_natural.csv" "$(peer_sorted p_natural.csv '-k8,8V')"
    same "natural sort" "$work/a_natural.csv" "$work/p_natural.csv"
    measure apply_pattern "$runs" "$work/a_pattern.csv" "$(apply pattern)"
    measure peer_pattern "$runs" "$work/p_pattern.csv" \
        "gawk '$awk_io NR > 1 { \$7 = gensub(/^([0-9]{4})-([0-9]{2})-([0-9]{2})\$/, \"\\\\3.\\\\2.\\\\1\", 1, \$7) } 1' '$orders' > '$work/p_pattern.csv'"
    same "pattern replace" "$work/a_pattern.csv" "$work/p_pattern.csv"
    measure apply_contains "$runs" "$work/a_contains.csv" "$(apply contains)"
    measure peer_contains "$runs" "$work/p_contains.csv" \
        "mawk '$awk_io NR > 1 { gsub(/Buenos/, \"B.\", \$4) } 1' '$orders' > '$work/p_contains.csv'"
    same "contains replace" "$work/a_contains.csv" "$work/p_contains.csv"
    typed=(number natural pattern contains)

    # A left join of the orders with a price list of 100,000 item codes (half
    # of the codes the orders use), by key, against GNU join on both files
    # sorted first (the sorting counted). join wants lines without the
    # carriage return and gives them in key order: its output gets the
    # returns back, and the two are compared with their rows sorted.
    lookup=$work/lookup.csv
    "$cli" --generate-lookup $((rows / 10)) "$lookup"
    recipe join "{\"operation\": \"MergeByKey\", \"parameters\": {\"file\": \"$lookup\", \"separator\": \",\", \"header\": \"1\", \"left\": \"0\", \"field\": \"8\", \"fieldName\": \"item\", \"secondKey\": \"item\", \"columns\": \"5:price8:supplier\", \"join\": \"left\", \"keys\": \"exact\", \"repeats\": \"first\"}}"
    measure apply_join "$runs" "$work/a_join.csv" "$(apply join)"
    measure peer_join "$runs" "$work/p_join.csv" \
        "{ head -n 1 '$orders' | tr -d '\\r' | sed 's/\$/,PRICE,SUPPLIER\r/'; join -t, -1 8 -2 1 -a1 -e '' -o 1.1,1.2,1.3,1.4,1.5,1.6,1.7,1.8,2.2,2.3 <(tail -n +2 '$orders' | tr -d '\\r' | sort -t, -k8,8) <(tail -n +2 '$lookup' | tr -d '\\r' | sort -t, -k1,1) | sed 's/\$/\r/'; } > '$work/p_join.csv'"
    same "join" <(head -n 1 "$work/a_join.csv"; tail -n +2 "$work/a_join.csv" | sort) <(head -n 1 "$work/p_join.csv"; tail -n +2 "$work/p_join.csv" | sort)
    typed+=(join)
fi

# Two versions of a file compared by key: tabvane --compare against sorting
# both by the key and diffing them (the sorting counted); a hundredth of the
# rows differ. Both must find the same ids: diff's changed lines, and the
# command's rows other than "was".
if [[ -x $build/bin/tabvane ]]; then
    older=$work/older.csv
    newer=$work/newer.csv
    "$cli" --generate-versions "$rows" "$older" "$newer"
    cat "$older" "$newer" >/dev/null
    measure compare "$runs" "$work/c_compare.csv" \
        "env -u DISPLAY -u WAYLAND_DISPLAY $build/bin/tabvane --compare '$older' '$newer' --key id > '$work/c_compare.csv' 2>/dev/null; test \$? -eq 1"
    measure peer_compare "$runs" "$work/p_compare.txt" \
        "sort -t, -k1,1 '$older' > '$work/p_older'; sort -t, -k1,1 '$newer' > '$work/p_newer'; diff '$work/p_older' '$work/p_newer' > '$work/p_compare.txt'; test \$? -eq 1"
    same "compare" <(grep -v '^was,' "$work/c_compare.csv" | tail -n +2 | cut -d, -f2 | sort -u) \
        <(grep '^[<>] ' "$work/p_compare.txt" | cut -c3- | cut -d, -f1 | sort -u)
    compare_bytes=$(($(stat -c %s "$older") + $(stat -c %s "$newer")))
fi

# The save flushes the file to disk before it takes the old name; the same
# round trip into memory (tmpfs) shows what that flush costs.
if [[ -d /dev/shm ]]; then
    shm=$(mktemp -u /dev/shm/tabvane-peers.XXXXXX.csv)
    measure store_round_shm "$runs" "$shm" "$cli '$in' '$shm'"
    rm -f "$shm"
fi

mb() { awk -v k="$1" 'BEGIN { printf "%.0f", k / 1024 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else printf "-" }'; }
met() { awk -v a="$1" -v b="$2" -v f="$3" 'BEGIN { print (a < b * f ? "yes" : "NO") }'; }

file_mb=$(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1e6 }')
echo
echo "Whole processes, $rows rows x 8 fields ($file_mb MB), median of $runs runs (Miller $mlr_runs), $(nproc) cores,"
echo "load average $(cut -d' ' -f1-3 /proc/loadavg) at the end. Targets are judged on wall time; 'cpu' is user + system."
echo
format='| %-16s | %7s | %7s | %5s | %-9s | %7s | %7s | %5s | %6s | %7s | %-14s | %-4s |\n'
printf "$format" Work "store s" "cpu s" "MiB" Peer "peer s" "cpu s" "MiB" ratio "cpu rt" Target met
printf '|%s|\n' "------------------|---------|---------|-------|-----------|---------|---------|-------|--------|---------|----------------|------"
row() { # row WORK STORE PEER PEERNAME FACTOR TARGETTEXT
    printf "$format" "$1" "${secs[$2]}" "${cpu[$2]}" "$(mb "${peak[$2]}")" "$4" "${secs[$3]}" "${cpu[$3]}" \
        "$(mb "${peak[$3]}")" "$(ratio "${secs[$2]}" "${secs[$3]}")" "$(ratio "${cpu[$2]}" "${cpu[$3]}")" \
        "$6" "$(met "${secs[$2]}" "${secs[$3]}" "$5")"
}
printf "$format" Load "${secs[store_load]}" "${cpu[store_load]}" "$(mb "${peak[store_load]}")" "wc -l" \
    "${secs[wc]}" "${cpu[wc]}" "$(mb "${peak[wc]}")" "$(ratio "${secs[store_load]}" "${secs[wc]}")" \
    "$(ratio "${cpu[store_load]}" "${cpu[wc]}")" "< 0.2 s" "$(met "${secs[store_load]}" 0.2 1)"
row "Round trip" store_round gawk_round gawk 0.5 "< 1/2 gawk"
row "Dedupe + write" store_dedupe gawk_dedupe gawk 0.3333 "< 1/3 gawk"
row "Sort + write" store_sort sort_sort "GNU sort" 0.5 "< 1/2 sort"
row "Replace + write" store_replace mawk_replace mawk 0.5 "< 1/2 mawk"
row "All four" store_all mlr_all Miller 0.1 "< 1/10 Miller"
row "  with undo" store_all_undo mlr_all Miller 0.1 "< 1/10 Miller"
if [[ -n ${secs[apply_all]:-} ]]; then
    printf "$format" "  by --apply" "${secs[apply_all]}" "${cpu[apply_all]}" "$(mb "${peak[apply_all]}")" \
        "store" "${secs[store_all]}" "${cpu[store_all]}" "$(mb "${peak[store_all]}")" \
        "$(ratio "${secs[apply_all]}" "${secs[store_all]}")" "$(ratio "${cpu[apply_all]}" "${cpu[store_all]}")" \
        "< 1.1 store" "$(met "${secs[apply_all]}" "${secs[store_all]}" 1.1)"
fi
if ((${#typed[@]})); then
    row "Sort number+text" apply_number peer_number "GNU sort" 0.5 "< 1/2 sort"
    row "Natural sort" apply_natural peer_natural "GNU sort" 0.5 "< 1/2 sort"
    row "Pattern replace" apply_pattern peer_pattern gawk 0.5 "< 1/2 gawk"
    row "Contains replace" apply_contains peer_contains mawk 0.5 "< 1/2 mawk"
    row "Join by key" apply_join peer_join "GNU join" 0.3333 "< 1/3 join"
fi
if [[ -n ${secs[compare]:-} ]]; then
    row "Compare by key" compare peer_compare "sort+diff" 0.5 "< 1/2 diff and < 1 s"
fi
echo
worst=0
for k in store_load store_round store_dedupe store_sort store_replace store_all; do
    ((peak[$k] > worst)) && worst=${peak[$k]}
done
echo "Peak memory of the store: $(mb "$worst") MiB, $(ratio "$((worst * 1024))" "$bytes") x the file (target < 2: $(met "$((worst * 1024))" "$bytes" 2))"
echo "With the undo history of the window: $(mb "${peak[store_all_undo]}") MiB, $(ratio "$((peak[store_all_undo] * 1024))" "$bytes") x the file"
echo "Load under the standard quoting rule: ${secs[store_load_standard]} s, cpu ${cpu[store_load_standard]} s (the simple rule's: ${secs[store_load]} s)"
if [[ -n ${secs[store_round_shm]:-} ]]; then
    echo "Round trip written to tmpfs: ${secs[store_round_shm]} s; the flush to disk costs $(awk -v a="${secs[store_round]}" -v b="${secs[store_round_shm]}" 'BEGIN { printf "%.3f", a - b }') s of ${secs[store_round]} s"
fi
if [[ -n ${secs[compare]:-} ]]; then
    echo "Compare by key: ${secs[compare]} s (under 1 s: $(met "${secs[compare]}" 1 1)), peak $(mb "${peak[compare]}") MiB, $(ratio "$((peak[compare] * 1024))" "$compare_bytes") x both files (target < 2: $(met "$((peak[compare] * 1024))" "$compare_bytes" 2))"
fi
if ((mismatch)); then
    echo "Outputs differ (see above)."
    exit 1
fi
echo "All outputs agree with the peers'."
