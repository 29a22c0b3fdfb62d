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
#include "engine/session/session.h"
#include "windowtest.h"

#include <QCheckBox>
#include <QClipboard>
#include <QScrollBar>
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
    Forms::formin->Memo4->setPlainText(numbers);
    Forms::formin->Memo2->setPlainText(classes);
    Forms::formin->Memo1->setPlainText(names);
}

// The bulk input as roster preparation opens it.
void openFromRosterPreparation()
{
    Forms::pf1->Button1->click();
    QVERIFY(Forms::formin->isVisible());
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
        Forms::formin->Button1->click();

        QCOMPARE(env.messages.records.size(), 2);
        QCOMPARE(env.messages.records.first().text, Tformin::kConfirm);
        QCOMPARE(env.messages.records.first().kind, Msg::Kind::Question);
        QVERIFY(QRegularExpression("^我们用了\\d:\\d\\d:\\d\\d的时间,输入成功！$").match(env.messages.last()).hasMatch());
        QCOMPARE(Fixture::column("cjn", "序号"), (QVariantList{0, 1}));
        QCOMPARE(Fixture::column("cjn", "学号"), (QVariantList{"0101", "0102"}));
        QCOMPARE(Fixture::column("cjn", "班号"), (QVariantList{1, 1}));
        QCOMPARE(Fixture::cells("cjn", "总分级排1"), QString(","));
        QCOMPARE(Forms::session().firstClass(), 1);
        QCOMPARE(Forms::session().lastClass(), 1);
        // The filled table is the working table from now on, and the panels showing it follow.
        QCOMPARE(Forms::session().workingTable(), QString("cjn"));
        QCOMPARE(Forms::Form1->dbs->text(), QString("cjn"));
        QCOMPARE(Forms::Form6->Table1.tableName(), QString("cjn"));
        QCOMPARE(Entry::rosterMode(), 0);
        QVERIFY(!Forms::formin->isVisible());
        QVERIFY(Forms::luru->isVisible());
        QCOMPARE(Forms::luru->Query1->rowCount(), 2);
    }

    void theClassRangeFollowsTheRoster()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        openFromRosterPreparation();
        fillRoster("0301\n0501\n0701", "3\n5\n7", "甲\n乙\n丙");
        Forms::formin->Button1->click();
        QCOMPARE(Forms::session().firstClass(), 3);
        QCOMPARE(Forms::session().lastClass(), 7);
        // The parameter panel, hidden, follows the session.
        QVERIFY(!Forms::Form2->isVisible());
        QCOMPARE(Forms::Form2->banshu2->text(), QString("7"));
        QCOMPARE(Forms::Form2->dbs->text(), Forms::session().workingTable());
    }

    void titleLinesAreSkippedInTheirOwnBox_data()
    {
        // Columns copied from a spreadsheet with their title line, in some
        // boxes or in all of them.
        QTest::addColumn<QString>("numbers");
        QTest::addColumn<QString>("classes");
        QTest::addColumn<QString>("names");
        QTest::addColumn<QString>("maths");
        QTest::newRow("every box") << "学号\n0101\n0102" << "班号\n1\n2" << "姓名\n甲\n乙" << "数学\n90\n80";
    }
    void titleLinesAreSkippedInTheirOwnBox()
    {
        QFETCH(QString, numbers);
        QFETCH(QString, classes);
        QFETCH(QString, names);
        QFETCH(QString, maths);
        WindowTestEnv env;
        QVERIFY(env.startForms());
        openFromRosterPreparation();
        fillRoster(numbers, classes, names);
        Forms::formin->CheckBox1->setChecked(true);
        Forms::formin->CheckBox4->setChecked(true);
        Forms::formin->Memo6->setPlainText(maths);
        Forms::formin->Button1->click();
        QVERIFY2(env.messages.last().contains("输入成功"), qPrintable(env.messages.last()));
        QCOMPARE(Fixture::column("cjn", "学号"), (QVariantList{"0101", "0102"}));
        QCOMPARE(Fixture::column("cjn", "班号"), (QVariantList{1, 2}));
        QCOMPARE(Fixture::column("cjn", "姓名"), (QVariantList{"甲", "乙"}));
        QCOMPARE(Fixture::column("cjn", "数学1"), (QVariantList{90, 80}));
    }

    void aRosterOfNoStudentIsRefused_data()
    {
        QTest::addColumn<QString>("numbers");
        QTest::addColumn<QString>("classes");
        QTest::addColumn<QString>("names");
        QTest::newRow("titles only") << "学号" << "班号\n\n" << "姓名";
    }
    void aRosterOfNoStudentIsRefused()
    {
        QFETCH(QString, numbers);
        QFETCH(QString, classes);
        QFETCH(QString, names);
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Fixture::student("cjn", "0901", 9, "旧学生");
        const QString before = Fixture::dump("cjn");
        openFromRosterPreparation();
        fillRoster(numbers, classes, names);
        Forms::formin->Button1->click();
        QCOMPARE(env.messages.records.size(), 1);
        QCOMPARE(env.messages.records.first().kind, Msg::Kind::Warning);
        QVERIFY(env.messages.last().startsWith("没有学生"));
        QVERIFY(!env.messages.last().contains("成功"));
        QCOMPARE(Fixture::dump("cjn"), before);
        QVERIFY(Forms::formin->isVisible());
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
        Forms::formin->CheckBox1->setChecked(true);
        Forms::formin->CheckBox4->setChecked(true); // 数学
        Forms::formin->Memo3->setPlainText(lines(n, [](int) { return QString("11"); }));
        Forms::formin->Memo6->setPlainText(lines(n, [](int i) { return QString::number(60 + i * 0.5); }));
        Forms::formin->Button1->click();
        QVERIFY(env.messages.last().contains("输入成功"));
        const QVariantList maths = Fixture::column("cjn", "数学1");
        QCOMPARE(maths.size(), n);
        for (int i = 0; i < n; ++i)
            QCOMPARE(maths.at(i).toDouble(), 60 + i * 0.5);
        QCOMPARE(Fixture::cells("cjn", "语文1"), QString(n - 1, ','));
        QCOMPARE(Forms::session().lastClass(), 2);
    }

    void writesMarksOverTheRosterItKeeps()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        for (const char* n : {"甲", "乙", "丙"})
            Fixture::student("cjn", "0101", 1, n, {{"综合1", 50}});
        openFromRosterPreparation();
        Forms::formin->CheckBox2->setChecked(true);
        Forms::formin->CheckBox1->setChecked(true);
        Forms::formin->CheckBox9->setChecked(true); // 综合
        // Pasted from a spreadsheet: tabs, blanks, carriage returns, a full-width digit.
        Forms::formin->Memo11->setPlainText("81\t\r\n 82.5 \r\n８３\r\n");
        Forms::formin->Button1->click();
        // No roster input, so no question about deleting it; marks without
        // a 学号 or 姓名 column show which student each goes to first.
        QCOMPARE(env.messages.records.size(), 2);
        QVERIFY2(env.messages.texts().first().contains("第1行 0101 甲 ← 综合 81"), qPrintable(env.messages.texts().first()));
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
        QTest::newRow("mark not a number") << three << "1\n1\n1" << "90\n九十\n80" << QStringList{"数学", "第2行"};
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
        Forms::formin->show();
        Forms::formin->Table1.setTableName("cjn");
        fillRoster(numbers, classes, "甲\n乙\n丙");
        if (!maths.isEmpty()) {
            Forms::formin->CheckBox1->setChecked(true);
            Forms::formin->CheckBox3->setChecked(true);
            Forms::formin->CheckBox4->setChecked(true);
            Forms::formin->Memo3->setPlainText("1\n2\n3");
            Forms::formin->Memo6->setPlainText(maths);
        }
        Forms::formin->Button1->click();
        const QString message = env.messages.last();
        for (const QString& part : inMessage)
            QVERIFY2(message.contains(part), qPrintable(message));
        QCOMPARE(env.messages.records.last().kind, Msg::Kind::Warning);
        QCOMPARE(Fixture::dump("cjn"), before);
        QCOMPARE(Fixture::dump("linshi"), linshi);
        QVERIFY(Forms::formin->isVisible());
        QVERIFY(!Forms::luru->isVisible());
    }

    void moreMarksThanStudentsAreRefused()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Fixture::student("cjn", "0101", 1, "甲");
        const QString before = Fixture::dump("cjn");
        Forms::formin->Table1.setTableName("cjn");
        Forms::formin->CheckBox2->setChecked(true);
        Forms::formin->CheckBox1->setChecked(true);
        Forms::formin->CheckBox3->setChecked(true);
        Forms::formin->Memo3->setPlainText("90\n80");
        Forms::formin->Button1->click();
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
        Forms::formin->Button1->click();
        QCOMPARE(env.messages.texts(), QStringList{Tformin::kConfirm});
        QCOMPARE(Fixture::dump("cjn"), before);
        QVERIFY(Forms::formin->isVisible());
    }

    void skippingTheRosterWithoutMarksDoesNothing()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Fixture::student("cjn", "0901", 9, "旧学生");
        const QString before = Fixture::dump("cjn");
        openFromRosterPreparation();
        Forms::formin->CheckBox2->setChecked(true);
        Forms::formin->Button1->click();
        QCOMPARE(env.messages.texts(), QStringList{Tformin::kNothing});
        QCOMPARE(Fixture::dump("cjn"), before);
        QVERIFY(Forms::formin->isVisible());
        // Marks asked for, but no subject ticked: nothing written, and no 成功.
        env.messages.clear();
        Forms::formin->CheckBox1->setChecked(true);
        Forms::formin->Memo3->setPlainText("90");
        Forms::formin->Button1->click();
        QCOMPARE(env.messages.records.size(), 1);
        QVERIFY(env.messages.last().contains("没有勾选"));
        QCOMPARE(Fixture::dump("cjn"), before);
    }

    void onlyTheTickedBoxesCountTheirLines()
    {
        // An unticked box with one line more does not decide how many marks
        // are taken; a ticked one with one line more is refused whole.
        WindowTestEnv env;
        QVERIFY(env.startForms());
        for (const char* n : {"甲", "乙", "丙"})
            Fixture::student("cjn", "0101", 1, n);
        Forms::formin->Table1.setTableName("cjn");
        Forms::formin->CheckBox2->setChecked(true);
        Forms::formin->CheckBox1->setChecked(true);
        Forms::formin->CheckBox4->setChecked(true); // 数学
        Forms::formin->Memo3->setPlainText("1\n2\n3\n4");
        Forms::formin->Memo6->setPlainText("90\n80\n70");
        Forms::formin->Button1->click();
        QVERIFY(env.messages.last().contains("输入成功"));
        QCOMPARE(Fixture::column("cjn", "数学1"), (QVariantList{90, 80, 70}));
        QCOMPARE(Fixture::column("cjn", "语文1"), (QVariantList{0, 0, 0}));

        const QString before = Fixture::dump("cjn");
        env.messages.clear();
        Forms::formin->CheckBox5->setChecked(true); // 英语, one line more
        Forms::formin->Memo6->setPlainText("10\n20\n30");
        Forms::formin->Memo7->setPlainText("99\n98\n97\n96");
        Forms::formin->Button1->click();
        QCOMPARE(env.messages.records.size(), 1);
        QVERIFY(env.messages.last().contains("“英语”栏有4行成绩"));
        QCOMPARE(Fixture::dump("cjn"), before); // 数学 not written either
    }

    void marksAboveTheFullMarkAreAskedAbout_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("declined") << false;
        QTest::newRow("accepted") << true;
    }
    void marksAboveTheFullMarkAreAskedAbout()
    {
        QFETCH(bool, accept);
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Forms::Form1->kemu2->setText("120");  // 数学 out of 120
        Forms::Form1->kemu10->setText("50");  // 综合 out of 50
        // Typed and left: kept at once, before any run.
        emit Forms::Form1->kemu2->editingFinished();
        emit Forms::Form1->kemu10->editingFinished();
        Fixture::student("cjn", "0901", 9, "旧学生");
        const QString before = Fixture::dump("cjn");
        openFromRosterPreparation();
        fillRoster("0101\n0102\n0103", "1\n1\n1", "张三\n李四\n王五");
        Forms::formin->CheckBox1->setChecked(true);
        Forms::formin->CheckBox4->setChecked(true);
        Forms::formin->CheckBox9->setChecked(true);
        Forms::formin->Memo6->setPlainText("120\n125\n119.5");
        Forms::formin->Memo11->setPlainText("50\n40\n50.5");
        env.messages.answers = {accept};
        Forms::formin->Button1->click();
        const Msg::Record& q = env.messages.records.first();
        QCOMPARE(q.kind, Msg::Kind::Question);
        QVERIFY(!q.defaultYes);
        QVERIFY2(q.text.contains("有2个成绩高于满分值"), qPrintable(q.text));
        QVERIFY(q.text.contains("数学 第2行 李四：125（满分120）"));
        QVERIFY(q.text.contains("综合 第3行 王五：50.5（满分50）"));
        if (!accept) {
            QCOMPARE(env.messages.records.size(), 1);
            QCOMPARE(Fixture::dump("cjn"), before);
            QVERIFY(Forms::formin->isVisible());
            return;
        }
        QCOMPARE(env.messages.texts().at(1), Tformin::kConfirm);
        QCOMPARE(Fixture::column("cjn", "数学1"), (QVariantList{120, 125, 119.5}));
        QCOMPARE(Fixture::column("cjn", "综合1"), (QVariantList{50, 40, 50.5}));
    }

    void aPastedBlockOfColumnsIsSpreadOverTheBoxes()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Forms::formin->show();
        Forms::formin->Memo6->setPlainText("旧的");
        // 班号, 姓名, 语文 and 数学 with their title line, as copied.
        const QString block = "班号\t姓名\t语文\t数学\r\n1\t张三\t90\t80\r\n2\t李四\t85\t70\r\n";
        QApplication::clipboard()->setText(block);
        env.messages.answers = {true};
        Forms::formin->Memo2->paste();
        QCOMPARE(env.messages.records.size(), 1);
        const QString q = env.messages.last();
        QVERIFY2(q.contains("第1列“班号” → “班号”栏") && q.contains("第4列“数学” → “数学”栏"), qPrintable(q));
        // The header placed each column; the boxes hold the students only.
        QCOMPARE(Forms::formin->Memo2->toPlainText(), QString("1\n2"));
        QCOMPARE(Forms::formin->Memo1->toPlainText(), QString("张三\n李四"));
        QCOMPARE(Forms::formin->Memo3->toPlainText(), QString("90\n85"));
        QCOMPARE(Forms::formin->Memo6->toPlainText(), QString("80\n70"));
        QVERIFY(Forms::formin->Memo4->toPlainText().isEmpty());
        QVERIFY(Forms::formin->Memo7->toPlainText().isEmpty());
        QVERIFY(Forms::formin->CheckBox1->isChecked() && Forms::formin->CheckBox3->isChecked() && Forms::formin->CheckBox4->isChecked());
        QVERIFY(!Forms::formin->CheckBox5->isChecked());

        // More columns than boxes to the right: the rest is left out, and said so.
        QApplication::clipboard()->setText("60\t30\t备注\n61\t31\t");
        env.messages.answers = {true};
        Forms::formin->Memo10->paste();
        QVERIFY(env.messages.last().contains("第2列 → “综合”栏"));
        QVERIFY(env.messages.last().contains("不放入（没有对应的栏）：第3列"));
        QCOMPARE(Forms::formin->Memo10->toPlainText(), QString("60\n61"));
        QCOMPARE(Forms::formin->Memo11->toPlainText(), QString("30\n31"));

        // Declined: pasted into the one box as it is.
        env.messages.answers = {false};
        Forms::formin->Memo4->clear();
        Forms::formin->Memo4->paste();
        QCOMPARE(Forms::formin->Memo4->toPlainText(), QString("60\t30\t备注\n61\t31\t"));
        QCOMPARE(Forms::formin->Memo2->toPlainText(), QString("1\n2"));
    }

    void theBoxesScrollTogether()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Forms::formin->show();
        const QString many = lines(200, [](int i) { return QString::number(i); });
        for (const auto& [title, box] : Forms::formin->allBoxes())
            box->setPlainText(many);
        QCoreApplication::processEvents();
        Forms::formin->Memo1->verticalScrollBar()->setValue(120);
        for (const auto& [title, box] : Forms::formin->allBoxes())
            QCOMPARE(box->verticalScrollBar()->value(), 120);
        // A nine-digit student number and a four-character name fit their boxes.
        const QFontMetrics fm(Forms::formin->Memo4->font());
        QVERIFY(Forms::formin->Memo4->viewport()->width() >= fm.horizontalAdvance("202401018"));
        QVERIFY(Forms::formin->Memo1->viewport()->width() >= fm.horizontalAdvance("欧阳小明"));
        QVERIFY(Forms::formin->Memo3->viewport()->width() >= fm.horizontalAdvance("100.5"));
    }

    void fromTheMenuItFillsTheTableItHasOpen()
    {
        // Before any roster preparation the input window's table is cj: it is
        // filled, and cj becomes the working table.
        WindowTestEnv env;
        QVERIFY(env.startForms());
        QCOMPARE(Forms::formin->Table1.tableName(), QString("cj"));
        Fixture::student("cjn", "0901", 9, "旧学生");
        const QString cjn = Fixture::dump("cjn");
        Forms::formin->show();
        fillRoster("0101\n0201", "1\n2", "O'Brien\n\"小\"明");
        Forms::formin->Button1->click();
        QCOMPARE(Fixture::column("cj", "姓名"), (QVariantList{"O'Brien", "\"小\"明"}));
        QCOMPARE(Fixture::dump("cjn"), cjn);
        QCOMPARE(Entry::rosterMode(), 1);
        QCOMPARE(Forms::session().workingTable(), QString("cj"));
        QCOMPARE(Forms::luru->Query1->query().table, QString("cj"));
    }

    // The teacher's sheet sorted by name, pasted with its header and a merged
    // title above it: marks go by 学号; a line the roster lacks and a student
    // the sheet lacks are listed first, and 否 writes nothing.
    void marksPastedWithTheirNumbersGoToTheirStudents_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("declined") << false;
        QTest::newRow("accepted") << true;
    }
    void marksPastedWithTheirNumbersGoToTheirStudents()
    {
        QFETCH(bool, accept);
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Fixture::student("cjn", "0101", 1, "郭文静", {{"语文1", 1}});
        Fixture::student("cjn", "0102", 1, "丁子墨", {{"语文1", 2}});
        Fixture::student("cjn", "0201", 2, "王浩然", {{"语文1", 3}});
        openFromRosterPreparation();
        Forms::formin->CheckBox2->setChecked(true);
        QApplication::clipboard()->setText("初一年级2026秋期中成绩\t\t\n"
                                           "学号\t姓名\t语文\t总分\n"
                                           "0102\t丁子墨\t88\t300\n"
                                           "0101\t郭文静\t103\t310\n"
                                           "0999\t张新\t70\t200\n");
        env.messages.answers = {true};
        Forms::formin->Memo4->paste();
        QVERIFY(env.messages.last().contains("表头上面的1行标题不放入"));
        QVERIFY(env.messages.last().contains("不放入（没有对应的栏）：第4列“总分”"));
        QCOMPARE(Forms::formin->Memo4->toPlainText(), QString("0102\n0101\n0999"));
        QCOMPARE(Forms::formin->Memo2->toPlainText(), QString());
        env.messages.clear();
        const QString before = Fixture::dump("cjn");
        env.messages.answers = {accept};
        Forms::formin->Button1->click();
        const Msg::Record& q = env.messages.records.first();
        QCOMPARE(q.kind, Msg::Kind::Question);
        QVERIFY(!q.defaultYes);
        QVERIFY2(q.text.contains("第3行 学号0999 张新") && q.text.contains("学号0201 2班 王浩然")
                     && q.text.contains("对上2名学生"),
                 qPrintable(q.text));
        if (!accept) {
            QCOMPARE(env.messages.records.size(), 1);
            QCOMPARE(Fixture::dump("cjn"), before);
            return;
        }
        QVERIFY(env.messages.last().contains("2名学生的成绩已输入"));
        QCOMPARE(Fixture::column("cjn", "语文1"), (QVariantList{103, 88, 3}));
    }

    // Names pasted beside the marks: a unique name finds its student, two
    // students of one name are only told apart by line when the lines are
    // the roster's own, and a name beside a 学号 must be that student's.
    void namesPastedBesideTheMarksFindTheirStudents()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Fixture::student("cjn", "0101", 1, "王浩然");
        Fixture::student("cjn", "0102", 1, "丁子墨");
        Fixture::student("cjn", "0103", 1, "王浩然");
        openFromRosterPreparation();
        Forms::formin->CheckBox2->setChecked(true);
        Forms::formin->CheckBox1->setChecked(true);
        Forms::formin->CheckBox3->setChecked(true);
        Forms::formin->Memo1->setPlainText("丁子墨\n王浩然\n王浩然");
        Forms::formin->Memo3->setPlainText("60\n70\n80");
        Forms::formin->Button1->click();
        QVERIFY2(env.messages.records.first().text.contains("几名学生同名"), qPrintable(env.messages.records.first().text));
        QCOMPARE(Fixture::column("cjn", "语文1"), (QVariantList{0, 60, 0}));

        env.messages.clear();
        Forms::formin->Memo1->setPlainText("王浩然\n丁子墨\n王浩然");
        Forms::formin->Button1->click();
        QVERIFY(env.messages.last().contains("输入成功"));
        QCOMPARE(Fixture::column("cjn", "语文1"), (QVariantList{60, 70, 80}));

        env.messages.clear();
        const QString before = Fixture::dump("cjn");
        Forms::formin->Memo4->setPlainText("0102\n0101\n0103");
        Forms::formin->Memo3->setPlainText("1\n2\n3");
        Forms::formin->Button1->click();
        QCOMPARE(env.messages.records.size(), 1);
        QCOMPARE(env.messages.records.first().kind, Msg::Kind::Warning);
        QVERIFY2(env.messages.last().contains("第1行 学号0102 王浩然：名单上是学号0102 1班 丁子墨"), qPrintable(env.messages.last()));
        QCOMPARE(Fixture::dump("cjn"), before);
    }

    // A full mark set in the processing panel is the one the next start checks against.
    void aFullMarkComesBackAtTheNextStart()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Forms::Form1->kemu1->setText("120");
        emit Forms::Form1->kemu1->editingFinished();
        Forms::destroyAll();
        QVERIFY(env.startForms());
        QCOMPARE(Forms::Form1->kemu1->text(), QString("120"));
        Fixture::student("cjn", "0101", 1, "甲");
        openFromRosterPreparation();
        Forms::formin->CheckBox2->setChecked(true);
        Forms::formin->CheckBox1->setChecked(true);
        Forms::formin->CheckBox3->setChecked(true);
        Forms::formin->Memo3->setPlainText("110");
        Forms::formin->Button1->click();
        // 110 of 120 asks nothing beyond the pairing; 121 asks, naming where the full mark is set.
        QCOMPARE(env.messages.records.size(), 2);
        env.messages.clear();
        Forms::formin->Memo3->setPlainText("121");
        env.messages.answers = {true, false};
        Forms::formin->Button1->click();
        QVERIFY(env.messages.last().contains("满分120"));
        QVERIFY(env.messages.last().contains("处理面板"));
    }

    void clearingLeavesTheCompositeBox()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        fillRoster("1", "1", "甲");
        for (const auto& [tick, memo] : Forms::formin->subjectBoxes())
            memo->setPlainText("90");
        Forms::formin->Button3->click();
        for (QPlainTextEdit* m : {Forms::formin->Memo1, Forms::formin->Memo2, Forms::formin->Memo4, Forms::formin->Memo3, Forms::formin->Memo6,
                                  Forms::formin->Memo7, Forms::formin->Memo8, Forms::formin->Memo9, Forms::formin->Memo10})
            QVERIFY(m->toPlainText().isEmpty());
        QCOMPARE(Forms::formin->Memo11->toPlainText(), QString("90"));
        Forms::formin->show();
        Forms::formin->Button2->click();
        QVERIFY(!Forms::formin->isVisible());
    }

    void startUpTakesTheClassRangeFromTheWorkingTable()
    {
        WindowTestEnv env;
        env.openDb();
        Fixture::student("cj", "0301", 3, "甲");
        Fixture::student("cj", "1201", 12, "乙");
        Db::exec("UPDATE linshi SET shibie = 1");
        Db::close();
        QVERIFY(env.startForms());
        QCOMPARE(Forms::session().firstClass(), 3);
        QCOMPARE(Forms::session().lastClass(), 12);
        QVERIFY(env.messages.records.isEmpty());
    }
};

GRADEBOOK_WINDOW_TEST_MAIN(TestEntryBulk)
#include "test_entry_bulk.moc"
