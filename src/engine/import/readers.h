#pragma once
// The readers behind Import::open, one per kind of file. Each takes a file
// that Import::open has already recognised by its first bytes.

#include "engine/import/workbook.h"

namespace Import {

std::unique_ptr<Workbook> openXlsx(const QString& file);
std::unique_ptr<Workbook> openXls(const QString& file);
// Delimited text; bytes is the whole file.
std::unique_ptr<Workbook> openText(const QString& file, QByteArray bytes);

} // namespace Import
