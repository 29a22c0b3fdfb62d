#pragma once
// A SELECT described by its parts. Its text() is the statement as the windows
// describe it ("select 学号,姓名,语文1,班号 from  cjn where 班号>=1 ..."); what
// reaches the database is sql() with checked, quoted names and bound values.

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace Db {

struct Condition {
    QString column;
    QString op;     // "=", ">=", "<=", "<", ">", "IS" (= that also matches a null), "like" (prefix match),
                    // "like=" (like without a wildcard)
    QVariant value; // numbers unquoted in text(), anything else in quotes
    // What text() puts before the condition, when not the usual " where " /
    // " and " (some windows describe "where  考试名称" with two blanks).
    std::optional<QString> before = std::nullopt;
};

struct OrderBy {
    QString column;
    bool descending = false;
};

struct SelectSpec {
    QStringList columns; // empty: every column
    QString table;
    QList<Condition> where;
    QList<OrderBy> orderBy;
    QString fromGap = QStringLiteral("  "); // the blanks after "from" in text()
    QString orderGap = QStringLiteral(" "); // what text() puts before "order by"

    bool isEmpty() const { return table.isEmpty(); }
    // Resolved column list: the given names, or every column of the table.
    QStringList resolvedColumns() const;
    QString sql(bool withRowid = false) const; // throws Error on unknown names
    QVariantList binds() const;
    QString text() const;
};

// Every row of the statement, in its order; each row holds the columns of
// resolvedColumns(), preceded by the rowid when asked for.
QList<QVariantList> select(const SelectSpec& query, bool withRowid = false);

} // namespace Db
