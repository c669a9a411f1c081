#!/usr/bin/env bash
# `tabvane --compare` with no display: the differences as CSV on standard
# output, by key and by position, and the exit statuses of diff.
#   compare_command_e2e.sh <tabvane>
source "$(dirname "$0")/command_e2e_lib.sh" "$1"
is() { [ "$(cat out.txt)" = "$1" ] || fail "output is $(cat out.txt), not $1"; }
said() { grep -qF -- "$1" err.txt || fail "standard error lacks $1: $(cat err.txt)"; }

printf 'id,name,age\r\n1,Ann,30\r\n2,Bo,40\r\n3,Cy,50\r\n' > old.csv
# The newer version is semicolon-separated and Western-encoded: each file is
# read with its own separator and encoding.
printf 'id;name;age\n1;Ann;31\n3;Cy;50\n4;D\xe9;20\n' > new.csv
printf 'id,name\r\n1,a\r\n1,b\r\n' > twice.csv

run 1 --compare old.csv new.csv --key id
is $'change,id,name,age\nchanged,1,Ann,31\nwas,1,Ann,30\nremoved,2,Bo,40\nadded,4,Dé,20'
said "1 added · 1 removed · 1 changed · 1 the same"
run 1 --compare old.csv new.csv
said "0 added · 0 removed · 3 changed · 0 the same (by row position)"
run 0 --compare old.csv old.csv --key id
is ""
said "No differences"
run 2 --compare old.csv new.csv --key code
said 'The key column "code" is not in old.csv.'
run 2 --compare twice.csv old.csv --key id
said 'The key column "id" repeats "1" in twice.csv (2 times).'
run 2 --compare old.csv missing.csv
run 2 --compare old.csv
run 2 --compare old.csv new.csv --key
help=$("$tabvane" --help) # whole: grep -q would stop reading early
grep -qF -- "--compare OLD NEW" <<<"$help" || fail "--help lacks --compare"
exit $failed
