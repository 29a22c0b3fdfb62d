#pragma once
// Comparing two saved examinations (进退步) and the one-page report of a
// class: the steps the progress window, the batch tool and the tests take
// alike. They read the saved tables and write nothing.

#include "engine/export/sheet.h"
#include "engine/reports/classreport.h"
#include "engine/reports/progress.h"

#include <QList>
#include <QString>

class Session;

namespace Actions {

// Two saved examinations compared: the earlier one (上次) and the later one (本次).
struct ProgressRun {
    Progress::ExamId before, after;
    QString beforeLabel, afterLabel; // as the lists name them
    Progress::Result result;
    // "期中 → 期末", for the head of a page.
    QString caption() const;
};
ProgressRun progress(const Progress::ExamId& before, const Progress::ExamId& after);

// The examinations a comparison starts from: the last two saved (the
// earlier first); fewer when fewer were saved.
QList<Progress::ExamId> defaultComparison();

// Everything a comparison hands on, for one class (0: the grade), with the
// `movers` who moved up and down most: the students, the two lists, the
// classes and the students listed apart, in that order.
QList<Export::Sheet> progressSheets(const ProgressRun& run, qint64 cls, int movers);
// The number of movers a list holds unless the teacher says otherwise.
inline constexpr int kDefaultMovers = 10;
inline constexpr int kMaxMovers = 1000;

// The report of a class for a saved examination (ClassReport::read).
// The page's data, with the class's level counts per subject under the
// session's level scheme.
ClassReport::Data classReport(const Session& session, const Progress::ExamId& exam, qint64 cls);

} // namespace Actions
