#include "engine/entry/roster.h"

#include "engine/db/database.h"
#include "engine/db/statement.h"
#include "engine/entry/setup.h"
#include "engine/rules/numbers.h"
#include "engine/rules/subjects.h"

#include <algorithm>

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

void replace(const QString& table, const QList<Student>& given)
{
    const QString t = Db::table(table);
    const QStringList all = Db::columns(table);
    if (all.size() < 4)
        throw Db::Error(QStringLiteral("表“%1”不是成绩表").arg(table));
    QStringList numbers;
    for (const Student& s : given)
        numbers << s.number;
    if (const auto twice = Match::repeatedNumbers(numbers); !twice.isEmpty())
        throw Db::InputError(QStringLiteral("学号%1出现了两次（第%2名和第%3名学生）：一个学号只能属于一名学生")
                                 .arg(numbers.at(twice.first().first))
                                 .arg(twice.first().first + 1)
                                 .arg(twice.first().second + 1));
    // The table is kept in roster order, so that the grid, the runs, the
    // saves and marks pasted by line all meet the students in one order.
    QList<Student> students = given;
    std::stable_sort(students.begin(), students.end(), [](const Student& a, const Student& b) {
        return Match::rosterLess(a.cls, a.number, b.cls, b.number);
    });
    QStringList cols{Db::quote(all.at(0)), Db::column(table, "学号"), Db::column(table, "班号"),
                     Db::column(table, "姓名")};
    for (const QString& c : namedColumns())
        cols << Db::column(table, c);
    const QString marks = QStringList(QList<QString>(cols.size(), "?")).join(',');
    // For each named column, the subject whose mark it takes (-1: none). A
    // mark not given, every total and every rank start blank: an unentered
    // subject is no 0, and no rank of another examination stays.
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
                    insert.bindNull(i++);
            }
            insert.run();
        }
    });
}

QString boxTitle(const QString& header)
{
    QString h = header.trimmed();
    h.remove(QLatin1Char(' ')).remove(QChar(0x3000));
    static const QMap<QString, QString> words{
        {QStringLiteral("学号"), QStringLiteral("学号")},   {QStringLiteral("考号"), QStringLiteral("学号")},
        {QStringLiteral("准考证号"), QStringLiteral("学号")}, {QStringLiteral("班号"), QStringLiteral("班号")},
        {QStringLiteral("班级"), QStringLiteral("班号")},   {QStringLiteral("姓名"), QStringLiteral("姓名")},
        {QStringLiteral("学生姓名"), QStringLiteral("姓名")},
    };
    if (words.contains(h))
        return words.value(h);
    for (const QString& s : Rules::gradeSubjects())
        if (h == s || h == s + QLatin1Char('1'))
            return s;
    return {};
}

Pasted pasted(const QString& text)
{
    QString t = text;
    t.replace("\r\n", "\n").replace('\r', '\n');
    QStringList lines = t.split('\n');
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    Pasted p;
    QList<QStringList> cells;
    for (const QString& l : lines) {
        cells << l.split('\t');
        p.columns = qMax(p.columns, cells.last().size());
    }
    auto filled = [](const QStringList& row) {
        int n = 0;
        for (const QString& c : row)
            n += !c.trimmed().isEmpty();
        return n;
    };
    // A header is a line where at least two cells (or the only one) name a box.
    auto isHeader = [&](const QStringList& row) {
        int named = 0;
        for (const QString& c : row)
            named += !boxTitle(c).isEmpty();
        return named >= 2 || (named == 1 && filled(row) == 1 && p.columns == 1);
    };
    int first = 0;
    while (first < cells.size() && first < 3 && p.columns > 1 && filled(cells.at(first)) <= 1 && !isHeader(cells.at(first)))
        ++first;
    if (first < cells.size() && isHeader(cells.at(first))) {
        p.header = true;
        p.titleLines = first;
        p.headers = cells.at(first);
        for (const QString& h : p.headers)
            p.titles << boxTitle(h);
        cells = cells.mid(first + 1);
    }
    p.rows = cells;
    return p;
}

QList<Match::Student> rosterOf(const QString& table)
{
    QList<Match::Student> out;
    const QString sql = QStringLiteral("SELECT rowid, %1, %2, %3 FROM %4 ORDER BY %2, %1, rowid")
                            .arg(Db::column(table, "学号"), Db::column(table, "班号"), Db::column(table, "姓名"),
                                 Db::table(table));
    for (const auto& r : Db::selectRows(sql))
        out.append({r.at(0).toLongLong(), r.at(1).toString(), r.at(2).toLongLong(), r.at(3).toString()});
    return out;
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
// the column's name in the grade table) is dropped, and no other line may be
// the title again. A roster box has no empty line; in a mark box an empty
// line is a student who was absent.
Box box(const QString& title, const QString& text, const QStringList& titles, bool blanks = false)
{
    Box b{title, lines(text), 0};
    if (!b.lines.isEmpty() && titles.contains(b.lines.first())) {
        b.lines.removeFirst();
        b.offset = 1;
    }
    for (int i = 0; i < b.lines.size(); ++i) {
        if (b.lines.at(i).isEmpty() && !blanks)
            throw Db::InputError(QStringLiteral("“%1”栏第%2行是空的").arg(title).arg(b.shownLine(i)));
        if (titles.contains(b.lines.at(i)))
            throw Db::InputError(lineError(b, i, "是标题，标题只能在第一行"));
    }
    return b;
}

// A mark box of `count` lines. A column copied from a spreadsheet ends in
// empty lines where its last students were absent: they are kept up to the
// count (the line break that ends the last cell makes no line of its own).
Box markBox(const QString& subject, const QString& text, qsizetype count)
{
    Box b = box(subject, text, {subject, subject + "1"}, true);
    if (b.lines.size() >= count)
        return b;
    QString t = text;
    t.replace("\r\n", "\n").replace('\r', '\n');
    if (t.endsWith('\n'))
        t.chop(1);
    const qsizetype written = t.isEmpty() ? 0 : t.count('\n') + 1 - b.offset;
    while (b.lines.size() < qMin(count, written))
        b.lines << QString();
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

namespace {

// The subjects whose marks are written: the ticked ones in their fixed order.
QStringList tickedSubjects(const BulkInput& input)
{
    QStringList ticked;
    for (const QString& s : Rules::gradeSubjects())
        if (input.ticked.contains(s))
            ticked << s;
    if (ticked.isEmpty())
        throw Db::InputError(QStringLiteral("勾选了“批量录入成绩”，但没有勾选要输入的科目"));
    return ticked;
}

// The roster boxes as a new roster, every line checked.
QList<Student> newRoster(const BulkInput& input)
{
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
    QList<Student> students;
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
        students.append({numbers.lines.at(k), *cls, names.lines.at(k), {}});
    }
    // 学号 names a student in every query: two students may not share one.
    if (const auto twice = Match::repeatedNumbers(numbers.lines); !twice.isEmpty()) {
        const auto [a, b] = twice.first();
        throw Db::InputError(QStringLiteral("“学号”栏第%1行和第%2行都是“%3”（%4和%5）：一个学号只能属于一名学生")
                                 .arg(numbers.shownLine(a))
                                 .arg(numbers.shownLine(b))
                                 .arg(shown(numbers.lines.at(a)), shown(names.lines.at(a)), shown(names.lines.at(b))));
    }
    return students;
}

// The filled key boxes of marks for the roster the table holds, as keys of
// `count` lines; an empty box gives no key.
QList<Match::Key> markKeys(const BulkInput& input, Match::Columns& columns, qsizetype count, int& offset)
{
    const Box numbers = rosterBox(QStringLiteral("学号"), input.numbers);
    const Box classes = rosterBox(QStringLiteral("班号"), input.classes);
    const Box names = rosterBox(QStringLiteral("姓名"), input.names);
    columns = {!numbers.lines.isEmpty(), !classes.lines.isEmpty(), !names.lines.isEmpty()};
    QList<Match::Key> keys(count);
    for (const Box* b : {&numbers, &classes, &names}) {
        if (b->lines.isEmpty())
            continue;
        if (b->lines.size() != count)
            throw Db::InputError(QStringLiteral("“%1”栏有%2行，成绩栏有%3行：用来对应学生的栏必须和成绩栏一样多行")
                                     .arg(b->title).arg(b->lines.size()).arg(count));
        offset = b->offset;
    }
    for (int j = 0; j < count; ++j) {
        if (columns.number)
            keys[j].number = numbers.lines.at(j);
        if (columns.name)
            keys[j].name = names.lines.at(j);
        if (columns.cls) {
            const auto cls = Num::parseInteger(classes.lines.at(j));
            if (!cls)
                throw Db::InputError(lineError(classes, j, "不是整数"));
            keys[j].cls = *cls;
        }
    }
    return keys;
}

} // namespace

namespace {

// The ticked mark boxes, each as long as `count` lines; the message of a box
// that is not names the box it is held against.
QList<Box> markBoxes(const BulkInput& input, const QStringList& subjects, qsizetype count, const QString& against)
{
    QList<Box> boxes;
    for (const QString& s : subjects) {
        const Box b = markBox(s, input.markBoxes.value(s), count);
        boxes << b;
        if (b.lines.size() == count)
            continue;
        if (input.roster)
            throw Db::InputError(QStringLiteral("“%1”栏有%2行成绩，名单有%3名学生，行数必须相同，请检查是否多了或少了一行")
                                     .arg(b.title).arg(b.lines.size()).arg(count));
        if (against.isEmpty())
            throw Db::InputError(QStringLiteral("“%1”栏有%2行成绩，表中有%3名学生，行数必须相同，请检查是否多了或少了一行")
                                     .arg(b.title).arg(b.lines.size()).arg(count));
        throw Db::InputError(QStringLiteral("“%1”栏有%2行成绩，“%3”栏有%4行，每栏的行数必须相同，请检查是否多了或少了一行")
                                 .arg(b.title).arg(b.lines.size()).arg(against).arg(count));
    }
    return boxes;
}

// The first filled key box (学号, 班号, 姓名) of marks for the roster the
// table holds: its title and lines; none when marks go by line.
std::optional<Box> firstKeyBox(const BulkInput& input)
{
    for (const auto& [title, text] : {std::pair{QStringLiteral("学号"), input.numbers},
                                      std::pair{QStringLiteral("班号"), input.classes},
                                      std::pair{QStringLiteral("姓名"), input.names}})
        if (!lines(text).isEmpty())
            return rosterBox(title, text);
    return std::nullopt;
}

// The marks of line j of every box: a number or an absence; anything else
// is refused naming the box and the line. Marks above their full mark are
// listed for the question asked before writing.
void readMarks(const QList<Box>& boxes, int j, const QString& student, const QMap<QString, qint64>& fullMarks,
               MarkLine& line, BulkPlan& plan)
{
    for (const Box& b : boxes) {
        const Num::MarkCell cell = Num::markCell(b.lines.at(j));
        if (cell.kind == Num::MarkCell::NotANumber)
            throw Db::InputError(lineError(b, j, "不是数字（缺考的学生可以空着，或填“缺考”“缺”“/”）"));
        if (cell.kind == Num::MarkCell::Negative)
            throw Db::InputError(lineError(b, j, "是负数，成绩不能小于0"));
        if (cell.kind == Num::MarkCell::Absent) {
            plan.absent += line.student >= 0;
            continue;
        }
        const qint64 full = fullMarks.value(b.title, -1);
        if (line.student >= 0 && full >= 0 && cell.mark > double(full))
            plan.aboveFull.append({b.title, b.shownLine(j), student, cell.mark, full});
        line.marks[size_t(Rules::gradeSubjects().indexOf(b.title))] = cell.mark;
    }
}

} // namespace

BulkPlan prepare(const QString& table, const BulkInput& input, const QMap<QString, qint64>& fullMarks)
{
    Db::table(table);
    BulkPlan plan;
    plan.roster = input.roster;
    if (input.roster)
        plan.students = newRoster(input);
    if (!input.marks)
        return plan;

    plan.subjects = tickedSubjects(input);
    if (!input.roster) {
        plan.current = rosterOf(table);
        if (plan.current.isEmpty())
            throw Db::InputError(QStringLiteral("表中没有学生，不能输入成绩"));
    }
    // How many lines every ticked box must hold: one per student of a new
    // roster or, for marks that go by line, of the roster the table holds;
    // with key boxes, as many as they.
    const std::optional<Box> key = input.roster ? std::nullopt : firstKeyBox(input);
    const qsizetype count = input.roster ? plan.students.size() : key ? key->lines.size() : plan.current.size();
    const QList<Box> boxes = markBoxes(input, plan.subjects, count, key ? key->title : QString());

    int keyOffset = boxes.first().offset;
    if (!input.roster) {
        Match::Columns columns;
        plan.keys = markKeys(input, columns, count, keyOffset);
        for (int j = 0; j < count; ++j)
            plan.keys[j].line = j + 1 + keyOffset;
        plan.match = Match::match(plan.current, plan.keys, columns);
    }

    for (int j = 0; j < count; ++j) {
        MarkLine line;
        line.line = j + 1 + keyOffset;
        line.student = input.roster ? j : plan.match.studentOf.at(j);
        const QString student = line.student < 0 ? QString()
            : input.roster                        ? plan.students.at(j).name
                                                  : plan.current.at(line.student).name;
        readMarks(boxes, j, student, fullMarks, line, plan);
        if (input.roster)
            plan.students[j].marks = line.marks;
        else
            plan.lines << line;
    }
    return plan;
}

BulkResult write(const QString& table, const BulkPlan& plan)
{
    BulkResult result;
    Db::inTransaction([&] {
        if (plan.roster)
            replace(table, plan.students);
        if (!plan.marksForRoster())
            return;
        QStringList sets;
        QList<int> subjects;
        for (const QString& s : plan.subjects) {
            sets << Db::column(table, s + "1") + " = ?";
            subjects << int(Rules::gradeSubjects().indexOf(s));
        }
        Db::Statement update(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ? AND %3 = ?")
                                 .arg(Db::table(table), sets.join(", "), Db::column(table, "学号")));
        for (const MarkLine& l : plan.lines) {
            if (l.student < 0)
                continue;
            const Match::Student& st = plan.current.at(l.student);
            int i = 0;
            for (int s : subjects) {
                if (l.marks[size_t(s)])
                    update.bind(i++, *l.marks[size_t(s)]);
                else
                    update.bindNull(i++);
            }
            update.bind(i++, st.rowid);
            update.bind(i++, st.number);
            update.run();
            // The row no longer holds the student the marks were matched
            // to: another window or program changed the table meanwhile.
            if (update.changes() != 1)
                throw Db::InputError(QStringLiteral("成绩表在核对之后被其他窗口或程序改动过（学号%1 %2已不在原来的行），"
                                                    "没有输入任何成绩；请重新按“确定”")
                                         .arg(st.number, st.name));
            ++result.markRows;
        }
    });
    if (plan.roster && !plan.subjects.isEmpty())
        result.markRows = int(plan.students.size());
    result.absent = plan.absent;
    if (const auto range = Entry::classRange(table)) {
        result.firstClass = range->first;
        result.lastClass = range->last;
    }
    result.students = int(Db::rowCount(table));
    return result;
}

QString studentText(const Match::Student& s)
{
    return QStringLiteral("学号%1 %2班 %3").arg(s.number).arg(s.cls).arg(s.name);
}

GapLists gapLists(const BulkPlan& plan, const std::function<QString(const Match::Key&)>& key)
{
    const Match::Result& m = plan.match;
    GapLists out;
    for (int i : m.unknown)
        out.unknown << key(plan.keys.at(i));
    for (int i : m.ambiguous)
        out.ambiguous << key(plan.keys.at(i));
    for (const Match::Result::Repeated& group : m.repeated) {
        QStringList lineNumbers;
        for (int i : group.lines)
            lineNumbers << QString::number(plan.keys.at(i).line);
        out.repeated << QStringLiteral("第%1行都是%2").arg(lineNumbers.join(QStringLiteral("、")),
                                                         studentText(plan.current.at(group.student)));
    }
    for (int s : m.missing)
        out.missing << studentText(plan.current.at(s));
    return out;
}

} // namespace Roster
