#pragma once
// How stored names and values read on screen, on paper and in workbooks. The
// database keeps its names (语文1, 总分级排1, F130, 班号 100 for the whole
// grade); what a teacher reads is the subject, the band's marks and 全级.

#include <QString>
#include <QVariant>

namespace Rules {

// The title of a column: marks and ranks without the column suffix "1"
// (语文1 -> 语文, 总分级排1 -> 总分级排), the analysis table's band counts by
// their marks (F130 -> 120分, F120 -> 110到120, F10 -> 1到9, F0 -> 0分);
// every other name as stored.
QString columnTitle(const QString& column);

// The whole-grade row of an analysis table carries 班号 100.
inline constexpr qint64 kWholeGradeClass = 100;
bool isWholeGrade(const QString& column, const QVariant& value);

// A column of a grade table that holds one student's score or its rank: a
// subject's mark, 三总 or 总分 (语文1, 总分 in a saved row), or a class or
// grade rank of one (语文班排1, 总分级排). Blank there means absent (缺考).
bool isScoreColumn(const QString& column);
// The word every grid, printed page, slip and workbook shows for an absence.
inline const QString kAbsent = QStringLiteral("缺考");

// A stored value as every window and printed page shows it: numbers by
// Num::shown (rates as percentages), numbers kept as text in a numeric column
// the same way (never 学号: 0101 keeps its zero), 班号 100 as 全级, a blank
// as nothing, a saved row's subject 语文1 as 语文.
QString shownValue(const QString& column, const QVariant& value, bool numericColumn = false);

} // namespace Rules
