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
# A second examination then runs over what hand edits and other programs leave
# behind (blank marks and ranks, text marks with full-width digits or blanks
# around them, text class numbers, .5 marks) with partial class ranges, and is
# kept too. Besides the CSV exports every table is dumped as SQL literals
# (.mode quote), so that NULL and '', 85, 85.0 and '85' tell apart. Needs the
# sqlite3 command (Debian package sqlite3).
set -euo pipefail
batch=$1; bench=$2; out=$3; n=${4:-100000}
mkdir -p "$out"
rm -f "$out"/*.csv "$out"/*.sql "$out"/g.mdb
db="$out/g.mdb"
# Every stored cell as an SQL literal, the saved-at clock blanked.
literals() {
  cp "$db" "$out/t.mdb"
  sqlite3 "$out/t.mdb" "UPDATE cjsave SET 保存时间 = ''"
  for t in cjn cj fx tj cjsave; do
    sqlite3 -cmd ".mode quote" "$out/t.mdb" "SELECT * FROM \"$t\" ORDER BY rowid" > "$out/$1$t.sql"
  done
  rm -f "$out/t.mdb"
}
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
literals ""

sqlite3 "$db" <<'SQL'
UPDATE cjn SET 语文1 = NULL WHERE rowid % 97 = 0;
UPDATE cjn SET 数学1 = '８５' WHERE rowid % 89 = 0;
UPDATE cjn SET 英语1 = ' 72.5 ' WHERE rowid % 83 = 0;
UPDATE cjn SET 物理1 = '缺考' WHERE rowid % 67 = 0;
UPDATE cjn SET 化学1 = 84.5 WHERE rowid % 7 = 0;
UPDATE cjn SET 政治1 = 85.5 WHERE rowid % 5 = 0;
UPDATE cjn SET 班号 = '３' WHERE rowid % 79 = 0;
UPDATE cjn SET 班号 = ' 4 ' WHERE rowid % 73 = 0;
UPDATE cjn SET 语文班排1 = NULL, 总分级排1 = NULL, 三总班排1 = NULL WHERE rowid % 71 = 0;
SQL
"$batch" rank --db "$db" --classes 3-7 --subjects 语文,数学,英语,物理 >/dev/null
"$batch" rank --db "$db" --classes 2-2 --subjects 政治,化学 >/dev/null
"$batch" analyze --db "$db" --classes 2-9 --subjects 语文,数学,物理,政治 --full 数学=120 >/dev/null
"$batch" bands --db "$db" --upper 399 --count 30 --last-class 12 >/dev/null
"$batch" save grades --db "$db" --exam "期末'二" --number 2 >/dev/null
for t in cjn fx tj; do "$batch" export "$t" --db "$db" --out "$out/messy-$t.csv" >/dev/null; done
"$batch" export cjsave --db "$db" | cut -d, -f1,3- > "$out/messy-cjsave.csv"

# A small roster pasted from a spreadsheet: empty and quoted-empty numbers.
printf '学号,班号,姓名,语文\n"",1,甲,90\n,2,乙,80\n0103,1,丙,85.5\n' > "$out/small.in"
"$batch" import --db "$db" --table cj "$out/small.in" >/dev/null
"$batch" rank --db "$db" --table cj --classes 1-2 --subjects 语文 >/dev/null
"$batch" save grades --db "$db" --table cj --exam 小测 --number 3 >/dev/null
literals messy-
rm -f "$out/small.in"
rm -f "$db"
(cd "$out" && sha256sum ./*.csv ./*.sql)
