#include "engine/reports/classreport.h"

#include "engine/db/database.h"
#include "engine/rules/subjects.h"
#include "engine/rules/titles.h"

#include <QHash>
#include <algorithm>

namespace ClassReport {

namespace {

const QString kAnalysis = QStringLiteral("fxsave");
const QString kBands = QStringLiteral("tjsave1");
const QStringList kTop{"级前100名人数", "级前200名人数", "级前300名人数", "级前400名人数"};

QString where(const QString& table)
{
    return QStringLiteral("%1 = ? AND %2 = ?").arg(Db::column(table, "考试名称"), Db::column(table, "考试编号"));
}

std::optional<qint64> wholeNumber(const QVariant& v)
{
    const Num::Mark m = Num::markOf(v);
    if (!m)
        return std::nullopt;
    return Num::roundHalfEven(*m);
}

void readSubjects(Data& d)
{
    QStringList cols{"科目", "人数", "平均分", "平均分排名", "合格率", "高分率", "低分率", "最高分", "最低分"};
    cols << kTop;
    QStringList quoted;
    for (const QString& c : cols)
        quoted << Db::column(kAnalysis, c);
    const QString cls = Db::column(kAnalysis, "班号");
    const auto rows = Db::selectRows(QStringLiteral("SELECT %1 FROM %2 WHERE %3 AND %4 = ? ORDER BY %5")
                                         .arg(quoted.join(','), Db::table(kAnalysis), where(kAnalysis), cls,
                                              Db::column(kAnalysis, "序号")),
                                     {d.exam.name, d.exam.number, d.cls});
    // How many classes of the examination took a place in each subject.
    QHash<QString, qint64> placed;
    for (const auto& r : Db::selectRows(QStringLiteral("SELECT %1, count(*) FROM %2 WHERE %3 AND %4 <> 100 AND %5 > 0 GROUP BY %1")
                                            .arg(quoted.at(0), Db::table(kAnalysis), where(kAnalysis), cls, quoted.at(3)),
                                        {d.exam.name, d.exam.number}))
        placed.insert(r.at(0).toString(), r.at(1).toLongLong());
    QStringList seen;
    for (const QVariantList& r : rows) {
        const QString column = r.at(0).toString();
        // An analysis saved twice for one examination holds each subject twice: the first counts.
        if (seen.contains(column))
            continue;
        seen << column;
        SubjectLine s;
        s.subject = Rules::columnTitle(column);
        s.sat = wholeNumber(r.at(1)).value_or(0);
        s.average = r.at(2);
        if (const auto p = wholeNumber(r.at(3)); p && *p > 0)
            s.place = *p;
        s.placed = placed.value(column);
        s.passRate = r.at(4);
        s.highRate = r.at(5);
        s.lowRate = r.at(6);
        s.best = r.at(7);
        s.worst = r.at(8);
        for (int k = 0; k < 4; ++k)
            s.top[size_t(k)] = r.at(9 + k);
        d.subjects << s;
    }
}

void readBands(Data& d)
{
    if (d.cls < Rules::kFirstClass || d.cls > Rules::kLastClass)
        return;
    const QString mine = Db::column(kBands, QStringLiteral("%1班").arg(d.cls));
    const auto rows = Db::selectRows(QStringLiteral("SELECT %1, %2, %3, %4 FROM %5 WHERE %6 ORDER BY %7")
                                         .arg(Db::column(kBands, "上限"), Db::column(kBands, "下限"), mine,
                                              Db::column(kBands, "全级"), Db::table(kBands), where(kBands),
                                              Db::column(kBands, "ID1")),
                                     {d.exam.name, d.exam.number});
    for (const QVariantList& r : rows) {
        const QString upper = r.at(0).toString(), lower = r.at(1).toString();
        if (lower == QStringLiteral("平均分")) {
            // A band table saved twice: its first average row counts.
            if (d.bandsSaved)
                break;
            d.bandsSaved = true;
            d.totalAverage = r.at(2);
            d.gradeTotalAverage = r.at(3);
            continue;
        }
        // The stock rows no run filled.
        if (upper == QLatin1String("0") && lower == QLatin1String("0"))
            continue;
        if (!d.bandsSaved)
            d.bands << Band{upper, lower, wholeNumber(r.at(2)).value_or(0)};
    }
    if (!d.bandsSaved)
        d.bands.clear();
}

void readMovers(Data& d)
{
    d.previous = Progress::previousExam(d.exam);
    if (!d.previous)
        return;
    const QList<Progress::ExamId> all = Progress::savedExams();
    d.previousLabel = Progress::label(*d.previous, all);
    const Progress::Result r = Progress::compare(Progress::readSaved(*d.previous), Progress::readSaved(d.exam));
    // The class is on every line of the page already.
    auto withoutClass = [](Export::Sheet s) {
        const int c = int(s.columns.indexOf(QStringLiteral("班号")));
        s.columns.removeAt(c);
        s.headers.removeAt(c);
        s.formats.removeAt(c);
        for (QVariantList& row : s.rows)
            row.removeAt(c);
        return s;
    };
    d.up = withoutClass(Progress::moversSheet(r, d.cls, kMovers, true));
    d.down = withoutClass(Progress::moversSheet(r, d.cls, kMovers, false));
}

} // namespace

Data read(const Progress::ExamId& exam, qint64 cls)
{
    if (!Rules::isClassNumber(cls))
        throw Db::InputError(Rules::classProblem(cls));
    Data d;
    d.exam = exam;
    d.cls = cls;
    d.examLabel = Progress::label(exam, Progress::savedExams());
    readSubjects(d);
    if (d.subjects.isEmpty())
        throw Db::InputError(QStringLiteral("考试“%1”（编号%2）没有永久保存%3班的成绩分析表，班级报告要用它：请先生成并保存"
                                            "这次考试的成绩分析表（班级范围包括%3班）")
                                 .arg(exam.name)
                                 .arg(exam.number)
                                 .arg(cls));
    const std::vector<Progress::Student> grades = Progress::readSaved(exam);
    const auto n = std::count_if(grades.begin(), grades.end(), [&](const Progress::Student& s) { return s.cls == cls; });
    if (n > 0) {
        d.students = qint64(n);
        for (SubjectLine& s : d.subjects)
            s.expected = d.students;
    }
    readBands(d);
    if (d.students)
        readMovers(d);
    return d;
}

Export::Sheet subjectSheet(const Data& d)
{
    Export::Sheet s;
    s.name = QStringLiteral("各科");
    s.title = QStringLiteral("各科成绩");
    s.columns = QStringList{"科目", "应考", "参考", "缺考", "平均分", "均分名次", "合格率", "高分率", "低分率",
                            "最高分", "最低分"}
        + kTop;
    s.headers = QStringList{"科目", "应考", "参考", "缺考", "平均分", "均分名次", "合格率", "高分率", "低分率",
                            "最高分", "最低分", "级前100", "级前200", "级前300", "级前400"};
    s.formatsFromNames();
    for (const SubjectLine& l : d.subjects) {
        QVariantList row{l.subject};
        row << (l.expected ? QVariant(*l.expected) : QVariant()) << l.sat
            << (l.expected ? QVariant(std::max<qint64>(0, *l.expected - l.sat)) : QVariant()) << l.average;
        row << (l.place ? QVariant(QStringLiteral("%1/%2").arg(*l.place).arg(std::max(l.placed, *l.place)))
                        : QVariant());
        row << l.passRate << l.highRate << l.lowRate << l.best << l.worst;
        for (const QVariant& t : l.top)
            row << t;
        s.rows << row;
    }
    return s;
}

} // namespace ClassReport
