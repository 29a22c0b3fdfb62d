#pragma once
// Looking up what was saved for good: the total-score band tables (tjsave1)
// and the per-class, per-subject analysis rows (fxsave) of past examinations.
// Names typed by the teacher travel as bound values, so a quote in an
// examination's name simply finds its rows.

#include "engine/db/query.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace Reports {

// Where the band tables are saved for good.
inline const QString kSavedBands = QStringLiteral("tjsave1");

// The names of a list of saved examinations (ksmcfx, ksmcfd), first saved
// first; the blank database's placeholder 没有任何考试 is no examination.
QStringList examNames(const QString& listTable);

// How many students of a class (or of the grade) have a total in the saved
// grades of an examination (name matched exactly): the students a band table
// of that examination counts. Nothing when its grades were not saved.
std::optional<qint64> savedStudentsWithTotal(const QString& exam, bool wholeGrade, qint64 classNumber,
                                             const QString& savedGrades = QStringLiteral("cjsave"));

// Every saved band row of the examinations whose name begins with `exam`,
// in the order they were saved.
Db::SelectSpec savedBandsQuery(const QString& bandTable, const QString& exam);
// Only their average rows.
Db::SelectSpec savedBandAveragesQuery(const QString& bandTable, const QString& exam);

// Saved analysis rows of one examination and one subject (names matched
// exactly), for one class or a range of classes.
struct AnalysisFilter {
    QString exam;
    QString subject; // 语文; the saved rows carry it as 语文1
    qint64 firstClass = 1;
    qint64 lastClass = 2;
    bool oneClass = false; // only firstClass
};
Db::SelectSpec savedAnalysisQuery(const AnalysisFilter& filter);
// Every saved analysis row of every examination, by examination number.
Db::SelectSpec allSavedAnalysisQuery();

// A class number typed into a field; a clear message names the field when it
// is not a whole number.
qint64 classNumber(const QString& text, const QString& fieldName);

} // namespace Reports
