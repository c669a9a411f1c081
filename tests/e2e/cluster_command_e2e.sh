#!/usr/bin/env bash
# `tabvane --cluster` with no display: the clusters as JSON on standard
# output, each method, a column by heading or number, and the exit statuses.
#   cluster_command_e2e.sh <tabvane>
source "$(dirname "$0")/command_e2e_lib.sh" "$1"

printf 'Id,Name\r\n1,Anna M\xc3\xbcller\r\n2,"M\xc3\xbcller, Anna"\r\n3,Meier\r\n4,Mayr\r\n5,Jonathan\r\n6,Jonathan\r\n7,Jonathon\r\n8,"say ""hi"""\r\n9,Say hi\r\n' > in.csv
run 0 --cluster Name --method fingerprint in.csv --standard
has '{"suggested": "Anna Müller", "rows": 2, "values": [{"value": "Anna Müller", "count": 1}, {"value": "Müller, Anna", "count": 1}]}'
has '{"value": "say \"hi\"", "count": 1}'
has '"distinct": 8'
run 0 --cluster 2 --method phonetic in.csv --standard
has '{"value": "Mayr", "count": 1}, {"value": "Meier", "count": 1}'
run 0 --cluster Name --method nearest --radius 1 in.csv --standard
has '{"suggested": "Jonathan", "rows": 3, "values": [{"value": "Jonathan", "count": 2}, {"value": "Jonathon", "count": 1}]}'
run 0 --cluster Name --method ngram --ngram 3 in.csv --standard
has '"ngram": 3'
run 2 --cluster Town --method fingerprint in.csv
run 1 --cluster Name --method soundex in.csv
run 1 --cluster Name --method nearest --radius 4 in.csv
run 1 --cluster Name in.csv
run 3 --cluster Name --method fingerprint missing.csv
exit $failed
