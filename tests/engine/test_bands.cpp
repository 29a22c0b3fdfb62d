#include "engine/db/database.h"
#include "engine/processing/runs.h"
#include "enginetest.h"

namespace {

void total(int cls, QVariant value)
{
    Fixture::student("cj", "x", cls, "某", {{"总分1", value}});
}

QVariant tj(int row, const QString& column)
{
    return Fixture::value("tj", column, row);
}

Proc::BandSettings settings(qint64 lastClass = 18)
{
    Proc::BandSettings s;
    s.table = "cj";
    s.tjTable = "tj";
    s.lastClass = lastClass;
    return s;
}

} // namespace

class TestBands : public QObject {
    Q_OBJECT
private slots:
    void bandEdgesWithTheDefaults()
    {
        TestEnv env;
        env.openDb();
        for (double t : {399.0, 390.0, 389.0, 100.0, 400.0, 99.0, 405.0, 389.5})
            total(1, t);
        const auto r = Proc::bands(settings(1));
        QCOMPARE(r.bands, 30);
        QCOMPARE(tj(0, "上限").toString(), QString("399"));
        QCOMPARE(tj(0, "下限").toString(), QString("390"));
        QCOMPARE(tj(29, "上限").toString(), QString("109"));
        QCOMPARE(tj(29, "下限").toString(), QString("100"));
        QCOMPARE(tj(0, "1班").toInt(), 2);  // 399, 390
        QCOMPARE(tj(1, "1班").toInt(), 2);  // 389 and 389.5
        QCOMPARE(tj(29, "1班").toInt(), 1); // 100
        int inBands = 0;
        for (int i = 0; i < 30; ++i)
            inBands += tj(i, "全级").toInt();
        QCOMPARE(inBands, 5); // 400, 405 above the first band, 99 below the last
        QCOMPARE(r.aboveFirst, 2);
        QCOMPARE(tj(0, "1累").toInt(), 4);  // 399, 390, 400, 405
        QCOMPARE(tj(1, "1累").toInt(), 6);  // and 389, 389.5
        QCOMPARE(tj(29, "1累").toInt(), 7); // all but 99
        QCOMPARE(tj(29, "级累").toInt(), 7);
        // The average row is row 31.
        QCOMPARE(tj(30, "上限").toString(), QString("总分的"));
        QCOMPARE(tj(30, "下限").toString(), QString("平均分"));
        QCOMPARE(tj(30, "1班").toDouble(), 2571.5 / 8);
        QCOMPARE(tj(31, "上限").toString(), QString("0"));
    }

    void bandCountsAddUpWithFractionalTotals()
    {
        // Totals of halves and tenths: every one between the first band's top
        // and the last band's bottom is counted in exactly one band.
        TestEnv env;
        env.openDb();
        int expected = 0, expectedAbove = 1; // 449.5 below
        for (int i = 0; i < 120; ++i) {
            const int tenths = 950 + i * 27 + (i % 3) * 5;
            total(1 + i % 3, tenths / 10.0);
            expected += tenths >= 1000 && tenths < 4000;
            expectedAbove += tenths >= 4000;
        }
        total(2, 449.5);
        auto s = settings(3);
        const auto r = Proc::bands(s);
        int inBands = 0, perClass = 0;
        for (int i = 0; i < 30; ++i) {
            inBands += tj(i, "全级").toInt();
            perClass += tj(i, "1班").toInt() + tj(i, "2班").toInt() + tj(i, "3班").toInt();
            // A band's count is the step between two running counts.
            const int above = i == 0 ? r.aboveFirst : tj(i - 1, "级累").toInt();
            QCOMPARE(tj(i, "全级").toInt(), tj(i, "级累").toInt() - above);
        }
        QCOMPARE(inBands, expected);
        QCOMPARE(perClass, expected);
        QCOMPARE(r.aboveFirst, expectedAbove);

        s.upper = 459;
        Proc::bands(s);
        QCOMPARE(tj(1, "下限").toString(), QString("440"));
        QCOMPARE(tj(1, "2班").toInt(), 1); // 449.5 in 440-449
    }

    void classesAfterTheLastClassCountOnlyForTheGrade()
    {
        TestEnv env;
        env.openDb();
        total(1, 395);
        total(1, 385);
        total(2, 395);
        total(4, 395); // class 3 has nobody
        total(20, 100); // a class without columns of its own
        Proc::bands(settings(2));
        QCOMPARE(tj(0, "1班").toInt(), 1);
        QCOMPARE(tj(0, "2班").toInt(), 1);
        QCOMPARE(tj(0, "4班").toInt(), 0);
        QCOMPARE(tj(0, "全级").toInt(), 3);
        QCOMPARE(tj(1, "级累").toInt(), 4);
        QCOMPARE(tj(29, "级累").toInt(), 5);
        QCOMPARE(tj(30, "1班").toDouble(), 390.0);
        QVERIFY(tj(30, "3班").isNull()); // nobody: blank, not a division by zero
        QCOMPARE(tj(30, "4班").toDouble(), 395.0);
        QCOMPARE(tj(30, "全级").toDouble(), (395 + 385 + 395 + 395 + 100) / 5.0);
    }

    void otherLimitsAndBlankTotals()
    {
        TestEnv env;
        env.openDb();
        total(1, 150);
        total(1, QVariant());
        auto s = settings(1);
        s.upper = 159;
        s.count = 16;
        const auto r = Proc::bands(s);
        QCOMPARE(tj(0, "1班").toInt(), 1);
        QCOMPARE(tj(15, "下限").toString(), QString("0"));
        // A blank total (absent from every subject) is left out, not a 0.
        QCOMPARE(tj(15, "1班").toInt(), 0);
        QCOMPARE(tj(15, "1累").toInt(), 1);
        QCOMPARE(r.students, 1);
        QCOMPARE(r.withoutTotal, 1);
        QCOMPARE(tj(16, "下限").toString(), QString("平均分"));
        QCOMPARE(tj(16, "全级").toDouble(), 150.0);
    }

    void averagesAreTheNearestNumberToTheTrueQuotient()
    {
        TestEnv env;
        env.openDb();
        for (double t : {241.2, 241.2, 241.2, 241.2, 241.2, 241.2, 241.2})
            total(1, t);
        Proc::bands(settings(1));
        QCOMPARE(tj(30, "1班").toString(), QString("241.2"));
        QCOMPARE(tj(30, "全级").toString(), QString("241.2"));
    }

    void refusesCountsThatDoNotFit_data()
    {
        QTest::addColumn<qint64>("count");
        QTest::addColumn<int>("rows");
        QTest::newRow("0 bands") << qint64(0) << 101;
        QTest::newRow("101 bands") << qint64(101) << 101;
        QTest::newRow("no room for the average row") << qint64(30) << 30;
    }
    void refusesCountsThatDoNotFit()
    {
        QFETCH(qint64, count);
        QFETCH(int, rows);
        TestEnv env;
        env.openDb();
        total(1, 300);
        Db::exec("DELETE FROM tj WHERE rowid > ?", {rows});
        const QString before = Fixture::dump("tj");
        auto s = settings(1);
        s.count = count;
        QVERIFY_THROWS_EXCEPTION(Db::InputError, Proc::bands(s));
        QCOMPARE(Fixture::dump("tj"), before);
    }

    void aFailureLeavesTheBandTableAsItWas()
    {
        TestEnv env;
        env.openDb();
        total(1, 300);
        Proc::bands(settings(1));
        const QString before = Fixture::dump("tj");
        Db::exec("UPDATE cj SET 总分1 = 391");
        Db::exec("CREATE TRIGGER stop BEFORE UPDATE ON tj WHEN NEW.下限 = '平均分' BEGIN SELECT RAISE(ABORT, 'locked'); END");
        QVERIFY_THROWS_EXCEPTION(Db::Error, Proc::bands(settings(1)));
        QCOMPARE(Fixture::dump("tj"), before);
    }
};

GRADEBOOK_TEST_MAIN(TestBands)
#include "test_bands.moc"
