#pragma once
// The steps of setting up an examination, one function each, over the
// session: adding an examination, preparing its roster (afresh in bulk, one
// by one, or reusing the last one), and inserting or deleting a student.
// Where the teacher must decide, a step first returns what there is to
// decide (the data, not the words); the window asks and calls the step.

#include "engine/entry/roster.h"
#include "engine/entry/setup.h"

#include <QString>

class Session;

namespace Actions {

// A new examination as typed, checked: a name (not blank, no control
// characters, not the text for "no examination") and a positive number.
// `sameName` tells what is already saved under that name: queries and
// charts find examinations by name and would mix the two.
struct NewExam {
    QString name;
    qint64 number = 0;
    Entry::SavedExam sameName;
};
NewExam checkNewExam(const QString& name, const QString& number);
// Makes it the current examination, its save flags cleared.
void addExam(Session& session, const NewExam& exam);

// Roster preparation.
// Afresh in bulk: the roster goes into cjn once the bulk input is confirmed.
void startBulkRoster(Session& session);
// Afresh one by one: cjn emptied, and the working table.
void startOneByOne(Session& session);
// The last roster again, optionally with its marks blanked.
void reuseRoster(Session& session, bool clearMarks);

// Bulk input into `table` (the table the bulk input was opened on). First
// the boxes are checked and matched (BulkPlan: the pairings, the gaps,
// the marks above their full marks, all to be shown before writing), then
// the plan is written, the table becomes the working one and the class
// range follows the roster.
Roster::BulkPlan prepareBulk(Session& session, const QString& table, const Roster::BulkInput& input);
Roster::BulkResult writeBulk(Session& session, const QString& table, const Roster::BulkPlan& plan);

// One student at a time into `table`; each takes his place in roster order.
qint64 addStudent(Session& session, const QString& table, const QString& number, qint64 cls, const QString& name);
qint64 insertStudent(Session& session, const QString& table, const QString& number, qint64 cls, const QString& name);
void deleteStudent(Session& session, const QString& table, qint64 rowid, const QString& number);

} // namespace Actions
