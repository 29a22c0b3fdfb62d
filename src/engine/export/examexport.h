#pragma once
// The current examination's tables handed on as a workbook or a dBASE file.

#include "engine/export/dbf.h"
#include "engine/export/sheet.h"

namespace Export {

struct ExamTables {
    QString gradeTable = QStringLiteral("cj"); // the working grade table (cj or cjn)
    QString analysisTable = QStringLiteral("fx");
    QString bandTable = QStringLiteral("tj");
};

// A sheet per table that holds data: the grade table (marks, totals, ranks)
// when it has students, the analysis rows in use, the band rows and their
// average row once the band run has written them.
QList<Sheet> examSheets(const ExamTables& tables, const Progress& progress = {});

// The workbook of the current examination; an error when no table holds data.
// Returns the sheets written.
QList<Sheet> examWorkbook(const QString& path, const ExamTables& tables, const Progress& progress = {});

// The grade table's rows for a dBASE file: every column in stored order, the
// running number included; the fields it gets (the README lists the mapping).
struct DbfTable {
    QList<DbfField> fields;
    QList<QVariantList> rows;
};
DbfTable gradeTableForDbf(const QString& gradeTable, const Progress& progress = {});
DbfResult gradeTableDbf(const QString& path, const QString& gradeTable, const Progress& progress = {});

} // namespace Export
