// The bulk path straight through SQLite: what it reads from cells that hand
// edits left odd, what a failure in the middle leaves, and that its
// statements never keep the database from closing.
#include "engine/db/database.h"
#include "engine/db/statement.h"
#include "engine/entry/roster.h"
#include "engine/processing/rankstamp.h"
#include "engine/processing/runs.h"
#include "engine/processing/saves.h"
#include "engine/rules/ranking.h"
#include "enginetest.h"

#include <random>

namespace {

QList<qint64> ints(const QVariantList& values)
{
    QList<qint64> out;
    for (const QVariant& v : values)
        out << v.toLongLong();
    return out;
}

Proc::RankSettings rankOf(const QStringList& subjects, qint64 first, qint64 last)
{
    Proc::RankSettings s;
    s.table = "cj";
    s.subjects = subjects;
    s.firstClass = first;
    s.lastClass = last;
    return s;
}

// Five students whose cells hold what other programs and hand edits leave:
// a full-width mark as text, a blank mark, an absence word for a mark, a class
// number that is text, a blank rank.
void messyClass()
{
    Fixture::student("cj", "1", 1, "甲", {{"语文1", 0}, {"数学1", 0}, {"英语1", 0}});
    Fixture::student("cj", "2", 1, "乙", {{"语文1", 85.4}, {"数学1", 60}, {"英语1", 0}});
    Fixture::student("cj", "3", 2, "丙", {{"英语1", 90}});
    Fixture::student("cj", "4", 1, "丁", {{"语文1", 84.5}, {"数学1", 100}, {"英语1", 50}});
    Fixture::student("cj", "5", 3, "戊", {{"语文1", 86}, {"数学1", 70}, {"英语1", 70}});
    Db::exec("UPDATE cj SET 语文1 = '８５', 数学1 = NULL WHERE 学号 = '1'");
    Db::exec("UPDATE cj SET 英语1 = NULL WHERE 学号 = '2'");
    Db::exec("UPDATE cj SET 语文1 = NULL, 数学1 = '缺考' WHERE 学号 = '3'");
    Db::exec("UPDATE cj SET 班号 = '３', 语文班排1 = 7 WHERE 学号 = '4'");
    Db::exec("UPDATE cj SET 语文班排1 = NULL, 政治级排1 = NULL WHERE 学号 = '5'");
}

} // namespace

class TestBulk : public QObject {
    Q_OBJECT
private slots:
    // Counting and sorting must give the rank of the definition, 1 + the
    // number of higher keys, whichever the span of the keys chooses.
    void ranksByKeyAgreeWithTheDefinitionForNarrowAndWideKeys_data()
    {
        QTest::addColumn<qint64>("span");
        QTest::addColumn<int>("students");
        QTest::newRow("marks of a class") << qint64(100) << 50;
        QTest::newRow("totals of a grade") << qint64(700) << 1000;
        QTest::newRow("one key") << qint64(1) << 40;
        QTest::newRow("span far wider than the students") << qint64(1000000000) << 300;
    }
    void ranksByKeyAgreeWithTheDefinitionForNarrowAndWideKeys()
    {
        QFETCH(qint64, span);
        QFETCH(int, students);
        std::mt19937_64 rng(quint64(span) * 7 + quint64(students));
        std::uniform_int_distribution<qint64> pick(-span / 3, span - span / 3 - 1);
        std::vector<qint64> key(size_t(students) * 2);
        for (auto& k : key)
            k = pick(rng);
        // Every other row only: the others must be left alone.
        std::vector<int> rows;
        for (int r = 0; r < int(key.size()); r += 2)
            rows.push_back(r);
        std::vector<qint64> out(key.size(), -1);
        Rules::ranksByKey(rows, key, out);
        for (size_t r = 0; r < key.size(); ++r) {
            if (r % 2) {
                QCOMPARE(out[r], qint64(-1));
                continue;
            }
            qint64 higher = 0;
            for (int o : rows)
                higher += key[size_t(o)] > key[r] ? 1 : 0;
            QCOMPARE(out[r], higher + 1);
        }
    }

    void oddCellsAndAPartialRangeGiveTheRanksOfTheRules()
    {
        TestEnv env;
        env.openDb();
        messyClass();
        Proc::rank(rankOf({"语文", "数学", "英语"}, 1, 2));
        // 语文: ８５ as 85, blank as absent, 84.5 rounds to 84, 85.4 to 85.
        QCOMPARE(Fixture::cells("cj", "语文级排1"), QString("2,2,,4,1"));
        // Class ranks inside classes 1-2 only; the text class ３ is no class
        // of the range and keeps its old rank, as does class 3's blank one.
        QCOMPARE(Fixture::cells("cj", "语文班排1"), QString("1,1,,7,"));
        // A word for a mark is an absence, as a blank is.
        QCOMPARE(Fixture::cells("cj", "数学级排1"), QString(",3,,1,2"));
        const QVariantList totals = Fixture::column("cj", "总分1");
        QCOMPARE(totals.at(0).toDouble(), 85.0);
        QCOMPARE(totals.at(1).toDouble(), 145.4);
        QCOMPARE(totals.at(3).toDouble(), 234.5);
        QCOMPARE(ints(Fixture::column("cj", "总分级排1")), (QList<qint64>{5, 3, 4, 1, 2}));
        QCOMPARE(ints(Fixture::column("cj", "总分班排1")), (QList<qint64>{2, 1, 1, 0, 0}));
        // A rank this run does not compute is left as it was, blank too.
        QVERIFY(Fixture::value("cj", "政治级排1", 4).isNull());
        // The marks themselves are left as they were typed.
        QCOMPARE(Fixture::value("cj", "语文1", 0).toString(), QString("８５"));
        QVERIFY(Fixture::value("cj", "语文1", 2).isNull());

        // The grade save copies every cell as stored: text stays text, a
        // blank stays blank.
        Save::grades("cj", {"期中", 1});
        const auto saved = Db::selectRows(
            "SELECT typeof(语文1), 语文1, typeof(数学1), 班号, typeof(总分1), typeof(数学级排1) FROM cjsave ORDER BY ID");
        QCOMPARE(saved.size(), 5);
        QCOMPARE(saved.at(0).at(0).toString(), QString("text"));
        QCOMPARE(saved.at(0).at(1).toString(), QString("８５"));
        QCOMPARE(saved.at(0).at(2).toString(), QString("null"));
        QCOMPARE(saved.at(0).at(5).toString(), QString("null"));
        QCOMPARE(saved.at(3).at(3).toString(), QString("３"));
        QCOMPARE(saved.at(1).at(4).toString(), QString("real"));
    }

    // A failure inside a bulk statement (here a trigger standing for a full
    // disk at the third row) undoes the whole step, and the connection goes
    // on working.
    void aFailureInsideABulkWriteRollsBackEverything()
    {
        TestEnv env;
        env.openDb();
        for (int i = 1; i <= 5; ++i)
            Fixture::student("cj", QString::number(i), 1, QStringLiteral("生%1").arg(i), {{"语文1", 60 + i}});
        Proc::rank(rankOf({"语文"}, 1, 1));
        const QString work = Fixture::dump("cj");
        const QString counters = Fixture::dump("count") + Fixture::dump("ksmc") + Fixture::dump("check");

        // FAIL keeps the rows the statement wrote before the third: only the
        // transaction's rollback removes them.
        Db::exec("CREATE TRIGGER full BEFORE INSERT ON cjsave WHEN NEW.学号 = '3' "
                 "BEGIN SELECT RAISE(FAIL, 'database or disk is full'); END");
        try {
            Save::grades("cj", {"期中", 1});
            QFAIL("the save should fail");
        } catch (const Db::Error& e) {
            QVERIFY2(e.text().contains("disk is full"), qPrintable(e.text()));
        }
        QCOMPARE(Db::rowCount("cjsave"), qint64(0));
        QCOMPARE(Fixture::dump("count") + Fixture::dump("ksmc") + Fixture::dump("check"), counters);

        Db::exec("CREATE TRIGGER full2 BEFORE INSERT ON cj WHEN NEW.学号 = '3' "
                 "BEGIN SELECT RAISE(FAIL, 'database or disk is full'); END");
        QList<Roster::Student> students;
        for (int i = 1; i <= 4; ++i) {
            students.append({QString::number(i), 2, QStringLiteral("新%1").arg(i), {}});
            QVERIFY(students.last().setMark("语文", 90.0));
        }
        QVERIFY_THROWS_EXCEPTION(Db::Error, Roster::replace("cj", students));
        QCOMPARE(Fixture::dump("cj"), work);

        // Usable afterwards: the same steps succeed once the cause is gone.
        Db::exec("DROP TRIGGER full");
        Db::exec("DROP TRIGGER full2");
        QCOMPARE(Save::grades("cj", {"期中", 1}).rows, 5);
        Roster::replace("cj", students);
        QCOMPARE(Fixture::column("cj", "姓名"), (QVariantList{"新1", "新2", "新3", "新4"}));
        QCOMPARE(Proc::rank(rankOf({"语文"}, 2, 2)).students, 4);
    }

    // An empty quoted field reaches the roster as a null text and was
    // always stored as NULL, an empty one as ''; cells read back as stored.
    void aRosterKeepsNullAndEmptyTextApart()
    {
        TestEnv env;
        env.openDb();
        QList<Roster::Student> students{{QString(), 1, "甲", {}}, {QStringLiteral(""), 1, "乙", {}}};
        Roster::replace("cj", students);
        const auto types = Db::selectRows("SELECT typeof(学号), typeof(语文1) FROM cj ORDER BY rowid");
        QCOMPARE(types.at(0).at(0).toString(), QString("null"));
        QCOMPARE(types.at(1).at(0).toString(), QString("text"));
        QCOMPARE(types.at(0).at(1).toString(), QString("null"));
        // A class stored as a real and a mark too large for a double read as
        // the rules read them: 2.0 is class 2, an infinite mark is no mark.
        Db::exec("UPDATE cj SET 班号 = 2.0, 语文1 = 70 WHERE 姓名 = '乙'");
        Db::exec("UPDATE cj SET 语文1 = 9e999 WHERE 姓名 = '甲'");
        Proc::rank(rankOf({"语文"}, 2, 2));
        QCOMPARE(Fixture::cells("cj", "语文级排1"), QString(",1"));
        QCOMPARE(Fixture::cells("cj", "语文班排1"), QString(",1"));
    }

    // Running numbers follow the stored order without gaps, also when a
    // student was taken out of the middle of the table.
    void savedRowsAreNumberedWithoutGaps()
    {
        TestEnv env;
        env.openDb();
        for (int i = 1; i <= 5; ++i)
            Fixture::student("cj", QString::number(i), 1, QStringLiteral("生%1").arg(i), {{"语文1", 60 + i}});
        Db::exec("DELETE FROM cj WHERE 学号 = '3'");
        Db::exec("UPDATE count SET count = 40");
        Proc::recordRanking("cj");
        QCOMPARE(Save::grades("cj", {"期中", 1}).nextId, qint64(44));
        const auto rows = Db::selectRows("SELECT ID, 学号 FROM cjsave ORDER BY rowid");
        QCOMPARE(rows.size(), 4);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(rows.at(i).at(0).toLongLong(), qint64(40 + i));
            QCOMPARE(rows.at(i).at(1).toString(), QString::number(i < 2 ? i + 1 : i + 2));
        }
        // Without gaps the next save numbers on from the counter.
        Roster::replace("cj", {{"9", 1, "新", {}}, {"8", 1, "旧", {}}});
        Proc::recordRanking("cj");
        QCOMPARE(Save::grades("cj", {"期末", 2}).firstId, qint64(44));
        QCOMPARE(Db::selectValue("SELECT max(ID) FROM cjsave").toLongLong(), qint64(45));
    }

    void aStatementNeverKeepsTheDatabaseFromClosing()
    {
        TestEnv env;
        env.openDb();
        for (int i = 1; i <= 3; ++i)
            Fixture::student("cj", QString::number(i), 1, "某", {{"语文1", 70 + i}});
        {
            // A read left in the middle of its rows when the file is closed.
            Db::Statement read("SELECT 学号 FROM cj ORDER BY rowid");
            QVERIFY(read.step());
            Db::close();
            QVERIFY(!Db::isOpen());
            QVERIFY_THROWS_EXCEPTION(Db::Error, read.step());
        }
        // Reopened in the same process, the file takes the write lock again.
        env.openDb();
        Proc::rank(rankOf({"语文"}, 1, 1));
        QCOMPARE(ints(Fixture::column("cj", "语文级排1")), (QList<qint64>{3, 2, 1}));
        Db::close();
        env.openDb();
        QCOMPARE(Save::grades("cj", {"期中", 1}).rows, 3);
    }

    // Speed must not come from weaker commits: a rollback journal, and every
    // commit waits for the disk.
    void commitsStayDurable()
    {
        TestEnv env;
        env.openDb();
        QCOMPARE(Db::selectValue("PRAGMA journal_mode").toString(), QString("delete"));
        QCOMPARE(Db::selectValue("PRAGMA synchronous").toInt(), 2);
    }

    void aStatementReportsSqliteWordsInTheUsersMessage()
    {
        TestEnv env;
        env.openDb();
        try {
            Db::Statement bad("SELECT x FROM no_such_table");
            QFAIL("preparing should fail");
        } catch (const Db::Error& e) {
            QVERIFY2(e.text().contains("no_such_table"), qPrintable(e.text()));
        }
        Db::Statement read("SELECT 1 FROM cj");
        QVERIFY(!read.step());
    }
};

QTEST_GUILESS_MAIN(TestBulk)
#include "test_bulk.moc"
