#include "engine/reports/attendance.h"

#include "engine/db/database.h"
#include "engine/rules/titles.h"

#include <QSqlQuery>

namespace Reports {

namespace {

const QString kClass = QStringLiteral("班号");
const QString kSat = QStringLiteral("人数");
const QString kExam = QStringLiteral("考试名称");

void addWholeGrade(ClassCounts& counts)
{
    qint64 all = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        all += it.value();
    counts.insert(Rules::kWholeGradeClass, all);
}

} // namespace

QVariantList attendanceOf(const ClassCounts& roster, const QVariant& classNumber, const QVariant& sat)
{
    bool ok = false;
    const qint64 cls = classNumber.toLongLong(&ok);
    if (!ok || !roster.contains(cls))
        return {QVariant(), QVariant()};
    const qint64 expected = roster.value(cls);
    const qint64 present = sat.isNull() ? 0 : sat.toLongLong();
    return {expected, std::max<qint64>(0, expected - present)};
}

Db::GridModel::Derived attendance(const QString& gradeTable)
{
    ClassCounts counts;
    QSqlQuery q = Db::prepare(QStringLiteral("SELECT %1, count(*) FROM %2 GROUP BY %1")
                                  .arg(Db::column(gradeTable, kClass), Db::table(gradeTable)));
    Db::exec(q);
    while (Db::next(q))
        counts.insert(q.value(0).toLongLong(), q.value(1).toLongLong());
    addWholeGrade(counts);
    return {kSat, {QStringLiteral("应考"), QStringLiteral("缺考")},
            [counts](const QStringList& columns, const QVariantList& row) {
                return attendanceOf(counts, row.value(columns.indexOf(kClass)), row.value(columns.indexOf(kSat)));
            }};
}

Db::GridModel::Derived savedAttendance(const QString& savedGrades)
{
    QMap<QString, ClassCounts> byExam;
    QSqlQuery q = Db::prepare(QStringLiteral("SELECT %1, %2, count(*) FROM %3 GROUP BY %1, %2")
                                  .arg(Db::column(savedGrades, kExam), Db::column(savedGrades, kClass),
                                       Db::table(savedGrades)));
    Db::exec(q);
    while (Db::next(q))
        byExam[q.value(0).toString()].insert(q.value(1).toLongLong(), q.value(2).toLongLong());
    for (ClassCounts& c : byExam)
        addWholeGrade(c);
    return {kSat, {QStringLiteral("应考"), QStringLiteral("缺考")},
            [byExam](const QStringList& columns, const QVariantList& row) {
                const QString exam = row.value(columns.indexOf(kExam)).toString();
                return attendanceOf(byExam.value(exam), row.value(columns.indexOf(kClass)),
                                    row.value(columns.indexOf(kSat)));
            }};
}

} // namespace Reports
