#pragma once
// The batch tool's slips: per-student slips of one saved examination as a
// PDF (slips to cut, or a letter to the family a page) or a workbook.

#include "cli/batchcommands.h"

namespace Batch {

// The options of `slips`, besides --db.
const QStringList& slipOptions();
// gradebook-batch slips --exam NAME [--number N] [--class C] [--show ...]
// [--rank ...] [--layout slips|notice] [--since NAME [--since-number N]
// [--change level|position]] [--year TEXT] --out FILE.pdf|FILE.xlsx
Outcome runSlips(const Invocation& inv);
// Its lines of --help.
QString slipsHelp();

} // namespace Batch
