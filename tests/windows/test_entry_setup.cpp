// Starting an examination and preparing its roster: the exam-name window,
// roster preparation, one-by-one entry and the roster editing window.

#include "windows/app/forms.h"
#include "engine/db/database.h"
#include "engine/db/gridmodel.h"
#include "engine/entry/roster.h"
#include "engine/entry/setup.h"
#include "engine/processing/rankstamp.h"
#include "engine/processing/saves.h"
#include "windows/entry/tformin.h"
#include "windows/entry/tgai.h"
#include "windows/entry/tkaoshimc.h"
#include "windows/entry/tluru.h"
#include "windows/entry/tpf1.h"
#include "windows/entry/tzuge.h"
#include "windows/app/tform2.h"
#include "windows/app/tform6.h"
#include "engine/session/session.h"
#include "windowtest.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace {

void roster(const QString& table, int count, int cls = 1)
{
    for (int i = 0; i < count; ++i)
        Fixture::student(table, QStringLiteral("%1%2").arg(cls, 2, 10, QChar('0')).arg(i + 1, 2, 10, QChar('0')),
                         cls, QStringLiteral("学生%1").arg(i + 1),
                         {{"语文1", 70 + i}, {"化学1", 60}, {"综合1", 88}, {"总分1", 300}, {"语文班排1", i + 1}});
    // As a ranking run leaves it, so that it can be saved.
    Proc::recordRanking(table);
}

qint64 counter(const char* column)
{
    return Db::selectValue(QStringLiteral("SELECT %1 FROM \"count\"").arg(Db::quote(column))).toLongLong();
}

// Every named mark, total and rank column of one row, a blank one empty.
QStringList namedValues(const QString& table, int row)
{
    QStringList out;
    for (const QString& c : Roster::namedColumns()) {
        const QVariant v = Fixture::value(table, c, row);
        out << (v.isNull() ? QString() : v.toString());
    }
    return out;
}

} // namespace

class TestEntrySetup : public QObject {
    Q_OBJECT
private slots:
    void proposesOneMoreThanTheHighestNumberSaved_data()
    {
        QTest::addColumn<QList<int>>("saved"); // numbers saved, in order; 0 = re-process the last
        QTest::addColumn<QString>("proposed");
        QTest::newRow("the second re-processed and saved again") << QList<int>{1, 2, 0, 2} << "3";
    }
    void proposesOneMoreThanTheHighestNumberSaved()
    {
        QFETCH(QList<int>, saved);
        QFETCH(QString, proposed);
        WindowTestEnv env;
        QVERIFY(env.startForms());
        roster("cjn", 2);
        for (int n : saved) {
            if (n == 0)
                Save::discardSavedGrades(Save::currentExam());
            else
                Save::grades("cjn", {QStringLiteral("第%1次").arg(n), n});
        }
        Forms::kaoshimc->Edit2->setText("99");
        Forms::kaoshimc->show();
        QCOMPARE(Forms::kaoshimc->Edit2->text(), proposed);
    }

    void startsAnExamination_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("refusal"); // empty when accepted
        QTest::newRow("a name") << "2023年秋期中考试" << "5" << "";
        QTest::newRow("placeholder left") << "必须填" << "5" << "你还没填入考试名称！！";
        QTest::newRow("blanks only") << "   " << "5" << "你还没填入考试名称！！";
        QTest::newRow("the placeholder and a blank") << "必须填 " << "5" << "";
        QTest::newRow("number 0") << "期末" << "0" << "考试编号必须是正整数";
    }
    void startsAnExamination()
    {
        QFETCH(QString, name);
        QFETCH(QString, number);
        QFETCH(QString, refusal);
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Fixture::setCheck({{"mc", "上次"}, {"bh", "4"}, {"c1", 1}, {"c2", 1}, {"c3", 1}});
        const QString check = Fixture::dump("check"), linshi = Fixture::dump("linshi"), ksmc = Fixture::dump("ksmc");
        Forms::kaoshimc->show();
        Forms::kaoshimc->ksmc->setText(name);
        Forms::kaoshimc->Edit2->setText(number);
        Forms::kaoshimc->SpeedButton1->click();
        if (!refusal.isEmpty()) {
            QCOMPARE(env.messages.records.size(), 1);
            QCOMPARE(env.messages.records.first().kind, Msg::Kind::Warning);
            QVERIFY2(env.messages.last().contains(refusal), qPrintable(env.messages.last()));
            QCOMPARE(Fixture::dump("check"), check);
            QCOMPARE(Fixture::dump("linshi"), linshi);
            QVERIFY(Forms::kaoshimc->isVisible());
            QVERIFY(!Forms::pf1->isVisible());
            return;
        }
        QVERIFY(env.messages.records.isEmpty());
        const Entry::ExamState s = Entry::examState();
        QCOMPARE(s.name, name);
        QCOMPARE(s.number, QString("5"));
        QVERIFY(!s.marksSaved && !s.analysisSaved && !s.bandsSaved);
        QCOMPARE(Fixture::value("linshi", "name").toString(), name);
        QCOMPARE(Fixture::dump("ksmc"), ksmc);
        QVERIFY(!Forms::kaoshimc->isVisible());
        QVERIFY(Forms::pf1->isVisible());
    }

    void aSavedNameIsNotTakenAgainWithoutAsking_data()
    {
        QTest::addColumn<QString>("where"); // where the name is saved
        QTest::addColumn<bool>("accept");
        QTest::newRow("grades saved, declined") << "cjsave" << false;
        QTest::newRow("grades saved, accepted") << "cjsave" << true;
        QTest::newRow("only listed in ksmc, declined") << "ksmc" << false;
    }
    void aSavedNameIsNotTakenAgainWithoutAsking()
    {
        QFETCH(QString, where);
        QFETCH(bool, accept);
        WindowTestEnv env;
        QVERIFY(env.startForms());
        roster("cjn", 2);
        if (where == "cjsave")
            Save::grades("cjn", {"期中", 3});
        else
            Db::exec("INSERT INTO ksmc (name) VALUES ('期中')");
        Fixture::setCheck({{"mc", "上次"}, {"bh", "3"}});
        const QString check = Fixture::dump("check");
        Forms::kaoshimc->show();
        Forms::kaoshimc->ksmc->setText("期中");
        env.messages.answers = {accept};
        Forms::kaoshimc->SpeedButton1->click();
        QCOMPARE(env.messages.records.size(), 1);
        const Msg::Record& q = env.messages.records.first();
        QCOMPARE(q.kind, Msg::Kind::Question);
        QVERIFY(!q.defaultYes);
        QVERIFY(q.text.contains("“期中”"));
        if (where != "ksmc")
            QVERIFY2(q.text.contains("编号3"), qPrintable(q.text));
        if (!accept) {
            QCOMPARE(Fixture::dump("check"), check);
            QVERIFY(Forms::kaoshimc->isVisible());
            QVERIFY(!Forms::pf1->isVisible());
            return;
        }
        QCOMPARE(Entry::examState().name, QString("期中"));
        QCOMPARE(Entry::examState().number, QString("4"));
        QVERIFY(Forms::pf1->isVisible());
    }

    void bulkReentryKeepsTheRosterUntilTheInputIsConfirmed()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        roster("cjn", 5);
        Db::exec("UPDATE linshi SET shibie = 1");
        const QString before = Fixture::dump("cjn");
        Forms::pf1->show();
        Forms::pf1->Button1->click();
        QCOMPARE(Entry::rosterMode(), 0);
        QCOMPARE(Forms::formin->Table1.tableName(), QString("cjn"));
        QCOMPARE(Fixture::dump("cjn"), before);
        QVERIFY(Forms::formin->isVisible());
        QVERIFY(!Forms::pf1->isVisible());
    }

    void oneByOneEmptiesTheRosterAndKeepsTheCounter()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        roster("cjn", 40);
        Db::exec("UPDATE \"count\" SET zuge = 15");
        Db::exec("UPDATE linshi SET shibie = 1");
        Forms::pf1->show();
        Forms::pf1->Button4->click();
        QCOMPARE(Db::rowCount("cjn"), 0);
        QCOMPARE(counter("zuge"), 15);
        QCOMPARE(Entry::rosterMode(), 0);
        QCOMPARE(Forms::formin->Table1.tableName(), QString("cjn"));
        QVERIFY(Forms::zuge->isVisible());
        QCOMPARE(Forms::zuge->rows()->rowCount(), 0);
        QVERIFY(!Forms::pf1->isVisible());
    }

    void reusesTheLastRoster_data()
    {
        QTest::addColumn<bool>("zero");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("students");
        QTest::newRow("as it is") << false << 0 << 4;
        QTest::newRow("blanked, re-entered roster") << true << 0 << 4;
        QTest::newRow("blanked, permanent roster") << true << 1 << 4;
        QTest::newRow("blanked, empty roster") << true << 0 << 0;
    }
    void reusesTheLastRoster()
    {
        QFETCH(bool, zero);
        QFETCH(int, mode);
        QFETCH(int, students);
        WindowTestEnv env;
        QVERIFY(env.startForms());
        const QString work = mode == 0 ? "cjn" : "cj";
        const QString other = mode == 0 ? "cj" : "cjn";
        roster(work, students);
        roster(other, 3);
        Db::exec("UPDATE linshi SET shibie = ?", {mode});
        const QString untouched = Fixture::dump(other);
        const QString before = Fixture::dump(work);
        Forms::pf1->show();
        Forms::pf1->CheckBox1->setChecked(zero);
        Forms::pf1->Button2->click();

        QVERIFY(env.messages.records.isEmpty());
        QCOMPARE(Entry::rosterMode(), mode);
        QCOMPARE(Fixture::dump(other), untouched);
        QCOMPARE(Db::rowCount(work), students);
        if (!zero)
            QCOMPARE(Fixture::dump(work), before);
        // Reused for a new examination: nothing of the last one stays.
        for (int r = 0; zero && r < students; ++r)
            QCOMPARE(namedValues(work, r), QStringList(27, QString()));
        QVERIFY(Forms::luru->isVisible());
        // Roster preparation closes when the entry window takes over.
        QVERIFY(!Forms::pf1->isVisible());
        QCOMPARE(Forms::luru->Query1->query().table, work);
    }

    void addsStudentsNumberedFromTheCounter()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Db::exec("UPDATE \"count\" SET zuge = 7");
        Forms::pf1->Button4->click();
        const QList<QStringList> students{{"张三", "1", "0101"}, {"李四", "1", "0102"}, {"王'五", "３", "0301"}};
        for (const QStringList& s : students) {
            Forms::zuge->name->setText(s[0]);
            Forms::zuge->ban->setText(s[1]);
            Forms::zuge->xue->setText(s[2]);
            Forms::zuge->Button1->click();
        }
        QVERIFY(env.messages.records.isEmpty());
        QCOMPARE(Fixture::column("cjn", "序号"), (QVariantList{7, 8, 9}));
        QCOMPARE(Fixture::column("cjn", "姓名"), (QVariantList{"张三", "李四", "王'五"}));
        QCOMPARE(Fixture::column("cjn", "班号"), (QVariantList{1, 1, 3}));
        QCOMPARE(Fixture::column("cjn", "学号"), (QVariantList{"0101", "0102", "0301"}));
        QCOMPARE(namedValues("cjn", 2), QStringList(27, QString()));
        QCOMPARE(counter("zuge"), 10);
        // The edits keep their text for the next student, and the grid shows the new row.
        QCOMPARE(Forms::zuge->name->text(), QString("王'五"));
        QCOMPARE(Forms::zuge->rows()->rowCount(), 3);
        QCOMPARE(Forms::zuge->db1->currentIndex().row(), 2);
        QCOMPARE(Forms::zuge->db1->columnWidth(0), 100);
    }

    void refusesAClassThatIsNotAnInteger_data()
    {
        QTest::addColumn<QString>("cls");
        QTest::newRow("word") << "一班";
        QTest::newRow("class 19") << "19";
    }
    void refusesAClassThatIsNotAnInteger()
    {
        QFETCH(QString, cls);
        WindowTestEnv env;
        QVERIFY(env.startForms());
        roster("cjn", 2);
        const QString before = Fixture::dump("cjn"), count = Fixture::dump("count");

        Forms::zuge->ban->setText(cls);
        Forms::zuge->Button1->click();
        QCOMPARE(env.messages.records.size(), 1);
        QVERIFY(env.messages.last().contains("班号"));
        QCOMPARE(Fixture::dump("cjn"), before);
        QCOMPARE(Fixture::dump("count"), count);

        env.messages.clear();
        Forms::gai->show();
        Forms::gai->Edit1->setText(cls);
        Forms::gai->Button1->click();
        QCOMPARE(env.messages.records.size(), 1);
        QVERIFY(env.messages.last().contains("班号"));
        QCOMPARE(Fixture::dump("cjn"), before);
    }

    void refusesBlankNamesAndControlCharacters_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("inMessage");
        QTest::newRow("tab in a name") << "张\t三" << "0101" << "控制字符";
    }
    void refusesBlankNamesAndControlCharacters()
    {
        QFETCH(QString, name);
        QFETCH(QString, number);
        QFETCH(QString, inMessage);
        WindowTestEnv env;
        QVERIFY(env.startForms());
        roster("cjn", 2);
        const QString before = Fixture::dump("cjn"), count = Fixture::dump("count");
        Forms::zuge->name->setText(name);
        Forms::zuge->xue->setText(number);
        Forms::zuge->Button1->click();
        QCOMPARE(env.messages.records.size(), 1);
        QVERIFY2(env.messages.last().contains(inMessage), qPrintable(env.messages.last()));
        QCOMPARE(Fixture::dump("cjn"), before);
        QCOMPARE(Fixture::dump("count"), count);

        env.messages.clear();
        Forms::gai->show();
        Forms::gai->Edit2->setText(name);
        Forms::gai->Edit3->setText(number);
        Forms::gai->Button1->click();
        QCOMPARE(env.messages.records.size(), 1);
        QVERIFY(env.messages.last().contains(inMessage));
        QCOMPARE(Fixture::dump("cjn"), before);
    }

    void theRosterGridsTakeOnlyClassNumbers()
    {
        // 班号 and 姓名 typed into the one-by-one and editing grids.
        WindowTestEnv env;
        QVERIFY(env.startForms());
        roster("cjn", 2);
        Forms::formin->Table1.setTableName("cjn");
        Forms::zuge->show();
        QAbstractItemModel* m = Forms::zuge->db1->model();
        QVERIFY(!m->setData(m->index(0, 1), "19"));
        QVERIFY(!m->setData(m->index(0, 1), ""));
        QVERIFY(!m->setData(m->index(0, 0), " "));
        QVERIFY(!m->setData(m->index(0, 0), "张\n三"));
        QCOMPARE(env.messages.records.size(), 4);
        QVERIFY(env.messages.texts().first().contains("1到18"));
        QVERIFY(m->setData(m->index(0, 1), "18"));
        QCOMPARE(Fixture::value("cjn", "班号", 0).toInt(), 18);
        QCOMPARE(Fixture::value("cjn", "姓名", 0).toString(), QString("学生1"));
        Forms::gai->show();
        Db::GridModel* g = Forms::gai->cjn();
        QVERIFY(!g->setData(g->index(1, g->columnIndex("班号")), "0"));
        QVERIFY(!g->setData(g->index(1, g->columnIndex("语文1")), "-5"));
        QCOMPARE(Fixture::value("cjn", "班号", 1).toInt(), 1);
        QCOMPARE(Fixture::value("cjn", "语文1", 1).toInt(), 71);
    }

    void deletingRowsOneByOne()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Forms::pf1->Button4->click();
        int n = 0;
        for (const char* name : {"甲", "乙", "丙"}) {
            Forms::zuge->name->setText(name);
            Forms::zuge->xue->setText(QStringLiteral("010%1").arg(++n));
            Forms::zuge->Button1->click();
        }
        // A 学号 already taken is refused, naming its student.
        Forms::zuge->Button1->click();
        QVERIFY2(env.messages.last().contains("学号“0103”已经是1班丙的学号"), qPrintable(env.messages.last()));
        QCOMPARE(Db::rowCount("cjn"), 3);
        env.messages.clear();
        // Deleting asks first, naming the student; 否 keeps him.
        Forms::zuge->db1->setCurrentIndex(Forms::zuge->rows()->index(1, 0));
        env.messages.answers = {false};
        Forms::zuge->Button3->click();
        QVERIFY(env.messages.last().contains("学号0102  1班  乙"));
        QCOMPARE(Db::rowCount("cjn"), 3);
        // The row after the deleted one becomes current.
        Forms::zuge->Button3->click();
        QCOMPARE(Fixture::column("cjn", "姓名"), (QVariantList{"甲", "丙"}));
        QCOMPARE(Forms::zuge->db1->currentIndex().row(), 1);
        Forms::zuge->Button4->click();
        QCOMPARE(Forms::zuge->db1->currentIndex().row(), 0);
        Forms::zuge->Button3->click();
        Forms::zuge->Button5->click();
        QCOMPARE(Forms::zuge->db1->currentIndex().row(), 0);
        // The last row goes without leaving a blank one, and an empty table stays empty.
        Forms::zuge->Button3->click();
        QCOMPARE(Db::rowCount("cjn"), 0);
        env.messages.clear();
        Forms::zuge->Button3->click();
        QCOMPARE(Db::rowCount("cjn"), 0);
        QVERIFY(env.messages.records.isEmpty());
        Forms::zuge->Button2->click();
        QVERIFY(!Forms::zuge->isVisible());
        QVERIFY(Forms::luru->isVisible());
    }

    void anInsertedStudentTakesHisPlaceInHisClass()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        roster("cjn", 3, 3);
        roster("cjn", 2, 4);
        Forms::gai->show();
        QVERIFY(Forms::gai->DBGrid1->columnWidth(10) >= 50);
        // Wherever the selection stands, the transfer student goes where the
        // entry grid and the teacher's sheet have him: in class 3, by 学号.
        Forms::gai->DBGrid1->setCurrentIndex(Forms::gai->cjn()->index(4, 0));
        Forms::gai->Edit3->setText("0304");
        Forms::gai->Edit1->setText("3");
        Forms::gai->Edit2->setText("新同学");
        Forms::gai->Button1->click();
        QVERIFY(env.messages.records.isEmpty());
        QCOMPARE(Fixture::column("cjn", "学号"), (QVariantList{"0301", "0302", "0303", "0304", "0401", "0402"}));
        QVERIFY(Fixture::value("cjn", "序号", 3).isNull());
        QCOMPARE(Fixture::value("cjn", "姓名", 3).toString(), QString("新同学"));
        QCOMPARE(namedValues("cjn", 3), QStringList(27, QString()));
        QCOMPARE(Forms::gai->cjn()->value(Forms::gai->DBGrid1->currentIndex().row(), "学号").toString(), QString("0304"));

        // The same 学号 again is refused, naming the student who has it.
        Forms::gai->Edit2->setText("另一个");
        Forms::gai->Button1->click();
        QVERIFY2(env.messages.last().contains("学号“0304”已经是3班新同学的学号"), qPrintable(env.messages.last()));
        QCOMPARE(Db::rowCount("cjn"), 6);

        // Deleting asks first (否 by default), naming him; then the selection
        // stays in his class, on the next student.
        env.messages.clear();
        Forms::gai->DBGrid1->setCurrentIndex(Forms::gai->cjn()->index(1, 0));
        env.messages.answers = {false};
        Forms::gai->Button2->click();
        QCOMPARE(env.messages.records.size(), 1);
        QVERIFY(!env.messages.records.first().defaultYes);
        QVERIFY2(env.messages.last().contains("学号0302  3班  学生2"), qPrintable(env.messages.last()));
        QCOMPARE(Db::rowCount("cjn"), 6);
        Forms::gai->Button2->click();
        QCOMPARE(Fixture::column("cjn", "学号"), (QVariantList{"0301", "0303", "0304", "0401", "0402"}));
        QCOMPARE(Forms::gai->cjn()->value(Forms::gai->DBGrid1->currentIndex().row(), "学号").toString(), QString("0303"));
        // The last of class 3 gone: the one before him in his class.
        Forms::gai->DBGrid1->setCurrentIndex(Forms::gai->cjn()->index(2, 0));
        Forms::gai->Button2->click();
        QCOMPARE(Forms::gai->cjn()->value(Forms::gai->DBGrid1->currentIndex().row(), "学号").toString(), QString("0303"));
        Forms::gai->Button3->click();
        QVERIFY(!Forms::gai->isVisible());
        QVERIFY(!Forms::gai->cjn()->isActive());
    }

    void theEntryGridFollowsRowsInsertedBehindIt()
    {
        // Inserting moves the rows after the new one: a grid still holding the
        // old positions would write marks into the wrong student's row.
        WindowTestEnv env;
        QVERIFY(env.startForms());
        roster("cjn", 3, 1);
        Forms::luru->show();
        QCOMPARE(Forms::luru->Query1->rowCount(), 3);
        Forms::gai->show();
        Forms::gai->DBGrid1->setCurrentIndex(Forms::gai->cjn()->index(0, 0));
        Forms::gai->Edit3->setText("0100");
        Forms::gai->Edit1->setText("1");
        Forms::gai->Button1->click();
        QCOMPARE(Forms::luru->Query1->rowCount(), 4);
        const int row = int(Fixture::column("cjn", "学号").indexOf("0103"));
        int gridRow = -1;
        for (int r = 0; r < Forms::luru->Query1->rowCount(); ++r)
            if (Forms::luru->Query1->value(r, "学号").toString() == "0103")
                gridRow = r;
        QVERIFY(gridRow >= 0);
        QVERIFY(Forms::luru->Query1->write(gridRow, Forms::luru->Query1->columnIndex("语文1"), "99").isEmpty());
        QCOMPARE(Fixture::value("cjn", "语文1", row).toDouble(), 99.0);
        QCOMPARE(Fixture::value("cjn", "语文1", row - 1).toDouble(), 71.0);
    }

    void theOneByOneGridFollowsRowsInsertedElsewhere()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        roster("cjn", 2, 1);
        Forms::formin->Table1.setTableName("cjn"); // as roster preparation leaves it
        Forms::zuge->show();
        Forms::gai->show();
        Forms::gai->DBGrid1->setCurrentIndex(Forms::gai->cjn()->index(0, 0));
        Forms::gai->Edit2->setText("新生");
        Forms::gai->Edit3->setText("0100");
        Forms::gai->Button1->click();
        // "删除一个" on the first line of the one-by-one grid removes the student shown there.
        Forms::zuge->db1->setCurrentIndex(Forms::zuge->db1->model()->index(0, 0));
        QCOMPARE(Forms::zuge->db1->model()->index(0, 0).data().toString(), QString("新生"));
        const QString second = Forms::zuge->db1->model()->index(1, 0).data().toString();
        Forms::zuge->db1->setCurrentIndex(Forms::zuge->db1->model()->index(1, 0));
        Forms::zuge->Button3->click();
        QVERIFY(!Fixture::column("cjn", "姓名").contains(second));
        QVERIFY(Fixture::column("cjn", "姓名").contains("新生"));
    }

    void anEntryWindowLeftOpenTakesUpTheNewExamination()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Fixture::setCheck({{"mc", "期中"}, {"bh", "1"}});
        Db::exec("UPDATE linshi SET shibie = 1");
        roster("cj", 2, 1);
        Forms::luru->show();
        QCOMPARE(Forms::luru->mingc->text(), QString("期中"));
        Forms::kaoshimc->show();
        Forms::kaoshimc->ksmc->setText("期末");
        Forms::kaoshimc->Edit2->setText("2");
        Forms::kaoshimc->SpeedButton1->click();
        QCOMPARE(Forms::luru->mingc->text(), QString("期末"));
        // One by one: the roster goes into cjn and the entry window follows it.
        Forms::pf1->Button4->click();
        Forms::zuge->Button2->click();
        QVERIFY(Forms::luru->isVisible());
        QCOMPARE(Forms::luru->bianh->text(), QString("2"));
        QCOMPARE(Forms::session().workingTable(), QString("cjn"));
        QCOMPARE(Forms::Form6->Table1.tableName(), QString("cjn"));
    }
};

GRADEBOOK_WINDOW_TEST_MAIN(TestEntrySetup)
#include "test_entry_setup.moc"
