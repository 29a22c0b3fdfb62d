// Progress between two examinations: students paired by 学号 alone, the
// changes of rank, the movers, the classes' averages and places; and the same
// figures read from saved examinations against the saved tables themselves.
#include "engine/actions/progress.h"
#include "engine/session/session.h"
#include "engine/db/database.h"
#include "engine/processing/runs.h"
#include "engine/processing/saves.h"
#include "engine/rules/numbers.h"
#include "enginetest.h"

using Progress::Student;

namespace {

// A student written as "学号,班号,姓名,总分,级排,班排[,科目=分#级排 ...]";
// "-" is an absent mark or no rank.
Student student(const QString& text)
{
    const QStringList f = text.split(',');
    Student s;
    s.number = f.at(0);
    s.cls = f.at(1).toLongLong();
    s.name = f.at(2);
    auto mark = [](const QString& t) { return t == "-" ? Num::Mark() : Num::Mark(Num::toFixed(t.toDouble())); };
    auto rank = [](const QString& t) { return t == "-" ? Progress::Rank() : Progress::Rank(t.toLongLong()); };
    s.total = mark(f.at(3));
    s.gradeRank = rank(f.at(4));
    s.classRank = rank(f.at(5));
    for (int i = 6; i < f.size(); ++i) {
        const QStringList kv = f.at(i).split('=');
        const QStringList mr = kv.at(1).split('#');
        const auto k = size_t(Progress::subjects().indexOf(kv.at(0)));
        s.marks[k] = mark(mr.at(0));
        s.subjectRanks[k] = rank(mr.value(1, "-"));
    }
    return s;
}

std::vector<Student> students(const QString& specs)
{
    std::vector<Student> out;
    for (const QString& s : specs.split(';', Qt::SkipEmptyParts))
        out.push_back(student(s.trimmed()));
    return out;
}

QString change(const Progress::Change& c)
{
    return c ? QString::number(*c) : QStringLiteral("-");
}

// "学号 级排进退/班排进退 [科目进退]" per pair, then the students apart.
QString summary(const Progress::Result& r)
{
    QStringList out;
    for (const Progress::Pair& p : r.pairs) {
        QString line = QStringLiteral("%1 %2/%3").arg(p.after.number, change(p.gradeChange), change(p.classChange));
        for (int k = 0; k < Progress::kSubjects; ++k)
            if (p.before.marks[size_t(k)] || p.after.marks[size_t(k)])
                line += QStringLiteral(" %1%2").arg(Progress::subjects().at(k), change(p.subjectChange[size_t(k)]));
        out << line;
    }
    for (const Progress::Apart& a : r.apart) {
        static const char* why[] = {"only-before", "only-after", "no-number", "twice"};
        out << QStringLiteral("%1 %2 %3").arg(a.student.number, a.student.name, why[int(a.why)]);
    }
    return out.join(" | ");
}

int col(const Export::Sheet& s, const QString& name)
{
    const int c = int(s.columns.indexOf(name));
    if (c < 0)
        qFatal("no column %s", qPrintable(name));
    return c;
}

} // namespace

class TestProgress : public QObject {
    Q_OBJECT
private slots:
    void pairs_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("expected");
        QTest::newRow("from 460 to 39 is 421 up")
            << "0101,1,李明,300,460,40;0999,2,末名,1,501,50" << "0101,1,李明,600,39,3;0999,2,末名,1,501,50"
            << "0101 421/37 | 0999 0/0";
        QTest::newRow("moved down is negative") << "0101,1,甲,500,2,1;0102,1,乙,400,7,2"
                                                << "0101,1,甲,300,7,2;0102,1,乙,500,2,1"
                                                << "0101 -5/-1 | 0102 5/1";
        QTest::newRow("tied ranks move by the shared rank")
            << "0101,1,甲,500,1,1;0102,1,乙,480,2,2;0103,1,丙,480,2,2"
            << "0101,1,甲,400,3,3;0102,1,乙,450,1,1;0103,1,丙,450,1,1"
            << "0101 -2/-2 | 0102 1/1 | 0103 1/1";
        QTest::newRow("absent from a subject once: no change there, the rest counts")
            << "0101,1,甲,170,1,1,语文=90#1,数学=80#2;0102,1,乙,160,2,2,语文=70#2,数学=90#1"
            << "0101,1,甲,85,2,2,语文=-,数学=85#1;0102,1,乙,150,1,1,语文=80#1,数学=70#2"
            << "0101 -1/-1 语文- 数学1 | 0102 1/1 语文1 数学-1";
        QTest::newRow("absent from everything once: no total, no change")
            << "0101,1,甲,-,-,-,语文=-;0102,1,乙,90,1,1,语文=90#1" << "0101,1,甲,80,2,2,语文=80#2;0102,1,乙,90,1,1,语文=90#1"
            << "0101 -/- 语文- | 0102 0/0 语文0";
        QTest::newRow("only in the later examination is listed apart")
            << "0101,1,甲,500,1,1" << "0101,1,甲,500,2,2;0105,1,新生,600,1,1"
            << "0101 -1/-1 | 0105 新生 only-after";
        QTest::newRow("same name in two classes never paired by name")
            << "0101,1,王芳,500,1,1;0201,2,张伟,400,2,1" << "0102,1,张伟,450,1,1;0202,2,王芳,300,2,1"
            << "0101 王芳 only-before | 0102 张伟 only-after | 0201 张伟 only-before | 0202 王芳 only-after";
        QTest::newRow("class changed: grade rank compared, class rank not")
            << "0101,1,甲,500,1,1;0102,1,乙,400,2,2" << "0101,2,甲,400,2,1;0102,1,乙,500,1,1"
            << "0102 1/1 | 0101 -1/-";
        QTest::newRow("a number held twice or missing pairs nobody")
            << "0101,1,甲,500,1,1;0101,1,甲二,400,2,2;,1,无号,300,3,3" << "0101,1,甲,500,1,1;,1,无号,300,2,2"
            << " 无号 no-number |  无号 no-number | 0101 甲 twice | 0101 甲二 twice | 0101 甲 twice";
    }
    void pairs()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(QString, expected);
        QCOMPARE(summary(Progress::compare(students(before), students(after))), expected);
    }

    void positions_data()
    {
        QTest::addColumn<qint64>("rank");
        QTest::addColumn<qint64>("ranked");
        QTest::addColumn<qint64>("percent");
        QTest::newRow("first") << 1LL << 400LL << 0LL;
        QTest::newRow("last") << 400LL << 400LL << 100LL;
        QTest::newRow("rounded up") << 2LL << 400LL << 1LL;
        QTest::newRow("middle") << 3LL << 5LL << 50LL;
        QTest::newRow("alone") << 1LL << 1LL << 0LL;
    }
    void positions()
    {
        QFETCH(qint64, rank);
        QFETCH(qint64, ranked);
        QFETCH(qint64, percent);
        QCOMPARE(Progress::positionPercent(rank, ranked), percent);
    }

    // Most up and most down: ties with the last one listed come along; the
    // class list takes the later examination's class.
    void movers()
    {
        const auto r = Progress::compare(
            students("01,1,a,1,10,1;02,1,b,1,20,2;03,1,c,1,30,3;04,2,d,1,40,1;05,2,e,1,50,2;06,2,f,1,5,3"),
            students("01,1,a,1,7,1;02,1,b,1,17,2;03,2,c,1,10,3;04,2,d,1,20,1;05,2,e,1,50,2;06,1,f,1,45,3"));
        // changes: a +3, b +3, c +20, d +20, e 0, f -40
        auto numbers = [&](const QList<int>& list) {
            QStringList out;
            for (int i : list)
                out << r.pairs.at(i).after.number;
            return out.join(',');
        };
        QCOMPARE(numbers(Progress::movers(r, 0, 1, true)), QStringLiteral("03,04"));
        QCOMPARE(numbers(Progress::movers(r, 0, 3, true)), QStringLiteral("03,04,01,02"));
        QCOMPARE(numbers(Progress::movers(r, 0, 10, false)), QStringLiteral("06"));
        QCOMPARE(numbers(Progress::movers(r, 1, 10, true)), QStringLiteral("01,02"));
        QCOMPARE(numbers(Progress::movers(r, 2, 1, true)), QStringLiteral("03,04"));
        const Export::Sheet up = Progress::moversSheet(r, 0, 3, true);
        QCOMPARE(up.rows.size(), 4);
        QCOMPARE(up.rows.at(1).at(col(up, "名次")).toLongLong(), 1LL); // tied places shared
        QCOMPARE(up.rows.at(3).at(col(up, "名次")).toLongLong(), 3LL);
    }

    // Class averages are exact means over those who sat; places among the
    // classes share ties; the grade row covers everyone.
    void classes()
    {
        const auto r = Progress::compare(
            students("01,1,a,300,1,1,语文=90#1;02,1,b,100,4,2,语文=-;03,2,c,200,2,1,语文=80#2;04,2,d,200,2,1,语文=70#3"),
            students("01,1,a,250,2,1,语文=85#1;02,1,b,200,3,2,语文=61#2;03,2,c,250,1,1,语文=60#3;04,2,d,-,-,-,语文=-"));
        QCOMPARE(r.classes.size(), size_t(2));
        const auto& one = r.classes.at(0);
        const auto& two = r.classes.at(1);
        QCOMPARE(*one.before.total, Num::toFixed(200));
        QCOMPARE(*two.before.total, Num::toFixed(200));
        QCOMPARE(*one.before.totalPlace, 1LL); // tied
        QCOMPARE(*two.before.totalPlace, 1LL);
        QCOMPARE(one.before.sat[0], 1LL); // b absent: not a 0 in the mean
        QCOMPARE(*one.before.average[0], Num::toFixed(90));
        QCOMPARE(*two.before.average[0], Num::toFixed(75));
        QCOMPARE(*one.after.average[0], Num::toFixed(73));
        QCOMPARE(*two.after.average[0], Num::toFixed(60));
        QCOMPARE(*two.after.total, Num::toFixed(250)); // d has no total
        QCOMPARE(*one.after.totalPlace, 2LL);
        QCOMPARE(*two.after.totalPlace, 1LL);
        // a -1, b +1, c +1, d none
        QCOMPARE(*one.meanRankChange, Num::toFixed(0));
        QCOMPARE(*two.meanRankChange, Num::toFixed(1));
        QCOMPARE(r.grade.cls, Progress::kWholeGrade);
        QCOMPARE(*r.grade.after.average[0], Num::toFixed((85 + 61 + 60) / 3.0));
        QCOMPARE(r.grade.paired, 3LL);

        const Export::Sheet s = Progress::classSheet(r);
        QCOMPARE(s.rows.size(), 3);
        QCOMPARE(s.rows.at(0).at(col(s, "语文均分变化")).toDouble(), -17.0);
        QCOMPARE(s.rows.at(1).at(col(s, "名次进退")).toLongLong(), 0LL);
        QCOMPARE(s.rows.at(0).at(col(s, "名次进退")).toLongLong(), -1LL);
    }

    // What a grid or a workbook shows: 缺考 for an absence, subjects nobody
    // sat left out, a change of class or name noted.
    void studentSheet()
    {
        const auto r = Progress::compare(students("01,1,a,90,1,1,语文=90#1;02,1,b,80,2,2,语文=80#2"),
                                         students("01,2,a,-,-,-,语文=-;02,1,bb,70,1,1,语文=70#1"));
        const Export::Sheet s = Progress::studentSheet(r, 0);
        QVERIFY(s.columns.contains("上次语文"));
        QVERIFY(!s.columns.contains("上次数学"));
        QCOMPARE(s.rows.size(), 2);
        const QVariantList& b = s.rows.at(0); // class 1 first in the later examination
        const QVariantList& a = s.rows.at(1);
        QCOMPARE(b.at(col(s, "说明")).toString(), QStringLiteral("上次姓名为b"));
        QCOMPARE(a.at(col(s, "本次语文")).toString(), QStringLiteral("缺考"));
        QCOMPARE(a.at(col(s, "本次级排")).toString(), QStringLiteral("缺考"));
        QVERIFY(a.at(col(s, "级排进退")).isNull());
        QCOMPARE(a.at(col(s, "说明")).toString(), QStringLiteral("上次在1班"));
        QCOMPARE(Progress::studentSheet(r, 2).rows.size(), 1);
    }

    // Saved examinations: the comparison reaches the saved grades' ranks and
    // the saved analysis's averages and places.
    void savedExaminations()
    {
        TestEnv env;
        env.openDb();
        QVERIFY(Actions::defaultComparison().isEmpty());
        QVERIFY(Fixture::inputError([] { Progress::findExam("期中", std::nullopt); }).contains("还没有保存过任何考试"));
        Fixture::saveExams({{"期中", 1}, {"期末", 2}, {"期中", 3}}, {6, 5, 7});
        QCOMPARE(Progress::savedExams().size(), 3);
        QVERIFY(Fixture::inputError([] { Progress::findExam("期中", std::nullopt); }).contains("编号1、3"));
        QVERIFY(Fixture::inputError([] { Progress::findExam("月考", std::nullopt); }).contains("期中、期末"));
        const QList<Progress::ExamId> last = Actions::defaultComparison();
        QCOMPARE(last.size(), 2);
        QCOMPARE(last.at(0), (Progress::ExamId{"期末", 2}));
        QCOMPARE(*Progress::previousExam(last.at(0)), (Progress::ExamId{"期中", 1}));
        QVERIFY(!Progress::previousExam({"期中", 1}));
        QVERIFY(Fixture::inputError([&] { Actions::progress(last.at(0), last.at(0)); }).contains("同一次考试"));

        const Actions::ProgressRun run = Actions::progress(last.at(0), last.at(1));
        QCOMPARE(run.caption(), QStringLiteral("期末 → 期中（编号3）"));
        QCOMPARE(run.result.pairs.size(), 18);
        QVERIFY(run.result.apart.isEmpty());
        // Every change is the difference of the saved grade ranks.
        auto savedRank = [](qint64 no, const QString& number) {
            return Db::selectValue("SELECT 总分级排1 FROM cjsave WHERE 考试编号 = ? AND 学号 = ?", {no, number}).toLongLong();
        };
        int moved = 0;
        for (const Progress::Pair& p : run.result.pairs) {
            QCOMPARE(*p.gradeChange, savedRank(2, p.after.number) - savedRank(3, p.after.number));
            moved += *p.gradeChange != 0;
        }
        QVERIFY(moved > 0);
        // Each class's subject averages and places are the saved analysis's.
        for (const auto& [side, no] : {std::pair{&Progress::ClassRow::before, 2}, std::pair{&Progress::ClassRow::after, 3}})
            for (const Progress::ClassRow& c : run.result.classes)
                for (int k = 0; k < 6; ++k) {
                    const QString subject = Progress::subjects().at(k);
                    const QVariantList saved = Db::selectRows("SELECT 平均分, 平均分排名 FROM fxsave WHERE 考试编号 = ? AND "
                                                              "班号 = ? AND 科目 = ?",
                                                              {no, c.cls, subject + "1"})
                                                   .value(0);
                    QVERIFY2(!saved.isEmpty(), qPrintable(subject));
                    QCOMPARE(Num::fromFixed(*(c.*side).average[size_t(k)]), saved.at(0).toDouble());
                    QCOMPARE(*(c.*side).place[size_t(k)], saved.at(1).toLongLong());
                }

        // Grades saved a second time under the same examination pair once.
        Save::grades("cj", {"期中", 3, false});
        QCOMPARE(Db::selectValue("SELECT count(*) FROM cjsave WHERE 考试编号 = 3").toLongLong(), 36LL);
        const Actions::ProgressRun twice = Actions::progress(last.at(0), last.at(1));
        QCOMPARE(twice.result.pairs.size(), 18);
        QVERIFY(twice.result.apart.isEmpty());
        QCOMPARE(twice.result.rankedAfter, 18LL);

        const QList<Export::Sheet> sheets = Actions::progressSheets(run, 2, 3);
        QCOMPARE(sheets.size(), 5);
        QCOMPARE(sheets.at(0).rows.size(), 5);
        QVERIFY(Fixture::inputError([&] { Actions::progressSheets(run, 19, 3); }).contains("19"));
        QVERIFY(Fixture::inputError([&] { Actions::progressSheets(run, 0, 0); }).contains("1到"));
    }

    // The class report's figures are the saved analysis rows and band table
    // of the class, and its movers come from the examination saved before.
    void classReport()
    {
        TestEnv env;
        env.openDb();
        Fixture::saveExams({{"期中", 1}, {"期末", 2}}, {6, 5});
        Proc::BandSettings b;
        b.table = "cj";
        b.upper = 599;
        b.count = 60;
        b.lastClass = 2;
        Proc::bands(b);
        Save::bands("tj", {"期末", 2, false});

        Session session;
        session.load(false);
        QVERIFY(Fixture::inputError([&] { Actions::classReport(session, {"期末", 2}, 3); }).contains("3班"));
        const ClassReport::Data d = Actions::classReport(session, {"期末", 2}, 2);
        // Every student of the class once in each item's level counts.
        QVERIFY(!d.levels.isEmpty());
        for (const ClassReport::SubjectLevels& s : d.levels) {
            qint64 n = 0;
            for (const ClassReport::LevelCount& c : s.counts)
                n += c.count;
            QCOMPARE(n, 5LL);
            QCOMPARE(s.counts.first().level, QString("A"));
        }
        QCOMPARE(*d.students, 5LL);
        QCOMPARE(d.subjects.size(), 6);
        const Export::Sheet s = ClassReport::subjectSheet(d);
        for (int i = 0; i < s.rows.size(); ++i) {
            const QVariantList saved = Db::selectRows("SELECT 人数, 平均分, 最高分, 最低分, 级前100名人数 FROM fxsave "
                                                      "WHERE 考试编号 = 2 AND 班号 = 2 AND 科目 = ?",
                                                      {s.rows.at(i).at(0).toString() + "1"})
                                           .value(0);
            QVERIFY(!saved.isEmpty());
            QCOMPARE(s.rows.at(i).at(col(s, "参考")).toLongLong(), saved.at(0).toLongLong());
            QCOMPARE(s.rows.at(i).at(col(s, "应考")).toLongLong(), 5LL);
            QCOMPARE(s.rows.at(i).at(col(s, "平均分")).toDouble(), saved.at(1).toDouble());
            QCOMPARE(s.rows.at(i).at(col(s, "最高分")).toDouble(), saved.at(2).toDouble());
            QCOMPARE(s.rows.at(i).at(col(s, "最低分")).toDouble(), saved.at(3).toDouble());
            QVERIFY(s.rows.at(i).at(col(s, "均分名次")).toString().endsWith("/2"));
        }
        QVERIFY(d.bandsSaved);
        qint64 inBands = 0;
        for (const ClassReport::Band& band : d.bands)
            inBands += band.count;
        QCOMPARE(inBands, Db::selectValue("SELECT sum(\"2班\") FROM tjsave1 WHERE 考试编号 = 2 AND 下限 <> '平均分'").toLongLong());
        QCOMPARE(inBands, 5LL);
        QCOMPARE(d.previous, std::optional(Progress::ExamId{"期中", 1}));
        QVERIFY(!d.up.rows.isEmpty() || !d.down.rows.isEmpty());
        QVERIFY(!d.up.columns.contains("班号"));
        // The first examination has none before it.
        QVERIFY(!Actions::classReport(session, {"期中", 1}, 1).previous);
    }
};

QTEST_GUILESS_MAIN(TestProgress)
#include "test_progress.moc"
