#include "engine/reports/savedtables.h"

#include "engine/db/database.h"
#include "engine/rules/numbers.h"

namespace Reports {

QStringList examNames(const QString& listTable)
{
    Db::SelectSpec q;
    q.columns = {QStringLiteral("name")};
    q.table = listTable;
    QStringList names;
    // With the rowid the rows come in the order they were appended.
    for (const QVariantList& r : Db::select(q, true))
        if (const QString name = r.value(1).toString(); name != QStringLiteral("没有任何考试"))
            names << name;
    return names;
}

std::optional<qint64> savedStudentsWithTotal(const QString& exam, bool wholeGrade, qint64 classNumber,
                                             const QString& savedGrades)
{
    QString sql = QStringLiteral("SELECT count(*) FROM %1 WHERE %2 = ? AND %3 IS NOT NULL AND %3 <> ''")
                      .arg(Db::table(savedGrades), Db::column(savedGrades, QStringLiteral("考试名称")),
                           Db::column(savedGrades, QStringLiteral("总分1")));
    QVariantList binds{exam};
    if (!wholeGrade) {
        sql += QStringLiteral(" AND %1 = ?").arg(Db::column(savedGrades, QStringLiteral("班号")));
        binds << classNumber;
    }
    const qint64 n = Db::selectValue(sql, binds).toLongLong();
    if (n > 0)
        return n;
    // No student of this class with a total: were the grades saved at all?
    const QVariant any = Db::selectValue(QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ? LIMIT 1")
                                             .arg(Db::table(savedGrades), Db::column(savedGrades, QStringLiteral("考试名称"))),
                                         {exam});
    return any.isNull() ? std::nullopt : std::optional<qint64>(0);
}

Db::SelectSpec savedBandsQuery(const QString& bandTable, const QString& exam)
{
    Db::SelectSpec q;
    q.table = bandTable;
    q.where = {{QStringLiteral("考试名称"), QStringLiteral("like"), exam, QStringLiteral(" where  ")}};
    q.orderBy = {{QStringLiteral("ID1")}};
    q.orderGap = QString();
    return q;
}

Db::SelectSpec savedBandAveragesQuery(const QString& bandTable, const QString& exam)
{
    Db::SelectSpec q = savedBandsQuery(bandTable, exam);
    q.where << Db::Condition{QStringLiteral("下限"), QStringLiteral("="), QStringLiteral("平均分")};
    q.orderGap = QStringLiteral(" ");
    return q;
}

Db::SelectSpec savedAnalysisQuery(const AnalysisFilter& f)
{
    Db::SelectSpec q;
    q.table = QStringLiteral("fxsave");
    const QString cls = QStringLiteral("班号");
    if (f.oneClass)
        q.where << Db::Condition{cls, QStringLiteral("="), f.firstClass};
    else
        q.where << Db::Condition{cls, QStringLiteral(">="), f.firstClass}
                << Db::Condition{cls, QStringLiteral("<="), f.lastClass};
    q.where << Db::Condition{QStringLiteral("科目"), QStringLiteral("="), f.subject + QStringLiteral("1"),
                             QStringLiteral(" and  ")}
            << Db::Condition{QStringLiteral("考试名称"), QStringLiteral("="), f.exam};
    return q;
}

Db::SelectSpec allSavedAnalysisQuery()
{
    Db::SelectSpec q;
    q.table = QStringLiteral("fxsave");
    q.orderBy = {{QStringLiteral("考试编号")}};
    return q;
}

qint64 classNumber(const QString& text, const QString& fieldName)
{
    const auto n = Num::parseInteger(text);
    if (!n)
        throw Db::InputError(QStringLiteral("“%1”要填班号（整数），现在是“%2”").arg(fieldName, text));
    return *n;
}

} // namespace Reports
