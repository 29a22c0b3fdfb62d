#include "engine/export/examexport.h"

#include "engine/db/database.h"
#include "engine/export/xlsx.h"
#include "engine/rules/numbers.h"

namespace Export {

namespace {

// Numbers kept as text (the band limits, a mark typed as text) become numbers again.
QVariant cell(const QVariant& v, bool numeric)
{
    if (v.isNull() || !v.isValid())
        return QVariant();
    if (v.typeId() == QMetaType::QString && numeric) {
        if (const auto d = Num::parseNumber(v.toString()))
            return *d;
    }
    return v;
}

Sheet tableSheet(const QString& name, const QString& title, const QString& table, const QStringList& columns,
                 int frozen, const QList<bool>& numeric, const QString& tail = QString())
{
    QStringList quoted;
    for (const QString& c : columns)
        quoted << Db::column(table, c);
    Sheet s;
    s.name = name;
    s.title = title;
    s.headers = columns;
    s.frozenColumns = frozen;
    s.formatsFromNames();
    for (const QVariantList& r : Db::selectRows(
             QStringLiteral("SELECT %1 FROM %2 %3 ORDER BY rowid").arg(quoted.join(','), Db::table(table), tail))) {
        QVariantList row;
        for (int c = 0; c < r.size(); ++c)
            row << cell(r.at(c), numeric.value(c));
        s.rows << row;
    }
    return s;
}

QList<bool> numericColumns(const QString& table, const QStringList& columns)
{
    QList<bool> out;
    for (const QString& c : columns)
        out << Db::isNumericColumn(table, c);
    return out;
}

} // namespace

QList<Sheet> examSheets(const ExamTables& t)
{
    QList<Sheet> out;
    {
        QStringList cols = Db::columns(t.gradeTable);
        cols.removeAll(QStringLiteral("序号"));
        Sheet s = tableSheet(QStringLiteral("成绩"), QStringLiteral("成绩表"), t.gradeTable, cols, 3,
                             numericColumns(t.gradeTable, cols));
        if (!s.rows.isEmpty())
            out << s;
    }
    {
        // The rows in use come first; the first free row (科目 "0") ends them.
        const QStringList cols = Db::columns(t.analysisTable);
        const QString subject = Db::column(t.analysisTable, QStringLiteral("科目"));
        const QVariant firstFree = Db::selectValue(
            QStringLiteral("SELECT min(rowid) FROM %1 WHERE %2 = '0'").arg(Db::table(t.analysisTable), subject));
        const QString tail = firstFree.isNull() ? QString() : QStringLiteral("WHERE rowid < %1").arg(firstFree.toLongLong());
        Sheet s = tableSheet(QStringLiteral("成绩分析"), QStringLiteral("成绩分析表"), t.analysisTable, cols, 3,
                             numericColumns(t.analysisTable, cols), tail);
        if (!s.rows.isEmpty())
            out << s;
    }
    {
        // The band rows end with the average row; before a band run there is none.
        const QStringList cols = Db::columns(t.bandTable);
        const QVariant average = Db::selectValue(
            QStringLiteral("SELECT min(rowid) FROM %1 WHERE %2 = '平均分'")
                .arg(Db::table(t.bandTable), Db::column(t.bandTable, QStringLiteral("下限"))));
        if (!average.isNull()) {
            QList<bool> numeric;
            for (int i = 0; i < cols.size(); ++i)
                numeric << true; // the limits are numbers kept as text, beside the average row's words
            out << tableSheet(QStringLiteral("总分分段"), QStringLiteral("总分分段统计表"), t.bandTable, cols, 2, numeric,
                              QStringLiteral("WHERE rowid <= %1").arg(average.toLongLong()));
        }
    }
    return out;
}

QList<Sheet> examWorkbook(const QString& path, const ExamTables& tables, const Progress& progress)
{
    const QList<Sheet> sheets = examSheets(tables);
    if (sheets.isEmpty())
        throw Db::InputError(QStringLiteral("成绩表、分析表和总分分段表都还没有数据，没有可以输出的内容"));
    writeXlsx(path, sheets, progress);
    return sheets;
}

DbfTable gradeTableForDbf(const QString& gradeTable)
{
    const QStringList cols = Db::columns(gradeTable);
    const QList<bool> numeric = numericColumns(gradeTable, cols);
    QStringList quoted;
    for (const QString& c : cols)
        quoted << Db::quote(c);
    DbfTable t;
    for (const QVariantList& r :
         Db::selectRows(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(quoted.join(','), Db::table(gradeTable)))) {
        QVariantList row;
        for (int c = 0; c < r.size(); ++c)
            row << cell(r.at(c), numeric.value(c));
        t.rows << row;
    }
    t.fields = dbfFields(cols, numeric, t.rows);
    return t;
}

DbfResult gradeTableDbf(const QString& path, const QString& gradeTable)
{
    const DbfTable t = gradeTableForDbf(gradeTable);
    if (t.rows.isEmpty())
        throw Db::InputError(QStringLiteral("成绩表“%1”中还没有学生，没有可以输出的内容").arg(gradeTable));
    return writeDbf(path, t.fields, t.rows);
}

} // namespace Export
