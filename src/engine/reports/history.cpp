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
    // The blank database's seed row says that there is no examination: it
    // is never offered as one.
    for (const auto& r : Db::selectRows(QStringLiteral("SELECT %1 FROM %2 WHERE %1 IS NOT ? ORDER BY rowid")
                                            .arg(Db::column("ksmc", "name"), Db::table("ksmc")),
                                        {QStringLiteral("没有任何考试")}))
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
    if (q.withExam)
        s.columns.prepend(kExam);
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

namespace {

// The rows whose column begins with the prefix, as a range the index serves
// (LIKE would compare without case and could not use it).
QString prefixRange(const QString& column)
{
    return QStringLiteral("%1 >= ? AND %1 < ? || char(1114111)").arg(column);
}

} // namespace

StudentSearch findStudents(const QString& text, bool byNumber, int limit, const QString& table)
{
    StudentSearch out;
    const QString key = trimEnd(text);
    if (key.isEmpty())
        return out;
    const QString t = Db::table(table), number = Db::column(table, kNumber), name = Db::column(table, kName);
    const QString by = byNumber ? number : name, other = byNumber ? name : number;
    QList<std::pair<QString, QString>> found; // (学号, 姓名)
    for (const auto& r : Db::selectRows(QStringLiteral("SELECT DISTINCT %1, %2 FROM %3 WHERE %4 = ? ORDER BY %5")
                                            .arg(number, name, t, by, other),
                                        {key}))
        found.append({r.at(0).toString(), r.at(1).toString()});
    const auto rows = Db::selectRows(QStringLiteral("SELECT DISTINCT %1, %2 FROM %3 WHERE %4 AND %5 > ? ORDER BY %5, %6 LIMIT ?")
                                         .arg(number, name, t, prefixRange(by), by, other),
                                     {key, key, key, limit + 1});
    for (const auto& r : rows)
        found.append({r.at(0).toString(), r.at(1).toString()});
    out.more = found.size() > limit;
    found = found.mid(0, limit);
    const QString detail = QStringLiteral("SELECT %1, %2 FROM %3 WHERE %4 IS ? AND %5 IS ? ORDER BY %6, %7")
                               .arg(Db::column(table, kClass), Db::column(table, kExam), t, number, name,
                                    Db::column(table, kExamNumber), Db::column(table, kId));
    QSqlQuery q = Db::prepare(detail);
    for (const auto& [n, nm] : found) {
        SavedStudent s{n, nm, {}, {}};
        Db::exec(q, {n, nm});
        while (Db::next(q)) {
            const qint64 cls = q.value(0).toLongLong();
            if (!s.classes.contains(cls))
                s.classes << cls;
            const QString exam = q.value(1).toString();
            if (!s.exams.contains(exam))
                s.exams << exam;
        }
        out.students << s;
    }
    return out;
}

Db::SelectSpec studentRows(const SavedStudent& student, const QString& table)
{
    Db::SelectSpec s;
    s.table = table;
    s.where = {{kNumber, "IS", student.number}, {kName, "IS", student.name}};
    s.orderBy = {{kExamNumber}, {kId}};
    return s;
}

Db::SelectSpec studentRowsInExam(const SavedStudent& student, const QString& exam, const QString& table)
{
    Db::SelectSpec s = studentRows(student, table);
    s.where << Db::Condition{kExam, "like=", exam};
    return s;
}

QStringList examsMatching(const QString& prefix, const QString& table)
{
    QStringList out;
    const Db::Condition c = examPrefix(prefix);
    for (const auto& r : Db::selectRows(QStringLiteral("SELECT %1 FROM %2 WHERE %1 LIKE ? ESCAPE '\\' GROUP BY %1 ORDER BY min(%3)")
                                            .arg(Db::column(table, kExam), Db::table(table), Db::column(table, kId)),
                                        Db::SelectSpec{{}, table, {c}, {}}.binds()))
        out << r.first().toString();
    return out;
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
    QStringList absent;
    for (int r = 0; r < rows.rowCount(); ++r) {
        const QVariant v = rows.value(r, valueColumn);
        QString label = labelColumn.isEmpty() ? fixedLabel : rows.value(r, labelColumn).toString();
        if (v.isNull() || !v.isValid()) {
            absent << label;
            continue;
        }
        if (!absent.isEmpty() && !labelColumn.isEmpty())
            label += QStringLiteral("（缺考：%1）").arg(absent.join(QStringLiteral("、")));
        absent.clear();
        out.append({label, v.toDouble()});
    }
    return out;
}

} // namespace History
