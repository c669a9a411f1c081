#!/usr/bin/env bash
# `tabvane --profile` with no display: every column's profile, or one by
# heading or number, as JSON on standard output, and the exit statuses.
#   profile_command_e2e.sh <tabvane>
source "$(dirname "$0")/command_e2e_lib.sh" "$1"
lacks() { ! grep -qF -- "$1" out.txt || fail "output has $1: $(cat out.txt)"; }
# A byte that is not UTF-8 must not make the output something JSON cannot read.
json() { ! command -v python3 > /dev/null || python3 -m json.tool out.txt > /dev/null || fail "not JSON: $(cat out.txt)"; }

printf 'Id;Price;Day;City\r\n1;2,5;03/04/2024;Paris\r\n2;4;25/12/2023;"paris "\r\n3;;01/01/2024;caf\xe9\r\n3;10;01/01/2024;Paris\r\n5;1;02/01/2024;PARIS\r\n' > in.csv
# As UTF-8, so that the byte of "café" in Windows-1252 stays as it is.
run 0 --profile in.csv --encoding utf-8
json
has '"column": "Id", "field": 1, "values": 5, "empty": 0, "distinct": 4'
has '"types": {"integer": 5}'
has '"types": {"integer": 3, "decimal": 1, "empty": 1}, "dateOrder": "none", "decimalCommas": 1'
has '"minimum": 1, "maximum": 10, "mean": 4.375, "median": 3.25'
has '"dateOrder": "day/month/year"'
has '"earliest": "2023-12-25", "latest": "2024-04-03"'
has '"edgeSpaces": 1, "doubledSpaces": 0, "unprintable": 0, "caseVariants": 3, "notUtf8": 1'
has '{"value": "Paris", "count": 2}'
has '"bytes": "636166e9"'
run 0 --profile in.csv
has '{"value": "café", "count": 1}'
run 0 --profile in.csv --column 4 --top 1
json
has '"column": "City", "field": 4'
lacks '"column": "Id"'
lacks '"count": 1}'
run 0 --column Day --profile in.csv --separator semicolon
has '"column": "Day"'
run 2 --profile in.csv --column Town
run 2 --profile in.csv --column 9
run 1 --profile in.csv --top many
run 1 --profile
run 3 --profile missing.csv
run 0 --help
has '--profile INPUT'
exit $failed
