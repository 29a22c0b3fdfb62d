#include "engine/rules/numbers.h"

#include <algorithm>
#include <cmath>

namespace Num {

Fixed toFixed(double value)
{
    // Far beyond any mark or total; keeps the conversion defined for any
    // value a hand-edited file may hold.
    constexpr double kLimit = 1e12;
    value = std::clamp(value, -kLimit, kLimit);
    return static_cast<Fixed>(std::llround(value * static_cast<double>(kScale)));
}

double fromFixed(Fixed value)
{
    return static_cast<double>(value) / static_cast<double>(kScale);
}

Mark markOf(const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return std::nullopt;
    bool ok = false;
    const double d = value.toDouble(&ok);
    if (ok && std::isfinite(d))
        return toFixed(d);
    const auto parsed = parseNumber(value.toString());
    return parsed ? Mark(toFixed(*parsed)) : std::nullopt;
}

// Integer division rounding to nearest, halves to even, for any signs.
static qint64 divHalfEven(qint64 num, qint64 den)
{
    if (den < 0) {
        num = -num;
        den = -den;
    }
    qint64 q = num / den;
    qint64 r = num % den;
    if (r < 0) { // floor division
        q -= 1;
        r += den;
    }
    const qint64 twice = 2 * r;
    if (twice > den || (twice == den && (q % 2 != 0)))
        q += 1;
    return q;
}

qint64 roundHalfEven(Fixed value)
{
    // The same as divHalfEven(value, kScale); a constant divisor lets the
    // compiler multiply instead of divide, and every rank key comes here.
    qint64 q = value / kScale;
    qint64 r = value % kScale;
    if (r < 0) {
        q -= 1;
        r += kScale;
    }
    if (2 * r > kScale || (2 * r == kScale && (q % 2 != 0)))
        q += 1;
    return q;
}

qint64 roundHalfEven(double value)
{
    return roundHalfEven(toFixed(value));
}

Fixed quotient4(qint64 num, qint64 den)
{
    return divHalfEven(num * kScale, den);
}

Fixed mean4(Fixed sum, qint64 count)
{
    // The sum is already in ten-thousandths: one exact division.
    return divHalfEven(sum, count);
}

double quotient4d(qint64 num, qint64 den)
{
    return fromFixed(quotient4(num, den));
}

qint64 percent(qint64 num, qint64 den)
{
    return divHalfEven(num * 100, den);
}

static QString normalised(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0xFF10 && u <= 0xFF19)
            out.append(QChar(char16_t(u - 0xFF10 + '0')));
        else if (u == 0xFF0E || u == 0x3002)
            out.append(QChar('.'));
        else if (u == 0xFF0D || u == 0x2212)
            out.append(QChar('-'));
        else if (u == 0xFF0B)
            out.append(QChar('+'));
        else
            out.append(c);
    }
    return out.trimmed();
}

// Digits and points only: what nearly every typed or imported mark is, and
// what normalising would leave as it is.
static bool plainDecimal(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text)
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.')))
            return false;
    return true;
}

std::optional<double> parseNumber(const QString& text)
{
    const QString t = plainDecimal(text) ? text : normalised(text);
    if (t.isEmpty())
        return std::nullopt;
    for (QChar c : t)
        if (!(c.isDigit() || c == '.' || c == '-' || c == '+'))
            return std::nullopt;
    bool ok = false;
    const double d = t.toDouble(&ok);
    // No mark, total or limit comes near a million; a larger number is a typing slip.
    if (!ok || !std::isfinite(d) || std::fabs(d) >= 1e6)
        return std::nullopt;
    return d;
}

bool isAbsence(const QString& text)
{
    // trimmed() also drops the full-width blank U+3000.
    const QString t = text.trimmed();
    return t.isEmpty() || t == QStringLiteral("缺考") || t == QStringLiteral("缺") || t == QLatin1String("/")
        || t == QStringLiteral("／");
}

MarkCell markCell(const QString& text)
{
    if (const auto n = parseNumber(text))
        return {*n < 0 ? MarkCell::Negative : MarkCell::Mark, *n};
    return {isAbsence(text) ? MarkCell::Absent : MarkCell::NotANumber, 0};
}

std::optional<qint64> parseInteger(const QString& text)
{
    const QString t = normalised(text);
    bool ok = false;
    const qint64 v = t.toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return v;
}

QString format(double value)
{
    if (!std::isfinite(value))
        return QString();
    const double r = std::round(value);
    if (r == value && std::fabs(value) < 1e15)
        return QString::number(static_cast<qint64>(r));
    QString s = QString::number(value, 'f', 4);
    while (s.endsWith('0'))
        s.chop(1);
    if (s.endsWith('.'))
        s.chop(1);
    return s;
}

bool isRateColumn(const QString& column)
{
    return column.endsWith(QChar(u'率'));
}

QString rate(double fraction)
{
    if (!std::isfinite(fraction))
        return QString();
    // Ten-thousandths of the fraction are hundredths of the percentage.
    const Fixed f = toFixed(fraction);
    const Fixed a = f < 0 ? -f : f;
    return QStringLiteral("%1%2.%3%")
        .arg(f < 0 ? QStringLiteral("-") : QString())
        .arg(a / 100)
        .arg(a % 100, 2, 10, QChar('0'));
}

QString shown(const QString& column, double value)
{
    return isRateColumn(column) ? rate(value) : format(value);
}

} // namespace Num
