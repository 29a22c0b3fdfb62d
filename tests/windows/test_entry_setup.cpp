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

// Every named mark, total and rank column of one row.
QVariantList namedValues(const QString& table, int row)
{
    QVariantList out;
    for (const QString& c : Roster::namedColumns())
        out << Fixture::value(table, c, row);
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
        QTest::newRow("blank database") << QList<int>{} << "1";
        QTest::newRow("two saved examinations") << QList<int>{1, 2} << "3";
        QTest::newRow("the second re-processed and saved again") << QList<int>{1, 2, 0, 2} << "3";
        QTest::newRow("re-processed twice") << QList<int>{1, 2, 0, 2, 0, 2} << "3";
        QTest::newRow("numbers typed out of order") << QList<int>{7, 3} << "8";
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
        kaoshimc->Edit2->setText("99");
        kaoshimc->show();
        QCOMPARE(kaoshimc->Edit2->text(), proposed);
    }

    void startsAnExamination_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("refusal"); // empty when accepted
        QTest::newRow("a name") << "2023年秋期中考试" << "5" << "";
        QTest::newRow("placeholder left") << "必须填" << "5" << "你还没填入考试名称！！";
        QTest::newRow("placeholder and a blank") << "必须填 " << "5" << "";
        QTest::newRow("empty name") << "" << "5" << "你还没填入考试名称！！";
        QTest::newRow("blanks only") << "   " << "5" << "你还没填入考试名称！！";
        QTest::newRow("the text for no examination") << "没有任何考试" << "5" << "不能用作考试名称";
        QTest::newRow("a tab in the name") << "期中\t考试" << "5" << "控制字符";
        QTest::newRow("quotes") << "O'Neil's \"final\" 考试" << "5" << "";
        QTest::newRow("full-width number") << "期末" << "５" << "";
        QTest::newRow("number a word") << "期末" << "第五次" << "考试编号必须是正整数";
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
        kaoshimc->show();
        kaoshimc->ksmc->setText(name);
        kaoshimc->Edit2->setText(number);
        kaoshimc->SpeedButton1->click();
        if (!refusal.isEmpty()) {
            QCOMPARE(env.messages.records.size(), 1);
            QCOMPARE(env.messages.records.first().kind, Msg::Kind::Warning);
            QVERIFY2(env.messages.last().contains(refusal), qPrintable(env.messages.last()));
            QCOMPARE(Fixture::dump("check"), check);
            QCOMPARE(Fixture::dump("linshi"), linshi);
            QVERIFY(kaoshimc->isVisible());
            QVERIFY(!pf1->isVisible());
            return;
        }
        QVERIFY(env.messages.records.isEmpty());
        const Entry::ExamState s = Entry::examState();
        QCOMPARE(s.name, name);
        QCOMPARE(s.number, QString("5"));
        QVERIFY(!s.marksSaved && !s.analysisSaved && !s.bandsSaved);
        QCOMPARE(Fixture::value("linshi", "name").toString(), name);
        QCOMPARE(Fixture::dump("ksmc"), ksmc);
        QVERIFY(!kaoshimc->isVisible());
        QVERIFY(pf1->isVisible());
    }

    void aSavedNameIsNotTakenAgainWithoutAsking_data()
    {
        QTest::addColumn<QString>("where"); // where the name is saved
        QTest::addColumn<bool>("accept");
        QTest::newRow("grades saved, declined") << "cjsave" << false;
        QTest::newRow("grades saved, accepted") << "cjsave" << true;
        QTest::newRow("only listed in ksmc, declined") << "ksmc" << false;
        QTest::newRow("band table saved, declined") << "tjsave1" << false;
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
        else if (where == "tjsave1")
            Save::bands("tj", {"期中", 3});
        else
            Db::exec("INSERT INTO ksmc (name) VALUES ('期中')");
        Fixture::setCheck({{"mc", "上次"}, {"bh", "3"}});
        const QString check = Fixture::dump("check");
        kaoshimc->show();
        kaoshimc->ksmc->setText("期中");
        env.messages.answers = {accept};
        kaoshimc->SpeedButton1->click();
        QCOMPARE(env.messages.records.size(), 1);
        const Msg::Record& q = env.messages.records.first();
        QCOMPARE(q.kind, Msg::Kind::Question);
        QVERIFY(!q.defaultYes);
        QVERIFY(q.text.contains("“期中”"));
        if (where != "ksmc")
            QVERIFY2(q.text.contains("编号3"), qPrintable(q.text));
        if (!accept) {
            QCOMPARE(Fixture::dump("check"), check);
            QVERIFY(kaoshimc->isVisible());
            QVERIFY(!pf1->isVisible());
            return;
        }
        QCOMPARE(Entry::examState().name, QString("期中"));
        QCOMPARE(Entry::examState().number, QString("4"));
        QVERIFY(pf1->isVisible());
    }

    void bulkReentryKeepsTheRosterUntilTheInputIsConfirmed()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        roster("cjn", 5);
        Db::exec("UPDATE linshi SET shibie = 1");
        const QString before = Fixture::dump("cjn");
        pf1->show();
        pf1->Button1->click();
        QCOMPARE(Entry::rosterMode(), 0);
        QCOMPARE(formin->Table1.tableName(), QString("cjn"));
        QCOMPARE(Fixture::dump("cjn"), before);
        QVERIFY(formin->isVisible());
        QVERIFY(!pf1->isVisible());
    }

    void oneByOneEmptiesTheRosterAndKeepsTheCounter()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        roster("cjn", 40);
        Db::exec("UPDATE \"count\" SET zuge = 15");
        Db::exec("UPDATE linshi SET shibie = 1");
        pf1->show();
        pf1->Button4->click();
        QCOMPARE(Db::rowCount("cjn"), 0);
        QCOMPARE(counter("zuge"), 15);
        QCOMPARE(Entry::rosterMode(), 0);
        QCOMPARE(formin->Table1.tableName(), QString("cjn"));
        QVERIFY(zuge->isVisible());
        QCOMPARE(zuge->rows()->rowCount(), 0);
        QVERIFY(!pf1->isVisible());
    }

    void reusesTheLastRoster_data()
    {
        QTest::addColumn<bool>("zero");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("students");
        QTest::newRow("as it is") << false << 0 << 4;
        QTest::newRow("zeroed, re-entered roster") << true << 0 << 4;
        QTest::newRow("zeroed, permanent roster") << true << 1 << 4;
        QTest::newRow("zeroed, empty roster") << true << 0 << 0;
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
        pf1->show();
        pf1->CheckBox1->setChecked(zero);
        pf1->Button2->click();

        QVERIFY(env.messages.records.isEmpty());
        QCOMPARE(Entry::rosterMode(), mode);
        QCOMPARE(Fixture::dump(other), untouched);
        QCOMPARE(Db::rowCount(work), students);
        if (!zero)
            QCOMPARE(Fixture::dump(work), before);
        for (int r = 0; zero && r < students; ++r) {
            for (const char* c : {"语文1", "数学1", "英语1", "政治1", "物理1", "化学1"})
                QCOMPARE(Fixture::value(work, c, r).toDouble(), 0.0);
            QCOMPARE(Fixture::value(work, "综合1", r).toDouble(), 88.0);
            QCOMPARE(Fixture::value(work, "总分1", r).toDouble(), 300.0);
            QCOMPARE(Fixture::value(work, "语文班排1", r).toInt(), r + 1);
        }
        QVERIFY(luru->isVisible());
        // Roster preparation closes when the entry window takes over.
        QVERIFY(!pf1->isVisible());
        QCOMPARE(Form6->Query1->query().table, work);
    }

    void addsStudentsNumberedFromTheCounter()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Db::exec("UPDATE \"count\" SET zuge = 7");
        pf1->Button4->click();
        const QList<QStringList> students{{"张三", "1", "0101"}, {"李四", "1", "0102"}, {"王'五", "３", "0301"}};
        for (const QStringList& s : students) {
            zuge->name->setText(s[0]);
            zuge->ban->setText(s[1]);
            zuge->xue->setText(s[2]);
            zuge->Button1->click();
        }
        QVERIFY(env.messages.records.isEmpty());
        QCOMPARE(Fixture::column("cjn", "序号"), (QVariantList{7, 8, 9}));
        QCOMPARE(Fixture::column("cjn", "姓名"), (QVariantList{"张三", "李四", "王'五"}));
        QCOMPARE(Fixture::column("cjn", "班号"), (QVariantList{1, 1, 3}));
        QCOMPARE(Fixture::column("cjn", "学号"), (QVariantList{"0101", "0102", "0301"}));
        QCOMPARE(namedValues("cjn", 2), QVariantList(27, 0));
        QCOMPARE(counter("zuge"), 10);
        // The edits keep their text for the next student, and the grid shows the new row.
        QCOMPARE(zuge->name->text(), QString("王'五"));
        QCOMPARE(zuge->rows()->rowCount(), 3);
        QCOMPARE(zuge->db1->currentIndex().row(), 2);
        QCOMPARE(zuge->db1->columnWidth(0), 100);
    }

    void refusesAClassThatIsNotAnInteger_data()
    {
        QTest::addColumn<QString>("cls");
        QTest::newRow("word") << "一班";
        QTest::newRow("decimal") << "1.5";
        QTest::newRow("empty") << "";
        QTest::newRow("class 0") << "0";
        QTest::newRow("class 19") << "19";
    }
    void refusesAClassThatIsNotAnInteger()
    {
        QFETCH(QString, cls);
        WindowTestEnv env;
        QVERIFY(env.startForms());
        roster("cjn", 2);
        const QString before = Fixture::dump("cjn"), count = Fixture::dump("count");

        zuge->ban->setText(cls);
        zuge->Button1->click();
        QCOMPARE(env.messages.records.size(), 1);
        QVERIFY(env.messages.last().contains("班号"));
        QCOMPARE(Fixture::dump("cjn"), before);
        QCOMPARE(Fixture::dump("count"), count);

        env.messages.clear();
        gai->show();
        gai->Edit1->setText(cls);
        gai->Button1->click();
        QCOMPARE(env.messages.records.size(), 1);
        QVERIFY(env.messages.last().contains("班号"));
        QCOMPARE(Fixture::dump("cjn"), before);
    }

    void refusesBlankNamesAndControlCharacters_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("inMessage");
        QTest::newRow("blank name") << "  " << "0101" << "姓名不能是空的";
        QTest::newRow("blank number") << "张三" << "" << "学号不能是空的";
        QTest::newRow("tab in a name") << "张\t三" << "0101" << "控制字符";
        QTest::newRow("NUL in a number") << "张三" << QString("01") + QChar(0) + "01" << "控制字符";
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
        zuge->name->setText(name);
        zuge->xue->setText(number);
        zuge->Button1->click();
        QCOMPARE(env.messages.records.size(), 1);
        QVERIFY2(env.messages.last().contains(inMessage), qPrintable(env.messages.last()));
        QCOMPARE(Fixture::dump("cjn"), before);
        QCOMPARE(Fixture::dump("count"), count);

        env.messages.clear();
        gai->show();
        gai->Edit2->setText(name);
        gai->Edit3->setText(number);
        gai->Button1->click();
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
        formin->Table1.setTableName("cjn");
        zuge->show();
        QAbstractItemModel* m = zuge->db1->model();
        QVERIFY(!m->setData(m->index(0, 1), "19"));
        QVERIFY(!m->setData(m->index(0, 1), ""));
        QVERIFY(!m->setData(m->index(0, 0), " "));
        QVERIFY(!m->setData(m->index(0, 0), "张\n三"));
        QCOMPARE(env.messages.records.size(), 4);
        QVERIFY(env.messages.texts().first().contains("1到18"));
        QVERIFY(m->setData(m->index(0, 1), "18"));
        QCOMPARE(Fixture::value("cjn", "班号", 0).toInt(), 18);
        QCOMPARE(Fixture::value("cjn", "姓名", 0).toString(), QString("学生1"));
        gai->show();
        Db::GridModel* g = gai->cjn();
        QVERIFY(!g->setData(g->index(1, g->columnIndex("班号")), "0"));
        QVERIFY(!g->setData(g->index(1, g->columnIndex("语文1")), "-5"));
        QCOMPARE(Fixture::value("cjn", "班号", 1).toInt(), 1);
        QCOMPARE(Fixture::value("cjn", "语文1", 1).toInt(), 71);
    }

    void deletingRowsOneByOne()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        pf1->Button4->click();
        for (const char* n : {"甲", "乙", "丙"}) {
            zuge->name->setText(n);
            zuge->Button1->click();
        }
        // The row after the deleted one becomes current.
        zuge->db1->setCurrentIndex(zuge->rows()->index(1, 0));
        zuge->Button3->click();
        QCOMPARE(Fixture::column("cjn", "姓名"), (QVariantList{"甲", "丙"}));
        QCOMPARE(zuge->db1->currentIndex().row(), 1);
        zuge->Button4->click();
        QCOMPARE(zuge->db1->currentIndex().row(), 0);
        zuge->Button3->click();
        zuge->Button5->click();
        QCOMPARE(zuge->db1->currentIndex().row(), 0);
        // The last row goes without leaving a blank one, and an empty table stays empty.
        zuge->Button3->click();
        QCOMPARE(Db::rowCount("cjn"), 0);
        zuge->Button3->click();
        QCOMPARE(Db::rowCount("cjn"), 0);
        QVERIFY(env.messages.records.isEmpty());
        zuge->Button2->click();
        QVERIFY(!zuge->isVisible());
        QVERIFY(luru->isVisible());
    }

    void insertsAStudentBeforeTheCurrentRow()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        roster("cjn", 3, 3);
        gai->show();
        QVERIFY(gai->DBGrid1->columnWidth(10) >= 50);
        gai->DBGrid1->setCurrentIndex(gai->cjn()->index(1, 0));
        gai->Edit3->setText("0305");
        gai->Edit1->setText("3");
        gai->Edit2->setText("新同学");
        gai->Button1->click();
        QVERIFY(env.messages.records.isEmpty());
        QCOMPARE(Fixture::column("cjn", "学号"), (QVariantList{"0301", "0305", "0302", "0303"}));
        QVERIFY(Fixture::value("cjn", "序号", 1).isNull());
        QCOMPARE(Fixture::value("cjn", "姓名", 1).toString(), QString("新同学"));
        QCOMPARE(namedValues("cjn", 1), QVariantList(27, 0));
        QCOMPARE(gai->cjn()->value(gai->DBGrid1->currentIndex().row(), "学号").toString(), QString("0305"));

        // No duplicate check: the same student number goes in again.
        gai->Button1->click();
        QCOMPARE(Db::rowCount("cjn"), 5);

        gai->DBGrid1->setCurrentIndex(gai->cjn()->index(0, 0));
        gai->Button2->click();
        QCOMPARE(Fixture::column("cjn", "学号"), (QVariantList{"0305", "0305", "0302", "0303"}));
        gai->Button3->click();
        QVERIFY(!gai->isVisible());
        QVERIFY(!gai->cjn()->isActive());
    }

    void theEntryGridFollowsRowsInsertedBehindIt()
    {
        // Inserting moves the rows after the new one: a grid still holding the
        // old positions would write marks into the wrong student's row.
        WindowTestEnv env;
        QVERIFY(env.startForms());
        roster("cjn", 3, 1);
        luru->show();
        QCOMPARE(Form6->Query1->rowCount(), 3);
        gai->show();
        gai->DBGrid1->setCurrentIndex(gai->cjn()->index(0, 0));
        gai->Edit3->setText("0100");
        gai->Edit1->setText("1");
        gai->Button1->click();
        QCOMPARE(Form6->Query1->rowCount(), 4);
        const int row = int(Fixture::column("cjn", "学号").indexOf("0103"));
        int gridRow = -1;
        for (int r = 0; r < Form6->Query1->rowCount(); ++r)
            if (Form6->Query1->value(r, "学号").toString() == "0103")
                gridRow = r;
        QVERIFY(gridRow >= 0);
        QVERIFY(Form6->Query1->write(gridRow, Form6->Query1->columnIndex("语文1"), "99").isEmpty());
        QCOMPARE(Fixture::value("cjn", "语文1", row).toDouble(), 99.0);
        QCOMPARE(Fixture::value("cjn", "语文1", row - 1).toDouble(), 71.0);
    }

    void theOneByOneGridFollowsRowsInsertedElsewhere()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        roster("cjn", 2, 1);
        formin->Table1.setTableName("cjn"); // as roster preparation leaves it
        zuge->show();
        gai->show();
        gai->DBGrid1->setCurrentIndex(gai->cjn()->index(0, 0));
        gai->Edit2->setText("新生");
        gai->Edit3->setText("0100");
        gai->Button1->click();
        // "删除一个" on the first line of the one-by-one grid removes the student shown there.
        zuge->db1->setCurrentIndex(zuge->db1->model()->index(0, 0));
        QCOMPARE(zuge->db1->model()->index(0, 0).data().toString(), QString("新生"));
        const QString second = zuge->db1->model()->index(1, 0).data().toString();
        zuge->db1->setCurrentIndex(zuge->db1->model()->index(1, 0));
        zuge->Button3->click();
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
        luru->show();
        QCOMPARE(luru->mingc->text(), QString("期中"));
        kaoshimc->show();
        kaoshimc->ksmc->setText("期末");
        kaoshimc->Edit2->setText("2");
        kaoshimc->SpeedButton1->click();
        QCOMPARE(luru->mingc->text(), QString("期末"));
        // One by one: the roster goes into cjn and the entry window follows it.
        pf1->Button4->click();
        zuge->Button2->click();
        QVERIFY(luru->isVisible());
        QCOMPARE(luru->bianh->text(), QString("2"));
        QCOMPARE(Form2->dbs->text(), QString("cjn"));
        QCOMPARE(Form6->Table1.tableName(), QString("cjn"));
    }
};

GRADEBOOK_WINDOW_TEST_MAIN(TestEntrySetup)
#include "test_entry_setup.moc"
