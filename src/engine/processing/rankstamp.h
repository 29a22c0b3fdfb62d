#pragma once
// What ties a grade save to the ranking the teacher looked at: the ranking
// run records a checksum of the working table as it left it (every class
// number, mark, total and rank, row by row), and the grade save stores the
// table only when it still holds exactly that. A table changed in between
// (re-imported by the batch tool, a mark typed afterwards) would otherwise be
// saved with ranks that are not its own.
//
// The record lives in a small table of the program's own ("ranked"), made
// when it is first needed; both functions run inside the caller's
// transaction.

#include <QString>

namespace Proc {

// The checksum of what a ranking decides in the table.
qint64 rankedChecksum(const QString& table);

// Records the table, as it is now, as the result of a ranking run.
void recordRanking(const QString& table);

// Throws Db::Error, with what to do, when the table is not the one its last
// ranking run left (or was never ranked).
void checkRanked(const QString& table);

} // namespace Proc
