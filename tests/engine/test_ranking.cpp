#include "engine/db/database.h"
#include "engine/processing/runs.h"
#include "enginetest.h"

namespace {

Proc::RankSettings settings(QStringList subjects, qint64 first = 1, qint64 last = 5)
{
    Proc::RankSettings s;
    s.table = "cj";
    s.subjects = subjects;
    s.firstClass = first;
    s.lastClass = last;
    return s;
}

QList<qint64> ints(const QVariantList& values)
{
    QList<qint64> out;
    for (const QVariant& v : values)
        out << v.toLongLong();
    return out;
}

} // namespace

class TestRanking : public QObject {
    Q_OBJECT
private slots:
    void ranksShareOnEqualRoundingAndSkip_data()
    {
        QTest::addColumn<QList<double>>("marks");
        QTest::addColumn<QList<qint64>>("ranks");
        QTest::newRow("90 88 88 85") << QList<double>{90, 88, 88, 85} << QList<qint64>{1, 2, 2, 4};
        QTest::newRow("85.4 and 85.2 both 85") << QList<double>{85.2, 85.4} << QList<qint64>{1, 1};
        QTest::newRow("85.5 rounds up to 86") << QList<double>{85.5, 86} << QList<qint64>{1, 1};
        QTest::newRow("84.5 rounds down to 84") << QList<double>{84, 84.5} << QList<qint64>{1, 1};
        QTest::newRow("84.5 below 85") << QList<double>{84.5, 85} << QList<qint64>{2, 1};
        QTest::newRow("each compared with the one before") << QList<double>{85.4, 86.4, 85.6}
                                                            << QList<qint64>{3, 1, 1};
        QTest::newRow("next rank is the position") << QList<double>{100, 90, 90, 90, 80}
                                                    << QList<qint64>{1, 2, 2, 2, 5};
        QTest::newRow("one student") << QList<double>{55} << QList<qint64>{1};
    }
    void ranksShareOnEqualRoundingAndSkip()
    {
        QFETCH(QList<double>, marks);
        QFETCH(QList<qint64>, ranks);
        TestEnv env;
        env.openDb();
        for (int i = 0; i < marks.size(); ++i)
            Fixture::student("cj", QString::number(i), 1, QStringLiteral("生%1").arg(i), {{"语文1", marks[i]}});
        Proc::rank(settings({"语文"}, 1, 1));
        QCOMPARE(ints(Fixture::column("cj", "语文班排1")), ranks);
        QCOMPARE(ints(Fixture::column("cj", "语文级排1")), ranks);
    }

    void totalsNeedAllThreeMainSubjects()
    {
        TestEnv env;
        env.openDb();
        Fixture::student("cj", "1", 1, "甲", {{"语文1", 90.5}, {"数学1", 80}, {"英语1", 70}, {"综合1", 100}, {"物理1", 50}});
        Fixture::student("cj", "2", 1, "乙", {{"语文1", 60}, {"数学1", 70}, {"英语1", 80}, {"综合1", 50}, {"物理1", 90}});
        const auto r = Proc::rank(settings({"语文", "数学", "英语", "综合"}, 1, 1));
        QVERIFY(r.totals);
        // 物理 is not selected, so it stays out of 总分; 综合 is in 总分 but not 三总.
        QCOMPARE(Fixture::column("cj", "总分1"), (QVariantList{340.5, 260}));
        QCOMPARE(Fixture::column("cj", "三总1"), (QVariantList{240.5, 210}));
        QCOMPARE(ints(Fixture::column("cj", "总分级排1")), (QList<qint64>{1, 2}));
        QCOMPARE(ints(Fixture::column("cj", "三总班排1")), (QList<qint64>{1, 2}));
        QCOMPARE(r.students, 2);
        QCOMPARE(r.processed, qint64(2 * 2 * (4 + 4)));

        // Without 英语 the totals keep what they hold and are ranked as stored.
        Db::exec("UPDATE cj SET 总分1 = 10 WHERE 学号 = '1'");
        const auto r2 = Proc::rank(settings({"语文", "数学"}, 1, 1));
        QVERIFY(!r2.totals);
        QCOMPARE(Fixture::column("cj", "总分1"), (QVariantList{10, 260}));
        QCOMPARE(ints(Fixture::column("cj", "总分级排1")), (QList<qint64>{2, 1}));
    }

    void classRanksOnlyInsideTheRangeGradeRanksEverywhere()
    {
        TestEnv env;
        env.openDb();
        Fixture::student("cj", "1", 1, "甲", {{"语文1", 70}, {"语文班排1", 9}});
        Fixture::student("cj", "2", 2, "乙", {{"语文1", 80}});
        Fixture::student("cj", "3", 2, "丙", {{"语文1", 90}});
        Fixture::student("cj", "4", 4, "丁", {{"语文1", 60}, {"语文班排1", 7}});
        Proc::rank(settings({"语文"}, 2, 3));
        QCOMPARE(ints(Fixture::column("cj", "语文班排1")), (QList<qint64>{9, 2, 1, 7}));
        QCOMPARE(ints(Fixture::column("cj", "语文级排1")), (QList<qint64>{3, 2, 1, 4}));
        // Class 3 has nobody: nothing is created for it.
        QCOMPARE(Db::rowCount("cj"), 4);
    }

    // Blank marks are absences: written back as blank totals and ranks,
    // replacing what an earlier run left.
    void absencesGetBlankTotalsAndRanks()
    {
        TestEnv env;
        env.openDb();
        Fixture::student("cj", "1", 1, "甲", {{"语文1", 90}, {"数学1", 80}, {"英语1", 70}});
        Fixture::student("cj", "2", 1, "乙", {{"数学1", 85}, {"英语1", 75}});
        Fixture::student("cj", "3", 1, "丙", {{"语文班排1", 3}, {"总分1", 250}, {"总分级排1", 1}});
        Fixture::student("cj", "4", 1, "丁", {{"语文1", 0}, {"数学1", 0}, {"英语1", 0}});
        Db::exec("UPDATE cj SET 语文1 = NULL WHERE 学号 = '2'");
        Db::exec("UPDATE cj SET 语文1 = NULL, 数学1 = '缺考', 英语1 = NULL WHERE 学号 = '3'");
        Db::exec("UPDATE cj SET 化学班排1 = NULL WHERE 学号 = '4'");
        Proc::rank(settings({"语文", "数学", "英语"}, 1, 1));
        QCOMPARE(Fixture::cells("cj", "总分1"), QString("240,160,,0"));
        QCOMPARE(Fixture::cells("cj", "三总1"), QString("240,160,,0"));
        QCOMPARE(Fixture::cells("cj", "语文班排1"), QString("1,,,2"));
        QCOMPARE(Fixture::cells("cj", "语文级排1"), QString("1,,,2"));
        QCOMPARE(Fixture::cells("cj", "数学级排1"), QString("2,1,,3"));
        QCOMPARE(Fixture::cells("cj", "总分班排1"), QString("1,2,,3"));
        QCOMPARE(Fixture::cells("cj", "总分级排1"), QString("1,2,,3"));
        // A rank of a subject not ranked now is left as it is, blank or not.
        QCOMPARE(Fixture::cells("cj", "化学班排1"), QString("0,0,0,"));
    }

    void aFailedRunLeavesTheTableAsItWas()
    {
        TestEnv env;
        env.openDb();
        for (int i = 1; i <= 5; ++i)
            Fixture::student("cj", QString::number(i), 1, "某", {{"语文1", 60 + i}});
        const QString before = Fixture::dump("cj");
        // A missing column is refused before anything is written...
        QVERIFY_THROWS_EXCEPTION(Db::Error, Proc::rank(settings({"语文", "生物"}, 1, 1)));
        QCOMPARE(Fixture::dump("cj"), before);
        // ...and a failure in the middle of the writing is rolled back.
        Db::exec("CREATE TRIGGER stop BEFORE UPDATE ON cj WHEN NEW.学号 = '4' BEGIN SELECT RAISE(ABORT, 'disk full'); END");
        try {
            Proc::rank(settings({"语文"}, 1, 1));
            QFAIL("the run should fail");
        } catch (const Db::Error& e) {
            QVERIFY(e.text().contains("disk full"));
        }
        QCOMPARE(Fixture::dump("cj"), before);
    }

    void displayQueryHasTheLongAndShortForm()
    {
        TestEnv env;
        env.openDb();
        QCOMPARE(Proc::rankDisplayQuery("cj", {"语文", "数学", "英语"}, "1", 1, 5).text(),
                 QString("select 学号,班号,姓名,语文1,语文班排1,语文级排1,数学1,数学班排1,数学级排1,英语1,英语班排1,"
                         "英语级排1,总分1,总分班排1,总分级排1,三总1,三总班排1,三总级排1 from  cj where 班号>=1 and "
                         "班号<=5 order by 班号"));
        QCOMPARE(Proc::rankDisplayQuery("cjn", {"语文", "数学"}, "1", 2, 3).text(),
                 QString("select 学号,姓名,语文1,语文班排1,语文级排1,数学1,数学班排1,数学级排1,班号 from  cjn "
                         "where 班号>=2 and 班号<=3 order by 班号"));
    }
};

GRADEBOOK_TEST_MAIN(TestRanking)
#include "test_ranking.moc"
