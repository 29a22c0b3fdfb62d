// The rules as plain functions: no database, one data row per case.
#include "engine/rules/bands.h"
#include "engine/rules/ranking.h"
#include "engine/rules/stats.h"
#include "engine/rules/subjects.h"
#include "engine/rules/titles.h"
#include "enginetest.h"

#include <cmath>
#include <limits>

using Num::Fixed;

namespace {
// Marks from doubles; NaN stands for an absent student.
std::vector<Num::Mark> marks(const QList<double>& v)
{
    std::vector<Num::Mark> out;
    for (double d : v)
        out.push_back(std::isnan(d) ? Num::Mark() : Num::Mark(Num::toFixed(d)));
    return out;
}
constexpr double kAbsent = std::numeric_limits<double>::quiet_NaN();

// Ranks as numbers, 0 for none.
QList<qint64> plain(const std::vector<Rules::Rank>& ranks)
{
    QList<qint64> out;
    for (const auto& r : ranks)
        out << r.value_or(0);
    return out;
}
} // namespace

class TestRules : public QObject {
    Q_OBJECT
private slots:
    void competitionRanks_data()
    {
        QTest::addColumn<QList<double>>("scores");
        QTest::addColumn<QList<qint64>>("ranks");
        QTest::newRow("shared rank, next skips") << QList<double>{90, 88, 88, 85} << QList<qint64>{1, 2, 2, 4};
        QTest::newRow("85.4 and 85.2 round alike") << QList<double>{85.2, 85.4} << QList<qint64>{1, 1};
        QTest::newRow("85.5 rounds up to 86") << QList<double>{86, 85.5, 85} << QList<qint64>{1, 1, 3};
        QTest::newRow("84.5 rounds down to 84") << QList<double>{84, 84.5, 85} << QList<qint64>{2, 2, 1};
        QTest::newRow("unsorted input") << QList<double>{70, 100, 70, 95} << QList<qint64>{3, 1, 3, 2};
        QTest::newRow("one student") << QList<double>{12} << QList<qint64>{1};
        QTest::newRow("all equal") << QList<double>{0, 0, 0} << QList<qint64>{1, 1, 1};
        QTest::newRow("nobody") << QList<double>{} << QList<qint64>{};
        // An absent student has no rank (0 here) and takes no place; a 0 is a mark, ranked last.
        QTest::newRow("absent takes no place") << QList<double>{90, kAbsent, 80} << QList<qint64>{1, 0, 2};
        QTest::newRow("0 ranked last, absent not") << QList<double>{0, kAbsent, 55, 0} << QList<qint64>{2, 0, 1, 2};
        QTest::newRow("everyone absent") << QList<double>{kAbsent, kAbsent} << QList<qint64>{0, 0};
    }
    void competitionRanks()
    {
        QFETCH(QList<double>, scores);
        QFETCH(QList<qint64>, ranks);
        QCOMPARE(plain(Rules::competitionRanks(marks(scores))), ranks);
    }

    void totalBandLimits_data()
    {
        QTest::addColumn<qint64>("upper");
        QTest::addColumn<qint64>("count");
        QTest::addColumn<double>("total");
        QTest::addColumn<qint64>("band");
        QTest::newRow("399 in the first band") << qint64(399) << qint64(30) << 399.0 << qint64(0);
        QTest::newRow("390 in the first band") << qint64(399) << qint64(30) << 390.0 << qint64(0);
        QTest::newRow("389 in the second") << qint64(399) << qint64(30) << 389.0 << qint64(1);
        QTest::newRow("100 in the last") << qint64(399) << qint64(30) << 100.0 << qint64(29);
        QTest::newRow("400 above every band") << qint64(399) << qint64(30) << 400.0 << qint64(-1);
        QTest::newRow("99 below every band") << qint64(399) << qint64(30) << 99.0 << qint64(-1);
        QTest::newRow("one band of 599") << qint64(599) << qint64(1) << 590.0 << qint64(0);
        // A band holds lower <= total < lower + 10: no total falls between two bands.
        QTest::newRow("389.5 in 380-389") << qint64(399) << qint64(30) << 389.5 << qint64(1);
        QTest::newRow("399.5 in 390-399") << qint64(399) << qint64(30) << 399.5 << qint64(0);
        QTest::newRow("449.5 in 440-449") << qint64(459) << qint64(30) << 449.5 << qint64(1);
        QTest::newRow("100.25 in the last") << qint64(399) << qint64(30) << 100.25 << qint64(29);
        QTest::newRow("99.5 below every band") << qint64(399) << qint64(30) << 99.5 << qint64(-1);
        QTest::newRow("negative total") << qint64(399) << qint64(30) << -3.0 << qint64(-1);
    }
    void totalBandLimits()
    {
        QFETCH(qint64, upper);
        QFETCH(qint64, count);
        QFETCH(double, total);
        QFETCH(qint64, band);
        const Rules::TotalBands b{upper, count};
        const Num::Fixed t = Num::toFixed(total);
        QCOMPARE(b.bandOf(t), band);
        QCOMPARE(b.aboveFirst(t), total >= double(upper + 1));
        if (band >= 0) {
            QVERIFY(b.reaches(t, band));
            // The band's count is the difference of two running counts.
            QVERIFY(band == 0 || !b.reaches(t, band - 1));
            QCOMPARE(b.upperOf(band) - b.lowerOf(band), qint64(9));
        }
    }

    void runningCountsReachEveryLowerBand()
    {
        const Rules::TotalBands b{399, 30};
        QCOMPARE(b.upperOf(0), qint64(399));
        QCOMPARE(b.lowerOf(29), qint64(100));
        // A total above the first band counts in every running count.
        for (qint64 i = 0; i < 30; ++i)
            QVERIFY(b.reaches(Num::toFixed(405), i));
        QVERIFY(!b.reaches(Num::toFixed(150), 0));
        QVERIFY(b.reaches(Num::toFixed(150), 24)); // 150-159
        QVERIFY(!b.reaches(Num::toFixed(150), 23));
    }

    void markBands_data()
    {
        QTest::addColumn<qint64>("rounded");
        QTest::addColumn<int>("band");
        QTest::newRow("0 -> F0") << qint64(0) << 0;
        QTest::newRow("1 -> F10") << qint64(1) << 1;
        QTest::newRow("9 -> F10") << qint64(9) << 1;
        QTest::newRow("10 -> F20") << qint64(10) << 2;
        QTest::newRow("60 -> F70") << qint64(60) << 7;
        QTest::newRow("119 -> F120") << qint64(119) << 12;
        QTest::newRow("120 -> F130") << qint64(120) << 13;
        QTest::newRow("121 -> none") << qint64(121) << -1;
        QTest::newRow("-1 -> none") << qint64(-1) << -1;
    }
    void markBands()
    {
        QFETCH(qint64, rounded);
        QFETCH(int, band);
        QCOMPARE(Rules::markBand(rounded), band);
    }

    void subjectStatsOfOneClass()
    {
        // 100, 80, 59.5, 39.9 out of 100, and one student absent.
        const auto m = marks({100, 80, kAbsent, 59.5, 39.9});
        const auto ranks = marks({1, 2, kAbsent, 150, 400});
        const Rules::SubjectStats s = Rules::subjectStats({0, 1, 2, 3, 4}, m, ranks, 100, {100, 200, 300, 400});
        QCOMPARE(s.count, qint64(4)); // the absent one is not counted
        // The exact sum and its mean, as a spreadsheet gives them.
        QCOMPARE(s.total(), Num::Mark(Num::toFixed(279.4)));
        QCOMPARE(s.average(), Num::Mark(Num::toFixed(69.85)));
        QCOMPARE(s.pass, qint64(2));
        QCOMPARE(s.high, qint64(2));
        QCOMPARE(s.low, qint64(1));
        QCOMPARE(s.passRate(), Num::Mark(5000));
        QCOMPARE(s.lowRate(), Num::Mark(2500));
        QCOMPARE(s.best, Num::toFixed(100));
        QCOMPARE(s.worst, Num::toFixed(39.9));
        QCOMPARE(s.bestRow, 0);
        QCOMPARE(s.worstRow, 4);
        QCOMPARE(s.bands[11], qint64(1)); // 100 -> F110
        QCOMPARE(s.bands[9], qint64(1));  // 80 -> F90
        QCOMPARE(s.bands[7], qint64(1));  // 60 -> F70
        QCOMPARE(s.bands[5], qint64(1));  // 40 -> F50
        QCOMPARE(s.bands[0], qint64(0));  // the absent one is no 0
        QCOMPARE(s.top, (std::array<qint64, 4>{2, 3, 3, 4}));
    }

    void meansHalveToEvenAtTheFourthDecimal_data()
    {
        QTest::addColumn<QList<double>>("values");
        QTest::addColumn<double>("mean");
        QTest::newRow("69.85") << QList<double>{100, 80, 59.5, 39.9} << 69.85;
        QTest::newRow("2/3") << QList<double>{1, 1, 0} << 0.6667;
        QTest::newRow("0.00005 halves down to even") << QList<double>{0.0001, 0} << 0.0;
        QTest::newRow("0.00015 halves up to even") << QList<double>{0.0003, 0} << 0.0002;
    }
    void meansHalveToEvenAtTheFourthDecimal()
    {
        QFETCH(QList<double>, values);
        QFETCH(double, mean);
        Num::Fixed sum = 0;
        for (double v : values)
            sum += Num::toFixed(v);
        QCOMPARE(Num::mean4(sum, values.size()), Num::toFixed(mean));
    }

    void subjectStatsThresholdsAndTies()
    {
        // Full mark 150: pass 90, high 120, low below 60; the first of equal best marks is named.
        const auto m = marks({120, 90, 59.9, 120, 60});
        const Rules::SubjectStats s = Rules::subjectStats({0, 1, 2, 3, 4}, m, marks({0, 0, 0, kAbsent, 0}), 150,
                                                          {100, 200, 300, 400});
        QCOMPARE(s.pass, qint64(3));
        QCOMPARE(s.high, qint64(2));
        QCOMPARE(s.low, qint64(1));
        QCOMPARE(s.bestRow, 0);
        // A grade rank still 0 (an examination saved before) counts in every
        // top-N; a blank one (not ranked) in none.
        QCOMPARE(s.top, (std::array<qint64, 4>{4, 4, 4, 4}));
        // Nobody sat: no sum, average or rate.
        const Rules::SubjectStats none = Rules::subjectStats({0, 1}, marks({kAbsent, kAbsent}), m, 100, {1, 2, 3, 4});
        QCOMPARE(none.count, qint64(0));
        QVERIFY(!none.total() && !none.average() && !none.passRate() && !none.lowRate());
    }

    void classPlaces()
    {
        // Averages 80, 75, 75, 70 -> 1, 2, 2, 4; a class where nobody sat takes no place.
        std::vector<Rules::SubjectStats> classes(5);
        const QList<double> averages{80, 75, 75, 70};
        for (int c = 0; c < 4; ++c) {
            classes[size_t(c)].count = 1;
            classes[size_t(c)].sum = Num::toFixed(averages[c]);
            classes[size_t(c)].low = c == 3 ? 0 : 1; // only the weakest average has no low mark
        }
        const auto places = Rules::classPlaces(classes);
        QCOMPARE(places[0][0], Rules::Place(1));
        QCOMPARE(places[1][0], Rules::Place(2));
        QCOMPARE(places[2][0], Rules::Place(2));
        QCOMPARE(places[3][0], Rules::Place(4));
        QCOMPARE(places[3][3], Rules::Place(1)); // low rate 0 places first
        QCOMPARE(places[0][3], Rules::Place(2));
        for (const Rules::Place& p : places[4])
            QVERIFY(!p);
    }

    // What a teacher reads where the database keeps its own names.
    void titlesAndShownValues_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("shown");
        QTest::newRow("a mark") << "语文1" << QVariant(85.5) << "语文" << "85.5";
        QTest::newRow("a grade rank") << "总分级排1" << QVariant(12.0) << "总分级排" << "12";
        QTest::newRow("三总's class rank") << "三总班排1" << QVariant(3) << "三总班排" << "3";
        QTest::newRow("not an item") << "ID1" << QVariant(7) << "ID1" << "7";
        QTest::newRow("a class column of the bands") << "1班" << QVariant(4) << "1班" << "4";
        QTest::newRow("full marks band") << "F130" << QVariant(3) << "120分" << "3";
        QTest::newRow("top band") << "F120" << QVariant(2) << "110到120" << "2";
        QTest::newRow("second band") << "F20" << QVariant(2) << "10到20" << "2";
        QTest::newRow("1 to 9") << "F10" << QVariant(1) << "1到9" << "1";
        QTest::newRow("nought") << "F0" << QVariant(0) << "0分" << "0";
        QTest::newRow("a rate") << "合格率" << QVariant(0.6429) << "合格率" << "64.29%";
        QTest::newRow("the whole grade") << "班号" << QVariant(100) << "班号" << "全级";
        QTest::newRow("a class") << "班号" << QVariant(10) << "班号" << "10";
        QTest::newRow("a saved subject") << "科目" << QVariant("数学1") << "科目" << "数学";
        QTest::newRow("a number with its zero") << "学号" << QVariant("0101") << "学号" << "0101";
        QTest::newRow("a blank") << "数学1" << QVariant() << "数学" << "";
    }
    void titlesAndShownValues()
    {
        QFETCH(QString, column);
        QFETCH(QVariant, value);
        QFETCH(QString, title);
        QFETCH(QString, shown);
        QCOMPARE(Rules::columnTitle(column), title);
        QCOMPARE(Rules::shownValue(column, value, true), shown);
    }

    void subjectsAndClasses()
    {
        QCOMPARE(Rules::allSubjects().size(), 10);
        QCOMPARE(Rules::ordered({"综合", "语文", "数学", "语文"}), (QStringList{"语文", "数学", "综合"}));
        QCOMPARE(Rules::savedItems().last(), QString("总分"));
        QVERIFY(Rules::isClassNumber(1) && Rules::isClassNumber(18));
        QVERIFY(!Rules::isClassNumber(0) && !Rules::isClassNumber(19));
    }
};

GRADEBOOK_TEST_MAIN(TestRules)
#include "test_rules.moc"
