#pragma once
// The working settings a teacher chose last, kept in the grade database so
// that the next start begins where the last one ended: the full mark of
// each subject, the ticked subjects, the class range and the band run's
// upper limit and count. They live in a table of the program's own
// ("shezhi"), made when first written; a database without it (or one that
// cannot be written) simply gives no stored value.

#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

namespace Settings {

// The table and its two columns.
inline const QString kTable = QStringLiteral("shezhi");

// One stored value by its key; none when never stored.
std::optional<QString> value(const QString& key);
// Storing is a convenience, never a reason for a step to fail: a database
// that cannot be written keeps the settings of this run only (false).
bool setValue(const QString& key, const QString& value);
// Several at once, in one transaction.
bool setValues(const QMap<QString, QString>& values);

// The full mark the teacher set last for a subject, when ever set.
std::optional<qint64> storedFullMark(const QString& subject);
bool storeFullMarks(const QMap<QString, qint64>& fullMarks);
// The full mark a mark is checked against: the one set last; until one was
// ever set, the highest of 100 and the largest full mark of the subject in
// the saved analyses (a school that marks 语文 out of 120 saved it so).
qint64 fullMark(const QString& subject);
// fullMark() of every subject of the parameter panel.
QMap<QString, qint64> fullMarks();

// The working settings of the parameter and processing panels.
struct Working {
    QStringList subjects;                 // ticked, in the fixed order
    std::optional<qint64> firstClass, lastClass;
    std::optional<qint64> bandUpper, bandCount;
};
Working working();
bool storeWorking(const Working& w);

// The band run's first upper limit for totals of these subjects: the sum of
// their full marks less one (a total of 660 gives bands from 659 down).
qint64 defaultBandUpper(const QStringList& subjects);

} // namespace Settings
