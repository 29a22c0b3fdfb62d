// The working session: checked settings, their signals, what is kept across
// starts, and the actions that move the current examination.
#include "engine/actions/exam.h"
#include "engine/actions/processing.h"
#include "engine/db/database.h"
#include "engine/processing/rankstamp.h"
#include "engine/session/session.h"
#include "enginetest.h"

#include <functional>

class TestSession : public QObject {
    Q_OBJECT
private slots:
    void settingsOutOfTheirBoundsAreRefused_data()
    {
        QTest::addColumn<std::function<void(Session&)>>("set");
        QTest::addColumn<QString>("message");
        QTest::newRow("class 0") << std::function<void(Session&)>([](Session& s) { s.setClassRange(0, 3); }) << "起始班号";
        QTest::newRow("class 19") << std::function<void(Session&)>([](Session& s) { s.setClassRange(1, 19); }) << "最后班号";
        QTest::newRow("no subject") << std::function<void(Session&)>([](Session& s) { s.setSubjects({}); }) << "至少要选一个科目";
        QTest::newRow("a word") << std::function<void(Session&)>([](Session& s) { s.setSubjects({"体育"}); }) << "体育";
        QTest::newRow("full mark 0") << std::function<void(Session&)>([](Session& s) { s.setFullMark("数学", 0); }) << "数学满分值";
        QTest::newRow("full mark 1001") << std::function<void(Session&)>([](Session& s) { s.setFullMark("语文", 1001); }) << "1到1000";
        QTest::newRow("top 0") << std::function<void(Session&)>([](Session& s) { s.setTop({0, 200, 300, 400}); }) << "前100名";
        QTest::newRow("upper -1") << std::function<void(Session&)>([](Session& s) { s.setBands(-1, 30); }) << "分段上限";
        QTest::newRow("101 bands") << std::function<void(Session&)>([](Session& s) { s.setBands(399, 101); }) << "分段数";
    }
    void settingsOutOfTheirBoundsAreRefused()
    {
        QFETCH(std::function<void(Session&)>, set);
        QFETCH(QString, message);
        TestEnv env;
        env.openDb();
        Session s;
        s.load();
        QSignalSpy changed(&s, &Session::settingsChanged);
        try {
            set(s);
            QFAIL("accepted");
        } catch (const Db::InputError& e) {
            QVERIFY2(e.text().contains(message), qPrintable(e.text()));
        }
        QCOMPARE(changed.count(), 0);
        QCOMPARE(s.firstClass(), qint64(1));
        QCOMPARE(s.subjects(), QStringList{"语文"});
    }

    // What the teacher set comes back in the next session; a session that
    // does not remember (the batch tool's) neither reads nor keeps it.
    void settingsAreKeptAcrossStarts()
    {
        TestEnv env;
        env.openDb();
        Fixture::student("cjn", "0201", 2, "甲");
        Fixture::student("cjn", "0701", 7, "乙");
        {
            Session s;
            s.load();
            QCOMPARE(s.firstClass(), qint64(2)); // the roster's classes
            QCOMPARE(s.lastClass(), qint64(7));
            QSignalSpy changed(&s, &Session::settingsChanged);
            s.setSubjects({"英语", "语文", "英语"});
            s.setSubjects({"语文", "英语"});
            QCOMPARE(changed.count(), 1);
            QCOMPARE(s.subjects(), (QStringList{"语文", "英语"}));
            s.setFullMark("英语", 120);
            QCOMPARE(s.bandUpper(), qint64(219));
            s.setClassRange(3, 5);
        }
        {
            Session batch;
            batch.load(false);
            QCOMPARE(batch.subjects(), QStringList{"语文"});
            QCOMPARE(batch.firstClass(), qint64(2));
            batch.setFullMark("英语", 150);
            QCOMPARE(batch.fullMark("英语"), qint64(150));
        }
        Session s;
        s.load();
        QCOMPARE(s.subjects(), (QStringList{"语文", "英语"}));
        QCOMPARE(s.fullMark("英语"), qint64(120));
        QCOMPARE(s.firstClass(), qint64(3));
        QCOMPARE(s.lastClass(), qint64(5));
        QVERIFY(!s.bandUpperChosen());
    }

    // Every save makes its examination the current one; a grade table
    // without students is not saved; a second save is told, not made twice.
    void savesMoveTheCurrentExamination()
    {
        TestEnv env;
        env.openDb();
        Session s;
        s.load();
        QSignalSpy exam(&s, &Session::examChanged);
        const Save::Exam e{"期中", 5};
        QVERIFY_THROWS_EXCEPTION(Db::InputError, Actions::checkSave(s, Save::Kind::Grades, e));
        Fixture::student("cj", "0101", 1, "甲", {{"语文1", 80}});
        s.setRosterMode(1);
        Proc::recordRanking("cj");
        QVERIFY(!Actions::checkSave(s, Save::Kind::Grades, e).askReplace());
        Actions::save(s, Save::Kind::Grades, e);
        QCOMPARE(s.exam().name, QString("期中"));
        QCOMPARE(s.exam().number, QString("5"));
        QVERIFY(s.exam().marksSaved);
        QCOMPARE(exam.count(), 1);
        QCOMPARE(Actions::checkSave(s, Save::Kind::Grades, e).earlierRows, qint64(1));
        // Another examination of the same name is told when it is not the current one.
        QVERIFY(Actions::checkSave(s, Save::Kind::Grades, {"期中", 6}).askReplace() == false);
        Actions::makeCurrent(s, "期末", 6);
        QVERIFY(Actions::checkSave(s, Save::Kind::Grades, {"期中", 6}).askSameName());
        QVERIFY(!s.exam().marksSaved);
        Actions::makeCurrent(s, "期中", 5);
        QVERIFY(s.exam().marksSaved);
        QCOMPARE(Actions::reprocess(s), 1);
        QVERIFY(!s.exam().marksSaved);
        QVERIFY_THROWS_EXCEPTION(Db::InputError, Actions::makeCurrent(s, "没有任何考试", 1));
    }
};

GRADEBOOK_TEST_MAIN(TestSession)
#include "test_session.moc"
