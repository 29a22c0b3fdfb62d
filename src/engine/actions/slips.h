#pragma once
// Levels and per-student slips of a saved examination, over the session: its
// level scheme and, for a subject the examination's saved analysis does not
// hold, its full marks.

#include "engine/reports/examlevels.h"
#include "engine/reports/slips.h"

class Session;

namespace Actions {

// Every student's level of every item (each subject and 总分) of one saved
// examination under the session's scheme: what a class report counts
// (ExamLevels::count gives a class's distribution of an item).
Levels::ExamLevels examLevels(const Session& session, const Levels::ExamRef& exam);

// The slips of one saved examination as the options say, under the
// session's scheme: the data every slip writer lays out.
Slips::Set slips(const Session& session, const Slips::Options& options);

} // namespace Actions
