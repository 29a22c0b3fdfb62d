#include "windows/entry/entrytext.h"

#include "engine/rules/numbers.h"
#include "engine/rules/subjects.h"

namespace EntryText {

namespace {

// "第N行" of the key a line brought, as the teacher sees it in the boxes.
QString lineKey(const Match::Key& k)
{
    QStringList parts;
    if (!k.number.isEmpty())
        parts << QStringLiteral("学号%1").arg(k.number);
    if (k.cls)
        parts << QStringLiteral("%1班").arg(*k.cls);
    if (!k.name.isEmpty())
        parts << k.name;
    return QStringLiteral("第%1行 %2").arg(k.line).arg(parts.join(' '));
}

void listAtMost(QStringList& out, const QString& heading, const QStringList& items, int shown)
{
    if (items.isEmpty())
        return;
    out << heading.arg(items.size());
    for (int i = 0; i < items.size() && i < shown; ++i)
        out << QStringLiteral("  ") + items.at(i);
    if (items.size() > shown)
        out << QStringLiteral("  ……共%1个").arg(items.size());
}

QString marksOf(const Roster::BulkPlan& plan, const Roster::MarkLine& l)
{
    QStringList parts;
    for (const QString& s : plan.subjects) {
        const auto& m = l.marks[size_t(Rules::gradeSubjects().indexOf(s))];
        parts << s + QLatin1Char(' ') + (m ? Num::format(*m) : QString());
    }
    return parts.join(QStringLiteral("  "));
}

} // namespace

QString aboveFullQuestion(const QList<Roster::AboveFull>& marks, int shown)
{
    QStringList list;
    for (int i = 0; i < marks.size() && i < shown; ++i) {
        const Roster::AboveFull& m = marks.at(i);
        list << QStringLiteral("%1 第%2行 %3：%4（满分%5）").arg(m.subject).arg(m.line).arg(m.student, Num::format(m.mark)).arg(m.full);
    }
    if (marks.size() > shown)
        list << QStringLiteral("……共%1个").arg(marks.size());
    return QStringLiteral("有%1个成绩高于满分值：\n%2\n\n满分值在“计算综合成绩分析表”的处理面板中设置，改过的满分值下次启动仍然有效。"
                          "\n仍然要输入这些成绩吗？")
        .arg(marks.size())
        .arg(list.join('\n'));
}

QString conflicts(const Roster::BulkPlan& plan, int shown)
{
    QStringList out;
    QStringList names, classes;
    for (int i : plan.match.nameDisagrees) {
        const Match::Student& s = plan.current.at(plan.match.studentOf.at(i));
        names << QStringLiteral("%1：名单上是%2").arg(lineKey(plan.keys.at(i)), Roster::studentText(s));
    }
    for (int i : plan.match.classDisagrees) {
        const Match::Student& s = plan.current.at(plan.match.studentOf.at(i));
        classes << QStringLiteral("%1：名单上是%2").arg(lineKey(plan.keys.at(i)), Roster::studentText(s));
    }
    out << QStringLiteral("有些行的成绩不是名单上那名学生的，没有输入任何成绩：");
    listAtMost(out, QStringLiteral("姓名与名单不同的有%1行："), names, shown);
    listAtMost(out, QStringLiteral("班号与名单不同的有%1行："), classes, shown);
    if (plan.match.by == Match::By::Position)
        out << QStringLiteral("\n成绩是按行对应的：名单上有同名学生，只凭姓名分不出是谁。请同时粘贴“学号”栏（或“班号”栏），按学号对应。");
    else
        out << QStringLiteral("\n请检查粘贴的各栏是否来自同一张表、同一顺序。");
    return out.join('\n');
}

QString gapsQuestion(const Roster::BulkPlan& plan, int shown)
{
    const Match::Result& m = plan.match;
    QStringList out;
    out << QStringLiteral("成绩按%1对应到名单上的学生，共对上%2名学生，但：")
               .arg(m.by == Match::By::Number         ? QStringLiteral("学号")
                    : m.by == Match::By::NameAndClass ? QStringLiteral("姓名和班号")
                                                      : QStringLiteral("姓名"))
               .arg(m.matched());
    const auto [unknown, ambiguous, repeated, missing] = Roster::gapLists(plan, lineKey);
    listAtMost(out, QStringLiteral("有%1行在名单上找不到这名学生（这些行不输入）："), unknown, shown);
    listAtMost(out, QStringLiteral("有%1行的姓名名单上有几名学生同名（这些行不输入）："), ambiguous, shown);
    listAtMost(out, QStringLiteral("有%1名学生出现在不止一行（这些行都不输入）："), repeated, shown);
    listAtMost(out, QStringLiteral("名单上有%1名学生没有对应的行（他们原有的成绩不变）："), missing, shown);
    out << QStringLiteral("\n只输入对上的学生的成绩吗？");
    return out.join('\n');
}

QString pairingQuestion(const Roster::BulkPlan& plan, int shown)
{
    QStringList out;
    out << QStringLiteral("粘贴的成绩没有“学号”或“姓名”栏，将按行对应到名单（名单的顺序就是录入表格的顺序：先按班号，再按学号）：");
    const int n = int(plan.lines.size());
    for (int j = 0; j < n; ++j) {
        if (j == shown && n > 2 * shown)
            out << QStringLiteral("……");
        if (j >= shown && j < n - shown)
            continue;
        const Roster::MarkLine& l = plan.lines.at(j);
        if (l.student < 0)
            continue;
        const Match::Student& s = plan.current.at(l.student);
        out << QStringLiteral("第%1行 %2 %3 ← %4").arg(l.line).arg(s.number, s.name, marksOf(plan, l));
    }
    out << QStringLiteral("\n如果成绩表的顺序与名单不同，请选“否”，再把“学号”或“姓名”栏一起粘贴，成绩就会按学生对应。"
                          "\n按这样的对应输入吗？");
    return out.join('\n');
}

QString sameNameQuestion(const QString& name, const Entry::SavedExam& saved)
{
    QStringList numbers;
    for (qint64 n : saved.numbers)
        numbers << QString::number(n);
    const QString which = numbers.isEmpty() ? QStringLiteral("已经有一次考试叫“%1”").arg(name)
                                            : QStringLiteral("已经有考试叫“%1”（编号%2）").arg(name, numbers.join("、"));
    return which + QStringLiteral("，它的成绩已经保存。再用这个名称，以后的查询和图表会把两次考试混在一起。\n\n仍然要用这个名称吗？");
}

} // namespace EntryText
