#pragma once
// The entry windows' questions and refusals, worded from what the engine
// found: marks above the full mark, lines that found no student, marks that
// go by line, and lines whose 姓名 is another student's.

#include "engine/entry/roster.h"
#include "engine/entry/setup.h"

#include <QString>

namespace EntryText {

// Marks above their subject's full mark, the first few named, and where the
// full marks are set.
QString aboveFullQuestion(const QList<Roster::AboveFull>& marks, int shown = 5);

// Lines of marks for the roster whose 姓名 or 班号 is not that of the
// student they reach: nothing is written.
QString conflicts(const Roster::BulkPlan& plan, int shown = 10);

// Lines that found no student, keys given twice, students no line names:
// the first ten of each, and what confirming does.
QString gapsQuestion(const Roster::BulkPlan& plan, int shown = 10);

// Marks pasted without 学号 or 姓名 go by line in grid order: the first and
// last three pairings, to be checked before anything is written.
QString pairingQuestion(const Roster::BulkPlan& plan, int shown = 3);

// The question before a second examination takes a saved name: later queries
// and charts find examinations by name and would mix the two.
QString sameNameQuestion(const QString& name, const Entry::SavedExam& saved);

} // namespace EntryText
