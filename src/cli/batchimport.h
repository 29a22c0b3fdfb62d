#pragma once
// The batch tool's import: a grade sheet file (.xlsx, .xls, .csv, .txt) as a
// new roster or as marks for the roster a table holds, through the same
// action as the import window.

#include "cli/batchcommands.h"
#include "engine/actions/import.h"

namespace Batch {

// import FILE [--table cjn|cj] [--sheet NAME|N] [--marks [--accept-gaps]]
Outcome runImport(const Invocation& inv);

// A file's first recognised sheet as a new roster of `table` on the open
// database (the benchmarks' import).
Actions::ImportResult importRoster(const QString& table, const QString& file);

} // namespace Batch
