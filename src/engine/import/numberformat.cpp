#include "engine/import/numberformat.h"

#include <QDate>
#include <QList>
#include <cmath>

namespace Import {

namespace {

enum class Tok : quint8 { Literal, Digit, Point, Comma, Percent, Exponent, Text, General, DatePart, AmPm };

struct Token {
    Tok kind;
    QString text; // a literal's text, a date part's code ("yyyy", "m"), a digit's placeholder
};

bool isDateLetter(QChar c)
{
    const QChar l = c.toLower();
    return l == 'y' || l == 'm' || l == 'd' || l == 'h' || l == 's';
}

// Splits a format at the semicolons that separate its sections.
QStringList splitSections(const QString& code)
{
    QStringList out;
    QString cur;
    bool quoted = false;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code[i];
        if (c == '"')
            quoted = !quoted;
        if (!quoted && c == '\\' && i + 1 < code.size()) {
            cur += c;
            cur += code[++i];
            continue;
        }
        if (!quoted && c == ';') {
            out << cur;
            cur.clear();
            continue;
        }
        cur += c;
    }
    out << cur;
    return out;
}

// One pass over the characters, each token known by its first ones: the
// cases read best side by side.
QList<Token> tokenize(const QString& s)
{
    QList<Token> out;
    auto literal = [&](const QString& t) {
        if (!out.isEmpty() && out.back().kind == Tok::Literal)
            out.back().text += t;
        else
            out.append({Tok::Literal, t});
    };
    const qsizetype n = s.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = s[i];
        if (c == '"') {
            const qsizetype end = s.indexOf('"', i + 1);
            literal(s.mid(i + 1, (end < 0 ? n : end) - i - 1));
            i = end < 0 ? n : end;
        } else if (c == '\\' && i + 1 < n) {
            literal(QString(s[++i]));
        } else if (c == '_' && i + 1 < n) {
            ++i; // the width of the next character: a blank
            literal(QStringLiteral(" "));
        } else if (c == '*' && i + 1 < n) {
            ++i; // a fill character repeats to the cell's width: nothing in text
        } else if (c == '[') {
            const qsizetype end = s.indexOf(']', i + 1);
            const QString inner = s.mid(i + 1, (end < 0 ? n : end) - i - 1).toLower();
            // Elapsed hours, minutes or seconds; colours, locales and conditions show nothing.
            if (!inner.isEmpty() && (inner[0] == 'h' || inner[0] == 'm' || inner[0] == 's')
                && inner.count(inner[0]) == inner.size())
                out.append({Tok::DatePart, '[' + inner + ']'});
            i = end < 0 ? n : end;
        } else if (c == '0' || c == '#' || c == '?') {
            out.append({Tok::Digit, QString(c)});
        } else if (c == '.') {
            out.append({Tok::Point, {}});
        } else if (c == ',') {
            out.append({Tok::Comma, {}});
        } else if (c == '%') {
            out.append({Tok::Percent, {}});
        } else if (c == '@') {
            out.append({Tok::Text, {}});
        } else if ((c == 'E' || c == 'e') && i + 1 < n && (s[i + 1] == '+' || s[i + 1] == '-')) {
            out.append({Tok::Exponent, QString(s[i + 1])});
            ++i;
            while (i + 1 < n && (s[i + 1] == '0' || s[i + 1] == '#'))
                ++i;
        } else if (s.mid(i, 7).compare(QLatin1String("General"), Qt::CaseInsensitive) == 0) {
            out.append({Tok::General, {}});
            i += 6;
        } else if (s.mid(i, 5).compare(QLatin1String("AM/PM"), Qt::CaseInsensitive) == 0) {
            out.append({Tok::AmPm, QStringLiteral("AM/PM")});
            i += 4;
        } else if (s.mid(i, 3).compare(QLatin1String("A/P"), Qt::CaseInsensitive) == 0) {
            out.append({Tok::AmPm, QStringLiteral("A/P")});
            i += 2;
        } else if (s.mid(i, 5) == QStringLiteral("上午/下午")) {
            out.append({Tok::AmPm, QStringLiteral("上午/下午")});
            i += 4;
        } else if (isDateLetter(c)) {
            qsizetype j = i;
            while (j < n && s[j].toLower() == c.toLower())
                ++j;
            out.append({Tok::DatePart, s.mid(i, j - i).toLower()});
            i = j - 1;
        } else {
            literal(QString(c));
        }
    }
    return out;
}

bool isDateSection(const QList<Token>& toks)
{
    for (const Token& t : toks)
        if (t.kind == Tok::DatePart || t.kind == Tok::AmPm)
            return true;
    return false;
}

QString groupThousands(const QString& digits)
{
    QString out;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += ',';
        out += digits[i];
    }
    return out;
}

} // namespace

QString NumberFormat::builtinCode(int id)
{
    switch (id) {
    case 1: return QStringLiteral("0");
    case 2: return QStringLiteral("0.00");
    case 3: return QStringLiteral("#,##0");
    case 4: return QStringLiteral("#,##0.00");
    case 5: case 6: return QStringLiteral("\"¥\"#,##0;\"¥\"-#,##0");
    case 7: case 8: return QStringLiteral("\"¥\"#,##0.00;\"¥\"-#,##0.00");
    case 9: return QStringLiteral("0%");
    case 10: return QStringLiteral("0.00%");
    case 11: return QStringLiteral("0.00E+00");
    case 14: return QStringLiteral("yyyy/m/d");
    case 15: return QStringLiteral("d-mmm-yy");
    case 16: return QStringLiteral("d-mmm");
    case 17: return QStringLiteral("mmm-yy");
    case 18: return QStringLiteral("h:mm AM/PM");
    case 19: return QStringLiteral("h:mm:ss AM/PM");
    case 20: return QStringLiteral("h:mm");
    case 21: return QStringLiteral("h:mm:ss");
    case 22: return QStringLiteral("yyyy/m/d h:mm");
    case 27: case 36: case 50: case 57: return QStringLiteral("yyyy\"年\"m\"月\"");
    case 28: case 29: case 51: case 54: case 58: return QStringLiteral("m\"月\"d\"日\"");
    case 30: return QStringLiteral("m-d-yy");
    case 31: case 52: case 53: return QStringLiteral("yyyy\"年\"m\"月\"d\"日\"");
    case 32: return QStringLiteral("h\"时\"mm\"分\"");
    case 33: return QStringLiteral("h\"时\"mm\"分\"ss\"秒\"");
    case 34: case 55: return QStringLiteral("上午/下午h\"时\"mm\"分\"");
    case 35: case 56: return QStringLiteral("上午/下午h\"时\"mm\"分\"ss\"秒\"");
    case 37: case 38: return QStringLiteral("#,##0;-#,##0");
    case 39: case 40: return QStringLiteral("#,##0.00;-#,##0.00");
    case 45: return QStringLiteral("mm:ss");
    case 46: return QStringLiteral("[h]:mm:ss");
    case 47: return QStringLiteral("mm:ss.0");
    case 48: return QStringLiteral("##0.0E+0");
    case 49: return QStringLiteral("@");
    default: return QStringLiteral("General");
    }
}

NumberFormat::NumberFormat(const QString& code)
{
    m_sections = splitSections(code);
    const QString first = m_sections.value(0).trimmed();
    m_general = first.isEmpty() || first.compare(QLatin1String("General"), Qt::CaseInsensitive) == 0
                || first == QLatin1String("@");
    if (!m_general)
        m_date = isDateSection(tokenize(m_sections[0]));
}

QString NumberFormat::general(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("#NUM!");
    if (value == std::floor(value) && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    // Fifteen significant digits: what the producer stored, without the
    // binary tail (0.1 + 0.2 is shown 0.3).
    QString s = QString::number(value, 'g', 15);
    if (s.contains('e')) {
        s = s.toUpper();
        // Excel's two-digit exponent: 1.2E+16
        const qsizetype e = s.indexOf('E');
        if (e >= 0 && e + 2 < s.size() && s.size() - e - 2 == 1)
            s.insert(e + 2, '0');
    }
    return s;
}

QString NumberFormat::render(double value, bool date1904) const
{
    if (m_general || !std::isfinite(value))
        return general(value);
    // A positive;negative;zero;text format: negatives use the second section
    // without their sign (the section writes its own), zero the third.
    int index = 0;
    double shownValue = value;
    if (value < 0 && m_sections.size() >= 2 && !m_sections[1].isEmpty()) {
        index = 1;
        shownValue = -value;
    } else if (value == 0 && m_sections.size() >= 3 && !m_sections[2].isEmpty()) {
        index = 2;
    }
    const QString& section = m_sections[index];
    if (m_date)
        return renderDate(section, value, date1904);
    return renderNumber(section, shownValue);
}

namespace {

// Literals with the General or text placeholder, or only literals.
QString withoutDigits(const QList<Token>& toks, double value)
{
    QString out;
    for (const Token& t : toks) {
        if (t.kind == Tok::Literal)
            out += t.text;
        else if (t.kind == Tok::General || t.kind == Tok::Text)
            out += NumberFormat::general(value);
        else if (t.kind == Tok::Percent)
            out += '%';
    }
    return out;
}

// Where a number section's placeholders stand (token indexes, -1 none).
struct Placeholders {
    int firstDigit = -1, lastDigit = -1, pointAt = -1;
    int intEnd = 0; // the integer placeholders lie before it
    int minDecimals = 0, maxDecimals = 0;
    bool grouping = false; // thousands separated
};

// Commas between placeholders group thousands; commas after the last
// placeholder divide by a thousand each (applied to value), as a percent
// sign multiplies by a hundred.
Placeholders placeholders(const QList<Token>& toks, double& value)
{
    Placeholders p;
    for (int i = 0; i < toks.size(); ++i) {
        if (toks[i].kind == Tok::Digit) {
            p.lastDigit = i;
            if (p.firstDigit < 0)
                p.firstDigit = i;
        }
        if (toks[i].kind == Tok::Point && p.pointAt < 0)
            p.pointAt = i;
    }
    for (int i = 0; i < toks.size(); ++i) {
        if (toks[i].kind != Tok::Comma)
            continue;
        if (i > p.firstDigit && i < p.lastDigit && (p.pointAt < 0 || i < p.pointAt))
            p.grouping = true;
        else if (i > p.lastDigit)
            value /= 1000;
    }
    for (const Token& t : toks)
        if (t.kind == Tok::Percent)
            value *= 100;

    p.intEnd = p.pointAt < 0 ? int(toks.size()) : p.pointAt;
    for (int i = p.intEnd + 1; i < toks.size() && p.pointAt >= 0; ++i) {
        if (toks[i].kind == Tok::Exponent)
            break;
        if (toks[i].kind == Tok::Digit) {
            ++p.maxDecimals;
            if (toks[i].text == QLatin1String("0"))
                p.minDecimals = p.maxDecimals;
        }
    }
    return p;
}

// The digits of a value without its sign, rounded to the decimals shown.
struct Digits {
    QString integer, fraction, exponent;
};

Digits digitsOf(double magnitude, bool scientific, const Placeholders& p)
{
    Digits d;
    QString text = QString::number(magnitude, scientific ? 'E' : 'f', p.maxDecimals);
    if (scientific) {
        const qsizetype e = text.indexOf('E');
        d.exponent = text.mid(e);
        text.truncate(e);
    }
    const qsizetype dot = text.indexOf('.');
    d.integer = dot < 0 ? text : text.left(dot);
    d.fraction = dot < 0 ? QString() : text.mid(dot + 1);
    while (d.fraction.size() > p.minDecimals && d.fraction.endsWith('0'))
        d.fraction.chop(1);
    if (d.integer == QLatin1String("0"))
        d.integer.clear(); // a '0' placeholder puts it back
    return d;
}

// What an unused placeholder shows: 0 its zero, ? a blank, # nothing.
QString unusedPlaceholder(const Token& t)
{
    return t.text == QLatin1String("0") ? QStringLiteral("0")
         : t.text == QLatin1String("?") ? QStringLiteral(" ")
                                        : QString();
}

// The integer placeholders take the digits from the right; the leftmost
// one takes every digit left over.
void fillInteger(const QList<Token>& toks, const Placeholders& p, const QString& intDigits, QList<QString>& filled)
{
    QList<int> intSlots;
    for (int i = 0; i < p.intEnd; ++i)
        if (toks[i].kind == Tok::Digit)
            intSlots << i;
    if (p.grouping) {
        int zeros = 0;
        for (int i : intSlots)
            zeros += toks[i].text == QLatin1String("0");
        QString digits = intDigits;
        while (digits.size() < zeros)
            digits.prepend('0');
        if (!intSlots.isEmpty())
            filled[intSlots.first()] = groupThousands(digits);
        return;
    }
    qsizetype left = intDigits.size();
    for (qsizetype k = intSlots.size() - 1; k >= 0; --k) {
        const int i = intSlots[k];
        if (k == 0) {
            QString rest = intDigits.left(left);
            if (rest.isEmpty())
                rest = unusedPlaceholder(toks[i]);
            filled[i] = rest;
        } else if (left > 0) {
            filled[i] = intDigits.mid(--left, 1);
        } else {
            filled[i] = unusedPlaceholder(toks[i]);
        }
    }
}

void fillFraction(const QList<Token>& toks, const Placeholders& p, const QString& fracDigits, QList<QString>& filled)
{
    qsizetype fracUsed = 0;
    for (int i = p.intEnd + 1; i < toks.size() && p.pointAt >= 0; ++i) {
        if (toks[i].kind == Tok::Exponent)
            break;
        if (toks[i].kind == Tok::Digit)
            filled[i] = fracUsed < fracDigits.size() ? fracDigits.mid(fracUsed++, 1) : QString();
    }
}

// The section's tokens with the placeholders filled in.
QString joined(const QList<Token>& toks, const QList<QString>& filled, const QString& exponentText, double value)
{
    QString out;
    bool pointDone = false;
    for (int i = 0; i < toks.size(); ++i) {
        const Token& t = toks[i];
        switch (t.kind) {
        case Tok::Literal: out += t.text; break;
        case Tok::Digit: out += filled[i]; break;
        case Tok::Point:
            if (!pointDone)
                out += '.';
            pointDone = true;
            break;
        case Tok::Percent: out += '%'; break;
        case Tok::Exponent:
            // Qt writes E+05; the sign placeholder '-' hides a plus.
            out += t.text == QLatin1String("-") && exponentText.startsWith(QLatin1String("E+"))
                       ? QStringLiteral("E") + exponentText.mid(2)
                       : exponentText;
            break;
        case Tok::General: case Tok::Text: out += NumberFormat::general(value); break;
        default: break;
        }
    }
    return out;
}

} // namespace

QString NumberFormat::renderNumber(const QString& section, double value) const
{
    QList<Token> toks = tokenize(section);
    bool hasDigits = false, hasExponent = false;
    for (const Token& t : toks) {
        hasDigits |= t.kind == Tok::Digit;
        hasExponent |= t.kind == Tok::Exponent;
    }
    if (!hasDigits)
        return withoutDigits(toks, value);

    const Placeholders p = placeholders(toks, value);
    const bool negative = value < 0;
    const Digits digits = digitsOf(std::fabs(value), hasExponent, p);
    QList<QString> filled(toks.size());
    fillInteger(toks, p, digits.integer, filled);
    fillFraction(toks, p, digits.fraction, filled);
    return (negative ? QStringLiteral("-") : QString()) + joined(toks, filled, digits.exponent, value);
}

namespace {

// A serial day count as a date and a time of day.
struct Moment {
    qint64 days = 0, seconds = 0; // whole days, and seconds into the last
    QDate date;
    int hour = 0, minute = 0, second = 0;
};

Moment momentOf(double value)
{
    Moment m;
    m.days = qint64(std::floor(value));
    m.seconds = qint64(std::llround((value - double(m.days)) * 86400.0));
    if (m.seconds >= 86400) {
        ++m.days;
        m.seconds -= 86400;
    }
    // Day 60 is the 29 February 1900 that never was; later serials count
    // from 30 December 1899 because of it.
    m.date = m.days >= 61 ? QDate(1899, 12, 30).addDays(m.days) : QDate(1899, 12, 31).addDays(m.days);
    m.hour = int(m.seconds / 3600);
    m.minute = int(m.seconds / 60 % 60);
    m.second = int(m.seconds % 60);
    return m;
}

QString pad(qint64 v, int width)
{
    return QString::number(v).rightJustified(width, '0');
}

QString amPm(const QString& code, int hour)
{
    if (code == QStringLiteral("上午/下午"))
        return hour < 12 ? QStringLiteral("上午") : QStringLiteral("下午");
    if (code == QLatin1String("A/P"))
        return hour < 12 ? QStringLiteral("A") : QStringLiteral("P");
    return hour < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
}

// An m is minutes right after hours or right before seconds; else the month.
bool isMinutes(const QList<Token>& toks, int i)
{
    for (int k = i - 1; k >= 0; --k) {
        if (toks[k].kind == Tok::Literal)
            continue;
        if (toks[k].kind == Tok::DatePart && toks[k].text.contains('h'))
            return true;
        break;
    }
    for (int k = i + 1; k < toks.size(); ++k) {
        if (toks[k].kind == Tok::Literal)
            continue;
        return toks[k].kind == Tok::DatePart && toks[k].text.contains('s');
    }
    return false;
}

// One date part ("yyyy", "d", "mm", "[h]"); minutes: an m that means minutes.
QString datePart(const QString& p, const Moment& m, bool twelveHour, bool minutes)
{
    const int w = int(p.size());
    switch (p[0].unicode()) {
    case '[': {
        // Elapsed time: [h] counts the hours of every day.
        const qint64 total = m.days * 86400 + m.seconds;
        const QChar unit = p[1];
        const qint64 v = unit == 'h' ? total / 3600 : unit == 'm' ? total / 60 : total;
        return pad(v, w - 2);
    }
    case 'y':
        return w <= 2 ? pad(m.date.year() % 100, 2) : QString::number(m.date.year());
    case 'd':
        if (w <= 2)
            return pad(m.date.day(), w);
        return (w == 3 ? QStringLiteral("周") : QStringLiteral("星期"))
               + QStringLiteral("一二三四五六日").at(m.date.dayOfWeek() - 1);
    case 'h': {
        int h = m.hour;
        if (twelveHour) {
            h %= 12;
            if (h == 0)
                h = 12;
        }
        return pad(h, std::min(w, 2));
    }
    case 's':
        return pad(m.second, std::min(w, 2));
    case 'm':
        if (minutes)
            return pad(m.minute, std::min(w, 2));
        if (w <= 2)
            return pad(m.date.month(), w);
        return QString::number(m.date.month()) + QStringLiteral("月");
    default:
        return QString();
    }
}

} // namespace

QString NumberFormat::renderDate(const QString& section, double value, bool date1904) const
{
    const QList<Token> toks = tokenize(section);
    if (date1904)
        value += 1462;
    // Before day 0 or after 31 December 9999 a serial is no date a
    // spreadsheet shows, nor one the calendar arithmetic below can hold (a
    // weekday of no date would be read from before its table): the number
    // itself is shown.
    constexpr qint64 kPastLastDay = 2958466; // 1 January 10000
    if (value < 0 || value >= double(kPastLastDay))
        return general(value);
    const Moment m = momentOf(value);
    // The last second of 31 December 9999 can round into the next day.
    if (m.days >= kPastLastDay)
        return general(value);
    bool twelveHour = false;
    for (const Token& t : toks)
        twelveHour |= t.kind == Tok::AmPm;

    QString out;
    for (int i = 0; i < toks.size(); ++i) {
        const Token& t = toks[i];
        if (t.kind == Tok::Literal) {
            out += t.text;
        } else if (t.kind == Tok::AmPm) {
            out += amPm(t.text, m.hour);
        } else if (t.kind == Tok::Point) {
            // Fractions of a second (ss.0): the seconds are whole here.
            out += '.';
            while (i + 1 < toks.size() && toks[i + 1].kind == Tok::Digit) {
                out += '0';
                ++i;
            }
        } else if (t.kind == Tok::DatePart) {
            out += datePart(t.text, m, twelveHour, t.text[0] == 'm' && isMinutes(toks, i));
        }
    }
    return out;
}

} // namespace Import
