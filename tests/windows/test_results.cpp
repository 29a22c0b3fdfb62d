// The results of one examination on screen: the temporary analysis and
// total-score windows, their frozen left columns and their saves.
#include "engine/db/database.h"
#include "engine/db/gridmodel.h"
#include "engine/processing/runs.h"
#include "windows/app/forms.h"
#include "windows/app/tform2.h"
#include "windows/entry/tkaoshimc.h"
#include "windows/entry/tluru.h"
#include "windows/processing/tform1.h"
#include "windows/reports/frozengrid.h"
#include "windows/reports/tform5.h"
#include "windows/reports/tformfx.h"
#include "engine/session/session.h"
#include "windowtest.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

namespace {

// Every table of the file, for "nothing changed at all".
QString everything()
{
    QString out;
    for (const auto& r : Db::selectRows("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"))
        out += r.first().toString() + ":\n" + Fixture::dump(r.first().toString());
    return out;
}

// An analysis table of `rows` rows whose first `inUse` rows hold 语文1 results.
void analysisTable(int inUse, int rows)
{
    Db::exec("DELETE FROM fx WHERE rowid > ?", {rows});
    Db::exec("UPDATE fx SET 科目 = '语文1', 班号 = rowid, 人数 = 3, 合格人数 = 2, 合格率 = 0.6667, 平均分 = 70.5, "
             "F70 = rowid WHERE rowid <= ?",
             {inUse});
}

void roster(int classes, int perClass)
{
    Db::inTransaction([&] {
        int n = 0;
        for (int c = 1; c <= classes; ++c)
            for (int i = 0; i < perClass; ++i, ++n)
                Fixture::student("cj", QStringLiteral("%1%2").arg(c, 2, 10, QChar('0')).arg(i, 2, 10, QChar('0')), c,
                                 QStringLiteral("学生%1").arg(n),
                                 {{"语文1", 40 + (n * 7) % 61}, {"数学1", 30 + (n * 13) % 91}, {"英语1", 55 + n % 45},
                                  {"总分1", 150 + (n * 17) % 250}});
    });
}

void exam(const QString& name, const QString& number, const QVariantMap& flags = {})
{
    QVariantMap v{{"mc", name}, {"bh", number}};
    v.insert(flags);
    Fixture::setCheck(v);
}

} // namespace

class TestResults : public QObject {
    Q_OBJECT
private slots:
    void theAnalysisWindowShowsTheTablesOwnColumns()
    {
        WindowTestEnv env;
        env.openDb();
        analysisTable(12, 30);
        exam("期中考试", "7");
        Db::close();
        QVERIFY(env.startForms());
        // The limits the run was given title the top-N columns.
        Forms::session().setTop({50, 100, 150, 200});
        Forms::Formfx->showResult("fx");
        QCOMPARE(Forms::Formfx->Edit4->text(), QString("期中考试"));
        QCOMPARE(Forms::Formfx->Edit1->text(), QString("7"));
        Db::GridModel* m = Forms::Formfx->Table1;
        // The free rows of the stock are not results.
        QCOMPARE(m->rowCount(), 12);
        QCOMPARE(m->columnCount(), 41); // the table's 39 and 应考, 缺考
        QStringList titles;
        for (int c = 0; c < m->columnCount(); ++c)
            titles << m->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(titles.mid(0, 6), (QStringList{"科目", "班号", "科任教师", "人数", "应考", "缺考"}));
        QCOMPARE(titles.mid(23, 2), (QStringList{"120分", "110到120"}));
        QCOMPARE(titles.at(36), QString("0分"));
        QCOMPARE(titles.mid(37), (QStringList{"级前50名", "级前100名", "级前150名", "级前200名"}));
        QCOMPARE(m->columnNames().at(37), QString("级前100名人数"));
        // 应考 and 缺考 come from the roster, and this analysis has none.
        for (const QVariantList& row : m->rows())
            QVERIFY(row.at(4).isNull() && row.at(5).isNull());
        // Rates as percentages, averages with their decimals.
        QCOMPARE(m->data(m->index(0, m->columnIndex("合格率"))).toString(), QString("66.67%"));
        QCOMPARE(m->data(m->index(0, m->columnIndex("平均分"))).toString(), QString("70.5"));
        QCOMPARE(m->data(m->index(11, m->columnIndex("F70"))).toString(), QString("12"));
        // Only the teacher's column takes edits.
        for (int c = 0; c < m->columnCount(); ++c)
            QCOMPARE(bool(m->flags(m->index(0, c)) & Qt::ItemIsEditable), m->columnNames().at(c) == "科任教师");
        // The frozen grid holds 科目, 班号, 科任教师; the wide grid the rest, at least 70 wide to 低分率.
        for (int c = 0; c < m->columnCount(); ++c) {
            QCOMPARE(Forms::Formfx->DBGrid2->isColumnHidden(c), c >= TFormfx::kFrozen);
            QCOMPARE(Forms::Formfx->DBGrid1->isColumnHidden(c), c < TFormfx::kFrozen);
            if (c < 17)
                QVERIFY((c < TFormfx::kFrozen ? Forms::Formfx->DBGrid2 : Forms::Formfx->DBGrid1)->columnWidth(c) >= 70);
        }

        // The limits of the next run title the columns when the window shows again.
        Forms::Formfx->close();
        Forms::session().setTop({10, 200, 300, 400});
        Forms::Formfx->show();
        QCOMPARE(m->headerData(37, Qt::Horizontal).toString(), QString("级前10名"));
    }

    void savingTheAnalysis_data()
    {
        QTest::addColumn<int>("inUse");
        QTest::newRow("12 of 30 rows in use") << 12;
        QTest::newRow("first row already free") << 0;
    }
    void savingTheAnalysis()
    {
        QFETCH(int, inUse);
        WindowTestEnv env;
        env.openDb();
        analysisTable(inUse, 30);
        exam("期中考试", "7");
        Db::exec("UPDATE count SET count = 50");
        Db::close();
        QVERIFY(env.startForms());
        Forms::Formfx->showResult("fx");
        Forms::Formfx->Button2->click();
        QCOMPARE(env.messages.texts(), QStringList{"成功保存到永久数据库,到主界面可查看结果！！！"});
        QCOMPARE(Db::rowCount("fxsave"), qint64(inUse));
        QCOMPARE(Fixture::value("count", "count").toInt(), 50 + inUse);
        if (inUse) {
            QCOMPARE(Fixture::value("fxsave", "序号", 0).toInt(), 50);
            QCOMPARE(Fixture::value("fxsave", "序号", inUse - 1).toInt(), 50 + inUse - 1);
            QCOMPARE(Fixture::value("fxsave", "考试编号", 0).toInt(), 7);
            QCOMPARE(Fixture::value("fxsave", "班号", inUse - 1).toInt(), inUse);
        }
        QCOMPARE(Fixture::column("ksmcfx", "name"), (QVariantList{"期中考试"}));
        QCOMPARE(Fixture::value("check", "c2").toInt(), 1);
        QVERIFY(!Forms::Formfx->isVisible());
        QVERIFY(Forms::luru->isVisible());
        QVERIFY(Forms::luru->Panel4->isVisible());
        QVERIFY(!Forms::luru->Panel5->isVisible());
    }

    // What is on screen is what is saved: a teacher's name still in its
    // editor is posted first.
    void aTeacherBeingTypedIsSaved()
    {
        WindowTestEnv env;
        env.openDb();
        analysisTable(3, 10);
        exam("月考", "2");
        Db::close();
        QVERIFY(env.startForms());
        Forms::Formfx->showResult("fx");
        ResultView* left = Forms::Formfx->DBGrid2;
        const QModelIndex cell = Forms::Formfx->Table1->index(1, 2);
        left->setCurrentIndex(cell);
        left->edit(cell);
        auto* editor = left->viewport()->findChild<QLineEdit*>();
        QVERIFY(editor);
        editor->setText(QStringLiteral("王老师"));
        QVERIFY(Fixture::value("fx", "科任教师", 1).toString().isEmpty());
        Forms::Formfx->Button2->click();
        QCOMPARE(Fixture::value("fx", "科任教师", 1).toString(), QStringLiteral("王老师"));
        QCOMPARE(Fixture::value("fxsave", "科任教师", 1).toString(), QStringLiteral("王老师"));
        QCOMPARE(Fixture::value("fxsave", "科任教师", 0).toString(), QString());
    }

    void aSecondSaveReplacesTheFirst_data()
    {
        QTest::addColumn<bool>("bands");
        QTest::addColumn<bool>("replace");
        QTest::newRow("analysis, 替换") << false << true;
        QTest::newRow("analysis, 取消") << false << false;
        QTest::newRow("bands, 替换") << true << true;
        QTest::newRow("bands, 取消") << true << false;
    }
    void aSecondSaveReplacesTheFirst()
    {
        QFETCH(bool, bands);
        QFETCH(bool, replace);
        WindowTestEnv env;
        env.openDb();
        analysisTable(4, 10);
        exam("期中考试", "7");
        Db::close();
        QVERIFY(env.startForms());
        Form* window = bands ? static_cast<Form*>(Forms::Form5) : static_cast<Form*>(Forms::Formfx);
        QPushButton* save = bands ? Forms::Form5->Button4 : Forms::Formfx->Button2;
        const QString saved = bands ? "tjsave1" : "fxsave";
        const QString names = bands ? "ksmcfd" : "ksmcfx";
        bands ? Forms::Form5->showResult("tj") : Forms::Formfx->showResult("fx");
        save->click(); // the first save asks nothing
        QCOMPARE(env.messages.records.size(), 1);
        const qint64 once = Db::rowCount(saved);
        QVERIFY(once > 0);

        // A result made again (here: the first row of the band table, or a
        // partial analysis of fewer rows) is saved under the same name and number.
        if (bands)
            Db::exec("UPDATE tj SET \"1班\" = 99 WHERE rowid = 1");
        else
            Db::exec("UPDATE fx SET 科目 = '0' WHERE rowid > 2");
        const qint64 now = bands ? once : 2;
        env.messages.clear();
        const QString before = everything();
        window->show();
        env.messages.answers = {replace};
        save->click();
        const Msg::Record& q = env.messages.records.first();
        QCOMPARE(q.kind, Msg::Kind::Question);
        QVERIFY(q.defaultYes); // 替换 is what Enter chooses
        QVERIFY2(q.text.contains("“期中考试”（编号7）") && q.text.contains("替换："), qPrintable(q.text));
        if (replace) {
            QCOMPARE(Db::rowCount(saved), now);
            QCOMPARE(Db::rowCount(names), 1);
            if (bands)
                QCOMPARE(Fixture::value(saved, "1班").toInt(), 99);
        } else {
            QCOMPARE(env.messages.records.size(), 1);
            QCOMPARE(everything(), before);
            QVERIFY(window->isVisible());
        }
    }

    void aRefusedOrFailedSaveChangesNoTable_data()
    {
        QTest::addColumn<bool>("bands");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<QString>("message");
        QTest::newRow("analysis, number in words") << false << QStringLiteral("十二") << QString()
                                                   << QStringLiteral("考试编号必须是整数");
        QTest::newRow("bands, number with a letter") << true << "7a" << QString() << QStringLiteral("考试编号必须是整数");
        QTest::newRow("analysis, the name list fails after the rows")
            << false << "7" << "CREATE TRIGGER stop BEFORE INSERT ON ksmcfx BEGIN SELECT RAISE(ABORT, '磁盘已满'); END"
            << QStringLiteral("磁盘已满");
        QTest::newRow("bands, a row fails halfway")
            << true << "7"
            << "CREATE TRIGGER stop BEFORE INSERT ON tjsave1 WHEN NEW.ID1 = 5 BEGIN SELECT RAISE(ABORT, '磁盘已满'); END"
            << QStringLiteral("磁盘已满");
    }
    void aRefusedOrFailedSaveChangesNoTable()
    {
        QFETCH(bool, bands);
        QFETCH(QString, number);
        QFETCH(QString, trigger);
        QFETCH(QString, message);
        WindowTestEnv env;
        env.openDb();
        analysisTable(6, 20);
        exam("期中考试", number);
        if (!trigger.isEmpty())
            Db::exec(trigger);
        Db::close();
        QVERIFY(env.startForms());
        bands ? Forms::Form5->showResult("tj") : Forms::Formfx->showResult("fx");
        const QString before = everything();
        (bands ? Forms::Form5->Button4 : Forms::Formfx->Button2)->click();
        QCOMPARE(env.messages.records.size(), 1);
        QCOMPARE(env.messages.records.first().kind, trigger.isEmpty() ? Msg::Kind::Warning : Msg::Kind::Error);
        QVERIFY2(env.messages.last().contains(message), qPrintable(env.messages.last()));
        QCOMPARE(everything(), before);
        QVERIFY((bands ? static_cast<QWidget*>(Forms::Form5) : Forms::Formfx)->isVisible());
        QVERIFY(!Forms::luru->Panel4->isVisible() && !Forms::luru->Panel5->isVisible());
    }

    void theBandWindow()
    {
        WindowTestEnv env;
        env.openDb();
        roster(3, 5);
        Db::exec("DELETE FROM tj WHERE rowid > 17");
        Proc::BandSettings b;
        b.count = 16;
        b.lastClass = 3;
        Proc::bands(b);
        exam("期末考试", "9");
        Db::close();
        QVERIFY(env.startForms());
        Forms::Form5->showResult("tj");
        QCOMPARE(Forms::Form5->Edit2->text(), QString("期末考试"));
        QCOMPARE(Forms::Form5->Edit3->text(), QString("9"));
        QCOMPARE(Forms::Form5->grid->model(), Forms::Form5->Table1);
        QCOMPARE(Forms::Form5->Table1->rowCount(), 17);
        QCOMPARE(Forms::Form5->Table1->columnCount(), 40);
        QVERIFY(!Forms::Form5->DBGrid2->isColumnHidden(1) && Forms::Form5->DBGrid2->isColumnHidden(2));
        QVERIFY(Forms::Form5->DBGrid1->isColumnHidden(1) && !Forms::Form5->DBGrid1->isColumnHidden(2));
        QVERIFY(Forms::Form5->DBGrid1->columnWidth(2) >= 64 && Forms::Form5->DBGrid1->columnWidth(39) >= 64);
        QVERIFY(!(Forms::Form5->Table1->flags(Forms::Form5->Table1->index(0, 3)) & Qt::ItemIsEditable));

        Forms::Form5->Button3->click();
        QCOMPARE(Forms::Form5->Query1->queryText(), QStringLiteral("select * from tj where 下限='平均分'"));
        QCOMPARE(Forms::Form5->grid->model(), Forms::Form5->Query1);
        QCOMPARE(Forms::Form5->Query1->rowCount(), 1);
        QCOMPARE(Forms::Form5->Query1->value(0, "上限").toString(), QString("总分的"));
        QVERIFY(Forms::Form5->DBGrid2->columnWidth(0) >= 50 && Forms::Form5->DBGrid2->columnWidth(1) >= 50);
        Forms::Form5->Button1->click();
        QCOMPARE(Forms::Form5->grid->model(), Forms::Form5->Table1);
        QCOMPARE(Forms::Form5->Table1->rowCount(), 17);

        // Saved while only the average row is on screen: the whole table goes.
        Forms::Form5->Button3->click();
        Forms::Form5->Button4->click();
        QCOMPARE(env.messages.texts(), QStringList{"成功保存到永久数据库, 到主界面可查看结果！！！"});
        QCOMPARE(Fixture::column("tjsave1", "ID1").size(), 17);
        QCOMPARE(Fixture::value("tjsave1", "ID1", 0).toInt(), 1);
        QCOMPARE(Fixture::value("tjsave1", "ID1", 16).toInt(), 17);
        QCOMPARE(Fixture::value("tjsave1", "下限", 16).toString(), QString("平均分"));
        QCOMPARE(Fixture::value("tjsave1", "考试编号", 0).toInt(), 9);
        QCOMPARE(Fixture::value("count", "counttj").toInt(), 18);
        QCOMPARE(Fixture::column("ksmcfd", "name"), (QVariantList{"期末考试"}));
        QCOMPARE(Fixture::value("check", "c3").toInt(), 1);
        QVERIFY(!Forms::Form5->isVisible());
        QVERIFY(Forms::luru->isVisible() && Forms::luru->Panel5->isVisible());
    }

    void theRunsShowTheirWindows()
    {
        WindowTestEnv env;
        env.openDb();
        roster(3, 4);
        Db::exec("UPDATE linshi SET shibie = 1");
        Db::close();
        QVERIFY(env.startForms());
        Forms::Form1->banshu0->setText("1");
        Forms::Form1->banshu2->setText("3");
        Forms::Form1->showMode(TForm1::Mode::Analysis);
        Forms::Form1->fenxi->click();
        QVERIFY(Forms::Formfx->isVisible());
        QCOMPARE(Forms::Formfx->Table1->rowCount(), 4); // 语文1 for classes 1-3 and the grade
        QCOMPARE(Forms::Formfx->Table1->value(3, "班号").toInt(), 100);
        QCOMPARE(Forms::Formfx->tableName(), QString("fx"));

        Forms::Form1->showMode(TForm1::Mode::Bands);
        Forms::Form1->fenduan->click();
        QVERIFY(Forms::Form5->isVisible());
        QVERIFY(!Forms::Form1->isVisible());
        QCOMPARE(Forms::Form5->Table1->value(30, "下限").toString(), QString("平均分"));
    }

    void theExamNameWindowHandsNameAndNumberOn()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Forms::kaoshimc->show();
        Forms::kaoshimc->ksmc->setText(QStringLiteral("2025学年第一学期期中"));
        Forms::kaoshimc->Edit2->setText("5");
        Forms::kaoshimc->SpeedButton1->click();
        QCOMPARE(Forms::Formfx->Edit4->text(), QStringLiteral("2025学年第一学期期中"));
        QCOMPARE(Forms::Formfx->Edit1->text(), QString("5"));
        QCOMPARE(Forms::Form5->Edit2->text(), QStringLiteral("2025学年第一学期期中"));
        QCOMPARE(Forms::Form5->Edit3->text(), QString("5"));
        // Showing reads the current examination again over anything typed.
        Forms::Formfx->Edit4->setText("x");
        Forms::Formfx->show();
        QCOMPARE(Forms::Formfx->Edit4->text(), QStringLiteral("2025学年第一学期期中"));
    }

    // A whole grade: the narrow grid's rows stay beside the wide grid's rows
    // wherever it is scrolled, and both share the current row.
    void theFrozenColumnsStayInStep()
    {
        WindowTestEnv env;
        env.openDb();
        analysisTable(133, 140);
        Db::close();
        QVERIFY(env.startForms());
        Forms::Formfx->showResult("fx");
        QCoreApplication::processEvents();
        ResultView* l = Forms::Formfx->DBGrid2;
        ResultView* w = Forms::Formfx->DBGrid1;
        QCOMPARE(l->horizontalHeader()->height(), w->horizontalHeader()->height());
        QCOMPARE(l->viewport()->mapToGlobal(QPoint()).y(), w->viewport()->mapToGlobal(QPoint()).y());
        QCOMPARE(l->viewport()->height(), w->viewport()->height());
        QCOMPARE(l->verticalScrollBar()->maximum(), w->verticalScrollBar()->maximum());
        QVERIFY(w->verticalScrollBar()->maximum() > 0);
        for (int value : {w->verticalScrollBar()->maximum() / 3, w->verticalScrollBar()->maximum()}) {
            w->verticalScrollBar()->setValue(value);
            QCOMPARE(l->verticalScrollBar()->value(), value);
            for (int r : {0, 60, 100, 132}) {
                QCOMPARE(l->rowViewportPosition(r), w->rowViewportPosition(r));
                QCOMPARE(l->rowHeight(r), w->rowHeight(r));
            }
        }
        l->verticalScrollBar()->setValue(0);
        QCOMPARE(w->verticalScrollBar()->value(), 0);
        // Scrolling sideways leaves the frozen grid where it is.
        w->horizontalScrollBar()->setValue(w->horizontalScrollBar()->maximum());
        QCOMPARE(l->horizontalScrollBar()->value(), 0);
        l->setCurrentIndex(Forms::Formfx->Table1->index(40, 0));
        QCOMPARE(w->currentIndex().row(), 40);
        QCOMPARE(Forms::Formfx->grid->currentRow(), 40);
        // The narrow grid is exactly as wide as its columns.
        int columns = 0;
        for (int c = 0; c < TFormfx::kFrozen; ++c)
            columns += l->columnWidth(c);
        QCOMPARE(l->width(), columns + l->verticalHeader()->width() + 2 * l->frameWidth());
        QCOMPARE(Forms::Formfx->Panel1->height(), w->horizontalScrollBar()->height());
    }
};

GRADEBOOK_WINDOW_TEST_MAIN(TestResults)
#include "test_results.moc"
