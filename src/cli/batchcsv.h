#pragma once
// Comma-separated files of the batch tool: reading a roster with its marks,
// and writing any table's rows. Roster files are checked line by line before
// anything reaches the database, and every complaint names the line (the
// header is line 1) so that the staff can find it in their spreadsheet.

#include "engine/entry/roster.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace Batch {

struct RosterCsv {
    QList<Roster::Student> students; // in file order
    QStringList subjects;            // mark columns of the header, in header order
    int absent = 0;                  // mark cells read as absences (blank, 缺考, 缺, /)
};

// The columns a roster file may carry after 学号,班号,姓名.
const QStringList& rosterMarkColumns();

// Reads a roster file: UTF-8 with or without a byte-order mark, CRLF or LF,
// fields in double quotes with "" for a quote, blanks around unquoted fields
// ignored, lines with nothing in them skipped. The header is 学号,班号,姓名
// followed by any of the mark columns in any order. A mark cell holds a
// number of 0 or more, or an absence (Num::markCell): a blank cell, 缺考,
// 缺 or /, which leaves the mark blank. Throws Db::InputError
// naming every bad line (up to a screenful) when anything is wrong.
RosterCsv parseRoster(const QByteArray& bytes);

// One CSV record per line of output: fields quoted only when they must be.
QString csvField(const QString& text);
QString csvLine(const QStringList& fields);
// A stored value as export text: blank for null, numbers in their shortest
// exact form (85, 59.5), text as it is.
QString exportText(const QVariant& value);

} // namespace Batch
