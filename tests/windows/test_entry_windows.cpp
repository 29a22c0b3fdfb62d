// The grade entry window, its display settings, the permanent copy of marks
// and ranks, and one examination walked through the windows.

#include "windows/app/forms.h"
#include "windows/app/tform2.h"
#include "windows/app/tform6.h"
#include "engine/db/database.h"
#include "engine/db/gridmodel.h"
#include "windows/entry/picturebutton.h"
#include "engine/entry/setup.h"
#include "windows/entry/tformin.h"
#include "windows/entry/tgai.h"
#include "windows/entry/tkaoshimc.h"
#include "windows/entry/tluru.h"
#include "windows/entry/tluruxianshi.h"
#include "windows/entry/tpf1.h"
#include "windows/processing/tc1p.h"
#include "windows/processing/tform1.h"
#include "windows/processing/tform8.h"
#include "engine/processing/rankstamp.h"
#include "engine/processing/runs.h"
#include "engine/processing/saves.h"
#include "engine/session/session.h"
#include "windowtest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSqlQuery>
#include <QSqlDatabase>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QToolButton>

namespace {

QStringList headers()
{
    QStringList out;
    for (int i = 0; i < Forms::luru->luru_dg->model()->columnCount(); ++i)
        out << Forms::luru->luru_dg->model()->headerData(i, Qt::Horizontal).toString();
    return out;
}

QList<int> widths()
{
    QList<int> out;
    for (int i = 0; i < Forms::luru->luru_dg->model()->columnCount(); ++i)
        out << Forms::luru->luru_dg->columnWidth(i);
    return out;
}

QVariantList gridColumn(const QString& column)
{
    QVariantList out;
    for (int r = 0; r < Forms::luru->Query1->rowCount(); ++r)
        out << Forms::luru->Query1->value(r, column);
    return out;
}

void classes(const QString& table, int classCount, int perClass)
{
    for (int c = 1; c <= classCount; ++c)
        for (int i = 1; i <= perClass; ++i)
            Fixture::student(table, QStringLiteral("%1%2").arg(c, 2, 10, QChar('0')).arg(i, 2, 10, QChar('0')), c,
                             QStringLiteral("%1班%2号").arg(c).arg(i),
                             {{"语文1", 60 + i}, {"总分1", 200 + i}, {"总分级排1", i}, {"综合班排1", 1}});
    // As a ranking run leaves it, so that it can be saved.
    Proc::recordRanking(table);
}

EntryGrid* openGridWithFocus()
{
    Forms::luru->show();
    QApplication::setActiveWindow(Forms::luru);
    Forms::luru->luru_dg->setFocus();
    return Forms::luru->luru_dg;
}

QWidget* keyTarget()
{
    QWidget* w = QApplication::focusWidget();
    return w ? w : Forms::luru->luru_dg;
}

// Keys as the user types them: each to the widget that has the focus (the
// grid, or the cell's editor once typing opened it).
void type(const QString& text)
{
    for (QChar c : text)
        QTest::keyClick(keyTarget(), c.toLatin1());
}

void press(Qt::Key key)
{
    QTest::keyClick(keyTarget(), key);
    // The editor commits and closes through the event loop.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

} // namespace

class TestEntryWindows : public QObject {
    Q_OBJECT
private slots:
    void theGridShowsTheChosenClassesAndSubjects_data()
    {
        QTest::addColumn<QList<bool>>("ticked"); // 语文 数学 英语 政治 物理 化学 综合
        QTest::addColumn<bool>("oneClass");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QVariantList>("classesShown");
        const QList<bool> six{true, true, true, true, true, true, false};
        QTest::newRow("every subject, classes 1 to 2")
            << six << false << "1" << "2"
            << "select 学号,姓名,语文1,数学1,英语1,政治1,物理1,化学1,班号 from  cjn where 班号>=1 and 班号<=2 order by 班号,学号"
            << QVariantList{1, 1, 2, 2};
        QTest::newRow("without 数学 and 英语")
            << QList<bool>{true, false, false, true, true, true, false} << false << "2" << "3"
            << "select 学号,姓名,语文1,政治1,物理1,化学1,班号 from  cjn where 班号>=2 and 班号<=3 order by 班号,学号"
            << QVariantList{2, 2, 3, 3};
        QTest::newRow("one class, the last edit ignored")
            << six << true << "3" << "不是数字"
            << "select 学号,姓名,语文1,数学1,英语1,政治1,物理1,化学1,班号 from  cjn where 班号=3 order by 班号,学号"
            << QVariantList{3, 3};
        QTest::newRow("综合 only")
            << QList<bool>{false, false, false, false, false, false, true} << false << "１" << "1"
            << "select 学号,姓名,综合1,班号 from  cjn where 班号>=1 and 班号<=1 order by 班号,学号"
            << QVariantList{1, 1};
    }
    void theGridShowsTheChosenClassesAndSubjects()
    {
        QFETCH(QList<bool>, ticked);
        QFETCH(bool, oneClass);
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(QString, text);
        QFETCH(QVariantList, classesShown);
        WindowTestEnv env;
        QVERIFY(env.startForms());
        classes("cjn", 3, 2);
        Forms::luru->show();
        const QList<QCheckBox*> boxes{Forms::luru->ca, Forms::luru->cb, Forms::luru->cc, Forms::luru->cd, Forms::luru->ce, Forms::luru->cf, Forms::luru->cg};
        for (int i = 0; i < boxes.size(); ++i)
            boxes[i]->setChecked(ticked[i]);
        Forms::luru->cx->setChecked(oneClass);
        Forms::luru->Edit2->setText(first);
        Forms::luru->Edit3->setText(last);
        Forms::luru->SpeedButton1->click();

        QVERIFY(env.messages.records.isEmpty());
        QCOMPARE(Forms::luru->Query1->queryText(), text);
        QCOMPARE(Forms::luru->luru_dg->model(), Forms::luru->Query1);
        QCOMPARE(gridColumn("班号"), classesShown);
        const int columns = int(ticked.count(true)) + 3;
        QCOMPARE(headers().size(), columns);
        QCOMPARE(headers().first(), QString("学号"));
        QCOMPARE(headers().last(), QString("班号"));
        QList<int> expected{80, 80};
        while (expected.size() < columns)
            expected << 55;
        QCOMPARE(widths(), expected);
        QCOMPARE(Forms::luru->luru_dg->horizontalHeader()->font().pointSize(), 12);
        QVERIFY(Forms::luru->luru_dg->width() >= 537);
    }

    void studentNumbersSortAsText()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        for (const char* n : {"101", "0101", "02", "1001"})
            Fixture::student("cjn", n, 1, n);
        Forms::luru->show();
        QCOMPARE(gridColumn("学号"), (QVariantList{"0101", "02", "1001", "101"}));
    }

    void aClassEditThatIsNotANumberKeepsTheGrid()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        classes("cjn", 2, 2);
        Forms::luru->show();
        Forms::luru->Edit3->setText("二");
        Forms::luru->SpeedButton1->click();
        QCOMPARE(env.messages.records.size(), 1);
        QCOMPARE(env.messages.records.first().kind, Msg::Kind::Warning);
        QVERIFY(env.messages.last().contains("二"));
        QVERIFY(Forms::luru->Query1->isActive());
        QCOMPARE(Forms::luru->Query1->rowCount(), 4);
    }

    void typedMarksAreWrittenBackAndOnlyNumbersTaken()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        classes("cjn", 1, 2);
        Forms::luru->show();
        Forms::luru->hide();
        Forms::luru->show(); // shown twice: a refused cell is still told once
        QAbstractItemModel* m = Forms::luru->luru_dg->model();
        const int chinese = Forms::luru->Query1->columnIndex("语文1");
        QVERIFY(m->setData(m->index(0, chinese), "95.5"));
        QCOMPARE(Fixture::value("cjn", "语文1", 0).toDouble(), 95.5);
        QVERIFY(!m->setData(m->index(1, chinese), "九十"));
        QCOMPARE(Fixture::value("cjn", "语文1", 1).toDouble(), 62.0);
        QCOMPARE(env.messages.records.size(), 1);
        QCOMPARE(env.messages.records.first().kind, Msg::Kind::Warning);
        QVERIFY(m->setData(m->index(1, Forms::luru->Query1->columnIndex("姓名")), "改名"));
        QCOMPARE(Fixture::value("cjn", "姓名", 1).toString(), QString("改名"));
    }

    // The batch tool re-imports the roster in another order while the grid
    // is open: the mark typed next is refused with the reason and lands on no
    // student; typed again, it lands on the student the row shows.
    void aMarkTypedAfterAnotherProgramReorderedTheRosterLandsOnNoOtherStudent()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        classes("cjn", 1, 3); // 0101, 0102, 0103: 语文 61, 62, 63
        EntryGrid* grid = openGridWithFocus();
        const int chinese = Forms::luru->Query1->columnIndex("语文1");
        const int width = grid->columnWidth(chinese);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "batch");
            db.setDatabaseName(env.databaseFile());
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec("CREATE TEMP TABLE keep AS SELECT * FROM cjn ORDER BY rowid DESC"));
            QVERIFY(q.exec("DELETE FROM cjn"));
            QVERIFY(q.exec("INSERT INTO cjn SELECT * FROM keep"));
        }
        QSqlDatabase::removeDatabase("batch");
        const QString after = Fixture::dump("cjn");
        grid->setCurrentIndex(Forms::luru->Query1->index(0, chinese));
        type("99");
        press(Qt::Key_Return);
        QCOMPARE(env.messages.records.size(), 1);
        QCOMPARE(env.messages.records.first().kind, Msg::Kind::Warning);
        QVERIFY2(env.messages.last().contains("另一个程序或窗口"), qPrintable(env.messages.last()));
        QCOMPARE(Fixture::dump("cjn"), after);
        QCOMPARE(grid->currentIndex().row(), 0);
        QCOMPARE(grid->columnWidth(chinese), width);
        type("99");
        press(Qt::Key_Return);
        QCOMPARE(env.messages.records.size(), 1);
        QCOMPARE(Db::selectValue("SELECT 语文1 FROM cjn WHERE 学号 = '0101'").toDouble(), 99.0);
        QCOMPARE(Db::selectValue("SELECT 语文1 FROM cjn WHERE 学号 = '0103'").toDouble(), 63.0);
    }

    void theNavigatorMovesThroughTheRows()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        classes("cjn", 1, 4);
        Forms::luru->show();
        QCOMPARE(Forms::luru->luru_dg->currentIndex().row(), 0);
        Forms::luru->navLast->click();
        QCOMPARE(Forms::luru->luru_dg->currentIndex().row(), 3);
        Forms::luru->navNext->click();
        QCOMPARE(Forms::luru->luru_dg->currentIndex().row(), 3);
        Forms::luru->navPrior->click();
        QCOMPARE(Forms::luru->luru_dg->currentIndex().row(), 2);
        Forms::luru->navFirst->click();
        Forms::luru->navPrior->click();
        QCOMPARE(Forms::luru->luru_dg->currentIndex().row(), 0);

        // The cancel button drops what is being typed.
        const QModelIndex cell = Forms::luru->Query1->index(0, Forms::luru->Query1->columnIndex("语文1"));
        Forms::luru->luru_dg->setCurrentIndex(cell);
        Forms::luru->luru_dg->edit(cell);
        auto* editor = qobject_cast<QLineEdit*>(Forms::luru->luru_dg->indexWidget(cell));
        QVERIFY(editor);
        editor->setText("5");
        Forms::luru->navCancel->click();
        QVERIFY(!Forms::luru->luru_dg->indexWidget(cell));
        QCOMPARE(Fixture::value("cjn", "语文1", 0).toDouble(), 61.0);
    }

    void showingReadsTheCurrentExamination_data()
    {
        QTest::addColumn<QList<int>>("flags");
        QTest::addColumn<int>("mode");
        QTest::newRow("nothing saved, re-entered roster") << QList<int>{0, 0, 0} << 0;
        QTest::newRow("marks and bands saved, permanent roster") << QList<int>{1, 0, 1} << 1;
        QTest::newRow("all saved") << QList<int>{1, 1, 1} << 2;
    }
    void showingReadsTheCurrentExamination()
    {
        QFETCH(QList<int>, flags);
        QFETCH(int, mode);
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Fixture::setCheck({{"mc", "期末'考试"}, {"bh", "7"}, {"c1", flags[0]}, {"c2", flags[1]}, {"c3", flags[2]}});
        Db::exec("UPDATE linshi SET shibie = ?", {mode});
        classes("cj", 1, 1);
        Forms::luru->show();
        QCOMPARE(Forms::luru->mingc->text(), QString("期末'考试"));
        QCOMPARE(Forms::luru->bianh->text(), QString("7"));
        QCOMPARE(Forms::luru->Panel3->isVisible(), flags[0] == 1);
        QCOMPARE(Forms::luru->Panel4->isVisible(), flags[1] == 1);
        QCOMPARE(Forms::luru->Panel5->isVisible(), flags[2] == 1);
        const QString table = mode == 0 ? "cjn" : "cj";
        QCOMPARE(Forms::session().workingTable(), table);
        QCOMPARE(Forms::Form1->dbs->text(), table);
        QCOMPARE(Forms::Form6->Table1.tableName(), table);
        QCOMPARE(Forms::luru->Query1->query().table, table);
        QVERIFY(!Forms::luru->Button1->isVisible());
    }

    void savingAnEmptyTableIsRefused()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Fixture::setCheck({{"mc", "期中"}, {"bh", "3"}});
        const QString before = Fixture::dump("ksmc") + Fixture::dump("check") + Fixture::dump("count");
        Forms::luru->show();
        Forms::luru->Button1->show();
        Forms::luru->Button1->click();
        QCOMPARE(env.messages.records.size(), 1);
        QCOMPARE(env.messages.records.first().kind, Msg::Kind::Warning);
        QVERIFY(!env.messages.last().contains("成功"));
        QCOMPARE(Fixture::dump("ksmc") + Fixture::dump("check") + Fixture::dump("count"), before);
        QVERIFY(!Forms::luru->Panel3->isVisible());
    }

    void copiesMarksAndRanksForGood()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        classes("cjn", 4, 30);
        Db::exec("UPDATE \"count\" SET \"count\" = 500");
        Fixture::setCheck({{"mc", "期中\"联考\""}, {"bh", "3"}});
        const qint64 names = Db::rowCount("ksmc");
        Forms::luru->show();
        Forms::luru->Button1->show();
        Forms::luru->Button1->click();

        QCOMPARE(env.messages.texts(), QStringList{"成功保存到永久数据库，到主界面可以查看结果！！！"});
        const QVariantList ids = Fixture::column("cjsave", "ID");
        QCOMPARE(ids.size(), 120);
        QCOMPARE(ids.first().toLongLong(), 500);
        QCOMPARE(ids.last().toLongLong(), 619);
        QCOMPARE(Db::selectValue("SELECT \"count\" FROM \"count\"").toLongLong(), 620);
        QCOMPARE(Db::rowCount("ksmc"), names + 1);
        QCOMPARE(Db::selectValue("SELECT name FROM ksmc ORDER BY id DESC LIMIT 1").toString(), QString("期中\"联考\""));
        QCOMPARE(Fixture::value("check", "c1").toInt(), 1);
        QCOMPARE(Fixture::value("cjsave", "考试编号", 31).toLongLong(), 3);
        QCOMPARE(Fixture::value("cjsave", "考试名称", 31).toString(), QString("期中\"联考\""));
        QCOMPARE(Fixture::value("cjsave", "姓名", 31).toString(), QString("2班2号"));
        QCOMPARE(Fixture::value("cjsave", "语文1", 31).toDouble(), 62.0);
        QCOMPARE(Fixture::value("cjsave", "总分级排1", 31).toDouble(), 2.0);
        QVERIFY(Forms::luru->Panel3->isVisible());
        QVERIFY(!Forms::luru->Button1->isVisible());
        QVERIFY(!Forms::Form8->isVisible());
        // The widths given are minimums.
        const QList<int> minimum{50, 80, 60, 70, 60};
        for (int i = 0; i < 5; ++i)
            QVERIFY(widths().at(i) >= minimum.at(i));
    }

    // Every class of the roster is shown at first; a mark corrected after
    // the save says that the saved copy no longer agrees, also after the
    // window is shown again.
    void everyClassIsShownAndAChangeAfterTheSaveIsTold()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        classes("cjn", 4, 2);
        Fixture::setCheck({{"mc", "期中"}, {"bh", "3"}});
        Tluru::showFresh();
        QCOMPARE(Forms::luru->Edit2->text(), QString("1"));
        QCOMPARE(Forms::luru->Edit3->text(), QString("4"));
        QCOMPARE(Forms::luru->Query1->rowCount(), 8);
        Proc::recordRanking("cjn");
        Forms::luru->Button1->show();
        Forms::luru->Button1->click();
        QCOMPARE(Forms::luru->Panel3->text(), QString("该处理过程已完成，结果已永久保存"));
        Forms::luru->SpeedButton1->click();
        QVERIFY(Forms::luru->Query1->setData(Forms::luru->Query1->index(0, Forms::luru->Query1->columnIndex("语文1")), "90"));
        QVERIFY(Forms::luru->Panel3->text().contains("保存后成绩有改动"));
        Forms::luru->close();
        Tluru::showFresh();
        QVERIFY(Forms::luru->Panel3->isVisible() && Forms::luru->Panel3->text().contains("保存后成绩有改动"));
        // Saved again once ranked again: the panel agrees again.
        Db::exec("UPDATE \"check\" SET c1 = 0");
        Proc::recordRanking("cjn");
        Forms::luru->Button1->show();
        Forms::luru->Button1->click();
        QCOMPARE(Forms::luru->Panel3->text(), QString("该处理过程已完成，结果已永久保存"));
        // The processing panel's bars start empty each time it shows.
        Forms::Form1->Gauge1->setValue(100);
        Forms::Form1->Gauge4->setValue(100);
        Forms::Form1->showMode(TForm1::Mode::Analysis);
        QCOMPARE(Forms::Form1->Gauge1->value(), 0);
        QCOMPARE(Forms::Form1->Gauge4->value(), 0);
    }

    void enterMovesDownTheColumnAndTypingReplaces()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        classes("cjn", 1, 4); // 语文 61, 62, 63, 64
        Forms::Form1->kemu1->setText("120");
        emit Forms::Form1->kemu1->editingFinished();
        EntryGrid* grid = openGridWithFocus();
        const int chinese = Forms::luru->Query1->columnIndex("语文1");
        grid->setCurrentIndex(Forms::luru->Query1->index(0, chinese));
        type("120");
        press(Qt::Key_Return);
        QCOMPARE(grid->currentIndex(), Forms::luru->Query1->index(1, chinese));
        type("119.5");
        press(Qt::Key_Enter);
        QCOMPARE(grid->currentIndex().row(), 2);
        QCOMPARE(Fixture::column("cjn", "语文1").mid(0, 3), (QVariantList{120, 119.5, 63}));
        // Enter on a cell not being edited moves on too.
        press(Qt::Key_Return);
        QCOMPARE(grid->currentIndex().row(), 3);
        // Delete clears a cell: stored blank and shown as an absence, not
        // the old mark kept; editing it starts from an empty cell.
        press(Qt::Key_Delete);
        QVERIFY(Fixture::value("cjn", "语文1", 3).isNull());
        QCOMPARE(grid->currentIndex().data().toString(), QString("缺考"));
        QCOMPARE(grid->currentIndex().data(Qt::EditRole).toString(), QString());
        // So does erasing the typed text; the last row's Enter stays on it.
        grid->setCurrentIndex(Forms::luru->Query1->index(2, chinese));
        press(Qt::Key_Backspace);
        press(Qt::Key_Return);
        QVERIFY(Fixture::value("cjn", "语文1", 2).isNull());
        QVERIFY2(env.messages.records.isEmpty(), qPrintable(env.messages.texts().join('|')));
        // A cleared mark is an absence: no rank.
        Proc::RankSettings st;
        st.table = "cjn";
        st.subjects = {"语文"};
        st.lastClass = 1;
        Proc::rank(st);
        QVERIFY(Fixture::value("cjn", "语文级排1", 2).isNull());
        QVERIFY(Fixture::value("cjn", "语文级排1", 3).isNull());
    }

    void theGridRefusesNegativeMarksAndAsksAboveTheFullMark()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        classes("cjn", 1, 3);
        Forms::Form1->kemu1->setText("120");
        emit Forms::Form1->kemu1->editingFinished();
        EntryGrid* grid = openGridWithFocus();
        const int chinese = Forms::luru->Query1->columnIndex("语文1");
        grid->setCurrentIndex(Forms::luru->Query1->index(0, chinese));
        type("-5");
        press(Qt::Key_Return);
        QCOMPARE(env.messages.records.size(), 1);
        QCOMPARE(env.messages.records.first().kind, Msg::Kind::Warning);
        QVERIFY(env.messages.last().contains("负数"));
        QCOMPARE(Fixture::value("cjn", "语文1", 0).toInt(), 61);
        QCOMPARE(grid->currentIndex().row(), 0); // stays to be typed again

        env.messages.clear();
        env.messages.answers = {false};
        type("125");
        press(Qt::Key_Return);
        QCOMPARE(env.messages.records.size(), 1);
        const Msg::Record& q = env.messages.records.first();
        QCOMPARE(q.kind, Msg::Kind::Question);
        QVERIFY(!q.defaultYes);
        QVERIFY2(q.text.contains("1班1号") && q.text.contains("125") && q.text.contains("120"), qPrintable(q.text));
        QCOMPARE(Fixture::value("cjn", "语文1", 0).toInt(), 61);
        QCOMPARE(grid->currentIndex().row(), 0);

        env.messages.answers = {true};
        type("125");
        press(Qt::Key_Return);
        QCOMPARE(Fixture::value("cjn", "语文1", 0).toInt(), 125);
        QCOMPARE(grid->currentIndex().row(), 1);
        // 120 itself is no question; 班号 19 is refused.
        env.messages.clear();
        type("120");
        press(Qt::Key_Return);
        QVERIFY(env.messages.records.isEmpty());
        QCOMPARE(Fixture::value("cjn", "语文1", 1).toInt(), 120);
        grid->setCurrentIndex(Forms::luru->Query1->index(2, Forms::luru->Query1->columnIndex("班号")));
        type("19");
        press(Qt::Key_Return);
        QVERIFY(env.messages.last().contains("1到18"));
        // The refusal says whose class it was.
        const QString who = QStringLiteral("第3行（%1）").arg(Fixture::value("cjn", "姓名", 2).toString());
        QVERIFY2(env.messages.last().startsWith(who), qPrintable(env.messages.last()));
        QCOMPARE(Fixture::value("cjn", "班号", 2).toInt(), 1);
    }

    void columnsAreWideEnoughToRead()
    {
        // Eight-digit student numbers and three-character names after the
        // ranking run, and every title in full.
        WindowTestEnv env;
        QVERIFY(env.startForms());
        const QStringList names{"顾晓明", "欧阳娜", "司马光"};
        for (int i = 0; i < 3; ++i)
            Fixture::student("cjn", QStringLiteral("2024010%1").arg(i + 1), 1, names[i], {{"语文1", 90 - i}});
        Forms::luru->show();
        auto fits = [](int column) {
            QTableView* g = Forms::luru->luru_dg;
            const QFontMetrics cells(g->font()), titles(g->horizontalHeader()->font());
            if (g->columnWidth(column) < titles.horizontalAdvance(g->model()->headerData(column, Qt::Horizontal).toString()))
                return false;
            for (int r = 0; r < g->model()->rowCount(); ++r)
                if (g->columnWidth(column) < cells.horizontalAdvance(g->model()->index(r, column).data().toString()))
                    return false;
            return true;
        };
        for (int c = 0; c < Forms::luru->luru_dg->model()->columnCount(); ++c)
            QVERIFY2(fits(c), qPrintable(headers().at(c)));
        for (QCheckBox* c : {Forms::luru->cb, Forms::luru->cc, Forms::luru->cd, Forms::luru->ce, Forms::luru->cf})
            c->setChecked(false);
        Forms::Form2->banshu1->setText("1");
        Forms::Form2->banshu2->setText("1");
        Forms::Form2->close();
        Forms::Form1->showMode(TForm1::Mode::Ranking);
        Forms::Form1->Button1->click();
        QVERIFY(Forms::luru->Button1->isVisible());
        QCOMPARE(headers().first(), QString("学号"));
        for (int c = 0; c < Forms::luru->luru_dg->model()->columnCount(); ++c)
            QVERIFY2(fits(c), qPrintable(headers().at(c)));
        QVERIFY(widths().at(0) >= 50 && widths().at(1) >= 80);
    }

    // Ranked, then the batch tool imports another roster, then the save:
    // refused, never "成功", and nothing stored.
    void aSaveAfterAnotherProgramImportedIsRefused()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        classes("cjn", 2, 3);
        Fixture::setCheck({{"mc", "期中"}, {"bh", "3"}});
        Proc::RankSettings st;
        st.table = "cjn";
        st.subjects = {"语文"};
        st.lastClass = 2;
        Proc::rank(st);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "batch");
            db.setDatabaseName(env.databaseFile());
            QVERIFY(db.open());
            QSqlQuery q(db);
            QVERIFY(q.exec("DELETE FROM cjn"));
            QVERIFY(q.exec("INSERT INTO cjn(序号, 学号, 班号, 姓名, 语文1) VALUES (0, '0901', 1, '新生', 75)"));
        }
        QSqlDatabase::removeDatabase("batch");
        const QString before = Fixture::dump("cjsave") + Fixture::dump("ksmc") + Fixture::dump("check");
        Forms::luru->show();
        Forms::luru->Button1->show();
        Forms::luru->Button1->click();
        QCOMPARE(env.messages.records.size(), 1);
        QVERIFY2(env.messages.last().contains("重新排名") && !env.messages.last().contains("成功"),
                 qPrintable(env.messages.last()));
        QCOMPARE(Fixture::dump("cjsave") + Fixture::dump("ksmc") + Fixture::dump("check"), before);
        QVERIFY(!Forms::luru->Panel3->isVisible());
    }

    void theNameAndNumberSavedUnderBecomeTheCurrentOnes()
    {
        // Edited in the entry window before saving: re-processing finds the
        // saved rows, and saving again does not leave the examination twice.
        WindowTestEnv env;
        QVERIFY(env.startForms());
        classes("cjn", 2, 5);
        Fixture::setCheck({{"mc", "期中"}, {"bh", "1"}});
        Forms::luru->show();
        Forms::luru->mingc->setText("期中补考");
        Forms::luru->bianh->setText("2");
        Forms::luru->Button1->show();
        Forms::luru->Button1->click();
        QCOMPARE(Entry::examState().name, QString("期中补考"));
        QCOMPARE(Entry::examState().number, QString("2"));
        QCOMPARE(Db::selectValue("SELECT COUNT(*) FROM cjsave WHERE 考试名称 = '期中补考' AND 考试编号 = 2").toInt(), 10);

        Forms::luru->Image5->click();
        QVERIFY(Forms::c1p->isVisible());
        Forms::c1p->Button1->click();
        QCOMPARE(Db::rowCount("cjsave"), 0);
        QCOMPARE(Fixture::column("ksmc", "name"), QVariantList{"没有任何考试"});
        Forms::luru->Button1->show();
        Forms::luru->Button1->click();
        QCOMPARE(Db::rowCount("cjsave"), 10);
        QCOMPARE(Db::rowCount("ksmc"), 2);
        Forms::luru->hide();
        Forms::luru->show();
        QCOMPARE(Forms::luru->mingc->text(), QString("期中补考"));
    }

    void savingUnderAnotherSavedNameAsksFirst()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        classes("cjn", 1, 3);
        Save::Exam earlier{"期末", 1};
        earlier.current = false;
        Save::grades("cjn", earlier);
        Fixture::setCheck({{"mc", "期中"}, {"bh", "2"}});
        const QString before = Fixture::dump("cjsave") + Fixture::dump("check");
        Forms::luru->show();
        Forms::luru->mingc->setText("期末");
        Forms::luru->Button1->show();
        env.messages.answers = {false};
        Forms::luru->Button1->click();
        QCOMPARE(env.messages.records.size(), 1);
        QCOMPARE(env.messages.records.first().kind, Msg::Kind::Question);
        QVERIFY(env.messages.last().contains("编号1"));
        QCOMPARE(Fixture::dump("cjsave") + Fixture::dump("check"), before);
        QVERIFY(Forms::luru->Button1->isVisible());
    }

    void aCopyThatCannotBeMadeWritesNothing_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("failMidway");
        QTest::addColumn<int>("kind");
        QTest::newRow("number not an integer") << "第三次" << false << int(Msg::Kind::Warning);
        QTest::newRow("database error midway") << "3" << true << int(Msg::Kind::Error);
    }
    void aCopyThatCannotBeMadeWritesNothing()
    {
        QFETCH(QString, number);
        QFETCH(bool, failMidway);
        QFETCH(int, kind);
        WindowTestEnv env;
        QVERIFY(env.startForms());
        classes("cjn", 2, 10);
        Db::exec("UPDATE \"count\" SET \"count\" = 40");
        if (failMidway)
            Db::exec("CREATE TRIGGER stop BEFORE INSERT ON cjsave WHEN NEW.ID = 50 "
                     "BEGIN SELECT RAISE(ABORT, '磁盘已满'); END");
        const QStringList tables{"cjsave", "ksmc", "count", "check"};
        QStringList before;
        for (const QString& t : tables)
            before << Fixture::dump(t);
        Forms::luru->show();
        Forms::luru->mingc->setText("期末");
        Forms::luru->bianh->setText(number);
        Forms::luru->Button1->show();
        Forms::luru->Button1->click();

        QCOMPARE(env.messages.records.size(), 1);
        QCOMPARE(int(env.messages.records.first().kind), kind);
        if (failMidway)
            QVERIFY(env.messages.last().contains("磁盘已满"));
        else
            QVERIFY(env.messages.last().contains(number));
        for (int i = 0; i < tables.size(); ++i)
            QCOMPARE(Fixture::dump(tables[i]), before[i]);
        QVERIFY(!Forms::Form8->isVisible());
        QVERIFY(!Forms::luru->Panel3->isVisible());
        QVERIFY(Forms::luru->Button1->isVisible());
    }

    void thePicturesOpenTheProcessingPanel_data()
    {
        QTest::addColumn<int>("picture"); // 5, 2, 6
        QTest::addColumn<int>("c1");
        QTest::addColumn<bool>("asks");
        QTest::addColumn<int>("mode");
        QTest::newRow("totals") << 5 << 0 << false << int(TForm1::Mode::Ranking);
        QTest::newRow("totals of saved marks") << 5 << 1 << true << 0;
        QTest::newRow("analysis of saved marks") << 2 << 1 << false << int(TForm1::Mode::Analysis);
        QTest::newRow("bands") << 6 << 0 << false << int(TForm1::Mode::Bands);
    }
    void thePicturesOpenTheProcessingPanel()
    {
        QFETCH(int, picture);
        QFETCH(int, c1);
        QFETCH(bool, asks);
        QFETCH(int, mode);
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Fixture::setCheck({{"c1", c1}});
        Forms::luru->show();
        (picture == 5 ? Forms::luru->Image5 : picture == 2 ? Forms::luru->Image2 : Forms::luru->Image6)->click();
        QVERIFY(env.messages.records.isEmpty());
        QCOMPARE(Forms::c1p->isVisible(), asks);
        QCOMPARE(Forms::Form1->isVisible(), !asks);
        if (!asks) {
            QCOMPARE(int(Forms::Form1->mode()), mode);
            QVERIFY(Forms::Form2->isVisible());
        }
    }

    void otherButtonsOpenTheirWindows()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Forms::luru->show();
        Forms::luru->SpeedButton2->click();
        QVERIFY(Forms::gai->isVisible());
        Forms::luru->SpeedButton3->click();
        QVERIFY(Forms::luruxianshi->isVisible());
        Forms::Form6->hide();
        Forms::luru->Image1->click();
        QVERIFY(!Forms::luru->isVisible());
        QVERIFY(Forms::Form6->isVisible());
        Forms::Form6->hide();
        Forms::luru->show();
        Forms::luru->close();
        QVERIFY(Forms::Form6->isVisible());
        QVERIFY(env.messages.records.isEmpty());
    }

    void displaySettingsApplyAtOnce()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Forms::luru->show();
        Forms::luruxianshi->show();
        QTableView* grid = Forms::luru->luru_dg;
        const QColor background = grid->palette().color(QPalette::Base);

        Forms::luruxianshi->ComboBox2->setCurrentText("蓝");
        Forms::luruxianshi->ComboBox1->setCurrentText("黄");
        QCOMPARE(grid->palette().color(QPalette::Text), QColor(0, 0, 255));
        QCOMPARE(grid->palette().color(QPalette::Base), QColor(255, 255, 0));
        Forms::luruxianshi->ComboBox2->setCurrentText("");
        QCOMPARE(grid->palette().color(QPalette::Text), QColor(0, 0, 255));
        Forms::luruxianshi->ComboBox1->setCurrentText("绿");
        QCOMPARE(grid->palette().color(QPalette::Base), QColor(192, 220, 192));
        QVERIFY(background != grid->palette().color(QPalette::Base));

        Forms::luruxianshi->Edit5->clear();
        QTest::keyClicks(Forms::luruxianshi->Edit5, "2");
        QCOMPARE(grid->font().pointSize(), 2);
        QTest::keyClicks(Forms::luruxianshi->Edit5, "0");
        QCOMPARE(grid->font().pointSize(), 20);
        QVERIFY(env.messages.records.isEmpty());
        // Emptied to type anew: nothing is said and the size stays.
        Forms::luruxianshi->Edit5->clear();
        QVERIFY(env.messages.records.isEmpty());
        Forms::luruxianshi->Edit5->setText("大");
        QCOMPARE(env.messages.records.size(), 1);
        QCOMPARE(env.messages.records.first().kind, Msg::Kind::Warning);
        Forms::luruxianshi->Edit5->setText("0");
        QCOMPARE(env.messages.records.size(), 2);
        QCOMPARE(grid->font().pointSize(), 20);
    }

    void oneExaminationThroughTheWindows()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        // 增加新的考试 on the main window.
        for (const auto& area : Forms::Form6->picture->areas())
            if (area.label == "增加新的考试")
                area.action->trigger();
        QVERIFY(Forms::kaoshimc->isVisible());
        QCOMPARE(Forms::kaoshimc->Edit2->text(), QString("1"));
        Forms::kaoshimc->ksmc->setText("初一'期中'");
        Forms::kaoshimc->SpeedButton1->click();
        QVERIFY(Forms::pf1->isVisible());
        Forms::pf1->Button1->click();
        QVERIFY(Forms::formin->isVisible());

        Forms::formin->Memo4->setPlainText("0101\n0102\n0103\n0201\n0202\n0203");
        Forms::formin->Memo2->setPlainText("1\n1\n1\n2\n2\n2");
        Forms::formin->Memo1->setPlainText("甲\n乙\n丙\n丁\n戊\n己");
        Forms::formin->CheckBox1->setChecked(true);
        Forms::formin->CheckBox3->setChecked(true);
        Forms::formin->CheckBox4->setChecked(true);
        Forms::formin->CheckBox5->setChecked(true);
        Forms::formin->Memo3->setPlainText("90\n60\n100\n50\n85\n90");
        Forms::formin->Memo6->setPlainText("80\n70\n100\n50\n85\n80");
        Forms::formin->Memo7->setPlainText("70\n80\n100\n50\n85\n70");
        Forms::formin->Button1->click();
        QVERIFY(Forms::luru->isVisible());
        QCOMPARE(Forms::luru->Query1->rowCount(), 6);

        // A correction typed into the grid: 丁's 英语 50 -> 56.
        const int row = int(gridColumn("姓名").indexOf("丁"));
        QVERIFY(Forms::luru->Query1->setData(Forms::luru->Query1->index(row, Forms::luru->Query1->columnIndex("英语1")), "56"));

        Forms::luru->Image5->click();
        QVERIFY(Forms::Form1->isVisible());
        Forms::Form2->CheckBox2->setChecked(true);
        Forms::Form2->CheckBox3->setChecked(true);
        Forms::Form2->Button1->click();
        Forms::Form1->Button1->click();
        QVERIFY(Forms::luru->Button1->isVisible());

        env.messages.clear();
        Forms::luru->Button1->click();
        QCOMPARE(env.messages.texts(), QStringList{"成功保存到永久数据库，到主界面可以查看结果！！！"});
        const auto saved = Db::selectRows(
            "SELECT 姓名, 考试名称, 考试编号, 总分1, 总分班排1, 总分级排1, 三总1 FROM cjsave ORDER BY ID");
        const QList<QVariantList> expected{
            {"甲", "初一'期中'", 1, 240, 2, 3, 240}, {"乙", "初一'期中'", 1, 210, 3, 5, 210},
            {"丙", "初一'期中'", 1, 300, 1, 1, 300}, {"丁", "初一'期中'", 1, 156, 3, 6, 156},
            {"戊", "初一'期中'", 1, 255, 1, 2, 255}, {"己", "初一'期中'", 1, 240, 2, 3, 240},
        };
        QCOMPARE(saved.size(), expected.size());
        for (int i = 0; i < saved.size(); ++i)
            for (int c = 0; c < expected[i].size(); ++c)
                QVERIFY2(saved[i][c] == expected[i][c],
                         qPrintable(QString("row %1 column %2: %3").arg(i).arg(c).arg(saved[i][c].toString())));
        QCOMPARE(Db::selectValue("SELECT name FROM ksmc ORDER BY id DESC LIMIT 1").toString(), QString("初一'期中'"));
        QVERIFY(Forms::luru->Panel3->isVisible());

        // Processing the saved marks again asks first.
        Forms::luru->Image5->click();
        QVERIFY(Forms::c1p->isVisible());
        // The next examination is offered the next number.
        Forms::kaoshimc->hide();
        Forms::kaoshimc->show();
        QCOMPARE(Forms::kaoshimc->Edit2->text(), QString("2"));
    }
};

GRADEBOOK_WINDOW_TEST_MAIN(TestEntryWindows)
#include "test_entry_windows.moc"
