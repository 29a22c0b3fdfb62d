#include "engine/export/sheet.h"

#include "engine/rules/numbers.h"
#include "engine/rules/titles.h"

#include <algorithm>

namespace Export {

Format formatOf(const QString& column)
{
    if (Num::isRateColumn(column))
        return Format::Percent;
    if (column.contains(QStringLiteral("排")) || column.contains(QStringLiteral("人数")) || column == QStringLiteral("班号")
        || column == QStringLiteral("考试编号") || column == QStringLiteral("序号") || column == QStringLiteral("ID")
        || column == QStringLiteral("ID1") || column == QStringLiteral("count"))
        return Format::Integer;
    // The band counts of the analysis table: F0 ... F130, saved as 0分 ... 120分.
    if (column.size() >= 2 && column.at(0) == QLatin1Char('F') && column.mid(1).toInt() % 10 == 0
        && column.mid(1).toInt() <= 130 && column.mid(1).toInt() >= 0)
        return Format::Integer;
    if (column.endsWith(QStringLiteral("分")) && column.size() > 1 && column.at(0).isDigit())
        return Format::Integer;
    if (column.contains(QStringLiteral("到")) && column.at(0).isDigit())
        return Format::Integer;
    return Format::General;
}

void Sheet::formatsFromNames()
{
    formats.clear();
    for (int c = 0; c < columnCount(); ++c)
        formats << formatOf(column(c));
}

QVariant Sheet::value(qsizetype row, int c) const
{
    const QVariantList& r = rows.at(row);
    return r.value(c < picks.size() ? picks.at(c) : c);
}

QVariant Sheet::cell(qsizetype row, int c) const
{
    const QVariant v = value(row, c);
    if (v.isNull() || !v.isValid())
        return QVariant();
    const QString col = column(c);
    if (Rules::isWholeGrade(col, v))
        return QStringLiteral("全级");
    const int type = v.typeId();
    const bool number = type == QMetaType::Int || type == QMetaType::LongLong || type == QMetaType::Double
        || type == QMetaType::UInt || type == QMetaType::ULongLong;
    if (col == QStringLiteral("学号"))
        return number ? Num::format(v.toDouble()) : v.toString();
    if (col == QStringLiteral("科目"))
        return Rules::shownValue(col, v);
    if (!number && type == QMetaType::QString && numeric.value(c)) {
        if (const auto d = Num::parseNumber(v.toString()))
            return *d;
        // A blank kept as text is a blank.
        if (v.toString().trimmed().isEmpty())
            return QVariant();
    }
    return v;
}

QString Sheet::text(qsizetype row, int c) const
{
    if (absences && Rules::isScoreColumn(column(c))) {
        const QVariant v = value(row, c);
        if (v.isNull() || !v.isValid())
            return Rules::kAbsent;
    }
    return Rules::shownValue(column(c), value(row, c), numeric.value(c));
}

QString displayText(const QVariant& value, Format format)
{
    if (value.isNull() || !value.isValid())
        return QString();
    const int type = value.typeId();
    const bool number = type == QMetaType::Int || type == QMetaType::LongLong || type == QMetaType::Double
        || type == QMetaType::UInt || type == QMetaType::ULongLong;
    if (!number)
        return value.toString();
    const double d = value.toDouble();
    switch (format) {
    case Format::Percent:
        return Num::rate(d);
    case Format::Integer:
        return QString::number(Num::roundHalfEven(d));
    case Format::General:
        break;
    }
    return Num::format(d);
}

Progress phase(const Progress& whole, int from, int to)
{
    if (!whole)
        return {};
    return [whole, from, to](qint64 done, qint64 total) {
        whole(from + (total > 0 ? (to - from) * std::clamp<qint64>(done, 0, total) / total : 0), 1000);
    };
}

bool isStockRow(const Sheet& s, qsizetype row)
{
    const int subject = int(s.columns.indexOf(QStringLiteral("科目")));
    if (subject >= 0 && s.value(row, subject).toString() == QLatin1String("0"))
        return true;
    const int upper = int(s.columns.indexOf(QStringLiteral("上限")));
    const int lower = int(s.columns.indexOf(QStringLiteral("下限")));
    // No band has equal limits: both "0" is a row no run has written.
    return upper >= 0 && lower >= 0 && s.value(row, upper).toString() == QLatin1String("0")
        && s.value(row, lower).toString() == QLatin1String("0");
}

void dropStockRows(Sheet& s)
{
    QList<QVariantList> kept;
    kept.reserve(s.rows.size());
    for (qsizetype r = 0; r < s.rows.size(); ++r)
        if (!isStockRow(s, r))
            kept << s.rows.at(r); // shared, not copied
    if (kept.size() != s.rows.size())
        s.rows = kept;
}

} // namespace Export
