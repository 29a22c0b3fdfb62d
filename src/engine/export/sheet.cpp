#include "engine/export/sheet.h"

#include "engine/rules/numbers.h"

namespace Export {

Format formatOf(const QString& column)
{
    if (Num::isRateColumn(column))
        return Format::Percent;
    if (column.contains(QStringLiteral("排")) || column.contains(QStringLiteral("人数")) || column == QStringLiteral("班号")
        || column == QStringLiteral("考试编号") || column == QStringLiteral("序号") || column == QStringLiteral("ID")
        || column == QStringLiteral("ID1") || column == QStringLiteral("count"))
        return Format::Integer;
    // The band counts of the analysis table: F0 ... F130.
    if (column.size() >= 2 && column.at(0) == QLatin1Char('F') && column.mid(1).toInt() % 10 == 0
        && column.mid(1).toInt() <= 130 && column.mid(1).toInt() >= 0)
        return Format::Integer;
    return Format::General;
}

void Sheet::formatsFromNames()
{
    formats.clear();
    for (const QString& h : headers)
        formats << formatOf(h);
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

} // namespace Export
