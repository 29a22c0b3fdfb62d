#include "engine/reports/history.h"

#include "engine/db/database.h"
#include "engine/db/gridmodel.h"
#include "engine/rules/subjects.h"

namespace History {

namespace {

const QString kClass = QStringLiteral("班号");
const QString kNumber = QStringLiteral("学号");
const QString kName = QStringLiteral("姓名");
const QString kExam = QStringLiteral("考试名称");
const QString kExamNumber = QStringLiteral("考试编号");
const QString kId = QStringLiteral("ID");

Db::Condition examPrefix(const QString& exam)
{
    return {kExam, QStringLiteral("like"), trimEnd(exam)};
}

} // namespace

QStringList examNames()
{
    QStringList out;
    for (const auto& r : Db::selectRows(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid")
                                            .arg(Db::column("ksmc", "name"), Db::table("ksmc"))))
        out << r.first().toString();
    return out;
}

QString valueColumn(const QString& subject, Kind kind, int suffix)
{
    const QString n = QString::number(suffix);
    switch (kind) {
    case Kind::Raw:
        return subject + n;
    case Kind::ClassRank:
        return subject + QStringLiteral("班排") + n;
    case Kind::GradeRank:
        break;
    }
    return subject + QStringLiteral("级排") + n;
}

QStringList valueColumns(const QString& subject, Kind kind, int from, int to)
{
    QStringList out;
    for (int n = from; n <= to; ++n)
        out << valueColumn(subject, kind, n);
    return out;
}

QString kindSuffix(Kind kind)
{
    return valueColumn(QString(), kind, 1);
}

QString kindWord(Kind kind)
{
    switch (kind) {
    case Kind::Raw:
        return QStringLiteral("原始");
    case Kind::ClassRank:
        return QStringLiteral("班排");
    case Kind::GradeRank:
        break;
    }
    return QStringLiteral("级排");
}

const QStringList& classSubjects()
{
    static const QStringList s{"总分", "三总", "语文", "数学", "英语", "政治", "物理", "化学"};
    return s;
}

const QStringList& studentSubjects()
{
    static const QStringList s = classSubjects() + QStringList{"综合"};
    return s;
}

QString checkedSubject(const QString& subject, const QString& table)
{
    // Only the items a saved row carries, and only when the table has all
    // three of their columns: a typed name never reaches the statement.
    bool known = Rules::savedItems().contains(subject);
    for (Kind k : {Kind::Raw, Kind::ClassRank, Kind::GradeRank})
        known = known && Db::hasColumn(table, valueColumn(subject, k, 1));
    if (!known)
        throw Db::InputError(
            QStringLiteral("没有“%1”这一科的成绩：请从列表中选择科目（%2）").arg(subject, studentSubjects().join("、")));
    return subject;
}

QString trimEnd(const QString& text)
{
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1).isSpace())
        --n;
    return text.left(n);
}

Db::SelectSpec classQuery(const ClassQuery& q, ClassOrder order, qint64 threshold)
{
    checkedSubject(q.subject, q.table);
    Db::SelectSpec s;
    s.table = q.table;
    s.columns = QStringList{kClass, kNumber, kName} + valueColumns(q.subject, q.kind, q.suffixFrom, q.suffixTo)
        + QStringList{kId};
    if (q.oneClass)
        s.where << Db::Condition{kClass, "=", q.firstClass};
    else
        s.where << Db::Condition{kClass, ">=", q.firstClass} << Db::Condition{kClass, "<=", q.lastClass};
    s.where << examPrefix(q.exam);
    const QString rankFrom = valueColumn(q.subject, Kind::GradeRank, q.suffixFrom);
    const QString rankTo = valueColumn(q.subject, Kind::GradeRank, q.suffixTo);
    switch (order) {
    case ClassOrder::Stored:
        if (q.oneClass)
            s.orderBy = {{kId}, {kNumber}, {kClass}};
        break;
    case ClassOrder::BestFirst:
        s.orderBy = {{rankTo}};
        break;
    case ClassOrder::WorstFirst:
        s.orderBy = {{rankTo, true}};
        break;
    case ClassOrder::AtMost:
        s.where << Db::Condition{rankFrom, "<=", threshold};
        s.orderBy = {{rankTo}};
        break;
    case ClassOrder::AtLeast:
        s.where << Db::Condition{rankFrom, ">=", threshold};
        s.orderBy = {{rankTo}};
        break;
    }
    return s;
}

Db::SelectSpec classAllColumns(qint64 cls, const QString& exam, const QString& table)
{
    Db::SelectSpec s;
    s.table = table;
    s.where = {{kClass, "=", cls}, examPrefix(exam)};
    s.orderBy = {{kId}, {kNumber}, {kClass}};
    return s;
}

Db::SelectSpec studentHistory(const QString& text, bool byNumber, const QString& table)
{
    Db::SelectSpec s;
    s.table = table;
    s.where = {{byNumber ? kNumber : kName, "like", trimEnd(text)}};
    s.orderBy = {{kExamNumber}};
    return s;
}

Db::SelectSpec studentExam(const QString& text, bool byNumber, const QString& exam, const QString& table)
{
    Db::SelectSpec s;
    s.table = table;
    // The examination is matched exactly as it stands in the box.
    s.where = {{byNumber ? kNumber : kName, "like", trimEnd(text)}, {kExam, "like=", exam}};
    return s;
}

NameList firstNames(int count, const QString& table)
{
    const auto rows = Db::selectRows(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid LIMIT ?")
                                         .arg(Db::column(table, kName), Db::table(table)),
                                     {count + 1});
    NameList out;
    if (rows.isEmpty())
        return out;
    for (int i = 0; i < count; ++i)
        out.items << rows.at(qMin(i, int(rows.size()) - 1)).first().toString();
    out.current = rows.at(qMin(count, int(rows.size()) - 1)).first().toString();
    return out;
}

Db::SelectSpec teacherRecord(qint64 cls, const QString& subject)
{
    Db::SelectSpec s;
    s.table = kSavedAnalysis;
    s.where = {{kClass, "=", cls}, {QStringLiteral("科目"), "like=", subject + '1'}};
    s.orderBy = {{kExamNumber}};
    return s;
}

QString checkedRankColumn(const QString& column)
{
    static const QStringList bookkeeping{kClass, kExamNumber};
    if (!Db::isNumericColumn(kSavedAnalysis, column) || bookkeeping.contains(column))
        throw Db::InputError(QStringLiteral("分析表中没有“%1”这一项：请从列表中选择（平均分排名、及格率排名、"
                                            "高分率排名、低分率排名）")
                                 .arg(column));
    return column;
}

QString curveColumn(const QString& subject)
{
    return valueColumn(subject, Kind::GradeRank, 1);
}

Db::SelectSpec classCurve(qint64 cls, const QString& subject, const QString& exam, bool byNumber,
                          const QString& table)
{
    checkedSubject(subject, table);
    const QString r = curveColumn(subject);
    Db::SelectSpec s;
    s.table = table;
    s.columns = {kClass, kNumber, kName, r, kId};
    s.where = {{kClass, "=", cls}, examPrefix(exam)};
    s.orderBy = {{byNumber ? kNumber : r}};
    return s;
}

QList<Point> points(const Db::GridModel& rows, const QString& valueColumn, const QString& labelColumn,
                    const QString& fixedLabel)
{
    if (rows.columnIndex(valueColumn) < 0)
        throw Db::InputError(QStringLiteral("查到的记录中没有“%1”这一栏，无法画图").arg(valueColumn));
    QList<Point> out;
    out.reserve(rows.rowCount());
    for (int r = 0; r < rows.rowCount(); ++r)
        out.append({labelColumn.isEmpty() ? fixedLabel : rows.value(r, labelColumn).toString(),
                    rows.value(r, valueColumn).toDouble()});
    return out;
}

} // namespace History
