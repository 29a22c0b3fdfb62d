// Looking up saved band tables and analysis rows, and what their charts are
// made of: slices, bars, labels, titles and notes, read as plain data.
#include "engine/db/database.h"
#include "engine/reports/chartdata.h"
#include "engine/reports/savedtables.h"
#include "engine/rules/numbers.h"
#include "enginetest.h"

using namespace Reports;

namespace {

// A saved band table: `bands` rows from `upper` down in tens, then the
// average row, numbered from `id`. 1班 counts k+1 in band k, 全级 twice that.
void savedBands(const QString& exam, int bands, int upper, qint64 id)
{
    for (int k = 0; k < bands; ++k, ++id)
        Db::exec("INSERT INTO tjsave1(上限, 下限, \"1班\", 全级, 考试名称, ID1) VALUES (?, ?, ?, ?, ?, ?)",
                 {QString::number(upper - 10 * k), QString::number(upper - 9 - 10 * k), k + 1, 2 * (k + 1), exam, id});
    Db::exec("INSERT INTO tjsave1(上限, 下限, \"1班\", 全级, 考试名称, ID1) VALUES ('总分的', '平均分', 250.5, 251.25, ?, ?)",
             {exam, id});
}

void savedAnalysis(const QString& subject, int cls, const QString& exam, int number)
{
    Db::exec("INSERT INTO fxsave(科目, 班号, 人数, 考试名称, 考试编号) VALUES (?, ?, 40, ?, ?)", {subject, cls, exam, number});
}

QVariantList column(const Db::SelectSpec& q, const QString& name)
{
    const int c = int(q.resolvedColumns().indexOf(name));
    QVariantList out;
    for (const QVariantList& r : Db::select(q))
        out << r.value(c);
    return out;
}

QStringList labels(const ChartData& d)
{
    QStringList out;
    for (const ChartPoint& p : d.points)
        out << p.label();
    return out;
}

QList<double> values(const ChartData& d)
{
    QList<double> out;
    for (const ChartPoint& p : d.points)
        out << p.value;
    return out;
}

// The walk over `n` band rows: "从<lower>到<upper>", counts 1, 2, 3, ...
BandWalk rowsOf(int n)
{
    BandWalk w;
    w.exam = QStringLiteral("期中");
    for (int k = 0; k < n; ++k)
        w.rows << BandRow{QString::number(399 - 10 * k), QString::number(390 - 10 * k), double(k + 1)};
    return w;
}

} // namespace

class TestSavedCharts : public QObject {
    Q_OBJECT
private slots:
    // The statements read as the windows describe them; names are bound.
    void statementTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("saved bands") << savedBandsQuery("tjsave1", "期中").text()
                                     << "select * from  tjsave1 where  考试名称 like '期中%'order by ID1";
        QTest::newRow("their averages")
            << savedBandAveragesQuery("tjsave1", "期中").text()
            << "select * from  tjsave1 where  考试名称 like '期中%' and 下限='平均分' order by ID1";
        QTest::newRow("one class") << savedAnalysisQuery({"期中", "数学", 3, 9, true}).text()
                                   << "select * from  fxsave where 班号=3 and  科目='数学1' and 考试名称='期中'";
        QTest::newRow("range") << savedAnalysisQuery({"期中", "数学", 1, 2, false}).text()
                               << "select * from  fxsave where 班号>=1 and 班号<=2 and  科目='数学1' and 考试名称='期中'";
        QTest::newRow("all") << allSavedAnalysisQuery().text() << "select * from  fxsave order by 考试编号";
    }
    void statementTexts()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(text, expected);
    }

    void savedBandsMatchByPrefixInSavingOrder()
    {
        TestEnv env;
        env.openDb();
        // 期中补考 saved between two parts of 期中's numbers: ID1 decides the order.
        savedBands("期中补考", 2, 299, 10);
        savedBands("期中", 2, 399, 1);
        savedBands("期末", 2, 399, 20);
        savedBands("初一'期中", 1, 199, 30);
        savedBands("期%考", 1, 199, 40);
        const auto q = savedBandsQuery("tjsave1", "期中");
        QCOMPARE(column(q, "考试名称"),
                 (QVariantList{"期中", "期中", "期中", "期中补考", "期中补考", "期中补考"}));
        QCOMPARE(column(q, "ID1"), (QVariantList{1, 2, 3, 10, 11, 12}));
        // One average row per examination.
        const auto avg = savedBandAveragesQuery("tjsave1", "期中");
        QCOMPARE(column(avg, "考试名称"), (QVariantList{"期中", "期中补考"}));
        QCOMPARE(column(avg, "下限"), (QVariantList{"平均分", "平均分"}));
        // A quote is part of the name; a % typed is a % and no wildcard.
        QCOMPARE(column(savedBandsQuery("tjsave1", "初一'期中"), "ID1"), (QVariantList{30, 31}));
        QCOMPARE(column(savedBandsQuery("tjsave1", "期%"), "考试名称"), (QVariantList{"期%考", "期%考"}));
        QVERIFY(column(savedBandsQuery("tjsave1", "期中考"), "ID1").isEmpty());
    }

    void savedAnalysisMatchesNamesExactly()
    {
        TestEnv env;
        env.openDb();
        for (int c : {1, 2, 3, 100})
            savedAnalysis("数学1", c, "期中", 5);
        savedAnalysis("数学", 1, "期中", 5);      // no suffix: not a saved subject row
        savedAnalysis("数学1", 1, "期中补考", 6);  // another examination
        savedAnalysis("数学1", 2, "期中 ", 7);     // a trailing blank is another name
        savedAnalysis("语文1", 1, "期中", 5);
        savedAnalysis("数学1", 1, "初一'期中", 8);
        QCOMPARE(column(savedAnalysisQuery({"期中", "数学", 1, 2, false}), "班号"), (QVariantList{1, 2}));
        QCOMPARE(column(savedAnalysisQuery({"期中", "数学", 2, 3, true}), "班号"), (QVariantList{2}));
        QCOMPARE(column(savedAnalysisQuery({"期中", "数学", 1, 100, false}), "班号"), (QVariantList{1, 2, 3, 100}));
        QCOMPARE(column(savedAnalysisQuery({"初一'期中", "数学", 1, 1, true}), "考试编号"), (QVariantList{8}));
        QCOMPARE(column(allSavedAnalysisQuery(), "考试编号"), (QVariantList{5, 5, 5, 5, 5, 5, 6, 7, 8}));
        Db::exec("INSERT INTO ksmcfx(name) VALUES ('期中'), ('初一''期中')");
        QCOMPARE(examNames("ksmcfx"), (QStringList{"期中", "初一'期中"}));
    }

    void classNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("number"); // -1: refused
        QTest::newRow("plain") << "3" << qint64(3);
        QTest::newRow("full-width, blanks") << " １２ " << qint64(12);
        QTest::newRow("letters") << "三班" << qint64(-1);
        QTest::newRow("fraction") << "1.5" << qint64(-1);
        QTest::newRow("empty") << "" << qint64(-1);
        QTest::newRow("SQL") << "1 or 1=1" << qint64(-1);
    }
    void classNumbers()
    {
        QFETCH(QString, text);
        QFETCH(qint64, number);
        if (number >= 0) {
            QCOMPARE(classNumber(text, "第几班"), number);
            return;
        }
        try {
            classNumber(text, "第几班");
            QFAIL("accepted");
        } catch (const Db::InputError& e) {
            QVERIFY2(e.text().contains("第几班") && e.text().contains(text), qPrintable(e.text()));
        }
    }

    void sharesAreWholePercentagesHalvesToEven_data()
    {
        QTest::addColumn<qint64>("part");
        QTest::addColumn<qint64>("whole");
        QTest::addColumn<QString>("share");
        QTest::newRow("10 of 40") << qint64(10) << qint64(40) << "25%";
        QTest::newRow("3 of 45 (6.67)") << qint64(3) << qint64(45) << "7%";
        QTest::newRow("9 of 36") << qint64(9) << qint64(36) << "25%";
        QTest::newRow("1 of 8 (12.5)") << qint64(1) << qint64(8) << "12%";
        QTest::newRow("27 of 200 (13.5)") << qint64(27) << qint64(200) << "14%";
        QTest::newRow("none of 30") << qint64(0) << qint64(30) << "0%";
        QTest::newRow("class of 0") << qint64(0) << qint64(0) << "—";
    }
    void sharesAreWholePercentagesHalvesToEven()
    {
        QFETCH(qint64, part);
        QFETCH(qint64, whole);
        QFETCH(QString, share);
        QCOMPARE(shareText(part, whole), share);
    }

    void theBandPieOfOneClass()
    {
        // Edit1 ... Edit15: 90到100, 80到90, 70到80, 60到70, 50到60, 40到50,
        // 100到110, 110到120, 人数, 30到40, 20到30, 10到20, 1到9, 0分, 120分.
        const ChartData d = bandPie({10, 8, 6, 5, 4, 3, 1, 0, 40, 1, 1, 0, 0, 1, 0}, {"期中", "3班", "语文"});
        QCOMPARE(labels(d), (QStringList{"* 110-120占0%", "* 100-110占2%", "* 90-100占25%", "* 80-90占20%",
                                          "* 70-80占15%", "* 60-70占12%", "* 50-60占10%", "* 40-50占8%",
                                          "* 40以下占8%"}));
        QCOMPARE(values(d), (QList<double>{0, 1, 10, 8, 6, 5, 4, 3, 3}));
        QCOMPARE(d.title, QString("期中 3班语文科成绩分段表"));
        QVERIFY(d.note.isEmpty());

        const ChartData empty = bandPie({}, {"期中", "全级", "数学"});
        for (const ChartPoint& p : empty.points)
            QCOMPARE(p.share, QString("—"));
        QCOMPARE(empty.points.at(2).label(), QString("* 90-100占—"));
        QVERIFY(empty.note.contains("人数为0"));
        QCOMPARE(empty.title, QString("期中 全级数学科成绩分段表"));
    }

    void theBandPieAddsUpToTheClass_data()
    {
        QTest::addColumn<QList<qint64>>("in");
        QTest::addColumn<double>("top");   // the 110-120 slice
        QTest::addColumn<double>("other"); // the 其他 slice, 0 when there is none
        // Out of 120: three students with full marks belong to the top slice.
        QTest::newRow("120 out of 120") << QList<qint64>{10, 8, 6, 5, 4, 3, 5, 4, 48, 0, 0, 0, 0, 0, 3} << 7.0 << 0.0;
        // Out of 150: marks above 120 are in no band, yet students of the class.
        QTest::newRow("above 120 out of 150") << QList<qint64>{10, 8, 6, 5, 4, 3, 5, 4, 50, 0, 0, 0, 0, 0, 1} << 5.0 << 4.0;
    }
    void theBandPieAddsUpToTheClass()
    {
        QFETCH(QList<qint64>, in);
        QFETCH(double, top);
        QFETCH(double, other);
        std::array<qint64, kBandPieInputs> e{};
        std::copy(in.begin(), in.end(), e.begin());
        const ChartData d = bandPie(e, {"期中", "5班", "数学"});
        QCOMPARE(d.total(), double(e[8]));
        QCOMPARE(d.points.first().value, top);
        QCOMPARE(d.points.first().text, QString("* 110-120占"));
        QCOMPARE(d.points.size(), other > 0 ? 10 : 9);
        if (other > 0)
            QCOMPARE(d.points.last().label(), QStringLiteral("* 其他占%1%").arg(Num::percent(qint64(other), e[8])));
        QVERIFY(d.note.isEmpty());
    }

    void theTopBarsOfOneClass()
    {
        const ChartData d = topBars({3, 9, 20, 30, 15, 45}, {"期末", "2班", "英语"});
        QCOMPARE(labels(d), (QStringList{"本班45人", "级前100名7%", "级前200名20%", "级前300名44%", "级前400名67%",
                                          "400名以后33%"}));
        QCOMPARE(values(d), (QList<double>{45, 3, 9, 20, 30, 15}));
        QCOMPARE(d.title, QString("期末 2班英语科成绩级前400名柱形对比图"));
        QCOMPARE(topBars({9, 9, 9, 9, 27, 36}, {}).points.at(1).share, QString("25%"));
        const ChartData none = topBars({0, 0, 0, 0, 0, 0}, {"期末", "2班", "英语"});
        QCOMPARE(none.points.at(0).label(), QString("本班0人"));
        QCOMPARE(none.points.at(5).label(), QString("400名以后—"));
        QVERIFY(!none.note.isEmpty());
    }

    void inputsFromASavedRow()
    {
        QVariantMap row{{"人数", 50}, {"级前100名人数", 10}, {"级前200名人数", 20}, {"级前300名人数", 35},
                        {"级前400名人数", 48}, {"90到100", 12}, {"0分", 2}, {"110到120", QVariant()}};
        QCOMPARE(topBarInputs(row), (QStringList{"10", "20", "35", "48", "2", "50"}));
        const QStringList pie = bandPieInputs(row);
        QCOMPARE(pie.size(), 15);
        QCOMPARE(pie.at(0), QString("12"));
        QCOMPARE(pie.at(7), QString()); // a blank band stays blank
        QCOMPARE(pie.at(8), QString("50"));
        QCOMPARE(pie.at(13), QString("2"));
        QCOMPARE(pie.at(14), QString()); // 120分
        QCOMPARE(topBarInputs({}).at(4), QString());
    }

    void inputsThatAreNotWholeNumbers_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("named"); // "" when accepted
        QTest::newRow("all numbers") << QStringList{"1", " 2", "３"} << "";
        QTest::newRow("empty") << QStringList{"1", "", "3"} << "80到90";
        QTest::newRow("letters") << QStringList{"1", "2", "x"} << "70到80";
        QTest::newRow("fraction") << QStringList{"1.5"} << "90到100";
    }
    void inputsThatAreNotWholeNumbers()
    {
        QFETCH(QStringList, texts);
        QFETCH(QString, named);
        try {
            QCOMPARE(integersOf(texts, bandPieFields()).size(), texts.size());
            QVERIFY(named.isEmpty());
        } catch (const Db::InputError& e) {
            QVERIFY2(!named.isEmpty() && e.text().contains("“" + named + "”"), qPrintable(e.text()));
        }
    }

    void theWalkTakesTheFirstExaminationsBands()
    {
        const QStringList cols{"上限", "下限", "1班", "全级", "考试名称"};
        const QList<QVariantList> rows{{"399", "390", 2, 5, "期中"},
                                       {"389", "380", QVariant(), 7, "期中"},
                                       {"总分的", "平均分", 250.5, 251, "期中"},
                                       {"0", "0", 0, 0, "期中"},
                                       {"399", "390", 9, 9, "期中补考"}};
        BandWalk w = bandWalk(cols, rows, "1班");
        QCOMPARE(w.exam, QString("期中"));
        QCOMPARE(w.rows.size(), 2);
        QCOMPARE(w.rows.at(0).upper, QString("399"));
        QCOMPARE(w.rows.at(1).lower, QString("380"));
        QCOMPARE(w.rows.at(1).count, 0.0); // a blank count is 0
        QVERIFY(w.otherExams);
        QCOMPARE(bandWalk(cols, rows.mid(0, 3), "全级").rows.at(1).count, 7.0);
        QVERIFY(!bandWalk(cols, rows.mid(0, 3), "全级").otherExams);
        QVERIFY(bandWalk(cols, {}, "1班").rows.isEmpty());

        // A column that is not there, a count that is not a number.
        for (auto [column, table] : {std::pair{"2班", rows}, {"1班", QList<QVariantList>{{"399", "390", "x", 1, "期中"}}}}) {
            try {
                bandWalk(cols, table, column);
                QFAIL("drawn");
            } catch (const Db::InputError& e) {
                QVERIFY2(e.text().contains(column), qPrintable(e.text()));
            }
        }
        QCOMPARE(bandCountColumn(true, 0), QString("全级"));
        QCOMPARE(bandCountColumn(false, 18), QString("18班"));
        QVERIFY_THROWS_EXCEPTION(Db::InputError, bandCountColumn(false, 19));
        QVERIFY_THROWS_EXCEPTION(Db::InputError, bandCountColumn(false, 0));
    }

    void totalPieMergesBandRows()
    {
        // 26 rows in pairs: each slice from the lower bound of its second row
        // to the upper bound of its first.
        const ChartData d = totalPie(rowsOf(26), {13, 2, false, 1});
        QCOMPARE(d.points.size(), 13);
        QCOMPARE(d.points.at(0).label(), QString("从380到399占1%（3人）"));
        QCOMPARE(d.points.at(0).value, 1.0 + 2);
        QCOMPARE(d.points.at(12).text, QString("从140到159占"));
        QCOMPARE(d.points.at(12).value, 25.0 + 26);
        QCOMPARE(d.title, QString("期中第1班总分分段饼图"));
        QVERIFY(d.note.isEmpty());
        QCOMPARE(totalPie(rowsOf(26), {13, 2, true, 1}).title, QString("期中全级总分分段饼图"));

        // One slice over all 26 rows.
        const ChartData one = totalPie(rowsOf(26), {1, 26, false, 1});
        QCOMPARE(one.points.size(), 1);
        QCOMPARE(one.points.at(0).label(), QString("从140到399占100%（351人）"));
        QCOMPARE(one.points.at(0).value, 26.0 * 27 / 2);
    }

    void pastTheLastRowTheLastRowRepeats()
    {
        // 3 rows for 3 slices of 2: the walk stays on row 3, which the last
        // two slices read twice each: four times, three too many.
        const ChartData d = totalPie(rowsOf(3), {3, 2, false, 1});
        QCOMPARE(values(d), (QList<double>{1 + 2, 3 + 3, 3 + 3}));
        QCOMPARE(labels(d), (QStringList{"从380到399占20%（3人）", "从370到379占40%（6人）", "从370到379占40%（6人）"}));
        QVERIFY2(d.note.contains("370到379") && d.note.contains("3次"), qPrintable(d.note));
        // Exactly enough rows: nothing repeats.
        QVERIFY(totalPie(rowsOf(6), {3, 2, false, 1}).note.isEmpty());

        BandWalk zeros = rowsOf(2);
        for (BandRow& r : zeros.rows)
            r.count = 0;
        QVERIFY(totalPie(zeros, {1, 2, false, 1}).note.contains("没有学生"));
        zeros.otherExams = true;
        QVERIFY(totalPie(zeros, {1, 2, false, 1}).note.contains("只画第一个"));

        for (auto [slices, per] : {std::pair{0, 2}, {-1, 2}, {13, 0}, {101, 1}}) {
            try {
                totalPie(rowsOf(26), {slices, per, false, 1});
                QFAIL("drawn");
            } catch (const Db::InputError& e) {
                QVERIFY(e.text().contains(slices < 1 || slices > 100 ? "图表段数" : "每一段间隔"));
            }
        }
    }

    void theTotalPieCoversTheWholeClass()
    {
        // 26 bands with 1 ... 26 students (351); 3 slices of 2 draw the top
        // six bands, 21 students. The class has 58 with a total.
        TotalPieSettings s{3, 2, false, 5};
        s.classSize = 380;
        ChartData d = totalPie(rowsOf(26), s);
        QCOMPARE(d.points.size(), 4);
        QCOMPARE(d.total(), 380.0);
        QCOMPARE(d.points.last().label(), QString("其余占94%（359人）"));
        QCOMPARE(d.points.first().label(), QString("从380到399占1%（3人）"));
        // Every slice says its share, as the title's 占 promises.
        for (const ChartPoint& p : d.points)
            QVERIFY2(p.share.contains("%（") && p.share.endsWith("人）"), qPrintable(p.label()));
        QVERIFY(d.note.isEmpty());

        // Declined: the four slices stay, the title says who is not drawn.
        s.restSlice = false;
        d = totalPie(rowsOf(26), s);
        QCOMPARE(d.points.size(), 3);
        QVERIFY2(d.note.contains("另有359人") && d.note.contains("第5班共380人"), qPrintable(d.note));

        // Grades not saved: the bands' running count is the class, as far as it is known.
        BandWalk w = rowsOf(26);
        w.reached = 351 + 5;
        s.classSize.reset();
        s.restSlice = true;
        d = totalPie(w, s);
        QCOMPARE(d.total(), 356.0);
        QVERIFY2(d.note.contains("没有永久保存"), qPrintable(d.note));
    }
};

GRADEBOOK_TEST_MAIN(TestSavedCharts)
#include "test_savedcharts.moc"
