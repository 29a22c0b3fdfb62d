#include "engine/db/database.h"
#include "engine/processing/runs.h"
#include "enginetest.h"

namespace {

Proc::AnalysisSettings settings(QStringList subjects, qint64 first, qint64 last)
{
    Proc::AnalysisSettings s;
    s.table = "cj";
    s.fxTable = "fx";
    s.subjects = subjects;
    s.firstClass = first;
    s.lastClass = last;
    return s;
}

// One analysis row (0-based in stored order), column by name.
QVariant fx(int row, const char* column)
{
    return Fixture::value("fx", QString::fromUtf8(column), row);
}

void student(int cls, const QString& name, double mark, double gradeRank = 1)
{
    static int n = 0;
    Fixture::student("cj", QString::number(++n), cls, name, {{"语文1", mark}, {"语文级排1", gradeRank}});
}

} // namespace

class TestAnalysis : public QObject {
    Q_OBJECT
private slots:
    void countsRatesAndBandsOfOneClass()
    {
        TestEnv env;
        env.openDb();
        student(1, "甲", 100);
        student(1, "乙", 80);
        student(1, "丙", 59.5);
        student(1, "丁", 39.9);
        const auto r = Proc::analyze(settings({"语文"}, 1, 1));
        QCOMPARE(r.rows, 2);
        QCOMPARE(fx(0, "科目").toString(), QString("语文1"));
        QCOMPARE(fx(0, "班号").toInt(), 1);
        QCOMPARE(fx(0, "人数").toInt(), 4);
        QCOMPARE(fx(0, "满分值").toInt(), 100);
        // The exact sum and its mean, as a spreadsheet adds them up.
        QCOMPARE(fx(0, "总分").toDouble(), 279.4);
        QCOMPARE(fx(0, "平均分").toDouble(), 69.85);
        QCOMPARE(fx(0, "合格人数").toInt(), 2); // 59.5 < 60
        QCOMPARE(fx(0, "高分人数").toInt(), 2);
        QCOMPARE(fx(0, "低分人数").toInt(), 1); // 39.9 < 40
        QCOMPARE(fx(0, "合格率").toDouble(), 0.5);
        QCOMPARE(fx(0, "低分率").toDouble(), 0.25);
        QCOMPARE(fx(0, "最高分").toDouble(), 100.0);
        QCOMPARE(fx(0, "最低分").toDouble(), 39.9);
        QCOMPARE(fx(0, "最高分名字").toString(), QString("甲"));
        QCOMPARE(fx(0, "最低分名字").toString(), QString("丁"));
        QCOMPARE(fx(0, "F110").toInt(), 1);
        QCOMPARE(fx(0, "F90").toInt(), 1);
        QCOMPARE(fx(0, "F70").toInt(), 1); // 59.5 rounds to 60
        QCOMPARE(fx(0, "F50").toInt(), 1); // 39.9 rounds to 40
        QCOMPARE(fx(0, "F60").toInt() + fx(0, "F40").toInt() + fx(0, "F130").toInt(), 0);
        // The whole-grade row follows, then the first free row.
        QCOMPARE(fx(1, "班号").toInt(), 100);
        QCOMPARE(fx(1, "人数").toInt(), 4);
        QCOMPARE(fx(1, "平均分").toDouble(), 69.85);
        QCOMPARE(fx(2, "科目").toString(), QString("0"));
    }

    void bandEdges_data()
    {
        QTest::addColumn<double>("mark");
        QTest::addColumn<QString>("band");
        QTest::newRow("0") << 0.0 << "F0";
        QTest::newRow("0.4 rounds to 0") << 0.4 << "F0";
        QTest::newRow("1") << 1.0 << "F10";
        QTest::newRow("9.5 rounds to 10") << 9.5 << "F20";
        QTest::newRow("19") << 19.0 << "F20";
        QTest::newRow("109") << 109.0 << "F110";
        QTest::newRow("119.5 rounds to 120") << 119.5 << "F130";
        QTest::newRow("120") << 120.0 << "F130";
        QTest::newRow("121") << 121.0 << "";
        QTest::newRow("-1") << -1.0 << "";
    }
    void bandEdges()
    {
        QFETCH(double, mark);
        QFETCH(QString, band);
        TestEnv env;
        env.openDb();
        student(1, "甲", mark);
        Proc::analyze(settings({"语文"}, 1, 1));
        int total = 0;
        for (int k = 0; k <= 13; ++k) {
            const QString col = QStringLiteral("F%1").arg(10 * k);
            const int n = Fixture::value("fx", col, 0).toInt();
            total += n;
            if (col == band)
                QCOMPARE(n, 1);
        }
        QCOMPARE(total, band.isEmpty() ? 0 : 1);
    }

    void firstOfEqualMarksIsNamed()
    {
        TestEnv env;
        env.openDb();
        student(1, "甲", 70);
        student(1, "乙", 95);
        student(1, "丙", 95);
        student(1, "丁", 40);
        student(1, "戊", 40);
        Proc::analyze(settings({"语文"}, 1, 1));
        QCOMPARE(fx(0, "最高分名字").toString(), QString("乙"));
        QCOMPARE(fx(0, "最低分名字").toString(), QString("丁"));
    }

    void classRanksAmongTheClasses()
    {
        TestEnv env;
        env.openDb();
        // Averages 80, 75, 75, 70; nobody below 40 in classes 1 and 2.
        student(1, "a", 80);
        student(2, "b", 75);
        student(3, "c", 75);
        student(4, "d", 100);
        student(4, "e", 40);
        student(4, "f", 39.5);
        student(4, "g", 100.5);
        const auto r = Proc::analyze(settings({"语文"}, 1, 4));
        QCOMPARE(r.rows, 5);
        QList<int> avg, low;
        for (int i = 0; i < 4; ++i) {
            avg << fx(i, "平均分排名").toInt();
            low << fx(i, "低分率排名").toInt();
        }
        QCOMPARE(fx(3, "平均分").toDouble(), 70.0); // 100 + 40 + 39.5 + 100.5 = 280
        QCOMPARE(avg, (QList<int>{1, 2, 2, 4}));
        QCOMPARE(low, (QList<int>{1, 1, 1, 4}));
        QCOMPARE(fx(0, "及格率排名").toInt(), 1);
        QCOMPARE(fx(3, "及格率排名").toInt(), 4);
        QCOMPARE(fx(4, "班号").toInt(), 100);
        QCOMPARE(fx(4, "平均分排名").toInt(), 0);
    }

    void fullMarksAndExactRates()
    {
        TestEnv env;
        env.openDb();
        // 数学 out of 150: pass from 90, high from 120, low below 60.
        for (double m : {90.0, 89.9, 120.0, 119.5, 60.0, 59.9})
            Fixture::student("cj", "x", 1, "某", {{"数学1", m}});
        auto s = settings({"数学"}, 1, 1);
        s.fullMarks.insert("数学", 150);
        Proc::analyze(s);
        QCOMPARE(fx(0, "满分值").toInt(), 150);
        QCOMPARE(fx(0, "合格人数").toInt(), 3);
        QCOMPARE(fx(0, "高分人数").toInt(), 1);
        QCOMPARE(fx(0, "低分人数").toInt(), 1);
        QCOMPARE(fx(0, "合格率").toDouble(), 0.5);
        QCOMPARE(fx(0, "高分率").toDouble(), 0.1667);

        // 1 of 32 passes: 0.03125 halves to even, 0.0312.
        TestEnv env2;
        env2.openDb();
        for (int i = 0; i < 32; ++i)
            Fixture::student("cj", "x", 1, "某", {{"语文1", i == 0 ? 60 : 10}});
        Proc::analyze(settings({"语文"}, 1, 1));
        QCOMPARE(Fixture::value("fx", "合格率", 0).toDouble(), 0.0312);
    }

    void topCountsUseTheGradeRanks()
    {
        TestEnv env;
        env.openDb();
        student(1, "a", 90, 50);
        student(1, "b", 80, 150);
        student(1, "c", 70, 400);
        student(1, "d", 60, 401);
        student(1, "e", 50, 0); // not ranked yet: counts everywhere
        Proc::analyze(settings({"语文"}, 1, 1));
        QCOMPARE(fx(0, "级前100名人数").toInt(), 2);
        QCOMPARE(fx(0, "级前200名人数").toInt(), 3);
        QCOMPARE(fx(0, "级前300名人数").toInt(), 3);
        QCOMPARE(fx(0, "级前400名人数").toInt(), 4);
        QCOMPARE(fx(1, "级前400名人数").toInt(), 0); // not on the whole-grade row
    }

    void blocksAndTheWholeGradeRow()
    {
        TestEnv env;
        env.openDb();
        // Stored out of order on purpose: each class is still found by number.
        Fixture::student("cj", "1", 2, "b1", {{"语文1", 80}, {"数学1", 60}});
        Fixture::student("cj", "2", 1, "a1", {{"语文1", 90}, {"数学1", 70}});
        Fixture::student("cj", "3", 5, "e1", {{"语文1", 50}, {"数学1", 50}});
        Fixture::student("cj", "4", 2, "b2", {{"语文1", 70}, {"数学1", 65}});
        Fixture::student("cj", "5", 4, "d1", {{"语文1", 30}, {"数学1", 40}});
        Fixture::student("cj", "6", 3, "c1", {{"数学1", 55}});
        Db::exec("UPDATE cj SET 语文1 = NULL WHERE 学号 = '6'");
        const auto r = Proc::analyze(settings({"语文", "数学"}, 2, 4));
        QCOMPARE(r.rows, 8);
        QCOMPARE(Fixture::column("fx", "科目").mid(0, 9),
                 (QVariantList{"语文1", "语文1", "语文1", "语文1", "数学1", "数学1", "数学1", "数学1", "0"}));
        QCOMPARE(Fixture::column("fx", "班号").mid(0, 8), (QVariantList{2, 3, 4, 100, 2, 3, 4, 100}));
        QCOMPARE(fx(0, "人数").toInt(), 2);
        QCOMPARE(fx(0, "平均分").toDouble(), 75.0);
        // Class 3 was absent from 语文: 人数 0, blank statistics, counts 0,
        // no place among the classes; it sat 数学.
        QCOMPARE(fx(1, "人数").toInt(), 0);
        for (const char* blank : {"总分", "平均分", "合格率", "高分率", "低分率", "最高分", "最低分", "最高分名字",
                                  "最低分名字", "平均分排名", "及格率排名", "高分率排名", "低分率排名"})
            QVERIFY2(fx(1, blank).isNull(), blank);
        QCOMPARE(fx(1, "合格人数").toInt() + fx(1, "F0").toInt() + fx(1, "级前400名人数").toInt(), 0);
        QVERIFY(!fx(1, "合格人数").isNull());
        QCOMPARE(fx(5, "人数").toInt(), 1);
        QCOMPARE(fx(0, "平均分排名").toInt(), 1);
        QCOMPARE(fx(2, "平均分排名").toInt(), 2);
        // The grade row: every student of the table, classes 1 and 5 too.
        QCOMPARE(fx(3, "人数").toInt(), 5);
        QCOMPARE(fx(3, "总分").toInt(), 320);
        QCOMPARE(fx(3, "最高分").toDouble(), 90.0);
        QCOMPARE(fx(3, "平均分排名").toInt(), 0);
        QCOMPARE(fx(7, "人数").toInt(), 6);
        QCOMPARE(fx(7, "最低分").toDouble(), 40.0);
    }

    void aNewRunClearsTheLastOne()
    {
        TestEnv env;
        env.openDb();
        for (int c = 1; c <= 6; ++c)
            student(c, "x", 60);
        Proc::analyze(settings({"语文"}, 1, 6));
        QVERIFY(Proc::analysisTableInUse("fx"));
        const auto r = Proc::analyze(settings({"语文"}, 1, 2));
        QVERIFY(r.cleared);
        QCOMPARE(Fixture::column("fx", "科目").mid(0, 4), (QVariantList{"语文1", "语文1", "语文1", "0"}));
        QCOMPARE(fx(5, "人数").toInt(), 0);
    }

    void refusesWhatWouldNotFitAndRollsBackFailures()
    {
        TestEnv env;
        env.openDb();
        for (int c = 1; c <= 18; ++c)
            student(c, "x", 60);
        Db::exec("DELETE FROM fx WHERE rowid > 40");
        const QString before = Fixture::dump("fx");
        // 3 subjects x 19 rows + 1 free row do not fit into 40.
        try {
            Proc::analyze(settings({"语文", "数学", "英语"}, 1, 18));
            QFAIL("should be refused");
        } catch (const Db::InputError& e) {
            QVERIFY(e.text().contains("40"));
        }
        QCOMPARE(Fixture::dump("fx"), before);
        QVERIFY_THROWS_EXCEPTION(Db::InputError, Proc::analyze(settings({"语文"}, 5, 4)));

        Db::exec("CREATE TRIGGER stop BEFORE UPDATE ON fx WHEN NEW.班号 = 100 BEGIN SELECT RAISE(ABORT, 'locked'); END");
        QVERIFY_THROWS_EXCEPTION(Db::Error, Proc::analyze(settings({"语文"}, 1, 18)));
        QCOMPARE(Fixture::dump("fx"), before);
    }
};

GRADEBOOK_TEST_MAIN(TestAnalysis)
#include "test_analysis.moc"
