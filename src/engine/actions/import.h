#pragma once
// Importing a grade sheet file (.xlsx, .xls, .csv, .txt) into a working grade
// table: a new roster, or marks for the roster the table holds. The sheet is
// read and recognised (Import::readTable), then planned as bulk input plans
// what was pasted (Roster::BulkPlan: every value checked, every line matched
// to its student, the gaps and the marks above their full mark kept for the
// questions), then written as bulk input writes, in one transaction. The
// window words the questions; the batch tool refuses or accepts by its flags.

#include "engine/entry/roster.h"
#include "engine/import/recognise.h"
#include "engine/import/workbook.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class Session;

namespace Actions {

// Rows read so far; false stops the reading.
using ReadProgress = std::function<bool(int rows)>;

// The sheet a teacher names: by its name, else by its number from 1; -1 when
// the workbook has none such.
int findSheet(const Import::Workbook& book, const QString& nameOrNumber);

// The first sheet whose header is recognised, read (a 说明 sheet before the
// grades is passed over); when no sheet has one, the first sheet read, with
// found false and what it held in `unrecognised`.
Import::Table readFirstRecognised(Import::Workbook& book, const ReadProgress& progress = {});

enum class ImportKind {
    NewRoster, // the sheet's students replace the table's
    Marks,     // the sheet's marks go to the table's students, matched by key
};

struct ImportPlan {
    ImportKind kind = ImportKind::NewRoster;
    QString file, sheet;
    // What is written, as bulk input writes it. For marks, its match holds
    // the gaps (to be accepted) and conflicts (refused) for the questions.
    Roster::BulkPlan bulk;
    int read = 0;        // students read from the sheet
    int replaced = 0;    // students the table holds now (a new roster replaces them)
    int marks = 0;       // marks to be written (of the students reached)
    int absences = 0;    // of theirs, the ones written as absences
    QStringList leftOut; // columns not imported and why: "G列“总分”：总分由程序计算，不导入"
    QList<Import::Problem> skipped; // rows that are no student

    bool marksForRoster() const { return kind == ImportKind::Marks; }
};

// Checks a sheet read for the kind of import and plans the write. Refused
// (Db::InputError, nothing to write): a sheet without a recognised header or
// mapping; a value that cannot be taken (a mark that is not a number or is
// negative, a class that is not 1 to 18), every one listed by sheet row and
// column; for a new roster, a missing 学号, 班号 or 姓名 column or cell and a
// 学号 on two rows; for marks, a table without students or a sheet without
// a mark column. Marks are matched to the table's students by 学号, else 姓名
// with 班号, else 姓名 where unique (Match::match); marks above the session's
// full marks are listed in bulk.aboveFull.
ImportPlan planImport(Session& session, const QString& table, const Import::Table& sheet, ImportKind kind);

struct ImportResult {
    int students = 0; // students written (a new roster) or given marks
    int marks = 0;    // marks written
    int absences = 0; // absences written
    int rosterSize = 0; // students in the table afterwards
};

// Writes a plan the teacher accepted, in one transaction; the table becomes
// the working one. Lines whose 姓名 or 班号 is another student's, and marks
// that reach nobody, are refused here whatever the caller asked.
ImportResult writeImport(Session& session, const QString& table, const ImportPlan& plan);

} // namespace Actions
