#!/usr/bin/python3
"""A bare read of a workbook's first sheet with openpyxl in read-only mode,
for the import benchmark's comparison: every cell's value, nothing
recognised or checked.

    /usr/bin/python3 bench/openpyxl_read.py grades.xlsx

Prints the milliseconds from opening the file to the last row (the
interpreter's start and the import of openpyxl are not counted).
"""
import sys
import time

import openpyxl


def main(path):
    start = time.perf_counter()
    wb = openpyxl.load_workbook(path, read_only=True)
    ws = wb.worksheets[0]
    cells = 0
    for row in ws.iter_rows(values_only=True):
        cells += len(row)
    wb.close()
    print(round((time.perf_counter() - start) * 1000.0, 1))


if __name__ == "__main__":
    main(sys.argv[1])
