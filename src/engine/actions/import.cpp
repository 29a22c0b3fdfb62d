#include "engine/actions/import.h"

#include "engine/actions/exam.h"
#include "engine/db/database.h"
#include "engine/rules/subjects.h"
#include "engine/session/session.h"

#include <QSet>
#include <algorithm>

namespace Actions {

namespace {

// Problems shown before the teacher is told to put them right: a screenful.
constexpr int kProblemsShown = 20;

QString where(const Import::Table& sheet)
{
    return QStringLiteral("“%1”的工作表“%2”").arg(Import::shownName(sheet.file), sheet.sheet);
}

[[noreturn]] void refuseProblems(const Import::Table& sheet, QList<Import::Problem> problems)
{
    std::stable_sort(problems.begin(), problems.end(), [](const Import::Problem& a, const Import::Problem& b) {
        return a.row != b.row ? a.row < b.row : a.column < b.column;
    });
    QStringList lines{QStringLiteral("%1中有%2处要改正，没有导入任何内容：").arg(where(sheet)).arg(problems.size())};
    for (qsizetype i = 0; i < problems.size() && i < kProblemsShown; ++i)
        lines << problems.at(i).message();
    if (problems.size() > kProblemsShown)
        lines << QStringLiteral("……另有%1处没有列出").arg(problems.size() - kProblemsShown);
    lines << QStringLiteral("缺考的学生可以空着，或填“缺考”“缺”“/”。请在表格中改正后再导入。");
    throw Db::InputError(lines.join('\n'));
}

// The subjects with a column, in their fixed order.
QStringList subjectsOf(const Import::Layout& layout)
{
    QStringList out;
    for (int s = 0; s < Import::kSubjectCount; ++s)
        if (layout.hasSubject(s))
            out << Rules::gradeSubjects().at(s);
    return out;
}

std::array<std::optional<double>, Roster::kRosterSubjects> marksOf(const Import::Student& s)
{
    std::array<std::optional<double>, Roster::kRosterSubjects> out{};
    for (int k = 0; k < Roster::kRosterSubjects; ++k)
        if (s.marks[size_t(k)].state == Import::Mark::State::Value)
            out[size_t(k)] = s.marks[size_t(k)].value;
    return out;
}

// Counts the marks and absences of a student in the subjects that are
// written, and lists the marks above their full mark.
void countMarks(const Import::Student& s, const QString& name, const QMap<QString, qint64>& fullMarks,
                ImportPlan& plan)
{
    for (int k = 0; k < Roster::kRosterSubjects; ++k) {
        const Import::Mark& m = s.marks[size_t(k)];
        const QString& subject = Rules::gradeSubjects().at(k);
        if (m.state == Import::Mark::State::Absent) {
            ++plan.absences;
        } else if (m.state == Import::Mark::State::Value) {
            ++plan.marks;
            const qint64 full = fullMarks.value(subject, -1);
            if (full >= 0 && m.value > double(full))
                plan.bulk.aboveFull.append({subject, s.row, name, m.value, full});
        }
    }
}

// A new roster needs 学号, 班号 and 姓名 on every row, each 学号 once,
// names and numbers without control characters.
void planRoster(const Import::Table& sheet, const QMap<QString, qint64>& fullMarks, ImportPlan& plan)
{
    const Import::Layout& layout = sheet.layout;
    const int numberColumn = layout.columnOf(Import::Field::Number);
    const int classColumn = layout.columnOf(Import::Field::Class);
    const int nameColumn = layout.columnOf(Import::Field::Name);
    QStringList missing;
    if (numberColumn < 0)
        missing << QStringLiteral("学号");
    if (classColumn < 0)
        missing << QStringLiteral("班号");
    if (nameColumn < 0)
        missing << QStringLiteral("姓名");
    if (!missing.isEmpty())
        throw Db::InputError(QStringLiteral("作为新名单导入，%1要有学号、班号、姓名三列，现在没有%2列。"
                                            "请在表格中加上，或在导入窗口里为它选一列。")
                                 .arg(where(sheet), missing.join(QStringLiteral("、"))));

    QList<Import::Problem> problems = sheet.problems;
    QSet<QPair<int, int>> faulty;
    for (const Import::Problem& p : sheet.problems)
        faulty.insert({p.row, p.column});
    QStringList numbers;
    numbers.reserve(sheet.students.size());
    for (const Import::Student& s : sheet.students) {
        numbers << s.number;
        if (s.number.isEmpty())
            problems << Import::Problem{s.row, numberColumn, QStringLiteral("学号是空的")};
        else if (!Rules::isCleanText(s.number))
            problems << Import::Problem{s.row, numberColumn, QStringLiteral("学号中有换行、制表符等看不见的字符")};
        if (s.cls == 0 && !faulty.contains({s.row, classColumn}))
            problems << Import::Problem{s.row, classColumn, QStringLiteral("班号是空的")};
        if (s.name.isEmpty())
            problems << Import::Problem{s.row, nameColumn, QStringLiteral("姓名是空的")};
        else if (!Rules::isCleanText(s.name))
            problems << Import::Problem{s.row, nameColumn, QStringLiteral("姓名中有换行、制表符等看不见的字符")};
    }
    for (const auto& [first, second] : Match::repeatedNumbers(numbers))
        problems << Import::Problem{sheet.students.at(second).row, numberColumn,
                                    QStringLiteral("学号“%1”在第%2行已经有了，一个学号只能属于一名学生")
                                        .arg(numbers.at(second))
                                        .arg(sheet.students.at(first).row)};
    if (!problems.isEmpty())
        refuseProblems(sheet, problems);

    plan.bulk.roster = true;
    plan.bulk.students.reserve(sheet.students.size());
    for (const Import::Student& s : sheet.students) {
        plan.bulk.students.append({s.number, s.cls, s.name, marksOf(s)});
        countMarks(s, s.name, fullMarks, plan);
    }
    plan.bulk.absent = plan.absences;
}

// Marks for the table's students: every row matched to its student by the
// keys the sheet has.
void planMarks(const QString& table, const Import::Table& sheet, const QMap<QString, qint64>& fullMarks,
               ImportPlan& plan)
{
    if (!sheet.problems.isEmpty())
        refuseProblems(sheet, sheet.problems);
    if (plan.bulk.subjects.isEmpty())
        throw Db::InputError(QStringLiteral("%1没有一列是成绩（语文、数学……），没有成绩可以导入。"
                                            "请在导入窗口里为成绩列选上科目。")
                                 .arg(where(sheet)));
    plan.bulk.current = Roster::rosterOf(table);
    if (plan.bulk.current.isEmpty())
        throw Db::InputError(QStringLiteral("成绩表 %1 里还没有学生，不能按名单导入成绩；请先把文件中的学生作为新名单导入。").arg(table));

    const Import::Layout& layout = sheet.layout;
    const Match::Columns columns{layout.columnOf(Import::Field::Number) >= 0,
                                 layout.columnOf(Import::Field::Class) >= 0,
                                 layout.columnOf(Import::Field::Name) >= 0};
    plan.bulk.keys.reserve(sheet.students.size());
    plan.bulk.lines.reserve(sheet.students.size());
    for (const Import::Student& s : sheet.students) {
        Match::Key key{s.row, s.number, std::nullopt, s.name};
        if (columns.cls && s.cls > 0)
            key.cls = s.cls;
        plan.bulk.keys << key;
    }
    plan.bulk.match = Match::match(plan.bulk.current, plan.bulk.keys, columns);
    for (qsizetype i = 0; i < sheet.students.size(); ++i) {
        const Import::Student& s = sheet.students.at(i);
        const int student = plan.bulk.match.studentOf.at(i);
        plan.bulk.lines.append({s.row, student, marksOf(s)});
        if (student >= 0)
            countMarks(s, plan.bulk.current.at(student).name, fullMarks, plan);
    }
    plan.bulk.absent = plan.absences;
}

} // namespace

int findSheet(const Import::Workbook& book, const QString& nameOrNumber)
{
    const QString wanted = nameOrNumber.trimmed();
    if (const int byName = book.indexOf(wanted); byName >= 0)
        return byName;
    bool ok = false;
    const int n = wanted.toInt(&ok);
    return ok && n >= 1 && n <= book.sheetNames().size() ? n - 1 : -1;
}

Import::Table readFirstRecognised(Import::Workbook& book, const ReadProgress& progress)
{
    const int sheets = int(book.sheetNames().size());
    if (sheets == 0)
        throw Db::InputError(QStringLiteral("“%1”里没有工作表。").arg(Import::shownName(book.fileName())));
    std::optional<Import::Table> first;
    for (int s = 0; s < sheets; ++s) {
        Import::Table t = Import::readTable(book, s, std::nullopt, progress);
        if (t.found || t.cancelled)
            return t;
        if (!first)
            first = std::move(t);
    }
    if (sheets > 1)
        first->unrecognised = QStringLiteral("“%1”的%2个工作表（%3）都找不到表头。\n")
                                  .arg(Import::shownName(book.fileName()))
                                  .arg(sheets)
                                  .arg(book.sheetNames().join(QStringLiteral("、")))
            + first->unrecognised;
    return *first;
}

ImportPlan planImport(Session& session, const QString& table, const Import::Table& sheet, ImportKind kind)
{
    Db::table(table);
    if (sheet.cancelled)
        throw Db::InputError(QStringLiteral("读取%1时取消了，没有导入任何内容。").arg(where(sheet)));
    if (!sheet.found)
        throw Db::InputError(QStringLiteral("无法导入%1：").arg(where(sheet)) + sheet.unrecognised);
    Import::checkLayout(sheet.layout);
    if (sheet.students.isEmpty())
        throw Db::InputError(QStringLiteral("%1的表头下面没有学生，没有导入任何内容。").arg(where(sheet)));

    ImportPlan plan;
    plan.kind = kind;
    plan.file = sheet.file;
    plan.sheet = sheet.sheet;
    plan.read = int(sheet.students.size());
    plan.replaced = int(Db::rowCount(table));
    plan.skipped = sheet.skipped;
    plan.bulk.subjects = subjectsOf(sheet.layout);
    for (int c = 0; c < sheet.layout.targets.size(); ++c) {
        const QString header = sheet.layout.headers.value(c).trimmed();
        if (sheet.layout.targets.at(c).field == Import::Field::Skip && !header.isEmpty())
            plan.leftOut << QStringLiteral("%1列“%2”：%3")
                                .arg(Import::columnName(c), header,
                                     sheet.layout.notes.value(c).isEmpty() ? QStringLiteral("不导入")
                                                                           : sheet.layout.notes.value(c));
    }
    const QMap<QString, qint64> fullMarks = session.fullMarks();
    if (kind == ImportKind::NewRoster)
        planRoster(sheet, fullMarks, plan);
    else
        planMarks(table, sheet, fullMarks, plan);
    return plan;
}

ImportResult writeImport(Session& session, const QString& table, const ImportPlan& plan)
{
    if (plan.marksForRoster()) {
        if (plan.bulk.match.hasConflicts())
            throw Db::InputError(QStringLiteral("有的行的姓名或班号与按学号找到的学生不同，没有导入任何成绩。"));
        if (plan.bulk.match.matched() == 0)
            throw Db::InputError(QStringLiteral("文件中没有一行对上名单上的学生，没有导入任何成绩。"));
    }
    const Roster::BulkResult written = writeBulk(session, table, plan.bulk);
    ImportResult r;
    r.students = plan.marksForRoster() ? written.markRows : int(plan.bulk.students.size());
    r.marks = plan.marks;
    r.absences = plan.absences;
    r.rosterSize = written.students;
    return r;
}

} // namespace Actions
