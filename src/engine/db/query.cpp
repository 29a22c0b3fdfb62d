#include "engine/db/query.h"

#include "engine/db/database.h"
#include "engine/rules/numbers.h"

namespace Db {

QStringList SelectSpec::resolvedColumns() const
{
    return columns.isEmpty() ? Db::columns(table) : columns;
}

static QString sqlOp(const QString& op)
{
    static const QStringList allowed{"=", ">=", "<=", "<", ">", "<>", "like", "IS"};
    if (!allowed.contains(op))
        throw Error(QStringLiteral("不支持的比较：%1").arg(op));
    return op;
}

QString SelectSpec::sql(bool withRowid) const
{
    const QString t = Db::table(table);
    QStringList cols;
    if (withRowid)
        cols << "rowid";
    for (const QString& c : resolvedColumns())
        cols << Db::column(table, c);
    QString s = QStringLiteral("SELECT %1 FROM %2").arg(cols.join(','), t);
    QStringList conds;
    for (const Condition& c : where) {
        if (c.op == "like" || c.op == "like=")
            conds << Db::column(table, c.column) + " LIKE ? ESCAPE '\\'";
        else
            conds << Db::column(table, c.column) + ' ' + sqlOp(c.op) + " ?";
    }
    if (!conds.isEmpty())
        s += " WHERE " + conds.join(" AND ");
    QStringList order;
    for (const OrderBy& o : orderBy)
        order << Db::column(table, o.column) + (o.descending ? " DESC" : "");
    if (withRowid)
        order << "rowid";
    if (!order.isEmpty())
        s += " ORDER BY " + order.join(',');
    return s;
}

// A LIKE pattern that matches the text itself: its own % and _ are escaped.
static QString likeEscaped(QString v)
{
    return v.replace('\\', "\\\\").replace('%', "\\%").replace('_', "\\_");
}

QVariantList SelectSpec::binds() const
{
    QVariantList out;
    for (const Condition& c : where) {
        if (c.op == "like")
            out << QVariant(likeEscaped(c.value.toString()) + '%');
        else if (c.op == "like=")
            out << QVariant(likeEscaped(c.value.toString()));
        else
            out << c.value;
    }
    return out;
}

static QString literal(const QVariant& v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return QString::number(v.toLongLong());
    case QMetaType::Double:
        return Num::format(v.toDouble());
    default:
        return '\'' + v.toString() + '\'';
    }
}

QString SelectSpec::text() const
{
    QString s = "select " + (columns.isEmpty() ? QStringLiteral("*") : columns.join(',')) + " from"
        + fromGap + table;
    for (int i = 0; i < where.size(); ++i) {
        const Condition& c = where.at(i);
        s += c.before.value_or(i == 0 ? QStringLiteral(" where ") : QStringLiteral(" and "));
        if (c.op == "like")
            s += c.column + " like '" + c.value.toString() + "%'";
        else if (c.op == "like=")
            s += c.column + " like '" + c.value.toString() + "'";
        else
            s += c.column + c.op + literal(c.value);
    }
    QStringList order;
    for (const OrderBy& o : orderBy)
        order << o.column + (o.descending ? " desc" : "");
    if (!order.isEmpty())
        s += orderGap + "order by " + order.join(',');
    return s;
}

QList<QVariantList> select(const SelectSpec& query, bool withRowid)
{
    return selectRows(query.sql(withRowid), query.binds());
}

} // namespace Db
