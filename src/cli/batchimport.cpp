#include "cli/batchimport.h"

#include "engine/db/database.h"
#include "engine/rules/numbers.h"
#include "engine/session/session.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace Batch {

namespace {

// Lines of a list the tool prints, before it says how many more there are.
constexpr int kListed = 5;

QString joined(const QStringList& items)
{
    QStringList shown = items.mid(0, kListed);
    if (items.size() > kListed)
        shown << QStringLiteral("……共%1个").arg(items.size());
    return shown.join(QStringLiteral("；"));
}

QString row(const Match::Key& k)
{
    QStringList parts{QStringLiteral("第%1行").arg(k.line)};
    if (!k.number.isEmpty())
        parts << QStringLiteral("学号%1").arg(k.number);
    if (!k.name.isEmpty())
        parts << k.name;
    return parts.join(' ');
}

QString byWhat(Match::By by)
{
    switch (by) {
    case Match::By::Number: return QStringLiteral("学号");
    case Match::By::NameAndClass: return QStringLiteral("姓名和班号");
    case Match::By::Name: return QStringLiteral("姓名");
    case Match::By::Position: return QStringLiteral("行的顺序");
    }
    return {};
}

// Rows whose 姓名 or 班号 is another student's than the 学号 names.
QString conflicts(const Roster::BulkPlan& plan)
{
    QStringList rows;
    for (const QList<int>* list : {&plan.match.nameDisagrees, &plan.match.classDisagrees})
        for (int i : *list)
            rows << QStringLiteral("%1（名单上是%2）").arg(row(plan.keys.at(i)), Roster::studentText(plan.current.at(plan.match.studentOf.at(i))));
    return QStringLiteral("有%1行的姓名或班号与名单上这个学号的学生不同，没有导入任何成绩：%2。"
                          "请检查文件是否是这个年级的成绩表。")
        .arg(rows.size())
        .arg(joined(rows));
}

// What did not match, one line each kind.
QStringList gaps(const Roster::BulkPlan& plan)
{
    const auto [unknown, ambiguous, repeated, missing] = Roster::gapLists(plan, row);
    QStringList out;
    if (!unknown.isEmpty())
        out << QStringLiteral("%1行在名单上找不到这名学生：%2").arg(unknown.size()).arg(joined(unknown));
    if (!ambiguous.isEmpty())
        out << QStringLiteral("%1行的姓名名单上有几名学生同名：%2").arg(ambiguous.size()).arg(joined(ambiguous));
    if (!repeated.isEmpty())
        out << QStringLiteral("%1名学生出现在不止一行：%2").arg(repeated.size()).arg(joined(repeated));
    if (!missing.isEmpty())
        out << QStringLiteral("名单上%1名学生在文件中没有对应的行：%2").arg(missing.size()).arg(joined(missing));
    return out;
}

// The sheet named by --sheet, or the first whose header is recognised.
Import::Table readSheet(Import::Workbook& book, const Invocation& inv)
{
    if (!inv.options.contains("sheet"))
        return Actions::readFirstRecognised(book);
    const QString wanted = inv.options.value("sheet");
    const int index = Actions::findSheet(book, wanted);
    if (index < 0)
        throw Db::InputError(QStringLiteral("“%1”中没有工作表“%2”（按名称或从1起的序号），它的工作表是：%3")
                                 .arg(Import::shownName(book.fileName()), wanted,
                                      book.sheetNames().join(QStringLiteral("、"))));
    return Import::readTable(book, index);
}

QString subjectList(const QStringList& subjects)
{
    return subjects.isEmpty() ? QStringLiteral("无") : subjects.join(QStringLiteral("、"));
}

// The columns of the sheet that were not imported, by their header.
QString leftOutHeaders(const Actions::ImportPlan& plan)
{
    QStringList headers;
    for (const QString& c : plan.leftOut)
        headers << c.section(QStringLiteral("“"), 1).section(QStringLiteral("”"), 0, 0);
    return headers.join(QStringLiteral("、"));
}

void checkArguments(const Invocation& inv, bool marks)
{
    if (inv.options.contains("accept-gaps") && !marks)
        throw UsageError(QStringLiteral("--accept-gaps 只能和 --marks 一起用"));
    if (inv.options.contains("table")) {
        const QString t = inv.options.value("table");
        if (t != QLatin1String("cj") && t != QLatin1String("cjn"))
            throw UsageError(QStringLiteral("--table 只能是 cj 或 cjn，现在是“%1”").arg(t));
    }
    const QString file = inv.positional.value(0);
    const QFileInfo info(file);
    if (!info.exists())
        throw Db::Error(QStringLiteral("找不到文件 %1").arg(QDir::toNativeSeparators(file)));
    if (info.isDir())
        throw Db::Error(QStringLiteral("%1 是文件夹，不是成绩表文件").arg(QDir::toNativeSeparators(file)));
}

// Marks go in only where every row is the student the roster says, and
// every student has a row unless --accept-gaps.
void checkMatch(const Actions::ImportPlan& plan, const Invocation& inv)
{
    if (plan.bulk.match.hasConflicts())
        throw Db::InputError(conflicts(plan.bulk));
    if (plan.bulk.match.hasGaps() && !inv.options.contains("accept-gaps"))
        throw Db::InputError(QStringLiteral("成绩按%1对应到名单上的学生，对上%2名，但：\n%3\n没有导入任何成绩。"
                                            "只导入对上的学生的成绩（其余学生原有的成绩不变）时，加 --accept-gaps。")
                                 .arg(byWhat(plan.bulk.match.by))
                                 .arg(plan.bulk.match.matched())
                                 .arg(gaps(plan.bulk).join('\n')));
}

QString marksSummary(const Actions::ImportPlan& plan, const Actions::ImportResult& r, const QString& from,
                     const QString& table)
{
    QString summary = QStringLiteral("已按%1把%2的成绩导入表 %3：%4名学生，科目：%5，写入%6个成绩、%7个缺考（空着或填了缺考，不计0分），"
                                     "名单上共%8名学生")
                          .arg(byWhat(plan.bulk.match.by), from, table)
                          .arg(r.students)
                          .arg(subjectList(plan.bulk.subjects))
                          .arg(r.marks)
                          .arg(r.absences)
                          .arg(r.rosterSize);
    if (plan.bulk.match.hasGaps())
        summary += QStringLiteral("；%1行没有对上名单，%2名学生没有成绩行，原有成绩不变")
                       .arg(plan.bulk.match.unknown.size() + plan.bulk.match.ambiguous.size())
                       .arg(plan.bulk.match.missing.size());
    return summary;
}

QString rosterSummary(const Actions::ImportPlan& plan, const Actions::ImportResult& r, const QString& from,
                      const QString& table)
{
    QSet<qint64> classes;
    for (const Roster::Student& s : plan.bulk.students)
        classes.insert(s.cls);
    return QStringLiteral("已把%1的%2名学生（%3个班）作为新名单导入表 %4，科目：%5，写入%6个成绩、%7个缺考"
                          "（空着或填了缺考，不计0分）")
        .arg(from)
        .arg(r.students)
        .arg(classes.size())
        .arg(table, subjectList(plan.bulk.subjects))
        .arg(r.marks)
        .arg(r.absences);
}

// What either kind of import adds: marks above full, columns and rows left out.
QString remarks(const Actions::ImportPlan& plan)
{
    QString out;
    if (!plan.bulk.aboveFull.isEmpty())
        out += QStringLiteral("；%1个成绩高于满分").arg(plan.bulk.aboveFull.size());
    if (!plan.leftOut.isEmpty())
        out += QStringLiteral("；不导入的列：%1").arg(leftOutHeaders(plan));
    if (!plan.skipped.isEmpty())
        out += QStringLiteral("；跳过%1行不是学生的行").arg(plan.skipped.size());
    return out;
}

} // namespace

Outcome runImport(const Invocation& inv)
{
    const bool marks = inv.options.contains("marks");
    checkArguments(inv, marks);
    const QString file = inv.positional.value(0);

    // The whole file is read and recognised before the database is opened.
    const std::unique_ptr<Import::Workbook> book = Import::open(file);
    const Import::Table sheet = readSheet(*book, inv);
    if (!sheet.found)
        throw Db::InputError(QStringLiteral("认不出“%1”的表头，没有导入：").arg(Import::shownName(file)) + sheet.unrecognised);

    Db::open(inv.options.value("db", defaultDatabase()));
    Session session;
    session.load(false);
    QString table = inv.options.value("table", QStringLiteral("cjn"));
    if (marks) {
        if (inv.options.contains("table"))
            session.useTable(table);
        table = session.workingTable();
    }
    const Actions::ImportPlan plan =
        Actions::planImport(session, table, sheet, marks ? Actions::ImportKind::Marks : Actions::ImportKind::NewRoster);
    if (marks)
        checkMatch(plan, inv);
    const Actions::ImportResult r = Actions::writeImport(session, table, plan);

    Outcome o;
    const QString from = QStringLiteral("“%1”的工作表“%2”").arg(Import::shownName(file), sheet.sheet);
    o.summary = marks ? marksSummary(plan, r, from, table) : rosterSummary(plan, r, from, table);
    o.summary += remarks(plan);
    return o;
}

Actions::ImportResult importRoster(const QString& table, const QString& file)
{
    const std::unique_ptr<Import::Workbook> book = Import::open(file);
    const Import::Table sheet = Actions::readFirstRecognised(*book);
    Session session;
    session.load(false);
    return Actions::writeImport(session, table, Actions::planImport(session, table, sheet, Actions::ImportKind::NewRoster));
}

} // namespace Batch
