#include "engine/rules/titles.h"

#include "engine/rules/numbers.h"
#include "engine/rules/subjects.h"

namespace Rules {

namespace {

const QString kSuffix = QStringLiteral("1");

bool isItem(QStringView item)
{
    if (item == u"三总" || item == u"总分")
        return true;
    for (const QString& s : allSubjects())
        if (item == s)
            return true;
    return false;
}

// F0 ... F130: the count of marks of one band of the analysis table, titled
// as the saved table names it (F120 -> 110到120, F20 -> 10到20).
QString bandTitle(const QString& column)
{
    if (column.size() < 2 || column.at(0) != QLatin1Char('F'))
        return {};
    bool ok = false;
    const int n = column.mid(1).toInt(&ok);
    if (!ok || n < 0 || n > 130 || n % 10 != 0 || column.mid(1) != QString::number(n))
        return {};
    if (n == 0)
        return QStringLiteral("0分");
    if (n == 10)
        return QStringLiteral("1到9");
    if (n == 130)
        return QStringLiteral("120分");
    return QStringLiteral("%1到%2").arg(n - 10).arg(n);
}

} // namespace

QString columnTitle(const QString& column)
{
    if (const QString band = bandTitle(column); !band.isEmpty())
        return band;
    if (!column.endsWith(kSuffix) || column.size() < 3)
        return column;
    QStringView item = QStringView(column).chopped(1);
    if (item.endsWith(u"班排") || item.endsWith(u"级排"))
        item.chop(2);
    return isItem(item) ? column.chopped(1) : column;
}

bool isWholeGrade(const QString& column, const QVariant& value)
{
    if (column != QStringLiteral("班号") || value.isNull())
        return false;
    bool ok = false;
    const double d = value.toDouble(&ok);
    return ok && d == double(kWholeGradeClass);
}

bool isScoreColumn(const QString& column)
{
    QString c = column;
    while (!c.isEmpty() && c.back().isDigit())
        c.chop(1);
    for (const char* rank : {"班排", "级排"})
        if (c.endsWith(QString::fromUtf8(rank))) {
            c.chop(2);
            break;
        }
    return c == QStringLiteral("总分") || c == QStringLiteral("三总") || gradeSubjects().contains(c);
}

QString shownValue(const QString& column, const QVariant& value, bool numericColumn)
{
    if (value.isNull() || !value.isValid())
        return QString();
    if (isWholeGrade(column, value))
        return QStringLiteral("全级");
    const int type = value.typeId();
    if (type == QMetaType::QString) {
        if (column == QStringLiteral("科目"))
            return columnTitle(value.toString());
        // A number typed as text reads as the number it is.
        if (numericColumn && column != QStringLiteral("学号"))
            if (const auto d = Num::parseNumber(value.toString()))
                return Num::shown(column, *d);
        return value.toString();
    }
    bool ok = false;
    const double d = value.toDouble(&ok);
    return ok ? Num::shown(column, d) : value.toString();
}

} // namespace Rules
