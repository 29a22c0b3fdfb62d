// Absent students on every way in and out of the grade table: bulk input,
// new roster rows, a reused roster, and the saves, which keep a blank blank.
#include "engine/db/database.h"
#include "engine/entry/roster.h"
#include "engine/entry/setup.h"
#include "engine/processing/runs.h"
#include "engine/processing/saves.h"
#include "enginetest.h"

namespace {

Roster::BulkInput newRoster(const QString& maths)
{
    Roster::BulkInput in;
    in.numbers = "0101\n0102\n0103\n0104";
    in.classes = "1\n1\n1\n1";
    in.names = "甲\n乙\n丙\n丁";
    in.marks = true;
    in.markBoxes.insert("数学", maths);
    in.ticked = {"数学"};
    return in;
}

} // namespace

class TestAbsence : public QObject {
    Q_OBJECT
private slots:
    void bulkInputTakesAbsences_data()
    {
        QTest::addColumn<QString>("maths");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("absent");
        QTest::newRow("words and an empty line") << QStringLiteral("90\n缺考\n\n／") << "90,,," << 3;
        QTest::newRow("0 is a mark") << QStringLiteral("0\n 缺 \n0\n/") << "0,,0," << 2;
        // A spreadsheet column whose last students were absent ends in empty
        // lines; the line break after the last cell makes no line of its own.
        QTest::newRow("a column copied with its title") << QStringLiteral("数学\r\n90\r\n80\r\n\r\n\r\n") << "90,80,," << 2;
        QTest::newRow("everyone absent") << QStringLiteral("\n\n\n\n") << ",,," << 4;
    }
    void bulkInputTakesAbsences()
    {
        QFETCH(QString, maths);
        QFETCH(QString, stored);
        QFETCH(int, absent);
        TestEnv env;
        env.openDb();
        const Roster::BulkPlan plan = Roster::prepare("cjn", newRoster(maths));
        QCOMPARE(plan.absent, absent);
        const Roster::BulkResult r = Roster::write("cjn", plan);
        QCOMPARE(r.absent, absent);
        QCOMPARE(Fixture::cells("cjn", "数学1"), stored);
        // Every other mark, the totals and the ranks start blank.
        QCOMPARE(Fixture::cells("cjn", "语文1") + Fixture::cells("cjn", "总分1") + Fixture::cells("cjn", "数学级排1"),
                 QString(",,,,,,,,,"));
    }

    void bulkInputRefusesWhatIsNeitherMarkNorAbsence_data()
    {
        QTest::addColumn<QString>("maths");
        QTest::addColumn<QString>("message");
        QTest::newRow("another word") << QStringLiteral("90\n请假\n80\n70") << QStringLiteral("“数学”栏第2行“请假”不是数字");
        QTest::newRow("one empty line short") << QStringLiteral("90\n\n80") << QStringLiteral("“数学”栏有3行成绩，名单有4名学生");
        QTest::newRow("one line too many") << QStringLiteral("90\n\n80\n70\n60") << QStringLiteral("“数学”栏有5行成绩");
    }
    void bulkInputRefusesWhatIsNeitherMarkNorAbsence()
    {
        QFETCH(QString, maths);
        QFETCH(QString, message);
        TestEnv env;
        env.openDb();
        try {
            Roster::prepare("cjn", newRoster(maths));
            QFAIL("should be refused");
        } catch (const Db::InputError& e) {
            QVERIFY2(e.text().contains(message), qPrintable(e.text()));
        }
    }

    void marksForTheRosterHeldBlankWhatWasThere()
    {
        // Marks matched by 学号: an absence replaces the old mark with nothing.
        TestEnv env;
        env.openDb();
        Roster::write("cjn", Roster::prepare("cjn", newRoster("60\n61\n62\n63")));
        Roster::BulkInput in;
        in.roster = false;
        in.numbers = "0103\n0101";
        in.marks = true;
        in.markBoxes.insert("数学", QStringLiteral("缺考\n95"));
        in.ticked = {"数学"};
        const Roster::BulkResult r = Roster::write("cjn", Roster::prepare("cjn", in));
        QCOMPARE(r.markRows, 2);
        QCOMPARE(r.absent, 1);
        QCOMPARE(Fixture::cells("cjn", "数学1"), QString("95,61,,63"));
    }

    void studentsAddedOneByOneAndReusedRostersStartBlank()
    {
        TestEnv env;
        env.openDb();
        Entry::addStudent("cjn", "0101", 1, "甲");
        Entry::insertStudent("cjn", "0102", 1, "乙");
        for (const QString& c : Roster::namedColumns())
            QCOMPARE(Fixture::cells("cjn", c), QString(","));

        // A roster reused for the next examination keeps its students and
        // nothing of the last examination: no mark, total or rank.
        Fixture::student("cjn", "0103", 2, "丙", {{"语文1", 90}, {"综合1", 88}, {"总分1", 300}, {"语文班排1", 1}});
        QCOMPARE(Entry::blankMarks("cjn"), 3);
        for (const QString& c : Roster::namedColumns())
            QCOMPARE(Fixture::cells("cjn", c), QString(",,"));
        QCOMPARE(Fixture::cells("cjn", "姓名"), QString("甲,乙,丙"));
    }

    void savesCopyBlanksAsBlanks()
    {
        // Class 2 was absent from 语文 and has no totals: its analysis row and
        // its band average are blank, and stay blank in the saved copies.
        TestEnv env;
        env.openDb();
        Fixture::student("cj", "1", 1, "甲", {{"语文1", 90}, {"总分1", 90}});
        Fixture::student("cj", "2", 2, "乙");
        Db::exec("UPDATE cj SET 语文1 = NULL, 总分1 = NULL WHERE 学号 = '2'");
        Proc::AnalysisSettings a;
        a.table = "cj";
        a.subjects = {"语文"};
        a.firstClass = 1;
        a.lastClass = 2;
        Proc::analyze(a);
        Proc::BandSettings b;
        b.table = "cj";
        b.lastClass = 2;
        Proc::bands(b);
        Save::analysis("fx", {"期中", 1});
        Save::bands("tj", {"期中", 1});
        QCOMPARE(Db::selectValue("SELECT count(*) FROM fxsave WHERE 班号 = 2 AND 人数 = 0 AND 平均分 IS NULL "
                                 "AND 合格率 IS NULL AND 最低分 IS NULL AND 平均分排名 IS NULL")
                     .toInt(),
                 1);
        QCOMPARE(Db::selectValue("SELECT count(*) FROM tjsave1 WHERE 下限 = '平均分' AND \"1班\" = 90 "
                                 "AND \"2班\" IS NULL")
                     .toInt(),
                 1);
    }
};

GRADEBOOK_TEST_MAIN(TestAbsence)
#include "test_absence.moc"
