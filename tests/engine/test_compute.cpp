// The three runs' arithmetic over plain rows, without a database: totals and
// ranks, the analysis rows and the band table, with absent students (no mark)
// and students who sat and scored 0.
#include "engine/processing/compute.h"
#include "enginetest.h"

#include <cmath>
#include <limits>

namespace {

constexpr double A = std::numeric_limits<double>::quiet_NaN(); // absent

std::vector<Num::Mark> marks(const QList<double>& v)
{
    std::vector<Num::Mark> out;
    for (double d : v)
        out.push_back(std::isnan(d) ? Num::Mark() : Num::Mark(Num::toFixed(d)));
    return out;
}

// A mark, total or rank as the table would show it; empty for none.
QString text(const Num::Mark& m)
{
    return m ? Num::format(Num::fromFixed(*m)) : QString();
}
QString rankText(const Rules::Rank& r)
{
    return r ? QString::number(*r) : QString();
}

// Six students of classes 1, 2 and 3 with 语文, 数学, 英语 and 政治; ranked
// within classes 1-2, totals recomputed.
const QStringList kNames{"甲", "乙", "丙", "丁", "戊", "己"};
Proc::RankTable rankSix()
{
    Proc::RankRows rows;
    rows.cls = {1, 1, 1, 1, 2, 3};
    rows.scores = {{}, {},
                   marks({90, A, A, 0, 60, 100}),   // 语文
                   marks({80, 85, A, 0, A, 100}),   // 数学
                   marks({70, 75, A, 0, A, 100}),   // 英语
                   marks({50, A, A, 0, A, A})};     // 政治
    Proc::RankPlan plan;
    plan.mainItems = {2, 3, 4};
    plan.firstClass = 1;
    plan.lastClass = 2;
    return Proc::computeRanks(rows, plan);
}

Proc::AnalysisRows analysisRows(const QList<qint64>& classes, const QList<double>& m)
{
    Proc::AnalysisRows rows;
    rows.cls = std::vector<qint64>(classes.begin(), classes.end());
    for (int i = 0; i < classes.size(); ++i)
        rows.names << QStringLiteral("生%1").arg(i + 1);
    rows.marks = {marks(m)};
    // Ranked already: every student who sat within every top-N limit.
    std::vector<Num::Mark> ranks;
    for (const auto& mark : rows.marks[0])
        ranks.push_back(mark ? Num::Mark(Num::toFixed(1)) : Num::Mark());
    rows.gradeRanks = {ranks};
    return rows;
}

Proc::AnalysisPlan plan(qint64 first, qint64 last)
{
    Proc::AnalysisPlan p;
    p.columns = {"语文1"};
    p.full = {100};
    p.firstClass = first;
    p.lastClass = last;
    return p;
}

} // namespace

class TestCompute : public QObject {
    Q_OBJECT
private slots:
    void totalsAndRanksLeaveAbsencesOut_data()
    {
        QTest::addColumn<int>("student");
        QTest::addColumn<QStringList>("expected"); // 总分, 三总, 语文班排, 语文级排, 总分班排, 总分级排
        QTest::newRow("sat everything") << 0 << QStringList{"290", "240", "1", "2", "1", "2"};
        QTest::newRow("absent from one subject: total of the rest, ranked, no rank in it")
            << 1 << QStringList{"160", "160", "", "", "2", "3"};
        QTest::newRow("absent from everything: no total, no rank") << 2 << QStringList{"", "", "", "", "", ""};
        QTest::newRow("sat and scored 0: counted and ranked last") << 3 << QStringList{"0", "0", "2", "4", "3", "5"};
        QTest::newRow("one subject sat") << 4 << QStringList{"60", "60", "1", "3", "1", "4"};
        QTest::newRow("class outside the range: grade ranks only") << 5 << QStringList{"300", "300", "", "1", "", "1"};
    }
    void totalsAndRanksLeaveAbsencesOut()
    {
        QFETCH(int, student);
        QFETCH(QStringList, expected);
        const Proc::RankTable t = rankSix();
        const size_t r = size_t(student);
        const QStringList got{text(t.total[r]),            text(t.threeTotal[r]),
                              rankText(t.classRank(2, r)), rankText(t.gradeRank(2, r)),
                              rankText(t.classRank(0, r)), rankText(t.gradeRank(0, r))};
        QCOMPARE(got, expected);
    }

    void totalsKeptAsReadAreRankedAsRead()
    {
        // Without 语文, 数学 and 英语 all chosen the totals are not recomputed:
        // a blank total read from the table stays without a rank.
        Proc::RankRows rows;
        rows.cls = {1, 1, 1};
        rows.scores = {marks({250, A, 0}), marks({A, A, A}), marks({60, 70, 80})};
        const Proc::RankTable t = Proc::computeRanks(rows, Proc::RankPlan{});
        QVERIFY(t.total.empty());
        QCOMPARE(rankText(t.gradeRank(0, 0)) + "|" + rankText(t.gradeRank(0, 1)) + "|" + rankText(t.gradeRank(0, 2)),
                 QString("1||2"));
        QVERIFY(!t.gradeRank(1, 0) && !t.classRank(1, 2));
    }

    void aClassWithOneAbsenteeCountsThoseWhoSat()
    {
        // 100, 80, 59.5, 39.9 and a student absent (生2), who as a 0 would
        // have been the lowest mark and pulled the average down.
        const auto rows = analysisRows({1, 1, 1, 1, 1}, {100, A, 80, 59.5, 39.9});
        const auto out = Proc::computeAnalysis(rows, plan(1, 1));
        QCOMPARE(out.size(), size_t(2));
        const Rules::SubjectStats& s = out[0].stats;
        QCOMPARE(s.count, qint64(4));
        QCOMPARE(text(s.total()), QString("279.4"));   // the exact sum
        QCOMPARE(text(s.average()), QString("69.85")); // a spreadsheet's AVERAGE
        QCOMPARE(text(s.passRate()), QString("0.5"));  // 59.5 is below 60
        QCOMPARE(text(s.highRate()), QString("0.5"));
        QCOMPARE(text(s.lowRate()), QString("0.25"));  // 39.9, and not the absentee
        QCOMPARE(Num::format(Num::fromFixed(s.worst)), QString("39.9"));
        QCOMPARE(out[0].bestName, QString("生1"));
        QCOMPARE(out[0].worstName, QString("生5"));
        QCOMPARE(s.bands[0], qint64(0));            // no 0 in F0
        QCOMPARE(s.top, (std::array<qint64, 4>{4, 4, 4, 4}));
        QCOMPARE(out[0].places[0], Rules::Place(1));
        // The whole grade: the same four, named nobody, placed nowhere.
        QVERIFY(out[1].wholeGrade());
        QCOMPARE(out[1].stats.count, qint64(4));
        QCOMPARE(text(out[1].stats.average()), QString("69.85"));
        QVERIFY(out[1].bestName.isEmpty() && !out[1].places[0]);
    }

    void aClassWhereNobodySatTakesNoPlace()
    {
        // Class 2 was absent from the subject: 人数 0, nothing to average,
        // and the other classes are placed 1 and 2 among themselves.
        const auto rows = analysisRows({1, 1, 2, 2, 3}, {70, 90, A, A, 60});
        const auto out = Proc::computeAnalysis(rows, plan(1, 3));
        QCOMPARE(out.size(), size_t(4));
        const Proc::AnalysisRow& absent = out[1];
        QCOMPARE(absent.cls, qint64(2));
        QCOMPARE(absent.stats.count, qint64(0));
        QVERIFY(!absent.stats.total() && !absent.stats.average() && !absent.stats.passRate());
        QVERIFY(absent.bestName.isEmpty() && absent.worstName.isEmpty());
        for (const Rules::Place& p : absent.places)
            QVERIFY(!p);
        QCOMPARE(out[0].places[0], Rules::Place(1)); // average 80
        QCOMPARE(out[2].places[0], Rules::Place(2)); // average 60
        QCOMPARE(out[2].places[3], Rules::Place(1)); // no low marks in either
        QCOMPARE(out[3].stats.count, qint64(3));
    }

    void theWholeGradeRowCoversEveryClass()
    {
        // Classes 2-3 of four chosen: the grade row still counts all four,
        // class 1 before the range and class 4 after it too.
        const auto rows = analysisRows({1, 2, 2, 3, 4, 4}, {50, 60, 70.5, 80, 90, A});
        const auto out = Proc::computeAnalysis(rows, plan(2, 3));
        QCOMPARE(out.size(), size_t(3));
        QCOMPARE(out[0].cls, qint64(2));
        QCOMPARE(out[1].cls, qint64(3));
        const Rules::SubjectStats& grade = out[2].stats;
        QCOMPARE(out[2].cls, Proc::kWholeGrade);
        QCOMPARE(grade.count, qint64(5));
        QCOMPARE(text(grade.total()), QString("350.5"));
        QCOMPARE(text(grade.average()), QString("70.1"));
        QCOMPARE(Num::format(Num::fromFixed(grade.worst)), QString("50"));
        QCOMPARE(Num::format(Num::fromFixed(grade.best)), QString("90"));
    }

    void bandsLeaveOutStudentsWithoutATotalAndAverageExactly()
    {
        Proc::BandRows rows;
        // Class 1: seven totals of 241.2 (a single-precision sum gives
        // 241.19999...); class 2: 100, a student without a total, and a 0
        // that was written; class 3: nobody has a total.
        rows.cls = {1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 3};
        rows.total = marks({241.2, 241.2, 241.2, 241.2, 241.2, 241.2, 241.2, 100, A, 0, A});
        const Proc::BandTable t = Proc::computeBands(rows, Rules::TotalBands{399, 30}, 2);
        QCOMPARE(t.counted, 9);
        QCOMPARE(t.withoutTotal, 2);
        QCOMPARE(t.average(1), std::optional<double>(241.2));
        QCOMPARE(t.average(2), std::optional<double>(50.0));
        QVERIFY(!t.average(3));
        QCOMPARE(t.average(Proc::BandTable::kGrade), std::optional<double>(17884.0 / 90)); // (7 x 241.2 + 100 + 0) / 9
        // 241.2 lies in band 15 (240-249), 100 in the last; the 0 in none.
        QCOMPARE(t.counts[1][15], qint64(7));
        QCOMPARE(t.counts[2][29], qint64(1));
        QCOMPARE(t.cumul[2][29], qint64(1));
        QCOMPARE(t.cumul[Proc::BandTable::kGrade][29], qint64(8));
        QCOMPARE(t.cumul[Proc::BandTable::kGrade][14], qint64(0)); // 250 and up: nobody
        QCOMPARE(t.cumul[Proc::BandTable::kGrade][15], qint64(7));
    }
};

GRADEBOOK_TEST_MAIN(TestCompute)
#include "test_compute.moc"
