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

// A nullable database value read as a mark. A blank (null) mark counts as 0
// everywhere: in totals, ranks, the analysis and the bands.
Fixed markOf(const QVariant& value);

// Nearest integer, halves to the even integer: 84.5 -> 84, 85.5 -> 86, -0.5 -> 0.
qint64 roundHalfEven(Fixed value);
qint64 roundHalfEven(double value);

// num / den rounded to four decimals with halves to even, computed exactly
// (1/32 -> 0.0312, 2/3 -> 0.6667). den must not be 0.
Fixed quotient4(qint64 num, qint64 den);
// The same as a double, ready to store (the nearest double to the decimal).
double quotient4d(qint64 num, qint64 den);

// num / den as a whole percentage, halves to even (1/8 -> 12, 27/200 -> 14).
qint64 percent(qint64 num, qint64 den);

// Text typed or pasted by a teacher: blanks trimmed, full-width digits,
// signs and points accepted. Empty text, words, exponents, inf, nan and
// numbers of a million or more are refused.
std::optional<double> parseNumber(const QString& text);
std::optional<qint64> parseInteger(const QString& text);

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
