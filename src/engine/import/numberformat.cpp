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

QString NumberFormat::renderNumber(const QString& section, double value) const
{
    QList<Token> toks = tokenize(section);
    bool hasDigits = false, hasPoint = false, hasExponent = false;
    for (const Token& t : toks) {
        hasDigits |= t.kind == Tok::Digit;
        hasPoint |= t.kind == Tok::Point;
        hasExponent |= t.kind == Tok::Exponent;
    }
    if (!hasDigits) {
        // Literals with the General or text placeholder, or only literals.
        QString out;
        for (const Token& t : toks) {
            if (t.kind == Tok::Literal)
                out += t.text;
            else if (t.kind == Tok::General || t.kind == Tok::Text)
                out += general(value);
            else if (t.kind == Tok::Percent)
                out += '%';
        }
        return out;
    }

    // Commas between placeholders group thousands; commas after the last
    // placeholder divide by a thousand each.
    int lastDigit = -1, firstDigit = -1, pointAt = -1;
    for (int i = 0; i < toks.size(); ++i) {
        if (toks[i].kind == Tok::Digit) {
            lastDigit = i;
            if (firstDigit < 0)
                firstDigit = i;
        }
        if (toks[i].kind == Tok::Point && pointAt < 0)
            pointAt = i;
    }
    bool grouping = false;
    for (int i = 0; i < toks.size(); ++i) {
        if (toks[i].kind != Tok::Comma)
            continue;
        if (i > firstDigit && i < lastDigit && (pointAt < 0 || i < pointAt))
            grouping = true;
        else if (i > lastDigit)
            value /= 1000;
    }
    for (const Token& t : toks)
        if (t.kind == Tok::Percent)
            value *= 100;

    int minDecimals = 0, maxDecimals = 0;
    const int intEnd = pointAt < 0 ? int(toks.size()) : pointAt;
    for (int i = intEnd + 1; i < toks.size() && pointAt >= 0; ++i) {
        if (toks[i].kind == Tok::Exponent)
            break;
        if (toks[i].kind == Tok::Digit) {
            ++maxDecimals;
            if (toks[i].text == QLatin1String("0"))
                minDecimals = maxDecimals;
        }
    }

    const bool negative = value < 0;
    QString intDigits, fracDigits, exponentText;
    if (hasExponent) {
        QString sci = QString::number(std::fabs(value), 'E', maxDecimals);
        const qsizetype e = sci.indexOf('E');
        exponentText = sci.mid(e);
        sci.truncate(e);
        const qsizetype dot = sci.indexOf('.');
        intDigits = dot < 0 ? sci : sci.left(dot);
        fracDigits = dot < 0 ? QString() : sci.mid(dot + 1);
    } else {
        const QString fixed = QString::number(std::fabs(value), 'f', maxDecimals);
        const qsizetype dot = fixed.indexOf('.');
        intDigits = dot < 0 ? fixed : fixed.left(dot);
        fracDigits = dot < 0 ? QString() : fixed.mid(dot + 1);
    }
    while (fracDigits.size() > minDecimals && fracDigits.endsWith('0'))
        fracDigits.chop(1);
    if (intDigits == QLatin1String("0"))
        intDigits.clear(); // a '0' placeholder puts it back

    // The integer placeholders take the digits from the right; the leftmost
    // one takes every digit left over.
    QList<int> intSlots;
    for (int i = 0; i < intEnd; ++i)
        if (toks[i].kind == Tok::Digit)
            intSlots << i;
    QList<QString> filled(toks.size());
    if (grouping) {
        int zeros = 0;
        for (int i : intSlots)
            zeros += toks[i].text == QLatin1String("0");
        QString digits = intDigits;
        while (digits.size() < zeros)
            digits.prepend('0');
        if (!intSlots.isEmpty())
            filled[intSlots.first()] = groupThousands(digits);
    } else {
        qsizetype left = intDigits.size();
        for (qsizetype k = intSlots.size() - 1; k >= 0; --k) {
            const int i = intSlots[k];
            if (k == 0) {
                QString rest = intDigits.left(left);
                if (rest.isEmpty())
                    rest = toks[i].text == QLatin1String("0") ? QStringLiteral("0")
                         : toks[i].text == QLatin1String("?") ? QStringLiteral(" ") : QString();
                filled[i] = rest;
            } else if (left > 0) {
                filled[i] = intDigits.mid(--left, 1);
            } else {
                filled[i] = toks[i].text == QLatin1String("0") ? QStringLiteral("0")
                          : toks[i].text == QLatin1String("?") ? QStringLiteral(" ") : QString();
            }
        }
    }
    qsizetype fracUsed = 0;
    for (int i = intEnd + 1; i < toks.size() && pointAt >= 0; ++i) {
        if (toks[i].kind == Tok::Exponent)
            break;
        if (toks[i].kind == Tok::Digit)
            filled[i] = fracUsed < fracDigits.size() ? fracDigits.mid(fracUsed++, 1) : QString();
    }

    QString out;
    if (negative)
        out += '-';
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
        case Tok::General: case Tok::Text: out += general(value); break;
        default: break;
        }
    }
    return out;
}

QString NumberFormat::renderDate(const QString& section, double value, bool date1904) const
{
    const QList<Token> toks = tokenize(section);
    if (date1904)
        value += 1462;
    if (value < 0)
        return general(value);
    qint64 days = qint64(std::floor(value));
    qint64 seconds = qint64(std::llround((value - double(days)) * 86400.0));
    if (seconds >= 86400) {
        ++days;
        seconds -= 86400;
    }
    // Day 60 is the 29 February 1900 that never was; later serials count
    // from 30 December 1899 because of it.
    const QDate date = days >= 61 ? QDate(1899, 12, 30).addDays(days) : QDate(1899, 12, 31).addDays(days);
    const int hour = int(seconds / 3600), minute = int(seconds / 60 % 60), second = int(seconds % 60);
    bool twelveHour = false;
    for (const Token& t : toks)
        twelveHour |= t.kind == Tok::AmPm;

    auto pad = [](qint64 v, int width) { return QString::number(v).rightJustified(width, '0'); };
    QString out;
    for (int i = 0; i < toks.size(); ++i) {
        const Token& t = toks[i];
        if (t.kind == Tok::Literal) {
            out += t.text;
            continue;
        }
        if (t.kind == Tok::AmPm) {
            if (t.text == QStringLiteral("上午/下午"))
                out += hour < 12 ? QStringLiteral("上午") : QStringLiteral("下午");
            else if (t.text == QLatin1String("A/P"))
                out += hour < 12 ? 'A' : 'P';
            else
                out += hour < 12 ? QStringLiteral("AM") : QStringLiteral("PM");
            continue;
        }
        if (t.kind == Tok::Point) {
            // Fractions of a second (ss.0): the seconds are whole here.
            out += '.';
            while (i + 1 < toks.size() && toks[i + 1].kind == Tok::Digit) {
                out += '0';
                ++i;
            }
            continue;
        }
        if (t.kind != Tok::DatePart)
            continue;
        const QString& p = t.text;
        const int w = int(p.size());
        switch (p[0].unicode()) {
        case '[': {
            // Elapsed time: [h] counts the hours of every day.
            const qint64 total = days * 86400 + seconds;
            const QChar unit = p[1];
            const qint64 v = unit == 'h' ? total / 3600 : unit == 'm' ? total / 60 : total;
            out += pad(v, w - 2);
            break;
        }
        case 'y':
            out += w <= 2 ? pad(date.year() % 100, 2) : QString::number(date.year());
            break;
        case 'd':
            if (w <= 2)
                out += pad(date.day(), w);
            else
                out += (w == 3 ? QStringLiteral("周") : QStringLiteral("星期"))
                       + QStringLiteral("一二三四五六日").at(date.dayOfWeek() - 1);
            break;
        case 'h': {
            int h = hour;
            if (twelveHour) {
                h %= 12;
                if (h == 0)
                    h = 12;
            }
            out += pad(h, std::min(w, 2));
            break;
        }
        case 's':
            out += pad(second, std::min(w, 2));
            break;
        case 'm': {
            // Minutes right after hours or right before seconds; else the month.
            bool minutes = false;
            for (int k = i - 1; k >= 0; --k) {
                if (toks[k].kind == Tok::Literal)
                    continue;
                minutes = toks[k].kind == Tok::DatePart && toks[k].text.contains('h');
                break;
            }
            for (int k = i + 1; k < toks.size() && !minutes; ++k) {
                if (toks[k].kind == Tok::Literal)
                    continue;
                minutes = toks[k].kind == Tok::DatePart && toks[k].text.contains('s');
                break;
            }
            if (minutes)
                out += pad(minute, std::min(w, 2));
            else if (w <= 2)
                out += pad(date.month(), w);
            else
                out += QString::number(date.month()) + QStringLiteral("月");
            break;
        }
        default:
            break;
        }
    }
    return out;
}

} // namespace Import
