#pragma once
// The shared number rules of the grade book. Marks may carry decimals, and the
// school checks ties, .5 marks and rates by hand, so every comparison, count and
// quotient is done on exact decimal values rather than on binary doubles.

#include <QString>
#include <QVariant>
#include <optional>

namespace Num {

// Marks, totals and averages as integers in ten-thousandths: 59.5 -> 595000.
// Four decimals is finer than any mark a teacher types, and sums stay exact.
using Fixed = qint64;
constexpr Fixed kScale = 10000;

Fixed toFixed(double value);
double fromFixed(Fixed value);

// A stored mark, or none: the student was absent (缺考). An absence is never
// a 0: it counts in no total, rank, head count, average or band, where a 0
// that was written counts like any other mark.
using Mark = std::optional<Fixed>;

// A nullable database value read as a mark: null, an absence word and text
// that is no number are absences; numbers and numeric text are marks.
Mark markOf(const QVariant& value);

// Nearest integer, halves to the even integer: 84.5 -> 84, 85.5 -> 86, -0.5 -> 0.
qint64 roundHalfEven(Fixed value);
qint64 roundHalfEven(double value);

// num / den rounded to four decimals with halves to even, computed exactly
// (1/32 -> 0.0312, 2/3 -> 0.6667). den must not be 0.
Fixed quotient4(qint64 num, qint64 den);
// The mean of `count` values that add up to `sum`, to four decimals with
// halves to even, exactly: 279.4 / 4 -> 69.85. count must not be 0.
Fixed mean4(Fixed sum, qint64 count);
// The same as a double, ready to store (the nearest double to the decimal).
double quotient4d(qint64 num, qint64 den);

// num / den as a whole percentage, halves to even (1/8 -> 12, 27/200 -> 14).
qint64 percent(qint64 num, qint64 den);

// Text typed or pasted by a teacher: blanks trimmed, full-width digits,
// signs and points accepted. Empty text, words, exponents, inf, nan and
// numbers of a million or more are refused.
std::optional<double> parseNumber(const QString& text);
std::optional<qint64> parseInteger(const QString& text);

// What a teacher's mark cell says. Empty (blanks only), "缺考", "缺" and "/"
// (blanks around them and full-width forms allowed) mean the student was
// absent: the cell holds nothing. A number of 0 or more is a mark. Anything
// else is refused, and each entry path words the refusal for its own lines.
struct MarkCell {
    enum Kind { Mark, Absent, NotANumber, Negative };
    Kind kind = NotANumber;
    double mark = 0; // for Mark and Negative
};
MarkCell markCell(const QString& text);
bool isAbsence(const QString& text);

// Text for a stored number: 85 rather than 85.0, 0.0312 rather than 0.031199...
QString format(double value);

// How every window and export shows a stored number. Rates (合格率, 高分率,
// 低分率: the columns whose name ends in 率) are stored as fractions with four
// decimals and shown as percentages with two, which is exactly the same
// figure: 0.6667 -> "66.67%", 1 -> "100.00%". Every other number keeps the
// decimals it has (format above).
bool isRateColumn(const QString& column);
QString rate(double fraction);
QString shown(const QString& column, double value);

} // namespace Num
