#pragma once
// What ties a grade save to the ranking the teacher looked at: the ranking
// run records a checksum of the working table as it left it (every class
// number, mark, total and rank, row by row with its rowid), and the grade
// save stores the table only when it still holds exactly that. A table
// changed in between (re-imported by the batch tool, a mark typed afterwards)
// would otherwise be saved with ranks that are not its own.
//
// The record lives in a small table of the program's own ("ranked"), made
// when it is first needed; every function runs inside the caller's
// transaction. Numbers count by value (85 and 85.0 are the same mark, as the
// columns store them), text and blanks by what they are.

#include <QString>
#include <QStringList>

namespace Proc {

// The columns the checksum covers, in its order: rowid, 班号, then each saved
// item's mark, class rank and grade rank.
QStringList checksumColumns();

// The checksum of the table as it is now.
qint64 rankedChecksum(const QString& table);

// A statement that writes rows can work the checksum out as it goes, so that
// the table need not be read again: rowChecksumCall(value, expressions) is
// an SQL expression that gives `value` back and adds a row made of the
// expressions (the new values of checksumColumns(), in that order). Start
// with beginRowChecksum(); rowChecksum() is the sum of the rows added since.
QString rowChecksumCall(const QString& value, const QStringList& expressions);
void beginRowChecksum();
qint64 rowChecksum();

// Records a checksum (by default the table's own, read now) as the result
// of a ranking run of the table.
void recordRanking(const QString& table);
void recordRanking(const QString& table, qint64 checksum);

// Throws Db::Error, with what to do, when the table is not the one its last
// ranking run left (or was never ranked).
void checkRanked(const QString& table);

} // namespace Proc
