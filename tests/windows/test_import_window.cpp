// The import window: one test per way through it.

#include "engine/db/database.h"
#include "engine/db/gridmodel.h"
#include "engine/session/session.h"
#include "windows/app/forms.h"
#include "windows/app/tform2.h"
#include "windows/app/tform6.h"
#include "windows/entry/timport.h"
#include "windows/entry/tformin.h"
#include "windows/entry/tluru.h"
#include "windows/entry/tpf1.h"
#include "windowtest.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>

namespace {

QString sample(const QString& name)
{
    return QStringLiteral(GRADEBOOK_TEST_DATA "/") + name;
}

// 学号|语文|数学|英语|政治 of every row of cjn, in stored order.
QStringList marks()
{
    return Fixture::rows("cjn", {"学号", "语文1", "数学1", "英语1", "政治1"});
}

// The main window's 文件 → 导入成绩表….
void importFromTheMenu()
{
    for (QAction* menu : Forms::Form6->menuBar()->actions())
        if (menu->text() == QStringLiteral("文件"))
            for (QAction* item : menu->menu()->actions())
                if (item->text() == QStringLiteral("导入成绩表…")) {
                    item->trigger();
                    return;
                }
    QFAIL("no menu item");
}

void roster(const QList<std::pair<QString, QString>>& students)
{
    for (const auto& [number, name] : students)
        Fixture::student("cjn", number, number.startsWith("12") ? 12 : 3, name, {{"英语1", 50}, {"政治1", 40}});
}

} // namespace

class TestImportWindow : public QObject {
    Q_OBJECT
private slots:
    // From bulk input: the file chosen, the sheet after its 说明 sheet shown
    // with its title, header and mappings; the roster replaced after the
    // question, the closing message counting, the entry window showing it.
    void aNewRosterFromBulkInput()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Fixture::student("cjn", "9999", 9, "旧学生");
        Forms::pf1->Button1->click();
        Forms::formin->Button4->click();
        Timport* w = Forms::daoru;
        QVERIFY(w->isVisible());
        QVERIFY(w->newRoster->isChecked());
        QVERIFY(!w->importButton->isEnabled());

        env.messages.files = {sample("xlsxwriter_merged.xlsx")};
        w->chooseFile->click();
        QCOMPARE(env.messages.records.first().kind, Msg::Kind::OpenFile);
        QCOMPARE(w->sheets->currentText(), QString("成绩"));
        QCOMPARE(w->sheets->count(), 2);
        QVERIFY(w->headerRow->value() > 1); // below the merged title
        QCOMPARE(w->mapping(0)->currentText(), QString("学号"));
        QCOMPARE(w->mapping(2)->currentText(), QString("姓名"));
        QVERIFY(w->found->text().contains("共4名学生"));
        QVERIFY(w->found->text().contains("不导入"));
        QVERIFY(w->preview->rowCount() >= 1 + 6); // the mappings, title, header, four students

        env.messages.clear();
        w->importButton->click();
        QCOMPARE(env.messages.records.size(), 2);
        QVERIFY(env.messages.records.first().text.contains("现有的1名学生"));
        QVERIFY2(env.messages.last().contains("4名学生，8个成绩，4个缺考"), qPrintable(env.messages.last()));
        QCOMPARE(Fixture::cells("cjn", "学号"), QString("0101,0102,1201,1202"));
        QVERIFY(!w->isVisible());
        QVERIFY(Forms::luru->isVisible());
        QCOMPARE(Forms::luru->Query1->rowCount(), 4);
        QCOMPARE(Forms::session().lastClass(), 12);
    }

    // From the menu: marks for the roster, one column's mapping changed
    // (the sheet's 英语 read as 政治): the sheet is read again with it, and
    // the marks go to their students by 学号 after the question about a mark
    // above the full mark; the 英语 marks stay as they were.
    void marksWithAChangedMapping()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        roster({{"0101", "张三"}, {"0102", "李四"}, {"1201", "王五"}, {"1202", "Li Ming"}});
        importFromTheMenu();
        Timport* w = Forms::daoru;
        QVERIFY(w->isVisible());
        QVERIFY(w->marksForRoster->isChecked());
        env.messages.files = {sample("marks_by_name.xlsx")};
        w->chooseFile->click();
        QCOMPARE(w->mapping(5)->currentText(), QString("英语"));

        w->mapping(5)->setCurrentText("政治");
        QCOMPARE(w->mapping(5)->currentText(), QString("政治"));
        QVERIFY(w->importButton->isEnabled());
        env.messages.clear();
        w->importButton->click();
        QCOMPARE(env.messages.records.size(), 2); // above the full mark, then done
        QCOMPARE(env.messages.records.first().kind, Msg::Kind::Question);
        QVERIFY(env.messages.records.first().text.contains("118"));
        QVERIFY2(env.messages.last().contains("4名学生的成绩：10个成绩，2个缺考"), qPrintable(env.messages.last()));
        QCOMPARE(marks(), (QStringList{"0101|94|54|50|84", "0102|82|92|50|", "1201|63|73.5|50|83",
                                       "1202|71||50|118"}));
    }

    // A roster student without a row: the question lists him and, declined,
    // nothing is written and the window stays open.
    void aDeclinedGapQuestionWritesNothing()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        roster({{"0101", "张三"}, {"0102", "李四"}, {"0301", "赵六"}, {"1201", "王五"}, {"1202", "Li Ming"}});
        const QString before = Fixture::dump("cjn");
        Timport* w = Forms::daoru;
        w->openFor("cjn", false);
        // A faulty cell keeps the import closed until its column is left out.
        w->loadFile(sample("openpyxl_synonyms.xlsx"));
        QVERIFY(!w->importButton->isEnabled());
        QVERIFY(w->found->text().contains("第4行 G列"));
        for (int column : {1, 4, 6}) // 班别, 数, 道德与法治
            w->mapping(column)->setCurrentText("不导入");
        QVERIFY2(w->importButton->isEnabled(), qPrintable(w->found->text()));
        w->loadFile(sample("marks_by_name.xlsx"));
        env.messages.answers = {false};
        w->importButton->click();
        QCOMPARE(env.messages.records.size(), 1);
        QVERIFY2(env.messages.last().contains("赵六"), qPrintable(env.messages.last()));
        QCOMPARE(Fixture::dump("cjn"), before);
        QVERIFY(w->isVisible());

        // A 姓名 that is not its 学号's student's stops it without a question.
        Db::exec("UPDATE cjn SET 姓名 = '张珊' WHERE 学号 = '0101'");
        const QString renamed = Fixture::dump("cjn");
        env.messages.clear();
        w->importButton->click();
        QCOMPARE(env.messages.records.size(), 1);
        QCOMPARE(env.messages.records.first().kind, Msg::Kind::Warning);
        QVERIFY2(env.messages.last().contains("张珊") && env.messages.last().contains("没有导入任何成绩"),
                 qPrintable(env.messages.last()));
        QCOMPARE(Fixture::dump("cjn"), renamed);
    }

    // A long read reports its progress; cancelled, the window says so and
    // offers nothing to import.
    void aCancelledReadImportsNothing()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        QByteArray csv = "学号,班号,姓名,语文\n";
        for (int i = 0; i < 3000; ++i)
            csv += QByteArray::number(10000 + i) + ",1,学生" + QByteArray::number(i) + ",90\n";
        const QString file = env.root() + "/big.csv";
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(csv) == csv.size());
        f.close();
        Timport* w = Forms::daoru;
        w->openFor("cjn", true);
        env.messages.cancelWrites = true;
        w->loadFile(file);
        QCOMPARE(env.messages.progressReports, 1);
        QVERIFY(w->found->text().contains("读取已取消"));
        QVERIFY(!w->importButton->isEnabled());
        QCOMPARE(Fixture::cells("cjn", "学号"), QString());
    }
};

GRADEBOOK_WINDOW_TEST_MAIN(TestImportWindow)
#include "test_import_window.moc"
