#include "engine/export/examexport.h"

#include "engine/db/database.h"
#include "engine/export/tables.h"
#include "engine/export/xlsx.h"
#include "engine/rules/numbers.h"

#include <QSqlQuery>

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

QList<bool> numericColumns(const QString& table, const QStringList& columns)
{
    QList<bool> out;
    for (const QString& c : columns)
        out << Db::isNumericColumn(table, c);
    return out;
}

} // namespace

QList<Sheet> examSheets(const ExamTables& t, const Progress& progress)
{
    // The tables as the windows show them: the grade table's students, the
    // analysis rows in use, the band rows and their average row once the
    // band run has written them.
    QList<Sheet> out;
    const std::pair<QString, QString> tables[] = {{t.gradeTable, QStringLiteral("成绩")},
                                                  {t.analysisTable, QStringLiteral("成绩分析")},
                                                  {t.bandTable, QStringLiteral("总分分段")}};
    int part = 0;
    for (const auto& [table, name] : tables) {
        // The grade table is nearly all of the reading.
        Sheet s = storedSheet(table, phase(progress, part == 0 ? 0 : 980 + part * 10, part == 0 ? 980 : 990 + part * 5));
        ++part;
        s.name = name;
        s.title = name + QStringLiteral("表");
        if (s.rowCount() > 0)
            out << s;
    }
    return out;
}

QList<Sheet> examWorkbook(const QString& path, const ExamTables& tables, const Progress& progress)
{
    const QList<Sheet> sheets = examSheets(tables, phase(progress, 0, 250));
    if (sheets.isEmpty())
        throw Db::InputError(QStringLiteral("成绩表、分析表和总分分段表都还没有数据，没有可以输出的内容"));
    writeXlsx(path, sheets, phase(progress, 250, 1000));
    return sheets;
}

DbfTable gradeTableForDbf(const QString& gradeTable, const Progress& progress)
{
    const QStringList cols = Db::columns(gradeTable);
    const QList<bool> numeric = numericColumns(gradeTable, cols);
    QStringList quoted;
    for (const QString& c : cols)
        quoted << Db::quote(c);
    DbfTable t;
    const qint64 total = Db::rowCount(gradeTable);
    QSqlQuery q = Db::prepare(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(quoted.join(','), Db::table(gradeTable)));
    Db::exec(q);
    const Progress reading = phase(progress, 0, 700);
    while (Db::next(q)) {
        QVariantList row;
        row.reserve(cols.size());
        for (int c = 0; c < cols.size(); ++c)
            row << cell(q.value(c), numeric.value(c));
        t.rows << row;
        if (reading && t.rows.size() % 2048 == 0)
            reading(t.rows.size(), total);
    }
    t.fields = dbfFields(cols, numeric, t.rows, phase(progress, 700, 1000));
    return t;
}

DbfResult gradeTableDbf(const QString& path, const QString& gradeTable, const Progress& progress)
{
    const DbfTable t = gradeTableForDbf(gradeTable, phase(progress, 0, 400));
    if (t.rows.isEmpty())
        throw Db::InputError(QStringLiteral("成绩表“%1”中还没有学生，没有可以输出的内容").arg(gradeTable));
    return writeDbf(path, t.fields, t.rows, phase(progress, 400, 1000));
}

} // namespace Export
