#pragma once
// Spreadsheets in the .xlsx format, written with libxlsxwriter.

#include "engine/export/sheet.h"

namespace Export {

// Writes one workbook with a sheet per table: the header row bold and kept in
// view with the sheet's leading columns, an autofilter on it, column widths
// that fit Chinese text, numbers as numeric cells in the sheet's formats
// (computed values, no formulas). Written through a temporary file: on any
// error (Db::Error with a Chinese text) the previous file stays as it was.
void writeXlsx(const QString& path, const QList<Sheet>& sheets, const Progress& progress = {});

// The width of a column in spreadsheet units: a Chinese character counts two.
double columnWidth(const QStringList& texts);

} // namespace Export
