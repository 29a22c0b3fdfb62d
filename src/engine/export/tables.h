#pragma once
// A stored table as the windows show it and as every export hands it on, so
// that a workbook or a PDF written by the batch tool is the one the windows
// write: the columns in the order the windows show them, their titles, the
// leading columns kept in view, and only the rows that hold results.

#include "engine/export/sheet.h"

namespace Export {

// The analysis table's columns (fx) in the order its window shows them:
// who and how many, averages, highest and lowest, the rates, the places,
// the bands from 120分 down, the top-N counts.
const QStringList& analysisColumns();

// How many leading columns say whose a row is (学号, 班号, 姓名; 科目, 班号,
// 科任教师; 上限, 下限): they stay in view.
int leadingColumns(const QStringList& columns);

// A sheet over rows read from a table: titles from the stored names, formats,
// numbers kept as text marked as numbers, stock rows dropped.
Sheet sheetOf(const QString& table, const QStringList& columns, QList<QVariantList> rows);

// What a stored table is, for the head of its pages: 成绩表, 成绩分析表, ...
QString tableTitle(const QString& table);

// Every row of a stored table in stored order, as a sheet: a grade table
// without its running number 序号, the analysis table in its shown order
// and without its free rows, the band table up to its average row.
// Reading a large table reports its progress (rows read of all rows).
Sheet storedSheet(const QString& table, const Progress& progress = {});

} // namespace Export
