#include "engine/processing/saves.h"

#include "engine/db/database.h"
#include "engine/db/statement.h"
#include "engine/processing/rankstamp.h"
#include "engine/rules/numbers.h"
#include "engine/rules/subjects.h"

#include <QElapsedTimer>
#include <functional>

namespace Save {

namespace {

// "INSERT INTO table (its first `values` columns)", without the values.
QString insertHead(const QString& table, int values)
{
    const QStringList cols = Db::columns(table);
    if (cols.size() < values)
        throw Db::Error(QStringLiteral("表“%1”的列数不对").arg(table));
    QStringList names;
    for (int i = 0; i < values; ++i)
        names << Db::quote(cols.at(i));
    return QStringLiteral("INSERT INTO %1 (%2)").arg(Db::table(table), names.join(','));
}

QString insertInto(const QString& table, int values)
{
    return insertHead(table, values) + QStringLiteral(" VALUES (%1)").arg(QStringList(QList<QString>(values, "?")).join(','));
}

qint64 counter(const QString& column)
{
    const QVariant v = Db::selectValue(QStringLiteral("SELECT %1 FROM \"count\" LIMIT 1").arg(Db::column("count", column)));
    if (!v.isValid())
        throw Db::Error(QStringLiteral("表“count”中没有记录"));
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    if (!ok)
        throw Db::Error(QStringLiteral("表“count”的“%1”不是整数").arg(column));
    return n;
}

// One permanent copy: the source rows in stored order become rows of the
// target, numbered from the counter; then the counter moves on, the name is
// recorded and the examination's flag is set, all in one transaction that
// holds the write lock from before the first read.
// `row` builds a target row from a source row and its running number, or
// returns an empty list to end the copy.
struct Copy {
    QString source;
    QStringList read; // quoted source columns
    QString target;
    int values;
    QString counter, nameTable, flag;
};

QString savedTable(Kind kind)
{
    return kind == Kind::Grades ? QStringLiteral("cjsave") : kind == Kind::Analysis ? QStringLiteral("fxsave")
                                                                                  : QStringLiteral("tjsave1");
}

// A replacing save removes what the examination saved before; returns the
// number of rows removed.
qint64 removeEarlier(const QString& target, const Exam& exam)
{
    if (!exam.replace)
        return 0;
    const qint64 n = savedRows(target == QLatin1String("cjsave") ? Kind::Grades
                                   : target == QLatin1String("fxsave") ? Kind::Analysis
                                                                       : Kind::Bands,
                               exam);
    if (n > 0)
        Db::exec(QStringLiteral("DELETE FROM %1 WHERE %2 = ? AND %3 = ?")
                     .arg(Db::table(target), Db::column(target, "考试名称"), Db::column(target, "考试编号")),
                 {exam.name, exam.number});
    return n;
}

// After the rows: the counter moves on, the name is recorded and the
// examination's flag is set. A save that replaced earlier rows finds the
// name listed already; a name listed more often than the examinations
// saved under it (an earlier double save) is listed once per examination.
void recordSave(const Copy& c, const Exam& exam, qint64 next, bool replaced = false)
{
    Db::exec(QStringLiteral("UPDATE \"count\" SET %1 = ?").arg(Db::column("count", c.counter)), {next});
    const QString names = Db::table(c.nameTable), name = Db::column(c.nameTable, "name");
    const qint64 listed = Db::selectValue(QStringLiteral("SELECT count(*) FROM %1 WHERE %2 = ?").arg(names, name), {exam.name})
                              .toLongLong();
    if (!replaced || listed == 0)
        Db::exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (?)").arg(names, name), {exam.name});
    if (replaced) {
        const qint64 exams = Db::selectValue(QStringLiteral("SELECT count(DISTINCT %1) FROM %2 WHERE %3 = ?")
                                                 .arg(Db::column(c.target, "考试编号"), Db::table(c.target),
                                                      Db::column(c.target, "考试名称")),
                                             {exam.name})
                                 .toLongLong();
        Db::exec(QStringLiteral("DELETE FROM %1 WHERE rowid IN (SELECT rowid FROM %1 WHERE %2 = ? ORDER BY rowid "
                                "LIMIT -1 OFFSET ?)")
                     .arg(names, name),
                 {exam.name, qMax<qint64>(1, exams)});
    }
    if (exam.current)
        Db::exec(QStringLiteral("UPDATE \"check\" SET %1 = 1, \"mc\" = ?, \"bh\" = ?").arg(Db::column("check", c.flag)),
                 {exam.name, QString::number(exam.number)});
}

Result copyRows(const Copy& c, const Exam& exam,
                const std::function<QVariantList(const QVariantList&, qint64, const QString&)>& row)
{
    QElapsedTimer timer;
    timer.start();
    Result res;
    Db::inTransaction([&] {
        const bool replaced = removeEarlier(c.target, exam) > 0;
        const auto rows = Db::selectRows(
            QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(c.read.join(','), Db::table(c.source)));
        QSqlQuery ins = Db::prepare(insertInto(c.target, c.values));
        const qint64 first = counter(c.counter);
        qint64 id = first;
        const QString at = Db::now();
        for (const QVariantList& r : rows) {
            const QVariantList v = row(r, id, at);
            if (v.isEmpty())
                break;
            Db::exec(ins, v);
            ++id;
            ++res.rows;
        }
        recordSave(c, exam, id, replaced);
        res.firstId = first;
        res.nextId = id;
    });
    res.elapsedMs = timer.elapsed();
    return res;
}

} // namespace

qint64 savedRows(Kind kind, const Exam& exam)
{
    const QString t = savedTable(kind);
    return Db::selectValue(QStringLiteral("SELECT count(*) FROM %1 WHERE %2 = ? AND %3 = ?")
                               .arg(Db::table(t), Db::column(t, "考试名称"), Db::column(t, "考试编号")),
                           {exam.name, exam.number})
        .toLongLong();
}

qint64 examNumber(const QString& text)
{
    const auto n = Num::parseInteger(text);
    if (!n)
        throw Db::InputError(QStringLiteral("考试编号必须是整数，现在是“%1”").arg(text));
    return *n;
}

Result grades(const QString& workTable, const Exam& exam)
{
    QElapsedTimer timer;
    timer.start();
    QStringList read{Db::column(workTable, "学号"), Db::column(workTable, "班号"), Db::column(workTable, "姓名")};
    for (const QString& item : Rules::savedItems())
        for (const QString& kind : {QString(), QStringLiteral("班排"), QStringLiteral("级排")})
            read << Db::column(workTable, item + kind + "1");
    const Copy c{workTable, read, "cjsave", 34, "count", "ksmc", "c1"};
    // The whole table in one statement: SQLite copies the values as stored,
    // and the running numbers follow the stored order. When the rowids have
    // no gaps (a roster written at once always has none) the running number
    // is the rowid's distance from the first one, which spares SQLite the
    // window's copy of every row; the numbers are the same either way.
    const QString head = insertHead(c.target, c.values);
    const QString from = QStringLiteral(" FROM %1 ORDER BY rowid").arg(Db::table(workTable));
    const QString byWindow = head + QStringLiteral(" SELECT ? + row_number() OVER (ORDER BY rowid) - 1, ?, ?, ?, ")
        + read.join(',') + from;
    const QString byRowid = head + QStringLiteral(" SELECT ? + rowid - ?, ?, ?, ?, ") + read.join(',') + from;
    Result res;
    Db::inTransaction([&] {
        // Only the table the teacher reviewed after its ranking is stored.
        Proc::checkRanked(workTable);
        const bool replaced = removeEarlier(c.target, exam) > 0;
        const qint64 first = counter(c.counter);
        const auto span = Db::selectRows(QStringLiteral("SELECT min(rowid), max(rowid), count(*) FROM %1")
                                             .arg(Db::table(workTable)))
                              .first();
        const qint64 low = span.at(0).toLongLong(), high = span.at(1).toLongLong(), rows = span.at(2).toLongLong();
        const bool dense = rows == 0 || high - low + 1 == rows;
        Db::Statement copy(dense ? byRowid : byWindow);
        int k = 0;
        copy.bind(k++, first);
        if (dense)
            copy.bind(k++, low);
        copy.bind(k++, Db::now());
        copy.bind(k++, exam.number);
        copy.bind(k++, exam.name);
        copy.run();
        res.rows = int(copy.changes());
        res.firstId = first;
        res.nextId = first + res.rows;
        recordSave(c, exam, res.nextId, replaced);
    });
    res.elapsedMs = timer.elapsed();
    return res;
}

Result analysis(const QString& fxTable, const Exam& exam)
{
    QStringList read;
    for (const char* c : {"科目", "班号", "科任教师", "人数", "满分值", "总分", "平均分", "平均分排名", "合格人数",
                          "合格率", "及格率排名", "高分人数", "高分率", "高分率排名", "低分人数", "低分率",
                          "低分率排名", "最高分", "最低分", "F130", "F120", "F110", "F100", "F90", "F80", "F70",
                          "F60", "F50", "F40", "F30", "F20", "F10", "F0", "级前100名人数", "级前200名人数",
                          "级前300名人数", "级前400名人数"})
        read << Db::column(fxTable, QString::fromUtf8(c));
    return copyRows({fxTable, read, "fxsave", 41, "count", "ksmcfx", "c2"}, exam,
                    [&](const QVariantList& r, qint64 id, const QString& at) {
                        // Rows in use come first; the first free row ends the result.
                        if (r.first().toString() == QLatin1String("0"))
                            return QVariantList();
                        return r + QVariantList{exam.name, exam.number, at, id};
                    });
}

Result bands(const QString& tjTable, const Exam& exam)
{
    QStringList read{Db::column(tjTable, "上限"), Db::column(tjTable, "下限")};
    for (int c = 1; c <= Rules::kClassCount; ++c)
        read << Db::column(tjTable, QStringLiteral("%1班").arg(c)) << Db::column(tjTable, QStringLiteral("%1累").arg(c));
    read << Db::column(tjTable, "全级") << Db::column(tjTable, "级累");
    return copyRows({tjTable, read, "tjsave1", 44, "counttj", "ksmcfd", "c3"}, exam,
                    [&](const QVariantList& r, qint64 id, const QString& at) {
                        return r + QVariantList{exam.number, exam.name, at, id};
                    });
}

Exam currentExam()
{
    const auto row = Db::selectRows("SELECT \"mc\", \"bh\" FROM \"check\" LIMIT 1");
    if (row.isEmpty())
        throw Db::Error(QStringLiteral("表“check”中没有记录"));
    Exam e;
    e.name = row.first().at(0).toString();
    const auto n = Num::parseInteger(row.first().at(1).toString());
    if (!n)
        throw Db::InputError(QStringLiteral("当前考试“%1”的编号“%2”不是整数").arg(e.name, row.first().at(1).toString()));
    e.number = *n;
    return e;
}

int discardSavedGrades(const Exam& exam)
{
    int removed = 0;
    Db::inTransaction([&] {
        // The flag is read under the write lock, with everything it decides.
        if (Db::selectValue("SELECT \"c1\" FROM \"check\" LIMIT 1").toLongLong() != 1)
            return;
        // ksmc keeps only names, in the order of the saves. When every save
        // of this name is still there, the k-th name row belongs to the k-th
        // examination of that name (ordered by its first saved row); else the
        // most recent row of the name is taken. A single remaining name stays.
        if (Db::rowCount("ksmc") != 1) {
            QVariantList names;
            for (const auto& r : Db::selectRows("SELECT rowid FROM \"ksmc\" WHERE \"name\" = ? ORDER BY rowid", {exam.name}))
                names << r.first();
            QList<qint64> numbers;
            for (const auto& r : Db::selectRows("SELECT \"考试编号\" FROM \"cjsave\" WHERE \"考试名称\" = ? "
                                                "GROUP BY \"考试编号\" ORDER BY MIN(\"ID\")",
                                                {exam.name}))
                numbers << r.first().toLongLong();
            QVariant row;
            if (names.size() == numbers.size() && numbers.contains(exam.number))
                row = names.at(numbers.indexOf(exam.number));
            else if (!names.isEmpty())
                row = names.last();
            if (row.isValid())
                Db::exec("DELETE FROM \"ksmc\" WHERE rowid = ?", {row});
        }
        QSqlQuery del = Db::prepare("DELETE FROM \"cjsave\" WHERE \"考试名称\" = ? AND \"考试编号\" = ?");
        Db::exec(del, {exam.name, exam.number});
        removed = del.numRowsAffected();
        Db::exec("UPDATE \"check\" SET \"c1\" = 0");
    });
    return removed;
}

} // namespace Save
