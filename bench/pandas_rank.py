#!/usr/bin/python3
"""The rank run's work done the way a teacher with a pandas script would do it,
for the benchmark's comparison: read the marks of the working table, add the
totals, rank every item within each class and over the grade by its rounded
score (halves to even, equal ranks share the lowest place), write the 20
result columns of every row back in one transaction.

    /usr/bin/python3 bench/pandas_rank.py grade.db

Prints the milliseconds from the first read to the commit (the interpreter's
start and the import of pandas are not counted).
"""
import sqlite3
import sys
import time

import numpy as np
import pandas as pd

SUBJECTS = ["语文", "数学", "英语", "政治", "物理", "化学", "综合"]


def main(path):
    con = sqlite3.connect(path, isolation_level=None)
    con.execute("PRAGMA synchronous = FULL")
    start = time.perf_counter()
    con.execute("BEGIN IMMEDIATE")
    cols = ", ".join(f'"{s}1"' for s in SUBJECTS)
    df = pd.read_sql_query(f'SELECT rowid AS rid, "班号", {cols} FROM cjn ORDER BY rowid', con)
    marks = df[[f"{s}1" for s in SUBJECTS]].apply(pd.to_numeric, errors="coerce").fillna(0.0)
    df["总分1"] = marks.sum(axis=1)
    df["三总1"] = marks["语文1"] + marks["数学1"] + marks["英语1"]
    out = {"总分1": df["总分1"], "三总1": df["三总1"]}
    for item in ["总分", "三总"] + SUBJECTS:
        key = np.round(df[f"{item}1"] if item in ("总分", "三总") else marks[f"{item}1"])
        out[f"{item}班排1"] = key.groupby(df["班号"]).rank(method="min", ascending=False).astype("int64")
        out[f"{item}级排1"] = key.rank(method="min", ascending=False).astype("int64")
    names = list(out)
    result = pd.DataFrame(out)
    result["rid"] = df["rid"]
    sets = ", ".join(f'"{c}" = ?' for c in names)
    rows = result[names + ["rid"]].astype(object).itertuples(index=False, name=None)
    con.executemany(f"UPDATE cjn SET {sets} WHERE rowid = ?", rows)
    con.execute("COMMIT")
    print(round((time.perf_counter() - start) * 1000.0, 1))


if __name__ == "__main__":
    main(sys.argv[1])
