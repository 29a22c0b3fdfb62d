#include "engine/entry/setup.h"

#include "engine/db/database.h"
#include "engine/db/table.h"
#include "engine/entry/roster.h"
#include "engine/rules/numbers.h"
#include "engine/rules/subjects.h"

#include <algorithm>

namespace Entry {

namespace {

// Edits the single row of a bookkeeping table; a table without its row is an
// error rather than a silent no-op.
void editOnlyRow(const QString& name, const QVariantMap& values)
{
    Db::Table t(name);
    t.open();
    if (t.isEmpty())
        throw Db::Error(QStringLiteral("表“%1”中没有记录").arg(name));
    t.edit();
    for (auto it = values.constBegin(); it != values.constEnd(); ++it)
        t.setValue(it.key(), it.value());
    t.post();
    t.close();
}

} // namespace

ExamState examState()
{
    Db::Table check("check");
    check.open();
    ExamState s;
    if (!check.isEmpty()) {
        s.name = check.text("mc");
        s.number = check.text("bh");
        s.marksSaved = check.value("c1").toLongLong() == 1;
        s.analysisSaved = check.value("c2").toLongLong() == 1;
        s.bandsSaved = check.value("c3").toLongLong() == 1;
    }
    check.close();
    return s;
}

qint64 proposedExamNumber()
{
    qint64 highest = 0;
    for (const char* t : {"cjsave", "fxsave", "tjsave1"}) {
        const QString table = QString::fromLatin1(t);
        const QVariant v = Db::selectValue(
            QStringLiteral("SELECT MAX(%1) FROM %2").arg(Db::column(table, "考试编号"), Db::table(table)));
        if (!v.isNull())
            highest = qMax(highest, v.toLongLong());
    }
    return highest + 1;
}

SavedExam savedExam(const QString& name)
{
    SavedExam s;
    QList<qint64> numbers;
    for (const char* t : {"cjsave", "fxsave", "tjsave1"}) {
        const QString table = QString::fromLatin1(t);
        for (const auto& r : Db::selectRows(QStringLiteral("SELECT DISTINCT %1 FROM %2 WHERE %3 = ?")
                                                .arg(Db::column(table, "考试编号"), Db::table(table),
                                                     Db::column(table, "考试名称")),
                                            {name}))
            if (!numbers.contains(r.first().toLongLong()))
                numbers << r.first().toLongLong();
    }
    std::sort(numbers.begin(), numbers.end());
    s.numbers = numbers;
    s.listed = Db::selectValue(QStringLiteral("SELECT COUNT(*) FROM \"ksmc\" WHERE \"name\" = ?"), {name}).toLongLong() > 0;
    return s;
}

qint64 checkNewExam(const QString& name, const QString& number)
{
    if (name.trimmed().isEmpty())
        throw Db::InputError(QStringLiteral("考试名称不能是空的"));
    if (!Rules::isCleanText(name))
        throw Db::InputError(QStringLiteral("考试名称中不能有制表符、换行等控制字符"));
    if (name.trimmed() == kNoExam)
        throw Db::InputError(QStringLiteral("“%1”表示还没有考试，不能用作考试名称").arg(kNoExam));
    const auto n = Num::parseInteger(number);
    if (!n || *n < 1)
        throw Db::InputError(QStringLiteral("考试编号必须是正整数，现在是“%1”").arg(number));
    return *n;
}

void startExam(const QString& name, const QString& number)
{
    Db::inTransaction([&] {
        editOnlyRow("linshi", {{"name", name}});
        editOnlyRow("check", {{"mc", name}, {"bh", number}, {"c1", 0}, {"c2", 0}, {"c3", 0}});
    });
}

qint64 rosterMode()
{
    Db::Table linshi("linshi");
    linshi.open();
    if (linshi.isEmpty())
        throw Db::Error(QStringLiteral("表“linshi”中没有记录"));
    const QVariant v = linshi.value("shibie");
    linshi.close();
    return v.isNull() ? 0 : v.toLongLong();
}

void setRosterMode(qint64 mode)
{
    editOnlyRow("linshi", {{"shibie", mode}});
}

QString workingTableFor(qint64 rosterMode)
{
    return rosterMode == 0 ? QStringLiteral("cjn") : QStringLiteral("cj");
}

QString workingTable()
{
    return workingTableFor(rosterMode());
}

std::optional<ClassRange> classRange(const QString& table)
{
    Db::Table t(table);
    t.open();
    if (t.isEmpty())
        return std::nullopt;
    ClassRange r;
    t.last();
    r.last = t.integer("班号");
    t.first();
    r.first = t.integer("班号");
    t.close();
    return r;
}

void startOneByOne(const QString& table)
{
    const QString t = Db::table(table);
    Db::inTransaction([&] {
        setRosterMode(0);
        Db::exec(QStringLiteral("DELETE FROM %1").arg(t));
    });
}

int blankMarks(const QString& table)
{
    const QString t = Db::table(table);
    QStringList sets;
    for (const QString& c : Roster::namedColumns())
        sets << Db::column(table, c) + " = NULL";
    int rows = 0;
    Db::inTransaction([&] {
        rows = int(Db::rowCount(table));
        // An empty table stays empty: nothing is posted where there is no row.
        if (rows > 0)
            Db::exec(QStringLiteral("UPDATE %1 SET %2").arg(t, sets.join(", ")));
    });
    return rows;
}

void checkStudent(const QString& number, qint64 cls, const QString& name)
{
    const QString who = QStringLiteral("学生“%1”（学号%2）").arg(name, number);
    if (name.trimmed().isEmpty())
        throw Db::InputError(QStringLiteral("姓名不能是空的（学号%1）").arg(number));
    if (number.trimmed().isEmpty())
        throw Db::InputError(QStringLiteral("学号不能是空的（学生“%1”）").arg(name));
    if (!Rules::isCleanText(name) || !Rules::isCleanText(number))
        throw Db::InputError(QStringLiteral("学号和姓名中不能有制表符、换行等控制字符"));
    if (!Rules::isClassNumber(cls))
        throw Db::InputError(who + "：" + Rules::classProblem(cls));
}

void keepRosterOrder(const QString& table)
{
    const QString t = Db::table(table);
    const QString order = QStringLiteral("%1, %2, rowid").arg(Db::column(table, "班号"), Db::column(table, "学号"));
    Db::inTransaction([&] {
        // Already in order (a roster written at once): nothing moves.
        const QVariant outOfOrder = Db::selectValue(
            QStringLiteral("SELECT count(*) FROM (SELECT rowid AS r, row_number() OVER (ORDER BY %1) AS k, "
                           "row_number() OVER (ORDER BY rowid) AS s FROM %2) WHERE k <> s")
                .arg(order, t));
        if (outOfOrder.toLongLong() == 0)
            return;
        Db::exec(QStringLiteral("DROP TABLE IF EXISTS temp.\"roster_order\""));
        Db::exec(QStringLiteral("CREATE TEMP TABLE \"roster_order\" AS SELECT * FROM %1 ORDER BY %2").arg(t, order));
        Db::exec(QStringLiteral("DELETE FROM %1").arg(t));
        Db::exec(QStringLiteral("INSERT INTO %1 SELECT * FROM temp.\"roster_order\" ORDER BY rowid").arg(t));
        Db::exec(QStringLiteral("DROP TABLE temp.\"roster_order\""));
    });
}

std::optional<RosterStudent> studentWithNumber(const QString& table, const QString& number)
{
    const auto rows = Db::selectRows(QStringLiteral("SELECT rowid, %1, %2 FROM %3 WHERE %4 = ? LIMIT 1")
                                         .arg(Db::column(table, "班号"), Db::column(table, "姓名"), Db::table(table),
                                              Db::column(table, "学号")),
                                     {number});
    if (rows.isEmpty())
        return std::nullopt;
    return RosterStudent{rows.first().at(0).toLongLong(), number, rows.first().at(1).toLongLong(),
                         rows.first().at(2).toString()};
}

namespace {

// 学号 names a student in every query: a second student may not take one.
void checkFreeNumber(const QString& table, const QString& number)
{
    if (const auto other = studentWithNumber(table, number))
        throw Db::InputError(QStringLiteral("学号“%1”已经是%2班%3的学号：一个学号只能属于一名学生，请换一个学号")
                                 .arg(number).arg(other->cls).arg(other->name));
}

qint64 rowidOfNumber(const QString& table, const QString& number)
{
    const auto s = studentWithNumber(table, number);
    return s ? s->rowid : -1;
}

} // namespace

qint64 addStudent(const QString& table, const QString& number, qint64 cls, const QString& name)
{
    Db::table(table);
    checkStudent(number, cls, name);
    const QStringList cols = Db::columns(table);
    if (cols.size() < 4)
        throw Db::Error(QStringLiteral("表“%1”不是成绩表").arg(table));
    qint64 n = 0;
    Db::inTransaction([&] {
        checkFreeNumber(table, number);
        Db::Table count("count");
        count.open();
        if (count.isEmpty())
            throw Db::Error(QStringLiteral("表“count”中没有记录"));
        n = count.value("zuge").toLongLong();
        // Marks, totals and ranks start blank.
        QVariantMap row;
        row.insert(cols.at(0), n);
        row.insert("学号", number);
        row.insert("班号", cls);
        row.insert("姓名", name);
        Db::Table grades(table);
        grades.open();
        grades.append(row);
        grades.close();
        count.edit();
        count.setValue("zuge", n + 1);
        count.post();
        count.close();
        keepRosterOrder(table);
    });
    return n;
}

qint64 insertStudent(const QString& table, const QString& number, qint64 cls, const QString& name)
{
    Db::table(table);
    checkStudent(number, cls, name);
    QVariantMap row;
    row.insert("学号", number);
    row.insert("班号", cls);
    row.insert("姓名", name);
    qint64 id = -1;
    Db::inTransaction([&] {
        checkFreeNumber(table, number);
        Db::Table t(table);
        t.open();
        t.append(row);
        t.close();
        // The student takes his place in his class, where the grid shows
        // him and where his class's next pasted marks will look for him.
        keepRosterOrder(table);
        id = rowidOfNumber(table, number);
    });
    return id;
}

void deleteRow(const QString& table, qint64 rowid)
{
    Db::exec(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(Db::table(table)), {rowid});
}

void deleteStudent(const QString& table, qint64 rowid, const QString& number)
{
    QSqlQuery q = Db::prepare(QStringLiteral("DELETE FROM %1 WHERE rowid = ? AND %2 IS ?")
                                  .arg(Db::table(table), Db::column(table, "学号")));
    Db::exec(q, {rowid, number});
    if (q.numRowsAffected() != 1)
        throw Db::InputError(QStringLiteral("学号%1的学生已不在表格显示的位置上（表被其他窗口或程序改动过），没有删除任何学生；"
                                            "表格已重新读取，请再选一次")
                                 .arg(number));
}

Db::SelectSpec entryQuery(const QString& table, const QStringList& subjects, bool oneClass,
                          qint64 firstClass, qint64 lastClass)
{
    Db::SelectSpec q;
    q.table = table;
    q.columns << "学号" << "姓名";
    for (const QString& s : subjects)
        q.columns << s + "1";
    q.columns << "班号";
    if (oneClass) {
        q.where << Db::Condition{"班号", "=", firstClass};
    } else {
        q.where << Db::Condition{"班号", ">=", firstClass} << Db::Condition{"班号", "<=", lastClass};
    }
    q.orderBy << Db::OrderBy{"班号"} << Db::OrderBy{"学号"};
    return q;
}

} // namespace Entry
