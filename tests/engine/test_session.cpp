// The working session: checked settings, their signals, what is kept across
// starts, and the actions that move the current examination.
#include "engine/actions/exam.h"
#include "engine/actions/processing.h"
#include "engine/db/database.h"
#include "engine/processing/rankstamp.h"
#include "engine/processing/saves.h"
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

    // A new examination as typed: refused with its reason, or taken with its
    // number read as an integer (full-width digits too).
    void aNewExaminationIsCheckedAsTyped_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("refusal"); // empty when accepted
        QTest::newRow("a name") << "2023年秋期中考试" << "5" << "";
        QTest::newRow("a blank after the name") << "期中考试 " << "5" << "";
        QTest::newRow("quotes") << "O'Neil's \"final\" 考试" << "5" << "";
        QTest::newRow("full-width number") << "期末" << "５" << "";
        QTest::newRow("empty name") << "" << "5" << "不能是空的";
        QTest::newRow("blanks only") << "   " << "5" << "不能是空的";
        QTest::newRow("the text for no examination") << "没有任何考试" << "5" << "不能用作考试名称";
        QTest::newRow("the same, a blank after") << "没有任何考试 " << "5" << "不能用作考试名称";
        QTest::newRow("a tab in the name") << "期中\t考试" << "5" << "控制字符";
        QTest::newRow("a line break") << "期中\n考试" << "5" << "控制字符";
        QTest::newRow("number a word") << "期末" << "第五次" << "考试编号必须是正整数";
        QTest::newRow("number 0") << "期末" << "0" << "考试编号必须是正整数";
        QTest::newRow("number -3") << "期末" << "-3" << "考试编号必须是正整数";
        QTest::newRow("number 2.5") << "期末" << "2.5" << "考试编号必须是正整数";
    }
    void aNewExaminationIsCheckedAsTyped()
    {
        QFETCH(QString, name);
        QFETCH(QString, number);
        QFETCH(QString, refusal);
        TestEnv env;
        env.openDb();
        Session s;
        s.load();
        Actions::makeCurrent(s, "上次", 4);
        const QString check = Fixture::dump("check"), linshi = Fixture::dump("linshi");
        QSignalSpy exam(&s, &Session::examChanged);
        try {
            const Actions::NewExam e = Actions::checkNewExam(name, number);
            QVERIFY2(refusal.isEmpty(), "accepted");
            QCOMPARE(e.number, qint64(5));
            QVERIFY(!e.sameName.exists());
            Actions::addExam(s, e);
            QCOMPARE(s.exam().name, name);
            QCOMPARE(s.exam().number, QString("5"));
            QVERIFY(!s.exam().marksSaved && !s.exam().analysisSaved && !s.exam().bandsSaved);
            QCOMPARE(Fixture::value("linshi", "name").toString(), name);
            QCOMPARE(exam.count(), 1);
        } catch (const Db::InputError& e) {
            QVERIFY2(!refusal.isEmpty() && e.text().contains(refusal), qPrintable(e.text()));
            QCOMPARE(Fixture::dump("check"), check);
            QCOMPARE(Fixture::dump("linshi"), linshi);
            QCOMPARE(exam.count(), 0);
        }
    }

    // The number proposed for a new examination is one more than the highest
    // saved, so re-processing and saving again does not move it on; a name
    // already saved, or only listed, is told with its numbers.
    void savedExaminationsAreFoundByNameAndNumber_data()
    {
        QTest::addColumn<QList<int>>("saved"); // numbers saved under 期中, in order; 0 = re-process the last
        QTest::addColumn<QString>("where");    // where they are saved
        QTest::addColumn<qint64>("proposed");
        QTest::addColumn<QList<qint64>>("numbers");
        QTest::newRow("blank database") << QList<int>{} << "cjsave" << qint64(1) << QList<qint64>{};
        QTest::newRow("two saved examinations") << QList<int>{1, 2} << "cjsave" << qint64(3) << QList<qint64>{1, 2};
        QTest::newRow("the second re-processed and saved again")
            << QList<int>{1, 2, 0, 2} << "cjsave" << qint64(3) << QList<qint64>{1, 2};
        QTest::newRow("re-processed twice") << QList<int>{1, 2, 0, 2, 0, 2} << "cjsave" << qint64(3) << QList<qint64>{1, 2};
        QTest::newRow("numbers typed out of order") << QList<int>{7, 3} << "cjsave" << qint64(8) << QList<qint64>{3, 7};
        QTest::newRow("a band table saved") << QList<int>{3} << "tjsave1" << qint64(4) << QList<qint64>{3};
        QTest::newRow("only listed") << QList<int>{} << "ksmc" << qint64(1) << QList<qint64>{};
    }
    void savedExaminationsAreFoundByNameAndNumber()
    {
        QFETCH(QList<int>, saved);
        QFETCH(QString, where);
        QFETCH(qint64, proposed);
        QFETCH(QList<qint64>, numbers);
        TestEnv env;
        env.openDb();
        Fixture::student("cjn", "0101", 1, "甲", {{"语文1", 80}});
        Proc::recordRanking("cjn");
        for (int n : saved) {
            if (n == 0)
                Save::discardSavedGrades(Save::currentExam());
            else if (where == "tjsave1")
                Save::bands("tj", {"期中", n});
            else
                Save::grades("cjn", {"期中", n});
        }
        if (where == "ksmc")
            Db::exec("INSERT INTO ksmc (name) VALUES ('期中')");
        QCOMPARE(Entry::proposedExamNumber(), proposed);
        const Actions::NewExam e = Actions::checkNewExam("期中", "9");
        QCOMPARE(e.sameName.numbers, numbers);
        QCOMPARE(e.sameName.exists(), where == "ksmc" || !saved.isEmpty());
        QVERIFY(!Actions::checkNewExam("期末", "9").sameName.exists());
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
