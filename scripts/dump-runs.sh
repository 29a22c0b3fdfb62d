#!/usr/bin/env bash
# Runs one examination through the batch tool on a generated roster and keeps
# the tables the three runs write, so that two builds can be compared byte for
# byte (a change that should not alter results must leave them identical):
#
#   scripts/dump-runs.sh build/program/gradebook-batch build/bench/gradebook-bench /tmp/before
#   ... change, rebuild ...
#   scripts/dump-runs.sh build/program/gradebook-batch build/bench/gradebook-bench /tmp/after
#   diff -r /tmp/before /tmp/after && echo identical
#
# The saved-at column of cjsave is left out: it is the clock, not a result.
set -euo pipefail
batch=$1; bench=$2; out=$3; n=${4:-100000}
mkdir -p "$out"
rm -f "$out"/*.csv "$out"/g.mdb
db="$out/g.mdb"
"$bench" --write-csv "$n" "$out/roster.csv" >/dev/null
subjects=语文,数学,英语,政治,物理,化学,综合
"$batch" init --db "$db" >/dev/null
"$batch" import --db "$db" --table cjn "$out/roster.csv" >/dev/null
"$batch" rank --db "$db" --classes 1-18 --subjects "$subjects" >/dev/null
"$batch" analyze --db "$db" --classes 1-18 --subjects "$subjects" --full 数学=150,英语=120,综合=50 >/dev/null
"$batch" bands --db "$db" --upper 699 --count 70 >/dev/null
"$batch" save grades --db "$db" --exam 期中 --number 1 >/dev/null
for t in cjn fx tj; do "$batch" export "$t" --db "$db" --out "$out/$t.csv" >/dev/null; done
"$batch" export cjsave --db "$db" | cut -d, -f1,3- > "$out/cjsave.csv"
rm -f "$db"
(cd "$out" && sha256sum ./*.csv)
