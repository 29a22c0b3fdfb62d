#include "engine/export/tables.h"

#include "engine/db/database.h"
#include "engine/rules/titles.h"

#include <QHash>
#include <QSqlQuery>

namespace Export {

const QStringList& analysisColumns()
{
    static const QStringList cols{"科目", "班号", "科任教师", "人数", "满分值", "总分", "平均分", "最高分", "最高分名字",
                                  "最低分", "最低分名字", "合格人数", "合格率", "高分人数", "高分率", "低分人数", "低分率",
                                  "平均分排名", "及格率排名", "高分率排名", "低分率排名", "F130", "F120", "F110", "F100",
                                  "F90", "F80", "F70", "F60", "F50", "F40", "F30", "F20", "F10", "F0", "级前100名人数",
                                  "级前200名人数", "级前300名人数", "级前400名人数"};
    return cols;
}

int leadingColumns(const QStringList& columns)
{
    static const QStringList who{"ID", "序号", "保存时间", "考试编号", "考试名称", "学号", "班号", "姓名",
                                 "科目", "科任教师", "上限", "下限"};
    int n = 0;
    while (n < columns.size() && who.contains(columns.at(n)))
        ++n;
    return n;
}

Sheet sheetOf(const QString& table, const QStringList& columns, QList<QVariantList> rows)
{
    Sheet s;
    s.name = table;
    s.title = table;
    s.columns = columns;
    for (const QString& c : columns) {
        s.headers << Rules::columnTitle(c);
        // The band limits are numbers kept as text beside the average row's words.
        s.numeric << (Db::isNumericColumn(table, c) || c == QStringLiteral("上限") || c == QStringLiteral("下限"));
    }
    s.formatsFromNames();
    s.frozenColumns = leadingColumns(columns);
    s.rows = std::move(rows);
    dropStockRows(s);
    return s;
}

QString tableTitle(const QString& table)
{
    static const QHash<QString, QString> titles{{"cj", "成绩表"},
                                                {"cjn", "成绩表"},
                                                {"fx", "成绩分析表"},
                                                {"tj", "总分分段统计表"},
                                                {"cjsave", "保存的成绩"},
                                                {"fxsave", "保存的成绩分析表"},
                                                {"tjsave1", "保存的总分统计表"}};
    return titles.value(table, table);
}

Sheet storedSheet(const QString& table, const Progress& progress)
{
    QStringList cols = Db::columns(table);
    if (Db::hasColumn(table, QStringLiteral("学号")) && !Db::hasColumn(table, QStringLiteral("考试名称")))
        cols.removeAll(QStringLiteral("序号")); // a working grade table's running number
    bool analysis = true;
    for (const QString& c : analysisColumns())
        analysis = analysis && cols.contains(c);
    if (analysis && cols.size() == analysisColumns().size())
        cols = analysisColumns();
    QStringList quoted;
    for (const QString& c : cols)
        quoted << Db::column(table, c);
    QString tail;
    // The band table's rows end with its average row; what follows is stock.
    if (cols.contains(QStringLiteral("下限")) && !cols.contains(QStringLiteral("考试名称"))) {
        const QVariant average = Db::selectValue(QStringLiteral("SELECT min(rowid) FROM %1 WHERE %2 = '平均分'")
                                                     .arg(Db::table(table), Db::column(table, QStringLiteral("下限"))));
        tail = average.isNull() ? QStringLiteral("WHERE 0") : QStringLiteral("WHERE rowid <= %1").arg(average.toLongLong());
    }
    const qint64 total = Db::rowCount(table);
    QSqlQuery q = Db::prepare(QStringLiteral("SELECT %1 FROM %2 %3 ORDER BY rowid").arg(quoted.join(','), Db::table(table), tail));
    Db::exec(q);
    QList<QVariantList> rows;
    rows.reserve(total);
    while (Db::next(q)) {
        QVariantList row;
        row.reserve(cols.size());
        for (int i = 0; i < cols.size(); ++i)
            row << q.value(i);
        rows << row;
        if (progress && rows.size() % 2048 == 0)
            progress(rows.size(), total);
    }
    Sheet s = sheetOf(table, cols, std::move(rows));
    // A grade table: one student a row, each with a 学号.
    s.absences = cols.contains(QStringLiteral("学号"));
    return s;
}

} // namespace Export
