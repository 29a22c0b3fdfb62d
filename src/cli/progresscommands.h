#pragma once
// The batch tool's comparison of two saved examinations (progress) and the
// one-page class report (report): the same engine steps as the progress window.

#include "cli/batchcommands.h"

namespace Batch {

// progress --from NAME --to NAME [--from-number N] [--to-number N] [--class C]
//          [--movers N] --out FILE.xlsx|.csv|.pdf
Outcome runProgress(const Invocation& inv);
// report --exam NAME [--number N] --class C --out FILE.pdf
Outcome runReport(const Invocation& inv);

// The lines of --help for both commands.
QString progressHelp();

} // namespace Batch
