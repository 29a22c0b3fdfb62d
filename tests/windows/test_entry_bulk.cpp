// Bulk input of rosters and marks through its window.

#include "windows/app/forms.h"
#include "windows/app/tform2.h"
#include "windows/app/tform6.h"
#include "engine/db/database.h"
#include "engine/entry/setup.h"
#include "windows/entry/tformin.h"
#include "windows/entry/tluru.h"
#include "windows/entry/tpf1.h"
#include "windows/processing/tform1.h"
#include "windowtest.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>

namespace {

QString lines(int count, const std::function<QString(int)>& line)
{
    QStringList out;
    for (int i = 0; i < count; ++i)
        out << line(i);
    return out.join('\n');
}

void fillRoster(const QString& numbers, const QString& classes, const QString& names)
{
    formin->Memo4->setPlainText(numbers);
    formin->Memo2->setPlainText(classes);
    formin->Memo1->setPlainText(names);
}

// The bulk input as roster preparation opens it.
void openFromRosterPreparation()
{
    pf1->Button1->click();
    QVERIFY(formin->isVisible());
}

} // namespace

class TestEntryBulk : public QObject {
    Q_OBJECT
private slots:
    void entersARoster()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Fixture::student("cjn", "9999", 9, "旧学生");
        openFromRosterPreparation();
        fillRoster("0101\n0102", "1\n1", "张三\n李四");
        formin->Button1->click();

        QCOMPARE(env.messages.records.size(), 2);
        QCOMPARE(env.messages.records.first().text, Tformin::kConfirm);
        QCOMPARE(env.messages.records.first().kind, Msg::Kind::Question);
        QVERIFY(QRegularExpression("^我们用了\\d:\\d\\d:\\d\\d的时间,输入成功！$").match(env.messages.last()).hasMatch());
        QCOMPARE(Fixture::column("cjn", "序号"), (QVariantList{0, 1}));
        QCOMPARE(Fixture::column("cjn", "学号"), (QVariantList{"0101", "0102"}));
        QCOMPARE(Fixture::column("cjn", "班号"), (QVariantList{1, 1}));
        QCOMPARE(Fixture::column("cjn", "总分级排1"), (QVariantList{0, 0}));
        QCOMPARE(Form2->banshu1->text(), QString("1"));
        QCOMPARE(Form2->banshu2->text(), QString("1"));
        // The filled table is the working table from now on.
        QCOMPARE(Form2->dbs->text(), QString("cjn"));
        QCOMPARE(Form2->tjs->text(), QString("tj"));
        QCOMPARE(Form1->dbs->text(), QString("cjn"));
        QCOMPARE(Form6->Table1.tableName(), QString("cjn"));
        QCOMPARE(Entry::rosterMode(), 0);
        QVERIFY(!formin->isVisible());
        QVERIFY(luru->isVisible());
        QCOMPARE(Form6->Query1->rowCount(), 2);
    }

    void theClassRangeFollowsTheRoster()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        openFromRosterPreparation();
        fillRoster("0301\n0501\n0701", "3\n5\n7", "甲\n乙\n丙");
        formin->Button1->click();
        QCOMPARE(Form2->banshu1->text(), QString("3"));
        QCOMPARE(Form2->banshu2->text(), QString("7"));
    }

    void aNameLineStopsTheRoster_data()
    {
        QTest::addColumn<QString>("names");
        QTest::addColumn<int>("rows");
        QTest::newRow("third line") << "甲\n乙\n姓名\n丙\n丁" << 2;
        QTest::newRow("first line") << "姓名\n甲\n乙" << 0;
        QTest::newRow("with trailing blanks") << "甲\n姓名  \n乙" << 1;
    }
    void aNameLineStopsTheRoster()
    {
        QFETCH(QString, names);
        QFETCH(int, rows);
        WindowTestEnv env;
        QVERIFY(env.startForms());
        openFromRosterPreparation();
        // The lines after the stop line need not be valid.
        fillRoster("1\n2\n3\n4\n5", "1\n1\nx\nx\nx", names);
        formin->Button1->click();
        QCOMPARE(Db::rowCount("cjn"), rows);
        QVERIFY(env.messages.last().contains("输入成功"));
    }

    void writesTheMarksOfTheTickedSubjectsOnly()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        openFromRosterPreparation();
        const int n = 40;
        fillRoster(lines(n, [](int i) { return QString("01%1").arg(i, 2, 10, QChar('0')); }),
                   lines(n, [](int i) { return QString::number(1 + i / 20); }),
                   lines(n, [](int i) { return QString("学生%1").arg(i); }));
        formin->CheckBox1->setChecked(true);
        formin->CheckBox4->setChecked(true); // 数学
        formin->Memo3->setPlainText(lines(n, [](int) { return QString("11"); }));
        formin->Memo6->setPlainText(lines(n, [](int i) { return QString::number(60 + i * 0.5); }));
        formin->Button1->click();
        QVERIFY(env.messages.last().contains("输入成功"));
        const QVariantList maths = Fixture::column("cjn", "数学1");
        QCOMPARE(maths.size(), n);
        for (int i = 0; i < n; ++i)
            QCOMPARE(maths.at(i).toDouble(), 60 + i * 0.5);
        QCOMPARE(Fixture::column("cjn", "语文1"), QVariantList(n, 0));
        QCOMPARE(Form2->banshu2->text(), QString("2"));
    }

    void writesMarksOverTheRosterItKeeps()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        for (const char* n : {"甲", "乙", "丙"})
            Fixture::student("cjn", "0101", 1, n, {{"综合1", 50}});
        openFromRosterPreparation();
        formin->CheckBox2->setChecked(true);
        formin->CheckBox1->setChecked(true);
        formin->CheckBox9->setChecked(true); // 综合
        // Pasted from a spreadsheet: tabs, blanks, carriage returns, a full-width digit.
        formin->Memo11->setPlainText("81\t\r\n 82.5 \r\n８３\r\n");
        formin->Button1->click();
        // No roster input, so no question about deleting it.
        QCOMPARE(env.messages.records.size(), 1);
        QVERIFY(env.messages.last().contains("输入成功"));
        QCOMPARE(Fixture::column("cjn", "姓名"), (QVariantList{"甲", "乙", "丙"}));
        QCOMPARE(Fixture::column("cjn", "综合1"), (QVariantList{81, 82.5, 83}));
    }

    void badInputLeavesTheTableAsItWas_data()
    {
        QTest::addColumn<QString>("numbers");
        QTest::addColumn<QString>("classes");
        QTest::addColumn<QString>("maths");
        QTest::addColumn<QStringList>("inMessage");
        const QString three = "0101\n0102\n0103";
        QTest::newRow("class not an integer") << three << "1\n1\n二" << "" << QStringList{"班号", "第3行"};
        QTest::newRow("class with a decimal") << three << "1\n1.5\n1" << "" << QStringList{"班号", "第2行"};
        QTest::newRow("too few classes") << three << "1\n1" << "" << QStringList{"班号"};
        QTest::newRow("too few student numbers") << "0101\n0102" << "1\n1\n1" << "" << QStringList{"学号"};
        QTest::newRow("numbers pasted with their header") << "学号\n0101\n0102\n0103" << "1\n1\n1" << ""
                                                          << QStringList{"学号", "错行"};
        QTest::newRow("mark not a number") << three << "1\n1\n1" << "90\n缺考\n80" << QStringList{"数学", "第2行"};
        QTest::newRow("mark box too short") << three << "1\n1\n1" << "90\n80" << QStringList{"数学"};
        QTest::newRow("blank mark line") << three << "1\n1\n1" << "90\n\n80" << QStringList{"数学", "第2行"};
    }
    void badInputLeavesTheTableAsItWas()
    {
        QFETCH(QString, numbers);
        QFETCH(QString, classes);
        QFETCH(QString, maths);
        QFETCH(QStringList, inMessage);
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Fixture::student("cjn", "0901", 9, "旧学生", {{"语文1", 77}});
        Db::exec("UPDATE linshi SET shibie = 1");
        const QString before = Fixture::dump("cjn"), linshi = Fixture::dump("linshi");
        formin->show();
        formin->Table1.setTableName("cjn");
        fillRoster(numbers, classes, "甲\n乙\n丙");
        if (!maths.isEmpty()) {
            formin->CheckBox1->setChecked(true);
            formin->CheckBox3->setChecked(true);
            formin->CheckBox4->setChecked(true);
            formin->Memo3->setPlainText("1\n2\n3");
            formin->Memo6->setPlainText(maths);
        }
        formin->Button1->click();
        const QString message = env.messages.last();
        for (const QString& part : inMessage)
            QVERIFY2(message.contains(part), qPrintable(message));
        QCOMPARE(env.messages.records.last().kind, Msg::Kind::Warning);
        QCOMPARE(Fixture::dump("cjn"), before);
        QCOMPARE(Fixture::dump("linshi"), linshi);
        QVERIFY(formin->isVisible());
        QVERIFY(!luru->isVisible());
    }

    void moreMarksThanStudentsAreRefused()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Fixture::student("cjn", "0101", 1, "甲");
        const QString before = Fixture::dump("cjn");
        formin->Table1.setTableName("cjn");
        formin->CheckBox2->setChecked(true);
        formin->CheckBox1->setChecked(true);
        formin->CheckBox3->setChecked(true);
        formin->Memo3->setPlainText("90\n80");
        formin->Button1->click();
        QCOMPARE(env.messages.records.size(), 1);
        QCOMPARE(env.messages.records.first().kind, Msg::Kind::Warning);
        QCOMPARE(Fixture::dump("cjn"), before);
    }

    void decliningTheConfirmationChangesNothing()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Fixture::student("cjn", "0901", 9, "旧学生", {{"语文1", 77}});
        const QString before = Fixture::dump("cjn");
        openFromRosterPreparation();
        fillRoster("0101", "1", "甲");
        env.messages.answers = {false};
        formin->Button1->click();
        QCOMPARE(env.messages.texts(), QStringList{Tformin::kConfirm});
        QCOMPARE(Fixture::dump("cjn"), before);
        QVERIFY(formin->isVisible());
    }

    void skippingTheRosterWithoutMarksDoesNothing()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Fixture::student("cjn", "0901", 9, "旧学生");
        const QString before = Fixture::dump("cjn");
        openFromRosterPreparation();
        formin->CheckBox2->setChecked(true);
        formin->Button1->click();
        QVERIFY(env.messages.records.isEmpty());
        QCOMPARE(Fixture::dump("cjn"), before);
        QVERIFY(formin->isVisible());
    }

    void fromTheMenuItFillsTheTableItHasOpen()
    {
        // Before any roster preparation the input window's table is cj: it is
        // filled, and cj becomes the working table.
        WindowTestEnv env;
        QVERIFY(env.startForms());
        QCOMPARE(formin->Table1.tableName(), QString("cj"));
        Fixture::student("cjn", "0901", 9, "旧学生");
        const QString cjn = Fixture::dump("cjn");
        formin->show();
        fillRoster("0101\n0201", "1\n2", "O'Brien\n\"小\"明");
        formin->Button1->click();
        QCOMPARE(Fixture::column("cj", "姓名"), (QVariantList{"O'Brien", "\"小\"明"}));
        QCOMPARE(Fixture::dump("cjn"), cjn);
        QCOMPARE(Entry::rosterMode(), 1);
        QCOMPARE(Form2->dbs->text(), QString("cj"));
        QCOMPARE(Form6->Query1->query().table, QString("cj"));
    }

    void clearingLeavesTheCompositeBox()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        fillRoster("1", "1", "甲");
        for (const auto& [tick, memo] : formin->subjectBoxes())
            memo->setPlainText("90");
        formin->Button3->click();
        for (QPlainTextEdit* m : {formin->Memo1, formin->Memo2, formin->Memo4, formin->Memo3, formin->Memo6,
                                  formin->Memo7, formin->Memo8, formin->Memo9, formin->Memo10})
            QVERIFY(m->toPlainText().isEmpty());
        QCOMPARE(formin->Memo11->toPlainText(), QString("90"));
        formin->show();
        formin->Button2->click();
        QVERIFY(!formin->isVisible());
    }

    void startUpTakesTheClassRangeFromCj()
    {
        WindowTestEnv env;
        env.openDb();
        Fixture::student("cj", "0301", 3, "甲");
        Fixture::student("cj", "1201", 12, "乙");
        Db::close();
        QVERIFY(env.startForms());
        QCOMPARE(Form2->banshu1->text(), QString("3"));
        QCOMPARE(Form2->banshu2->text(), QString("12"));
        QVERIFY(env.messages.records.isEmpty());
    }
};

GRADEBOOK_WINDOW_TEST_MAIN(TestEntryBulk)
#include "test_entry_bulk.moc"
