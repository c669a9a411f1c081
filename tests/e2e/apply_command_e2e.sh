#!/usr/bin/env bash
# `tabvane --apply` as a user runs it over SSH: no display at all. Checks the
# result's bytes, standard output, the dry run, every exit status and every
# warning, and that a failed run leaves the output as it was.
#   apply_command_e2e.sh <tabvane>
source=$(cd "$(dirname "$0")/../.." && pwd)
source "$(dirname "$0")/command_e2e_lib.sh" "$1"

printf 'Name,City,Age\r\nAnn,paris,30\r\nBob,Oslo,25\r\nAnn,paris,30\r\nCid,Rome,41\r\n' > in.csv
# The same columns in another order, as next month's export may have them.
printf 'Age,Name,City\r\n30,Ann,paris\r\n25,Bob,Oslo\r\n30,Ann,paris\r\n41,Cid,Rome\r\n' > moved.csv
printf 'Name,City,Age\r\nAnn,paris,30,extra\r\nBob,Oslo,25\r\n' > long.csv
printf 'Name,City,Age\r\nAnn,paris\r\nBob,Oslo,25\r\n' > short.csv
printf 'Name,City\r\nZo\xe9,Li\xe8ge\r\n' > western.csv
recipe() { # recipe FILE HEADINGS STEPS...
    local file=$1 headings=$2
    shift 2
    local IFS=,
    printf '{"tabvane-recipe": 1, "name": "test", "headings": %s, "steps": [%s]}\n' "$headings" "$*" > "$file"
}
dedupe='{"step": "Remove Duplicates", "operation": "RemoveDuplicateRows"}'
sort_city='{"step": "Sort", "operation": "SortDataAt", "parameters": {"field": "2", "fieldName": "City", "direction": "2"}}'
replace='{"step": "Find and Replace", "operation": "FindAndReplace", "parameters": {"find": "paris", "replace": "Paris"}}'
edit='{"step": "Edit Cell", "operation": "PutValue", "parameters": {"record": "1", "field": "1", "fieldName": "Name", "value": "X"}}'
recipe clean.json true "$dedupe" "$sort_city" "$replace" "$edit"
recipe plain.json true "$dedupe" "$sort_city" "$replace"
recipe nohead.json false "$dedupe"
recipe missing.json true "$dedupe" '{"operation": "SortDataAt", "parameters": {"field": "2", "fieldName": "Town", "direction": "1"}}'
recipe wide.json true '{"operation": "FindAndReplace", "parameters": {"find": "Li\u00e8ge", "replace": "\u0101"}}'
printf '{"tabvane-recipe": 1,\n "steps": [\n  {"operation": }\n]}\n' > broken.json
printf '{"tabvane-recipe": 2, "steps": []}\n' > newer.json
printf '{"tabvane-recipe": 1, "steps": [{"operation": "Frobnicate"}]}\n' > unknown.json

# A run's status, standard output and error: run STATUS ARGS...
run() {
    local want=$1
    shift
    "$tabvane" "$@" > out.txt 2> err.txt
    local got=$?
    [ "$got" -eq "$want" ] || fail "status $got, not $want: tabvane $* ($(cat err.txt))"
}
says() { grep -qF -- "$2" "$1" || fail "$1 lacks \"$2\": $(cat "$1")"; }

expected=$'Name,City,Age\r\nAnn,Paris,30\r\nCid,Rome,41\r\nBob,Oslo,25\r\n'
run 0 --apply clean.json in.csv -o result.csv
cmp -s result.csv <(printf '%s' "$expected") || fail "result: $(od -c result.csv)"
says err.txt "separator comma (,), a header line, the simple rule, UTF-8: 4 rows, 3 columns"
says err.txt "Remove Duplicates: 1 row removed"
says err.txt "Find and Replace: 1 value changed"
says err.txt "warning: step 4 (Edit Cell) is skipped"
grep -q $'\r' err.txt && fail "progress shown on a standard error that is not a terminal"
run 0 --apply plain.json moved.csv -o - --header
cmp -s out.txt <(printf 'Age,Name,City\r\n30,Ann,Paris\r\n41,Cid,Rome\r\n25,Bob,Oslo\r\n') || fail "columns found by heading, to standard output: $(od -c out.txt)"
run 0 --apply plain.json in.csv --dry-run
says out.txt "Sort: 3 rows sorted"
[ -e dry.csv ] && fail "a dry run wrote"
run 0 --apply nohead.json in.csv --no-header --separator semicolon -o one.csv
says err.txt "separator semicolon (;), no header line"
run 0 --apply nohead.json western.csv --by-position -o w.csv
says err.txt "Western (Windows-1252)"
cmp -s w.csv western.csv || fail "a Western file is written back as it was read"

cp in.csv kept.csv
for args in "--apply missing.json in.csv -o kept.csv" "--strict --apply clean.json in.csv -o kept.csv" \
            "--strict --apply plain.json long.csv -o kept.csv"; do
    # shellcheck disable=SC2086
    "$tabvane" $args > /dev/null 2>&1
    cmp -s kept.csv in.csv || fail "a failed run changed its output: $args"
done

run 1 --apply clean.json in.csv
says err.txt "no OUTPUT given"
run 1 --apply clean.json in.csv -o x.csv --frobnicate
run 1 --apply clean.json in.csv -o x.csv --separator '""'
run 2 --apply broken.json in.csv -o x.csv
says err.txt "line 3"
run 2 --apply newer.json in.csv -o x.csv
says err.txt "version 2"
run 2 --apply unknown.json in.csv -o x.csv
says err.txt "Frobnicate"
run 2 --apply nowhere.json in.csv -o x.csv
run 2 --apply plain.json in.csv --no-header -o x.csv
says err.txt "--by-position"
run 3 --apply plain.json nowhere.csv -o x.csv
run 4 --apply missing.json in.csv -o x.csv
says err.txt "Town"
run 5 --strict --apply clean.json in.csv -o x.csv
run 5 --strict --apply plain.json long.csv -o x.csv
says err.txt "the values beyond the last field are left out"
run 0 --apply plain.json long.csv -o x.csv
says err.txt "warning: 1 line(s) have more values than there are fields, the first being line 2"
# A short line fails the read unless --fill-short reads it with empty values.
run 3 --apply plain.json short.csv -o x.csv
says err.txt "Line 2 has fewer values than there are fields"
run 5 --strict --fill-short --apply plain.json short.csv -o x.csv
run 0 --fill-short --apply plain.json short.csv -o x.csv
says err.txt "warning: 1 line(s) have fewer values than there are fields, the first being line 2: the missing values are empty"
cmp -s x.csv <(printf 'Name,City,Age\r\nAnn,Paris,\r\nBob,Oslo,25\r\n') || fail "short line filled out: $(od -c x.csv)"
run 6 --apply plain.json in.csv -o "$work/no/such/folder/x.csv"
run 6 --apply wide.json western.csv -o x.csv --encoding windows-1252
says err.txt "cannot hold"
# The recipe the project ships, made in the window, on the sample it cleans.
run 0 --apply "$source/examples/clean-sample.tabvane-recipe" "$source/app/Samples/sample1.csv" -o sample.csv
says err.txt "Remove Entire Row Duplicates: 5 rows removed"
[ "$(wc -l < sample.csv)" -eq 36 ] && ! grep -q germany sample.csv || fail "the example recipe cleans the sample"
help=$("$tabvane" --help) # read whole: grep -q leaving early would cut the writer off
grep -q -- "--apply RECIPE INPUT -o OUTPUT" <<<"$help" || fail "--help names --apply"
grep -q "6  the output cannot be written" <<<"$help" || fail "--help lists the exit statuses"
exit $failed
