#include "engine/db/database.h"
#include "engine/processing/rankstamp.h"
#include "engine/processing/runs.h"
#include "engine/processing/saves.h"
#include "enginetest.h"

#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

// A table as a ranking run leaves it (a grade save stores only such a table).
void roster(const QString& table, int students)
{
    for (int i = 0; i < students; ++i)
        Fixture::student(table, QStringLiteral("%1").arg(i + 1, 4, 10, QChar('0')), 1 + i / 40,
                         QStringLiteral("学生%1").arg(i), {{"语文1", 50 + i % 50}, {"总分级排1", i + 1}});
    Proc::recordRanking(table);
}

QString bookkeeping()
{
    return Fixture::dump("cjsave") + Fixture::dump("ksmc") + Fixture::dump("count") + Fixture::dump("check")
        + Fixture::dump("fxsave") + Fixture::dump("ksmcfx") + Fixture::dump("tjsave1") + Fixture::dump("ksmcfd");
}

} // namespace

class TestSaves : public QObject {
    Q_OBJECT
private slots:
    void gradesAreCopiedNumberedFromTheCounter()
    {
        TestEnv env;
        env.openDb();
        roster("cjn", 120);
        Db::exec("UPDATE count SET count = 500");
        const auto r = Save::grades("cjn", {"期中考试", 3});
        QCOMPARE(r.rows, 120);
        QCOMPARE(r.firstId, qint64(500));
        QCOMPARE(Fixture::value("cjsave", "ID", 0).toInt(), 500);
        QCOMPARE(Fixture::value("cjsave", "ID", 119).toInt(), 619);
        QCOMPARE(Fixture::value("count", "count").toInt(), 620);
        QCOMPARE(Fixture::column("ksmc", "name"), (QVariantList{"没有任何考试", "期中考试"}));
        QCOMPARE(Fixture::value("ksmc", "id", 1).toInt(), 2);
        QCOMPARE(Fixture::value("check", "c1").toInt(), 1);
        const auto row = Db::selectRows("SELECT * FROM cjsave ORDER BY rowid LIMIT 1").first();
        QCOMPARE(row.at(2).toInt(), 3);
        QCOMPARE(row.at(3).toString(), QString("期中考试"));
        QCOMPARE(row.at(4).toString(), QString("0001"));
        QCOMPARE(row.at(6).toString(), QString("学生0"));
        QCOMPARE(row.at(7).toInt(), 50);     // 语文1
        QCOMPARE(row.at(33).toInt(), 1);     // 总分级排1
        QVERIFY(!row.at(1).toString().isEmpty());
    }

    // The grade save stores only the table its ranking left: whatever
    // changed a class, a mark, a total, a rank or the rows themselves since
    // then (another program's import included) makes it refuse, saying that
    // the ranking must be run again; a name corrected, the analysis and the
    // band table do not.
    void aGradeSaveStoresOnlyTheTableItsRankingLeft_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("refusal"); // empty: saved
        const QString again = QStringLiteral("请重新排名");
        QTest::newRow("never ranked") << "unranked" << QStringLiteral("还没有排名");
        QTest::newRow("another program re-imported the roster") << "import" << again;
        QTest::newRow("a mark typed after the ranking") << "UPDATE cj SET 语文1 = 99 WHERE 学号 = '0002'" << again;
        QTest::newRow("a class changed") << "UPDATE cj SET 班号 = 2 WHERE 学号 = '0002'" << again;
        QTest::newRow("a rank cleared") << "UPDATE cj SET 总分级排1 = NULL WHERE 学号 = '0001'" << again;
        QTest::newRow("a student taken out") << "DELETE FROM cj WHERE 学号 = '0003'" << again;
        QTest::newRow("a name corrected") << "UPDATE cj SET 姓名 = '学生一' WHERE 学号 = '0001'" << "";
        QTest::newRow("the analysis and bands run") << "runs" << "";
    }
    void aGradeSaveStoresOnlyTheTableItsRankingLeft()
    {
        QFETCH(QString, change);
        QFETCH(QString, refusal);
        TestEnv env;
        env.openDb();
        for (int i = 0; i < 4; ++i)
            Fixture::student("cj", QStringLiteral("000%1").arg(i + 1), 1, QStringLiteral("学生%1").arg(i),
                             {{"语文1", 50 + i}, {"数学1", 90 - i}, {"英语1", 70}});
        Proc::RankSettings rank;
        rank.subjects = {"语文", "数学", "英语"};
        rank.lastClass = 1;
        if (change != "unranked")
            Proc::rank(rank);
        if (change == "import") {
            // The batch tool replaces the roster: same students, new marks, no ranks yet.
            {
                QSqlDatabase other = QSqlDatabase::addDatabase("QSQLITE", "batch");
                other.setDatabaseName(env.databaseFile());
                QVERIFY(other.open());
                QSqlQuery q(other);
                QVERIFY(q.exec("DELETE FROM cj"));
                QVERIFY(q.exec("INSERT INTO cj(序号, 学号, 班号, 姓名, 语文1) VALUES (0, '0001', 1, '学生0', 88), "
                               "(1, '0002', 1, '学生1', 77)"));
            }
            QSqlDatabase::removeDatabase("batch");
        } else if (change == "runs") {
            Proc::AnalysisSettings a;
            a.subjects = rank.subjects;
            a.lastClass = 1;
            Proc::analyze(a);
            Proc::bands(Proc::BandSettings{});
        } else if (change != "unranked") {
            Db::exec(change);
        }
        const QString before = bookkeeping();
        QString said;
        try {
            Save::grades("cj", {"期中", 1});
        } catch (const Db::Error& e) {
            said = e.text();
        }
        if (refusal.isEmpty()) {
            QCOMPARE(said, QString());
            QCOMPARE(Db::rowCount("cjsave"), Db::rowCount("cj"));
            return;
        }
        QVERIFY2(said.contains(refusal) && said.contains("没有保存"), qPrintable(said));
        QCOMPARE(bookkeeping(), before);
        // Ranked again, the table is saved.
        Proc::rank(rank);
        QCOMPARE(Save::grades("cj", {"期中", 1}).rows, int(Db::rowCount("cj")));
    }

    void everySaveStampsTheTimeOfItsClock()
    {
        TestEnv env;
        env.openDb();
        roster("cjn", 3);
        Db::exec("UPDATE fx SET 科目 = '语文1' WHERE rowid = (SELECT min(rowid) FROM fx)");
        const QDateTime fixed(QDate(2026, 11, 3), QTime(9, 5, 7));
        Db::setClock([fixed] { return fixed; });
        Save::grades("cjn", {"期中考试", 3});
        Save::analysis("fx", {"期中考试", 3});
        Save::bands("tj", {"期中考试", 3});
        Db::setClock({});
        for (const char* table : {"cjsave", "fxsave", "tjsave1"}) {
            const QVariantList stamps = Fixture::column(table, "保存时间");
            QVERIFY(!stamps.isEmpty());
            for (const QVariant& v : stamps)
                QCOMPARE(v.toString(), QString("2026-11-03 09:05:07"));
        }
        QVERIFY(Db::now() != QString("2026-11-03 09:05:07"));
    }

    void anEmptyTableStillRecordsTheExamination()
    {
        TestEnv env;
        env.openDb();
        Proc::recordRanking("cjn");
        const auto r = Save::grades("cjn", {"空", 1});
        QCOMPARE(r.rows, 0);
        QCOMPARE(Db::rowCount("ksmc"), 2);
        QCOMPARE(Fixture::value("check", "c1").toInt(), 1);
    }

    void gradeAndAnalysisRowsShareOneCounter()
    {
        TestEnv env;
        env.openDb();
        roster("cj", 80);
        Save::grades("cj", {"月考", 1});
        Proc::AnalysisSettings s;
        s.subjects = {"语文"};
        s.firstClass = 1;
        s.lastClass = 2;
        Proc::analyze(s);
        Db::exec("UPDATE fx SET 科任教师 = '王老师' WHERE rowid = 1");
        const auto r = Save::analysis("fx", {"月考", 1});
        QCOMPARE(r.rows, 3);
        QCOMPARE(r.firstId, qint64(81));
        QCOMPARE(Fixture::value("count", "count").toInt(), 84);
        const auto row = Db::selectRows("SELECT * FROM fxsave ORDER BY rowid LIMIT 1").first();
        QCOMPARE(row.size(), 41);
        QCOMPARE(row.at(0).toString(), QString("语文1"));
        QCOMPARE(row.at(2).toString(), QString("王老师"));
        QCOMPARE(row.at(37).toString(), QString("月考"));
        QCOMPARE(row.at(38).toInt(), 1);
        QCOMPARE(row.at(40).toInt(), 81);
        // band columns run from 120 down: 语文 50..89 -> F60..F90
        QCOMPARE(Db::selectValue("SELECT \"80到90\" FROM fxsave ORDER BY rowid LIMIT 1").toInt(), 10);
        QCOMPARE(Db::selectValue("SELECT \"0分\" FROM fxsave ORDER BY rowid LIMIT 1").toInt(), 0);
        QCOMPARE(Fixture::column("ksmcfx", "name"), (QVariantList{"月考"}));
        QCOMPARE(Fixture::value("check", "c2").toInt(), 1);
    }

    void aFreeFirstAnalysisRowSavesOnlyTheName()
    {
        TestEnv env;
        env.openDb();
        const auto r = Save::analysis("fx", {"无", 2});
        QCOMPARE(r.rows, 0);
        QCOMPARE(Db::rowCount("fxsave"), 0);
        QCOMPARE(Db::rowCount("ksmcfx"), 1);
        QCOMPARE(Fixture::value("check", "c2").toInt(), 1);
    }

    void everyBandRowIsSaved()
    {
        TestEnv env;
        env.openDb();
        roster("cj", 10);
        Proc::BandSettings b;
        b.count = 16;
        Proc::bands(b);
        const auto r = Save::bands("tj", {"期末", 4});
        QCOMPARE(r.rows, int(Db::rowCount("tj")));
        QCOMPARE(Fixture::value("tjsave1", "ID1", 0).toInt(), 1);
        QCOMPARE(Fixture::value("count", "counttj").toInt(), r.rows + 1);
        QCOMPARE(Fixture::value("tjsave1", "下限", 16).toString(), QString("平均分"));
        QCOMPARE(Fixture::value("tjsave1", "考试编号", 0).toInt(), 4);
        QCOMPARE(Fixture::value("tjsave1", "考试名称", 0).toString(), QString("期末"));
        QCOMPARE(Fixture::column("ksmcfd", "name"), (QVariantList{"期末"}));
        QCOMPARE(Fixture::value("check", "c3").toInt(), 1);
    }

    void aFailedSaveWritesNothing()
    {
        TestEnv env;
        env.openDb();
        roster("cjn", 5);
        const QString before = bookkeeping();
        Db::exec("CREATE TRIGGER stop BEFORE INSERT ON cjsave WHEN NEW.学号 = '0004' BEGIN SELECT RAISE(ABORT, 'disk full'); END");
        QVERIFY_THROWS_EXCEPTION(Db::Error, Save::grades("cjn", {"x", 1}));
        QCOMPARE(bookkeeping(), before);
        Db::exec("CREATE TRIGGER stop2 BEFORE INSERT ON ksmcfd BEGIN SELECT RAISE(ABORT, 'disk full'); END");
        QVERIFY_THROWS_EXCEPTION(Db::Error, Save::bands("tj", {"x", 1}));
        QCOMPARE(bookkeeping(), before);
    }

    void aSaveForAnotherExaminationLeavesTheFlagsAlone()
    {
        TestEnv env;
        env.openDb();
        roster("cjn", 2);
        Fixture::setCheck({{"mc", "本次"}});
        Save::Exam other{"上次", 1};
        other.current = false;
        Save::grades("cjn", other);
        Save::bands("tj", other);
        QCOMPARE(Fixture::value("check", "c1").toInt(), 0);
        QCOMPARE(Fixture::value("check", "c3").toInt(), 0);
        QCOMPARE(Db::rowCount("cjsave"), 2);
    }

    void examNumbersMustBeIntegers()
    {
        QCOMPARE(Save::examNumber("12"), qint64(12));
        QCOMPARE(Save::examNumber(QStringLiteral("１２")), qint64(12));
        QVERIFY_THROWS_EXCEPTION(Db::InputError, Save::examNumber("考试编号"));
        QVERIFY_THROWS_EXCEPTION(Db::InputError, Save::examNumber("1.5"));
    }

    void aSaveMakesItsNameAndNumberTheCurrentOnes()
    {
        // The entry window saves under the name and number it shows, which
        // the user may have edited: check follows, so that re-processing
        // finds the rows and the other saves use the same examination.
        TestEnv env;
        env.openDb();
        roster("cjn", 2);
        Fixture::setCheck({{"mc", "期中"}, {"bh", "4"}});
        Save::grades("cjn", {"期中（改）", 5});
        QCOMPARE(Fixture::value("check", "mc").toString(), QString("期中（改）"));
        QCOMPARE(Fixture::value("check", "bh").toString(), QString("5"));
        Save::bands("tj", {"期中（再改）", 6});
        QCOMPARE(Fixture::value("check", "mc").toString(), QString("期中（再改）"));
        QCOMPARE(Save::currentExam().number, qint64(6));
        // A save for another examination leaves them alone.
        Save::Exam other{"上次", 1};
        other.current = false;
        Save::analysis("fx", other);
        QCOMPARE(Fixture::value("check", "mc").toString(), QString("期中（再改）"));
        QCOMPARE(Fixture::value("check", "bh").toString(), QString("6"));
        Save::analysis("fx", {"期中（三改）", 7});
        QCOMPARE(Fixture::value("check", "mc").toString(), QString("期中（三改）"));
        QCOMPARE(Save::currentExam().number, qint64(7));
        Fixture::setCheck({{"bh", "第六次"}});
        QVERIFY_THROWS_EXCEPTION(Db::InputError, Save::currentExam());
    }

    void reprocessingRemovesExactlyThisExamination()
    {
        TestEnv env;
        env.openDb();
        roster("cjn", 3);
        Save::grades("cjn", {"第一次", 1});
        Save::grades("cjn", {"第二次 ", 2});
        Save::grades("cjn", {"第二次", 3});
        QCOMPARE(Db::rowCount("ksmc"), 4);
        QCOMPARE(Save::discardSavedGrades({"第二次", 3}), 3);
        QCOMPARE(Fixture::column("ksmc", "name"), (QVariantList{"没有任何考试", "第一次", "第二次 "}));
        QCOMPARE(Db::rowCount("cjsave"), 6); // names that differ by a blank stay
        QCOMPARE(Fixture::value("check", "c1").toInt(), 0);
        // c1 is back at 0: a second "yes" removes nothing more.
        QCOMPARE(Save::discardSavedGrades({"第二次", 3}), 0);
        QCOMPARE(Db::rowCount("ksmc"), 3);
        QCOMPARE(Db::rowCount("cjsave"), 6);
    }

    void reprocessingKeepsAnotherExaminationOfTheSameName_data()
    {
        QTest::addColumn<qint64>("discarded");
        QTest::addColumn<QVariantList>("namesLeft");
        QTest::addColumn<QVariantList>("numbersLeft");
        // 期中 is used twice (numbers 1 and 3), 期末 is number 2 in between.
        QTest::newRow("the later 期中") << qint64(3) << QVariantList{"没有任何考试", "期中", "期末"}
                                        << QVariantList{1, 1, 2, 2};
        QTest::newRow("the earlier 期中") << qint64(1) << QVariantList{"没有任何考试", "期末", "期中"}
                                          << QVariantList{2, 2, 3, 3};
    }
    void reprocessingKeepsAnotherExaminationOfTheSameName()
    {
        QFETCH(qint64, discarded);
        QFETCH(QVariantList, namesLeft);
        QFETCH(QVariantList, numbersLeft);
        TestEnv env;
        env.openDb();
        roster("cjn", 2);
        Save::grades("cjn", {"期中", 1});
        Save::grades("cjn", {"期末", 2});
        Save::grades("cjn", {"期中", 3});
        QCOMPARE(Save::discardSavedGrades({"期中", discarded}), 2);
        QCOMPARE(Fixture::column("ksmc", "name"), namesLeft);
        QCOMPARE(Fixture::column("cjsave", "考试编号"), numbersLeft);
    }

    void aSingleRemainingNameStays()
    {
        TestEnv env;
        env.openDb();
        roster("cjn", 2);
        Save::grades("cjn", {"唯一", 1});
        Db::exec("DELETE FROM ksmc WHERE name = '没有任何考试'");
        QCOMPARE(Save::discardSavedGrades({"唯一", 1}), 2);
        QCOMPARE(Fixture::column("ksmc", "name"), (QVariantList{"唯一"}));
        QCOMPARE(Db::rowCount("cjsave"), 0);
    }
};

GRADEBOOK_TEST_MAIN(TestSaves)
#include "test_saves.moc"
