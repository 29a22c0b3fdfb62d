// Absent students on every way in and out of the grade table: bulk input,
// new roster rows, a reused roster, and the saves, which keep a blank blank.
#include "engine/db/database.h"
#include "engine/db/gridmodel.h"
#include "engine/export/tables.h"
#include "engine/reports/attendance.h"
#include "engine/rules/titles.h"
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

    void scoreColumns_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<bool>("score");
        QTest::newRow("mark") << "语文1" << true;
        QTest::newRow("saved mark") << "综合" << true;
        QTest::newRow("grade rank") << "总分级排1" << true;
        QTest::newRow("class rank of 三总") << "三总班排" << true;
        QTest::newRow("name") << "姓名" << false;
        QTest::newRow("number") << "学号" << false;
        QTest::newRow("analysis average") << "平均分" << false;
        QTest::newRow("subject never in a grade table") << "地理1" << false;
    }
    void scoreColumns()
    {
        QFETCH(QString, column);
        QFETCH(bool, score);
        QCOMPARE(Rules::isScoreColumn(column), score);
    }

    // A blank mark reads 缺考 on screen and on paper, stays empty in a
    // workbook, and edits from an empty cell; other blanks stay blank.
    void absencesAreShownAsSuch()
    {
        TestEnv env;
        env.openDb();
        Fixture::student("cj", "0101", 1, "甲", {{"语文1", 90}, {"总分1", 90}});
        Fixture::student("cj", "0102", 1, "乙");
        Db::exec("UPDATE cj SET 语文1 = NULL, 总分1 = NULL, 总分级排1 = NULL WHERE 学号 = '0102'");
        Db::GridModel m;
        Db::SelectSpec q;
        q.table = "cj";
        q.columns = QStringList{"学号", "姓名", "语文1", "总分级排1"};
        m.setQuery(q);
        m.setAbsencesShown(true);
        m.open();
        QCOMPARE(m.data(m.index(1, 2)).toString(), QString("缺考"));
        QCOMPARE(m.data(m.index(1, 3)).toString(), QString("缺考"));
        QCOMPARE(m.data(m.index(1, 2), Qt::EditRole).toString(), QString());
        QCOMPARE(m.data(m.index(1, 1)).toString(), QString("乙"));
        QCOMPARE(m.data(m.index(0, 2)).toString(), QString("90"));

        const Export::Sheet s = Export::storedSheet("cj");
        const int chinese = int(s.columns.indexOf("语文1"));
        QVERIFY(s.absences);
        QCOMPARE(s.text(1, chinese), QString("缺考"));
        QVERIFY(s.cell(1, chinese).isNull());
        QCOMPARE(s.cell(0, chinese).toDouble(), 90.0);
    }

    // 应考 is the roster's class, 缺考 those of it who did not sit; the
    // whole-grade row counts every class; unknown classes stay blank.
    void attendanceBesideThoseWhoSat_data()
    {
        QTest::addColumn<qint64>("cls");
        QTest::addColumn<QVariant>("sat");
        QTest::addColumn<QVariantList>("expected");
        QTest::newRow("two absent") << qint64(1) << QVariant(38) << QVariantList{40, 2};
        QTest::newRow("nobody sat") << qint64(2) << QVariant() << QVariantList{35, 35};
        QTest::newRow("whole grade") << qint64(100) << QVariant(70) << QVariantList{75, 5};
        QTest::newRow("class not on the roster") << qint64(9) << QVariant(3) << QVariantList{QVariant(), QVariant()};
    }
    void attendanceBesideThoseWhoSat()
    {
        QFETCH(qint64, cls);
        QFETCH(QVariant, sat);
        QFETCH(QVariantList, expected);
        const Reports::ClassCounts roster{{1, 40}, {2, 35}, {100, 75}};
        const QVariantList got = Reports::attendanceOf(roster, cls, sat);
        QCOMPARE(got.size(), 2);
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(got.at(i).isNull(), expected.at(i).isNull());
            if (!expected.at(i).isNull())
                QCOMPARE(got.at(i).toLongLong(), expected.at(i).toLongLong());
        }
    }

    void theAnalysisGridCountsTheRoster()
    {
        TestEnv env;
        env.openDb();
        Fixture::student("cj", "1", 1, "甲", {{"语文1", 90}, {"总分1", 90}});
        Fixture::student("cj", "2", 1, "乙");
        Fixture::student("cj", "3", 2, "丙", {{"语文1", 70}, {"总分1", 70}});
        Db::exec("UPDATE cj SET 语文1 = NULL, 总分1 = NULL WHERE 学号 = '2'");
        Proc::AnalysisSettings a;
        a.table = "cj";
        a.subjects = {"语文"};
        a.firstClass = 1;
        a.lastClass = 2;
        Proc::analyze(a);
        Db::GridModel m;
        Db::SelectSpec q;
        q.table = "fx";
        q.columns = QStringList{"科目", "班号", "人数", "平均分"};
        q.where = {{"科目", "<>", "0"}};
        m.setQuery(q);
        m.setDerived(Reports::attendance("cj"));
        m.open();
        QCOMPARE(m.columnNames(), (QStringList{"科目", "班号", "人数", "应考", "缺考", "平均分"}));
        QMap<qint64, QString> byClass;
        for (const QVariantList& r : m.rows())
            byClass.insert(r.at(1).toLongLong(), QStringLiteral("%1/%2/%3").arg(r.at(2).toInt()).arg(r.at(3).toInt()).arg(r.at(4).toInt()));
        QCOMPARE(byClass.value(1), QString("1/2/1"));
        QCOMPARE(byClass.value(2), QString("1/1/0"));
        QCOMPARE(byClass.value(100), QString("2/3/1"));
        QVERIFY(!(m.flags(m.index(0, 3)) & Qt::ItemIsEditable));
    }
};

GRADEBOOK_TEST_MAIN(TestAbsence)
#include "test_absence.moc"
