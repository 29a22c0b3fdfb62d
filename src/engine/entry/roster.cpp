#include "engine/entry/roster.h"

#include "engine/db/database.h"
#include "engine/entry/setup.h"
#include "engine/rules/numbers.h"
#include "engine/rules/subjects.h"

namespace Roster {

const QStringList& namedColumns()
{
    static const QStringList cols = [] {
        const QStringList& items = Rules::savedItems();
        QStringList out;
        for (const QString& kind : {QString(), QStringLiteral("班排"), QStringLiteral("级排")})
            for (const QString& i : items)
                out << i + kind + "1";
        return out;
    }();
    return cols;
}

QStringList lines(const QString& box)
{
    QString text = box;
    text.replace("\r\n", "\n").replace('\r', '\n');
    QStringList out;
    for (const QString& l : text.split('\n'))
        out << l.trimmed();
    while (!out.isEmpty() && out.last().isEmpty())
        out.removeLast();
    return out;
}

void replace(const QString& table, const QList<Student>& students)
{
    const QString t = Db::table(table);
    const QStringList all = Db::columns(table);
    if (all.size() < 4)
        throw Db::Error(QStringLiteral("表“%1”不是成绩表").arg(table));
    QStringList cols{Db::quote(all.at(0)), Db::column(table, "学号"), Db::column(table, "班号"),
                     Db::column(table, "姓名")};
    for (const QString& c : namedColumns())
        cols << Db::column(table, c);
    const QString marks = QStringList(QList<QString>(cols.size(), "?")).join(',');
    Db::inTransaction([&] {
        Db::exec(QStringLiteral("DELETE FROM %1").arg(t));
        QSqlQuery insert = Db::prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(t, cols.join(','), marks));
        qint64 k = 0;
        for (const Student& s : students) {
            QVariantList v{k++, s.number, s.cls, s.name};
            for (const QString& c : namedColumns()) {
                const QString subject = c.chopped(1);
                v << (s.marks.contains(subject) ? QVariant(s.marks.value(subject)) : QVariant(0));
            }
            Db::exec(insert, v);
        }
    });
}

void writeMarks(const QString& table, const QMap<QString, QList<double>>& marks)
{
    const QString t = Db::table(table);
    QList<qint64> rowids;
    for (const auto& r : Db::selectRows(QStringLiteral("SELECT rowid FROM %1 ORDER BY rowid").arg(t)))
        rowids << r.first().toLongLong();
    QStringList sets;
    QList<QString> subjects = marks.keys();
    qsizetype longest = 0;
    for (const QString& s : subjects) {
        sets << Db::column(table, s + "1") + " = ?";
        longest = qMax(longest, marks.value(s).size());
    }
    if (longest > rowids.size())
        throw Db::InputError(QStringLiteral("成绩有%1行，但表中只有%2名学生").arg(longest).arg(rowids.size()));
    if (subjects.isEmpty())
        return;
    Db::inTransaction([&] {
        for (const QString& s : subjects) {
            QSqlQuery q = Db::prepare(
                QStringLiteral("UPDATE %1 SET %2 = ? WHERE rowid = ?").arg(t, Db::column(table, s + "1")));
            const QList<double>& list = marks.value(s);
            for (int j = 0; j < list.size(); ++j)
                Db::exec(q, {list.at(j), rowids.at(j)});
        }
    });
}

static QString lineError(const QString& box, int line, const QString& text, const QString& what)
{
    return QStringLiteral("“%1”栏第%2行“%3”%4").arg(box).arg(line + 1).arg(text, what);
}

BulkResult bulkInput(const QString& table, const BulkInput& input)
{
    Db::table(table);
    QList<Student> students;
    if (input.roster) {
        const QStringList names = lines(input.names);
        const QStringList numbers = lines(input.numbers);
        const QStringList classes = lines(input.classes);
        const qsizetype stop = names.indexOf(QStringLiteral("姓名"));
        // Without a stop line the three columns must line up: a column longer
        // than the names (a header pasted with it, say) would shift every student.
        if (stop < 0) {
            for (const auto& [box, list] : {std::pair{QStringLiteral("学号"), numbers}, std::pair{QStringLiteral("班号"), classes}})
                if (list.size() > names.size())
                    throw Db::InputError(QStringLiteral("“%1”栏有%2行，多于“姓名”栏的%3行，请检查是否错行")
                                             .arg(box).arg(list.size()).arg(names.size()));
        }
        for (int k = 0; k < names.size(); ++k) {
            // A line "姓名" (a pasted header) ends the roster.
            if (k == stop)
                break;
            if (k >= numbers.size())
                throw Db::InputError(QStringLiteral("“学号”栏只有%1行，少于“姓名”栏的学生人数").arg(numbers.size()));
            if (k >= classes.size())
                throw Db::InputError(QStringLiteral("“班号”栏只有%1行，少于“姓名”栏的学生人数").arg(classes.size()));
            const auto cls = Num::parseInteger(classes.at(k));
            if (!cls)
                throw Db::InputError(lineError("班号", k, classes.at(k), "不是整数"));
            students.append({numbers.at(k), *cls, names.at(k), {}});
        }
    }

    QMap<QString, QList<double>> marks;
    int rows = input.roster ? int(students.size()) : int(Db::rowCount(table));
    if (input.marks) {
        int count = 0;
        for (const QString& s : Rules::gradeSubjects()) {
            const QStringList l = lines(input.markBoxes.value(s));
            if (!l.isEmpty()) {
                count = int(l.size());
                break;
            }
        }
        for (const QString& s : Rules::gradeSubjects()) {
            if (!input.ticked.contains(s))
                continue;
            const QStringList l = lines(input.markBoxes.value(s));
            if (l.size() < count)
                throw Db::InputError(QStringLiteral("“%1”栏只有%2行成绩，少于要输入的%3行").arg(s).arg(l.size()).arg(count));
            QList<double> values;
            for (int j = 0; j < count; ++j) {
                const auto v = Num::parseNumber(l.at(j));
                if (!v)
                    throw Db::InputError(lineError(s, j, l.at(j), "不是数字"));
                values << *v;
            }
            marks.insert(s, values);
        }
        if (count > rows)
            throw Db::InputError(QStringLiteral("成绩有%1行，但表中只有%2名学生").arg(count).arg(rows));
    }

    BulkResult result;
    Db::inTransaction([&] {
        if (input.roster)
            replace(table, students);
        if (!marks.isEmpty())
            writeMarks(table, marks);
    });
    if (input.marks)
        for (const auto& m : marks)
            result.markRows = qMax(result.markRows, int(m.size()));
    if (const auto range = Entry::classRange(table)) {
        result.firstClass = range->first;
        result.lastClass = range->last;
    }
    result.students = int(Db::rowCount(table));
    return result;
}

} // namespace Roster
