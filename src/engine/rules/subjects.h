#pragma once
// The subjects and classes every part of the grade book counts with.

#include <QStringList>

namespace Rules {

// The classes of a grade: 1 to 18. The band table has a column pair for each.
inline constexpr int kClassCount = 18;
inline constexpr int kFirstClass = 1;
inline constexpr int kLastClass = kClassCount;
bool isClassNumber(qint64 cls);
// The message for a class number outside 1 to 18 (empty when it is one).
QString classProblem(qint64 cls);

// Text stored as a student's name or number holds no control characters: a
// tab, line break or NUL pasted with it would hide part of it or split the
// line it is shown on.
bool isCleanText(const QString& text);

// The ten subjects of the parameter panel in their fixed order. 生物, 地理 and
// 历史 can never be selected and the grade tables have no columns for them.
const QStringList& allSubjects();
// The seven subjects whose marks the grade tables hold, in that order.
const QStringList& gradeSubjects();
// The six subjects the entry grid offers (综合 is typed through its own box).
const QStringList& entrySubjects();
// What a saved grade row carries for each item: the seven subjects, 三总 and 总分.
const QStringList& savedItems();

// The selected subjects in the fixed order, each once.
QStringList ordered(const QStringList& subjects);

} // namespace Rules
