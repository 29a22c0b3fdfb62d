#!/usr/bin/env bash
# Runs examinations through the batch tool on a generated roster and keeps
# the tables the three runs and the saves write, so that two builds can be
# compared cell by cell (a change that should not alter results must leave
# them identical):
#
#   scripts/dump-runs.sh build/program/gradebook-batch build/bench/gradebook-bench /tmp/before
#   ... change, rebuild ...
#   scripts/dump-runs.sh build/program/gradebook-batch build/bench/gradebook-bench /tmp/after
#   scripts/dump-runs.sh --compare /tmp/before /tmp/after
#
# --compare lists, table by table and column by column, the cells that differ
# (as SQL literals, so that NULL and '', 85, 85.0 and '85' tell apart), how
# many, the largest difference between two numbers, and the first such cell.
#
# The examinations, each kept as a database (exam-*.mdb) and as SQL literals:
#  - clean: the generated roster, every subject, classes 1-18;
#  - messy: the same database afterwards, over what hand edits and other
#    programs leave behind (blank marks and ranks, text marks with full-width
#    digits or blanks around them, text class numbers, .5 marks), with partial
#    class ranges, then a small roster with a quoted 学号 and empty and quoted-empty marks;
#  - absent: the roster with students absent (blank marks) from one subject,
#    from the three main subjects and from every subject, a class absent from
#    one subject, and marks of 0, with a partial class range for the analysis,
#    and all three saves.
# The saved-at columns are blanked: they are the clock, not a result. Needs the
# sqlite3 command (Debian package sqlite3).
set -euo pipefail

tables="cjn cj fx tj cjsave fxsave tjsave1"

compare() {
  local before=$1 after=$2 differ=0
  for a in "$before"/exam-*.mdb; do
    local name; name=$(basename "$a")
    local b="$after/$name"
    [ -f "$b" ] || { echo "$name: missing in $after"; differ=1; continue; }
    for t in $tables; do
      local counts
      counts=$(sqlite3 "$a" "ATTACH '$b' AS b; SELECT (SELECT count(*) FROM main.\"$t\") || ' ' || (SELECT count(*) FROM b.\"$t\")")
      if [ "${counts% *}" != "${counts#* }" ]; then
        echo "$name $t: ${counts% *} rows before, ${counts#* } after"
        differ=1
      fi
      local sql="" c
      while IFS= read -r c; do
        [ -n "$sql" ] && sql+=" UNION ALL "
        sql+="SELECT '$t', '$c', count(*), sum((x.\"$c\" IS NULL) <> (y.\"$c\" IS NULL)),
                 max(CASE WHEN typeof(x.\"$c\") IN ('integer','real') AND typeof(y.\"$c\") IN ('integer','real')
                          THEN abs(x.\"$c\" - y.\"$c\") END),
                 min(x.rowid), quote(x.\"$c\"), quote(y.\"$c\")
               FROM main.\"$t\" AS x JOIN b.\"$t\" AS y ON x.rowid = y.rowid
               WHERE quote(x.\"$c\") IS NOT quote(y.\"$c\") HAVING count(*) > 0"
      done < <(sqlite3 "$a" "SELECT name FROM pragma_table_info('$t')")
      local out
      out=$(sqlite3 -separator ' | ' "$a" "ATTACH '$b' AS b; $sql")
      if [ -n "$out" ]; then
        differ=1
        echo "$out" | while IFS= read -r line; do
          IFS='|' read -r tt cc n nulls maxd row x y <<< "${line// | /|}"
          echo "$name $tt.$cc: $n cells differ ($nulls blank on one side only), largest difference ${maxd:-none}; first at row $row: $x -> $y"
        done
      fi
    done
  done
  [ "$differ" = 0 ] && echo "identical: every table of every examination, cell by cell"
  return 0
}

if [ "${1:-}" = --compare ]; then
  compare "$2" "$3"
  exit 0
fi

batch=$1; bench=$2; out=$3; n=${4:-100000}
mkdir -p "$out"
rm -f "$out"/*.csv "$out"/*.sql "$out"/*.mdb
db="$out/g.mdb"
# The database as it stands, the clock blanked, kept and dumped as SQL literals.
keep() {
  local copy="$out/exam-$1.mdb"
  cp "$db" "$copy"
  for t in cjsave fxsave tjsave1; do sqlite3 "$copy" "UPDATE \"$t\" SET 保存时间 = ''"; done
  for t in $tables; do
    sqlite3 -cmd ".mode quote" -cmd ".headers on" "$copy" "SELECT * FROM \"$t\" ORDER BY rowid" > "$out/$1-$t.sql"
  done
}
"$bench" --write-csv "$n" "$out/roster.csv" >/dev/null
subjects=语文,数学,英语,政治,物理,化学,综合
"$batch" init --db "$db" >/dev/null
"$batch" import --db "$db" --table cjn "$out/roster.csv" >/dev/null
"$batch" rank --db "$db" --classes 1-18 --subjects "$subjects" >/dev/null
"$batch" analyze --db "$db" --classes 1-18 --subjects "$subjects" --full 数学=150,英语=120,综合=50 >/dev/null
"$batch" bands --db "$db" --upper 699 --count 70 >/dev/null
"$batch" save grades --db "$db" --exam 期中 --number 1 >/dev/null
keep clean

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

# A small roster from a spreadsheet: a quoted number, an empty and a
# quoted-empty mark (absences). A roster row without a 学号 is refused now.
printf '学号,班号,姓名,语文\n"0101",1,甲,90\n0102,2,乙,\n0103,1,丙,""\n' > "$out/small.in"
"$batch" import --db "$db" --table cj "$out/small.in" >/dev/null
"$batch" rank --db "$db" --table cj --classes 1-2 --subjects 语文 >/dev/null
"$batch" save grades --db "$db" --table cj --exam 小测 --number 3 >/dev/null
keep messy
rm -f "$out/small.in" "$db"

# Absences as the program stores them (blank marks), made with SQL so that a
# build from before blank marks were absences runs the same data.
"$batch" init --db "$db" >/dev/null
"$batch" import --db "$db" --table cjn "$out/roster.csv" >/dev/null
sqlite3 "$db" <<'SQL'
UPDATE cjn SET 语文1 = NULL WHERE rowid % 13 = 0;
UPDATE cjn SET 数学1 = NULL WHERE rowid % 17 = 0;
UPDATE cjn SET 物理1 = 0 WHERE rowid % 11 = 0;
UPDATE cjn SET 语文1 = NULL, 数学1 = NULL, 英语1 = NULL WHERE rowid % 103 = 0;
UPDATE cjn SET 语文1 = NULL, 数学1 = NULL, 英语1 = NULL, 政治1 = NULL, 物理1 = NULL, 化学1 = NULL, 综合1 = NULL
  WHERE rowid % 101 = 0;
UPDATE cjn SET 化学1 = NULL WHERE 班号 = 5;
SQL
"$batch" rank --db "$db" --classes 1-18 --subjects "$subjects" >/dev/null
"$batch" analyze --db "$db" --classes 3-8 --subjects "$subjects" --full 数学=150,英语=120,综合=50 >/dev/null
"$batch" bands --db "$db" --upper 699 --count 70 >/dev/null
"$batch" save grades --db "$db" --exam 缺考 --number 1 >/dev/null
"$batch" save analysis --db "$db" --exam 缺考 --number 1 >/dev/null
"$batch" save bands --db "$db" --exam 缺考 --number 1 >/dev/null
keep absent
rm -f "$db"
(cd "$out" && sha256sum ./*.csv ./*.sql)
