#include "engine/entry/roster.h"

#include "engine/db/database.h"
#include "engine/db/statement.h"
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

bool Student::setMark(const QString& subject, double mark)
{
    const qsizetype k = Rules::gradeSubjects().indexOf(subject);
    if (k < 0 || k >= kRosterSubjects)
        return false;
    marks[size_t(k)] = mark;
    return true;
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
    // For each named column, the subject whose mark it takes (-1: it holds 0).
    QList<int> markOf;
    for (const QString& c : namedColumns())
        markOf << int(Rules::gradeSubjects().indexOf(c.chopped(1)));
    Db::inTransaction([&] {
        Db::exec(QStringLiteral("DELETE FROM %1").arg(t));
        Db::Statement insert(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(t, cols.join(','), marks));
        qint64 k = 0;
        for (const Student& s : students) {
            insert.bind(0, k++);
            insert.bind(1, s.number);
            insert.bind(2, s.cls);
            insert.bind(3, s.name);
            int i = 4;
            for (int subject : markOf) {
                if (subject >= 0 && s.marks[size_t(subject)])
                    insert.bind(i++, *s.marks[size_t(subject)]);
                else
                    insert.bind(i++, qint64(0));
            }
            insert.run();
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

namespace {

// One box's lines with the line number they have on screen.
struct Box {
    QString title;
    QStringList lines;
    int offset = 0; // 1 when the first line was the title and is skipped

    int shownLine(int i) const { return i + 1 + offset; }
};

QString shown(const QString& text)
{
    QString t = text;
    for (QChar& c : t)
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    return t;
}

QString lineError(const Box& box, int i, const QString& what)
{
    return QStringLiteral("“%1”栏第%2行“%3”%4").arg(box.title).arg(box.shownLine(i)).arg(shown(box.lines.at(i)), what);
}

// A box as pasted: its title line (as copied with a spreadsheet column, or
// the column's name in the grade table) is dropped, and every other line must
// be filled and must not be the title again.
Box box(const QString& title, const QString& text, const QStringList& titles)
{
    Box b{title, lines(text), 0};
    if (!b.lines.isEmpty() && titles.contains(b.lines.first())) {
        b.lines.removeFirst();
        b.offset = 1;
    }
    for (int i = 0; i < b.lines.size(); ++i) {
        if (b.lines.at(i).isEmpty())
            throw Db::InputError(QStringLiteral("“%1”栏第%2行是空的").arg(title).arg(b.shownLine(i)));
        if (titles.contains(b.lines.at(i)))
            throw Db::InputError(lineError(b, i, "是标题，标题只能在第一行"));
    }
    return b;
}

Box rosterBox(const QString& title, const QString& text)
{
    return box(title, text, {title});
}

QString sameCount(const Box& a, const Box& b)
{
    return QStringLiteral("“%1”栏有%2行，“%3”栏有%4行，每栏的行数必须相同，请检查是否多了或少了一行")
        .arg(a.title).arg(a.lines.size()).arg(b.title).arg(b.lines.size());
}

} // namespace

BulkPlan prepare(const QString& table, const BulkInput& input, const QMap<QString, qint64>& fullMarks)
{
    Db::table(table);
    BulkPlan plan;
    plan.roster = input.roster;
    if (input.roster) {
        const Box names = rosterBox(QStringLiteral("姓名"), input.names);
        const Box numbers = rosterBox(QStringLiteral("学号"), input.numbers);
        const Box classes = rosterBox(QStringLiteral("班号"), input.classes);
        if (names.lines.isEmpty() && numbers.lines.isEmpty() && classes.lines.isEmpty())
            throw Db::InputError(QStringLiteral("没有学生可以输入：“学号”“班号”“姓名”栏都是空的，原有的学生没有删除"));
        // The three columns must line up: one line more or less in any of
        // them would give every later student another's number or class.
        for (const Box* other : {&numbers, &classes})
            if (other->lines.size() != names.lines.size())
                throw Db::InputError(sameCount(*other, names));
        for (int k = 0; k < names.lines.size(); ++k) {
            if (!Rules::isCleanText(names.lines.at(k)))
                throw Db::InputError(lineError(names, k, "含有制表符等控制字符"));
            if (!Rules::isCleanText(numbers.lines.at(k)))
                throw Db::InputError(lineError(numbers, k, "含有制表符等控制字符"));
            const auto cls = Num::parseInteger(classes.lines.at(k));
            if (!cls)
                throw Db::InputError(lineError(classes, k, "不是整数"));
            if (!Rules::isClassNumber(*cls))
                throw Db::InputError(lineError(classes, k, QStringLiteral("不在%1到%2之间").arg(Rules::kFirstClass).arg(Rules::kLastClass)));
            plan.students.append({numbers.lines.at(k), *cls, names.lines.at(k), {}});
        }
    }

    if (input.marks) {
        QStringList ticked;
        for (const QString& s : Rules::gradeSubjects())
            if (input.ticked.contains(s))
                ticked << s;
        if (ticked.isEmpty())
            throw Db::InputError(QStringLiteral("勾选了“批量录入成绩”，但没有勾选要输入的科目"));
        QStringList students;
        if (input.roster) {
            for (const Student& st : plan.students)
                students << st.name;
        } else {
            for (const auto& r : Db::selectRows(
                     QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(Db::column(table, "姓名"), Db::table(table))))
                students << r.first().toString();
        }
        if (students.isEmpty())
            throw Db::InputError(QStringLiteral("表中没有学生，不能输入成绩"));
        for (const QString& s : ticked) {
            const Box b = box(s, input.markBoxes.value(s), {s, s + "1"});
            // Marks go to students by position only: every box must hold one
            // mark per student, or every mark after the slip lands on the
            // wrong student.
            if (b.lines.size() != students.size())
                throw Db::InputError(QStringLiteral("“%1”栏有%2行成绩，表中有%3名学生，行数必须相同，请检查是否多了或少了一行")
                                         .arg(s).arg(b.lines.size()).arg(students.size()));
            QList<double> values;
            const qint64 full = fullMarks.value(s, -1);
            for (int j = 0; j < b.lines.size(); ++j) {
                const auto v = Num::parseNumber(b.lines.at(j));
                if (!v)
                    throw Db::InputError(lineError(b, j, "不是数字"));
                if (*v < 0)
                    throw Db::InputError(lineError(b, j, "是负数，成绩不能小于0"));
                if (full >= 0 && *v > double(full))
                    plan.aboveFull.append({s, b.shownLine(j), students.at(j), *v, full});
                values << *v;
            }
            plan.marks.insert(s, values);
        }
    }
    return plan;
}

BulkResult write(const QString& table, const BulkPlan& plan)
{
    BulkResult result;
    Db::inTransaction([&] {
        if (plan.roster)
            replace(table, plan.students);
        if (!plan.marks.isEmpty())
            writeMarks(table, plan.marks);
    });
    for (const auto& m : plan.marks)
        result.markRows = qMax(result.markRows, int(m.size()));
    if (const auto range = Entry::classRange(table)) {
        result.firstClass = range->first;
        result.lastClass = range->last;
    }
    result.students = int(Db::rowCount(table));
    return result;
}

BulkResult bulkInput(const QString& table, const BulkInput& input)
{
    return write(table, prepare(table, input));
}

QString aboveFullQuestion(const QList<AboveFull>& marks, int shown)
{
    QStringList list;
    for (int i = 0; i < marks.size() && i < shown; ++i) {
        const AboveFull& m = marks.at(i);
        list << QStringLiteral("%1 第%2行 %3：%4（满分%5）").arg(m.subject).arg(m.line).arg(m.student, Num::format(m.mark)).arg(m.full);
    }
    if (marks.size() > shown)
        list << QStringLiteral("……共%1个").arg(marks.size());
    return QStringLiteral("有%1个成绩高于满分值：\n%2\n\n仍然要输入这些成绩吗？").arg(marks.size()).arg(list.join('\n'));
}

} // namespace Roster
