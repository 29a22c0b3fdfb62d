#pragma once
// The three runs, the three permanent saves and re-processing, one function
// each, over the session: the settings come from the session, and a save
// moves the current examination to the one it saved, as every save does.

#include "engine/entry/setup.h"
#include "engine/processing/runs.h"
#include "engine/processing/saves.h"

class Session;

namespace Actions {

// The runs, with the session's working table and settings.
Proc::RankResult rank(Session& session, const Proc::ProgressFn& progress = {});
Proc::AnalysisResult analyze(Session& session, const Proc::ProgressFn& progress = {});
Proc::BandResult bands(Session& session, const Proc::ProgressFn& progress = {});
// The settings each run takes from the session (the batch tool shows them).
Proc::RankSettings rankSettings(const Session& session);
Proc::AnalysisSettings analysisSettings(const Session& session);
Proc::BandSettings bandSettings(const Session& session);

// What a save would meet, for the windows to ask about before saving:
// rows already saved under this examination's name and number (a second
// save replaces them, or does nothing), and other examinations saved under
// its name (later queries would mix them). A save that cannot be made (no
// name, a grade table without students) is refused here with its message.
struct SaveCheck {
    qint64 earlierRows = 0;
    Entry::SavedExam sameName; // other numbers of the name, when the name is not the current one
    bool askReplace() const { return earlierRows > 0; }
    bool askSameName() const { return earlierRows == 0 && sameName.exists(); }
};
SaveCheck checkSave(const Session& session, Save::Kind kind, const Save::Exam& exam);

// Saves for good from the session's tables. The saved examination becomes
// the current one (check.mc, bh and its flag).
Save::Result save(Session& session, Save::Kind kind, Save::Exam exam);

// Before the current examination's saved marks are processed again: its
// saved grade rows go (Save::discardSavedGrades).
int reprocess(Session& session);

// Makes a saved or new examination the current one without saving
// anything: its name and number, and the flags of what is saved under them.
void makeCurrent(Session& session, const QString& name, qint64 number);

} // namespace Actions
