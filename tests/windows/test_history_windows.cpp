// Following classes, subjects and students across saved examinations: the
// class query, the student record, the class ranking by rate and the class
// comparison, driven through their controls and read back from their grids
// and series.
#include "engine/db/database.h"
#include "engine/db/gridmodel.h"
#include "engine/processing/rankstamp.h"
#include "windows/app/forms.h"
#include "windows/app/printing.h"
#include "windows/app/tmen1.h"
#include "windows/charts/trendchart.h"
#include "windows/charts/tsppict1.h"
#include "windows/charts/tsppict2.h"
#include "windows/entry/tluru.h"
#include "windows/reports/frozengrid.h"
#include "windows/reports/tchaxun.h"
#include "windows/reports/tjiaoshigz.h"
#include "windows/reports/tsinggles.h"
#include "windowtest.h"

#include <QAction>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QGraphicsSimpleTextItem>
#include <QLineEdit>
#include <QLineSeries>
#include <QRadioButton>
#include <QScatterSeries>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QValueAxis>

namespace {

void examName(const QString& name)
{
    Db::exec("INSERT INTO ksmc(name) VALUES (?)", {name});
}

// One saved analysis row of a class and subject.
void analysisRow(const QString& exam, int examNo, int cls, const QString& subject, const QVariantMap& ranks)
{
    QVariantMap row = ranks;
    row.insert({{"科目", subject + "1"}, {"班号", cls}, {"考试名称", exam}, {"考试编号", examNo}});
    Fixture::insert("fxsave", row);
}

QVariantList column(const Db::GridModel* m, const QString& name)
{
    QVariantList out;
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->value(r, name);
    return out;
}

QList<double> ys(const QXYSeries* s)
{
    QList<double> out;
    for (const QPointF& p : s->points())
        out << p.y();
    return out;
}

QList<double> xs(const QXYSeries* s)
{
    QList<double> out;
    for (const QPointF& p : s->points())
        out << p.x();
    return out;
}

QStringList labels(const Charts::TrendChart* c)
{
    QStringList out;
    for (const auto& p : c->points())
        out << p.label;
    return out;
}

void showLaidOut(QWidget* w)
{
    Forms::showWindow(w);
    QCoreApplication::processEvents();
}

// Five students of classes 1 and 2 in three examinations saved in the
// order 3, 1, 2 of their numbers.
void threeExams()
{
    int id = 1;
    for (auto [no, exam] : {std::pair{3, "第三次月考"}, {1, "第一次月考"}, {2, "第二次月考"}}) {
        examName(exam);
        for (int i = 0; i < 5; ++i)
            Fixture::savedGrade(id++, no, exam, QStringLiteral("01%1").arg(i), 1 + i % 2, QStringLiteral("张") + QStringLiteral("甲乙丙丁戊").at(i),
                  {{"总分1", 400 + 10 * no + i}, {"总分级排1", 10 * no + i}, {"总分班排1", no + i},
                   {"语文1", 80 + no}, {"语文班排1", i + 1}, {"语文级排1", 5 - i + no}});
    }
}

} // namespace

class TestHistoryWindows : public QObject {
    Q_OBJECT
private slots:
    // ---- the class query ----
    void theClassQueryDefaults()
    {
        WindowTestEnv env;
        env.openDb();
        threeExams();
        QVERIFY(env.startForms());
        showLaidOut(Forms::chaxun);
        QCOMPARE(Forms::chaxun->ksmc->currentText(), QString("第二次月考"));
        QCOMPARE(Forms::chaxun->ksmc->count(), 3); // never the blank database's "没有任何考试"
        QCOMPARE(Forms::chaxun->c1->itemText(7), QString("化学"));
        Forms::chaxun->Button1->click();
        QCOMPARE(Forms::chaxun->Query1->columnNames(), (QStringList{"班号", "学号", "姓名", "总分1", "ID"}));
        QCOMPARE(Forms::chaxun->Query1->queryText(),
                 QString("select 班号,学号,姓名,总分1,ID from  cjsave where 班号>=1 and 班号<=2 and 考试名称 like "
                         "'第二次月考%'"));
        QCOMPARE(column(Forms::chaxun->Query1, "ID"), (QVariantList{11, 12, 13, 14, 15}));
        // 班号, 学号 and 姓名 stay in view at the left while the values scroll.
        QVERIFY(Forms::chaxun->grid->narrow()->columnWidth(1) >= 100);
        QVERIFY(Forms::chaxun->grid->narrow()->columnWidth(2) >= 100);
        for (int c = 0; c < 3; ++c)
            QVERIFY(!Forms::chaxun->grid->narrow()->isColumnHidden(c) && Forms::chaxun->DBGrid1->isColumnHidden(c));
        QVERIFY(!Forms::chaxun->DBGrid1->isColumnHidden(3));
        QCOMPARE(Forms::chaxun->DBGrid1->font().pointSize(), 17);
        QCOMPARE(Forms::chaxun->grid->narrow()->font().pointSize(), 17);
        // Read only: nothing typed into the grid reaches the saved rows.
        const QString before = Fixture::dump("cjsave");
        const QModelIndex cell = Forms::chaxun->Query1->index(0, 3);
        QVERIFY(!(Forms::chaxun->Query1->flags(cell) & Qt::ItemIsEditable));
        QVERIFY(!Forms::chaxun->Query1->setData(cell, 1));
        QCOMPARE(Fixture::dump("cjsave"), before);
        QVERIFY(env.messages.records.isEmpty());
    }

    void orderingsAndRankFilters()
    {
        WindowTestEnv env;
        env.openDb();
        threeExams();
        QVERIFY(env.startForms());
        showLaidOut(Forms::chaxun);
        // One class, 语文 class ranks, worst grade rank first.
        Forms::chaxun->cx->setChecked(true);
        Forms::chaxun->c1->setEditText("语文");
        Forms::chaxun->b->setChecked(true);
        Forms::chaxun->Button4->click();
        QCOMPARE(Forms::chaxun->Query1->columnNames(), (QStringList{"班号", "学号", "姓名", "语文班排1", "ID"}));
        QCOMPARE(column(Forms::chaxun->Query1, "班号"), (QVariantList{1, 1, 1}));
        QVERIFY(Forms::chaxun->Query1->queryText().endsWith("order by 语文级排1 desc"));
        QCOMPARE(column(Forms::chaxun->Query1, "ID"), (QVariantList{11, 13, 15})); // 语文级排1 7, 5, 3
        Forms::chaxun->Button3->click();
        QCOMPARE(column(Forms::chaxun->Query1, "ID"), (QVariantList{15, 13, 11}));
        // The grade-rank filters switch to grade ranks and keep their limit.
        Forms::chaxun->cx->setChecked(false);
        Forms::chaxun->c1->setEditText("总分");
        Forms::chaxun->a->setChecked(true);
        Forms::chaxun->Edit1->setText("22");
        Forms::chaxun->Button5->click();
        QVERIFY(Forms::chaxun->c->isChecked());
        QCOMPARE(Forms::chaxun->Query1->columnNames().at(3), QString("总分级排1"));
        QCOMPARE(column(Forms::chaxun->Query1, "总分级排1"), (QVariantList{20, 21, 22}));
        QCOMPARE(env.messages.last(), QString("符合条件的共有3个"));
        QVERIFY(Forms::chaxun->DBGrid1->isColumnHidden(4));
        Forms::chaxun->ming->setText("23");
        Forms::chaxun->Button6->click();
        QCOMPARE(column(Forms::chaxun->Query1, "总分级排1"), (QVariantList{23, 24}));
        QCOMPARE(env.messages.last(), QString("符合条件的共有2个"));
        Forms::chaxun->ming->setText("999");
        Forms::chaxun->Button6->click();
        QCOMPARE(Forms::chaxun->Query1->rowCount(), 0);
        QCOMPARE(env.messages.last(), QString("符合条件的共有0个"));
        // Every column of one class, the bookkeeping ones hidden.
        Forms::chaxun->Edit2->setText("2");
        Forms::chaxun->Button2->click();
        QCOMPARE(Forms::chaxun->Query1->columnNames().size(), 34);
        QCOMPARE(column(Forms::chaxun->Query1, "ID"), (QVariantList{12, 14}));
        for (int c = 0; c < 4; ++c)
            QVERIFY(Forms::chaxun->DBGrid1->isColumnHidden(c) && Forms::chaxun->grid->narrow()->isColumnHidden(c));
        // 学号, 班号, 姓名 kept in view; the marks and ranks scroll beside them.
        for (int c = 4; c < 7; ++c)
            QVERIFY(!Forms::chaxun->grid->narrow()->isColumnHidden(c));
        QVERIFY(!Forms::chaxun->DBGrid1->isColumnHidden(7));
    }

    void aShortExamNameFindsTheLongerOne()
    {
        WindowTestEnv env;
        env.openDb();
        Fixture::savedGrade(1, 1, "期中", "0101", 1, "甲");
        Fixture::savedGrade(2, 2, "期中补考", "0102", 1, "乙");
        Fixture::savedGrade(3, 3, "期末", "0103", 1, "丙");
        examName("期中");
        QVERIFY(env.startForms());
        showLaidOut(Forms::chaxun);
        Forms::chaxun->ksmc->setEditText("期中  ");
        Forms::chaxun->Button1->click();
        QCOMPARE(column(Forms::chaxun->Query1, "ID"), (QVariantList{1, 2}));
    }

    void badInputKeepsTheGridAndNamesTheField_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("named");
        QTest::newRow("first class") << "Edit2" << "一" << "第一个班";
        QTest::newRow("last class") << "Edit3" << "2.5" << "最后一个班";
        QTest::newRow("font size") << "Edit5" << "大" << "字号";
        QTest::newRow("threshold") << "Edit1" << "三百" << "级排小于";
        QTest::newRow("subject") << "c1" << "体育" << "体育";
    }
    void badInputKeepsTheGridAndNamesTheField()
    {
        QFETCH(QString, control);
        QFETCH(QString, text);
        QFETCH(QString, named);
        WindowTestEnv env;
        env.openDb();
        threeExams();
        QVERIFY(env.startForms());
        showLaidOut(Forms::chaxun);
        Forms::chaxun->Button1->click();
        QCOMPARE(Forms::chaxun->Query1->rowCount(), 5);
        if (auto* e = Forms::chaxun->findChild<QLineEdit*>(control))
            e->setText(text);
        else
            Forms::chaxun->findChild<QComboBox*>(control)->setEditText(text);
        (control == "Edit1" ? Forms::chaxun->Button5 : Forms::chaxun->Button1)->click();
        QCOMPARE(env.messages.records.size(), 1);
        QVERIFY2(env.messages.last().contains(QStringLiteral("“%1”").arg(named)), qPrintable(env.messages.last()));
        QCOMPARE(Forms::chaxun->Query1->rowCount(), 5);
        QCOMPARE(Forms::chaxun->DBGrid1->font().pointSize(), 17);
    }

    void coloursActAtOnceAndTheEmptyItemChangesNothing()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        showLaidOut(Forms::chaxun);
        Forms::chaxun->ComboBox2->setCurrentText("红");
        QCOMPARE(Forms::chaxun->DBGrid1->palette().color(QPalette::Text), QColor(255, 0, 0));
        Forms::chaxun->ComboBox2->setCurrentIndex(Forms::chaxun->ComboBox2->findText(""));
        QCOMPARE(Forms::chaxun->DBGrid1->palette().color(QPalette::Text), QColor(255, 0, 0));
        Forms::chaxun->ComboBox1->setCurrentText("绿");
        QCOMPARE(Forms::chaxun->DBGrid1->palette().color(QPalette::Base), QColor(192, 220, 192));
        const int before = Forms::chaxun->DBGrid1->font().pointSize();
        Forms::chaxun->Edit5->setText("11");
        QCOMPARE(Forms::chaxun->DBGrid1->font().pointSize(), before); // only a query applies the size
        Forms::chaxun->Button1->click();
        QCOMPARE(Forms::chaxun->DBGrid1->font().pointSize(), 11);
    }

    void aGradeSaveNamesItsExaminationInTheQuery()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        showLaidOut(Forms::chaxun);
        Fixture::student("cjn", "0101", 1, "甲");
        Proc::recordRanking("cjn");
        Forms::luru->mingc->setText("2025学年期中");
        Forms::luru->bianh->setText("4");
        Forms::luru->Button1->click();
        QCOMPARE(Forms::chaxun->ksmc->currentText(), QString("2025学年期中"));
        QCOMPARE(Forms::chaxun->ksmc->itemText(Forms::chaxun->ksmc->count() - 1), QString("2025学年期中"));
    }

    // ---- the student record ----
    void theStudentTrendFollowsTheExaminations()
    {
        WindowTestEnv env;
        env.openDb();
        threeExams();
        QVERIFY(env.startForms());
        showLaidOut(Forms::sinngles);
        // Showing fills the boxes and queries nothing.
        QCOMPARE(Forms::sinngles->edit2->count(), 15);
        QCOMPARE(Forms::sinngles->edit2->currentText(), QString("张戊")); // the 15th row: the table has no 16th
        QCOMPARE(Forms::sinngles->ksmc->currentText(), QString("第二次月考"));
        QCOMPARE(Forms::sinngles->c1->itemText(8), QString("综合"));
        QCOMPARE(Forms::sinngles->Query1->rowCount(), 0);
        QCOMPARE(Forms::sinngles->trend->title(), QString("该学生各科水平图---水平数值为级总人数减去级排名"));

        Forms::sinngles->edit2->setEditText("张乙");
        QTRY_COMPARE(Forms::sinngles->Query1->rowCount(), 3);
        QCOMPARE(column(Forms::sinngles->Query1, "考试编号"), (QVariantList{1, 2, 3}));
        QCOMPARE(ys(Forms::sinngles->Series1), (QList<double>{11, 21, 31}));
        QCOMPARE(xs(Forms::sinngles->Series1), (QList<double>{0, 1, 2}));
        QCOMPARE(labels(Forms::sinngles->trend), (QStringList{"第一次月考", "第二次月考", "第三次月考"}));
        QVERIFY(Forms::sinngles->trend->axisY()->isReverse());
        QCOMPARE(Forms::sinngles->trend->marks()->pointConfiguration(2).value(QXYSeries::PointConfiguration::Color).value<QColor>(),
                 QColor(Qt::red));
        QCOMPARE(Forms::sinngles->trend->valueLabels().size(), 3);
        QCOMPARE(Forms::sinngles->trend->valueLabels().at(1)->text(), QString("21"));
        QCOMPARE(Forms::sinngles->trend->title(), QString("张乙同学历次考试 总分级排 成绩波动图"));
        // Only 考试名称 stays in view at the left; the right grid starts at 学号.
        for (int c = 0; c < 3; ++c)
            QVERIFY(Forms::sinngles->DBGrid1->isColumnHidden(c));
        QVERIFY(!Forms::sinngles->DBGrid1->isColumnHidden(3));
        QVERIFY(Forms::sinngles->DBGrid2->isColumnHidden(3));
        QVERIFY(!Forms::sinngles->DBGrid2->isColumnHidden(4));
        QVERIFY(!(Forms::sinngles->Query1->flags(Forms::sinngles->Query1->index(0, 7)) & Qt::ItemIsEditable));
        QCOMPARE(Forms::sinngles->printJob().chart, Forms::sinngles->Chart1);

        // Raw marks on the same reversed axis: the higher mark is drawn lower.
        Forms::sinngles->a->setChecked(true);
        Forms::sinngles->Button2->click();
        QCOMPARE(ys(Forms::sinngles->Series1), (QList<double>{411, 421, 431}));
        QCoreApplication::processEvents();
        QVERIFY(Forms::sinngles->trend->mapToPosition({2, 431}, Forms::sinngles->Series1).y()
                > Forms::sinngles->trend->mapToPosition({0, 411}, Forms::sinngles->Series1).y());
        QCOMPARE(Forms::sinngles->trend->title(), QString("张乙同学历次考试 总分原始 成绩波动图"));

        // Picking a subject redraws at once.
        Forms::sinngles->c1->setCurrentIndex(Forms::sinngles->c1->findText("语文"));
        emit Forms::sinngles->c1->activated(Forms::sinngles->c1->currentIndex());
        QCOMPARE(ys(Forms::sinngles->Series1), (QList<double>{81, 82, 83}));
        QVERIFY(env.messages.records.isEmpty());
    }

    void aBeginningListsTheStudentsItNamesAndChartsOne()
    {
        WindowTestEnv env;
        env.openDb();
        // Two 王浩然 in classes 1 and 3, and 李明 beside 李明轩.
        for (int e = 1; e <= 2; ++e) {
            const QString exam = e == 1 ? "期中" : "期末";
            Fixture::savedGrade(10 * e + 1, e, exam, "0105", 1, "王浩然", {{"总分级排1", 113 + e}});
            Fixture::savedGrade(10 * e + 2, e, exam, "0307", 3, "王浩然", {{"总分级排1", 30 + e}});
            Fixture::savedGrade(10 * e + 3, e, exam, "0201", 2, "李明", {{"总分级排1", 5 + e}});
            Fixture::savedGrade(10 * e + 4, e, exam, "0202", 2, "李明轩", {{"总分级排1", 50 + e}});
        }
        Fixture::savedGrade(31, 3, "期末补考", "0201", 2, "O'Neil", {{"总分级排1", 9}});
        QVERIFY(env.startForms());
        showLaidOut(Forms::sinngles);

        // One name, two students: listed, nothing charted until one is picked.
        Forms::sinngles->edit2->setEditText("王浩然");
        Forms::sinngles->Button2->click();
        QVERIFY(Forms::sinngles->students->isVisible());
        QCOMPARE(Forms::sinngles->students->rowCount(), 2);
        QCOMPARE(Forms::sinngles->students->item(0, 0)->text(), QString("0105"));
        QCOMPARE(Forms::sinngles->students->item(1, 1)->text(), QString("3"));
        QVERIFY(Forms::sinngles->students->item(1, 3)->text().contains("期中、期末"));
        QCOMPARE(Forms::sinngles->Series1->count(), 0);
        QVERIFY(Forms::sinngles->trend->title().contains("有2名学生"));
        Forms::sinngles->students->selectRow(1);
        QCOMPARE(column(Forms::sinngles->Query1, "ID"), (QVariantList{12, 22}));
        QCOMPARE(ys(Forms::sinngles->Series1), (QList<double>{31, 32}));
        QCOMPARE(Forms::sinngles->trend->title(), QString("王浩然（学号0307）同学历次考试 总分级排 成绩波动图"));
        // Another subject keeps the student picked.
        Forms::sinngles->c->setChecked(true);
        Forms::sinngles->Button2->click();
        QCOMPARE(column(Forms::sinngles->Query1, "ID"), (QVariantList{12, 22}));

        // 李明 is exactly one of the two names it begins: he is charted, 李明轩 listed.
        Forms::sinngles->edit2->setEditText("李明 ");
        Forms::sinngles->Button2->click();
        QCOMPARE(Forms::sinngles->students->rowCount(), 2);
        QCOMPARE(Forms::sinngles->students->item(0, 2)->text(), QString("李明"));
        QCOMPARE(column(Forms::sinngles->Query1, "ID"), (QVariantList{13, 23}));
        QCOMPARE(Forms::sinngles->trend->title(), QString("李明同学历次考试 总分级排 成绩波动图"));

        // By number; and a quote in a name.
        Forms::sinngles->cv->setChecked(true);
        Forms::sinngles->edit2->setEditText("030");
        Forms::sinngles->Button2->click();
        QCOMPARE(column(Forms::sinngles->Query1, "ID"), (QVariantList{12, 22}));
        QVERIFY(!Forms::sinngles->students->isVisible());
        Forms::sinngles->cv->setChecked(false);
        Forms::sinngles->edit2->setEditText("O'Neil");
        Forms::sinngles->Button2->click();
        QCOMPARE(column(Forms::sinngles->Query1, "ID"), (QVariantList{31}));
        // The same 学号 under another name is another student: 0201 李明 is not joined to him.
        QVERIFY(env.messages.records.isEmpty());

        // One examination of two same-named students needs the pick first.
        Forms::sinngles->edit2->setEditText("王浩然");
        Forms::sinngles->ksmc->setEditText("期中");
        Forms::sinngles->SpeedButton1->click();
        QVERIFY(env.messages.last().contains("请先在名单中选一名"));
        Forms::sinngles->students->selectRow(0);
        Forms::sinngles->SpeedButton1->click();
        QCOMPARE(column(Forms::sinngles->Query1, "ID"), (QVariantList{11}));
    }

    void oneExaminationIsMatchedExactly()
    {
        WindowTestEnv env;
        env.openDb();
        threeExams();
        QVERIFY(env.startForms());
        showLaidOut(Forms::sinngles);
        Forms::sinngles->edit2->setEditText("张丙");
        Forms::sinngles->ksmc->setEditText("第一次月考 ");
        Forms::sinngles->SpeedButton1->click();
        QCOMPARE(Forms::sinngles->Query1->rowCount(), 0);
        QCOMPARE(Forms::sinngles->Series1->count(), 0);
        Forms::sinngles->ksmc->setEditText("第一次月考");
        Forms::sinngles->SpeedButton1->click();
        QCOMPARE(column(Forms::sinngles->Query1, "ID"), (QVariantList{8}));
        QCOMPARE(ys(Forms::sinngles->Series1), (QList<double>{12}));
        QCOMPARE(Forms::sinngles->trend->marks()->pointConfiguration(0).value(QXYSeries::PointConfiguration::Color).value<QColor>(),
                 QColor(192, 220, 192));
        QCOMPARE(Forms::sinngles->trend->title(), QString("该学生第一次月考  总分级排成绩示意图"));
    }

    void noSavedRowsLeaveEverythingEmpty()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        showLaidOut(Forms::sinngles);
        QCOMPARE(Forms::sinngles->edit2->count(), 0);
        Forms::sinngles->edit2->setEditText("李四");
        Forms::sinngles->Button2->click();
        QCOMPARE(Forms::sinngles->Query1->rowCount(), 0);
        QCOMPARE(Forms::sinngles->Series1->count(), 0);
        QCOMPARE(Forms::sinngles->trend->title(), QString("没有找到姓名以“李四”开头的学生"));
        showLaidOut(Forms::jiaoshigz);
        Forms::jiaoshigz->Button2->click();
        QCOMPARE(Forms::jiaoshigz->Query1->rowCount(), 0);
        QCOMPARE(Forms::jiaoshigz->trend->title(), QString("2班语文历次考试平均分排名波动图"));
        QVERIFY(Forms::jiaoshigz->trend->valueLabels().isEmpty());
        showLaidOut(Forms::sppict1);
        Forms::sppict1->SpeedButton1->click();
        QCOMPARE(Forms::sppict1->Series1->count() + Forms::sppict1->Series2->count(), 0);
        QVERIFY(Forms::sppict1->chart->title().endsWith("1班与2班总分科全班成绩波动对比图"));
        QVERIFY(env.messages.records.isEmpty());
    }

    void typingWaitsForThePauseAndStaysQuick()
    {
        WindowTestEnv env;
        env.openDb();
        // 100,000 saved rows: 100 examinations of a grade of 1,000.
        Db::inTransaction([] {
            QSqlQuery q = Db::prepare("INSERT INTO cjsave (ID, 考试编号, 考试名称, 学号, 班号, 姓名, 总分级排1) "
                                      "VALUES (?, ?, ?, ?, ?, ?, ?)");
            int id = 0;
            for (int e = 1; e <= 100; ++e)
                for (int s = 0; s < 1000; ++s, ++id)
                    Db::exec(q, {id, e, QStringLiteral("第%1次考试").arg(e), QStringLiteral("%1").arg(s, 4, 10, QChar('0')),
                                 1 + s / 56, Fixture::studentName(1 + s / 56, s % 56) + QString::number(s), (s * 7 + e) % 1000 + 1});
        });
        QVERIFY(env.startForms());
        showLaidOut(Forms::sinngles);
        const QString name = Fixture::studentName(3, 20) + "132";
        QElapsedTimer t;
        t.start();
        for (int i = 1; i <= name.size(); ++i)
            Forms::sinngles->edit2->setEditText(name.left(i));
        QVERIFY(t.elapsed() < Forms::sinngles->kTypingDelayMs); // no query while the keys come
        QCOMPARE(Forms::sinngles->Query1->rowCount(), 0);
        QTRY_COMPARE(Forms::sinngles->Query1->rowCount(), 100);
        QCOMPARE(Forms::sinngles->Series1->count(), 100);
        // The looked-up name itself, timed as the pause ends.
        t.restart();
        Forms::sinngles->Button2->click();
        const qint64 ms = t.elapsed();
        qInfo("one name among 100,000 saved rows: %lld ms", ms);
        QVERIFY2(ms < 1000, qPrintable(QString::number(ms)));
        QCoreApplication::processEvents();
        QVERIFY(Forms::sinngles->trend->axisX()->labelSpacing() >= Charts::PointAxis::kMinGap);
        // A first digit pausing names every student: the first ones are
        // listed with a word that there are more, and none is charted.
        Forms::sinngles->cv->setChecked(true);
        Forms::sinngles->edit2->setEditText("0");
        t.restart();
        Forms::sinngles->Button2->click();
        qInfo("one digit: %lld ms", t.elapsed());
        QCOMPARE(Forms::sinngles->students->rowCount(), Tsinggles::kListed + 1);
        QVERIFY(Forms::sinngles->students->item(Tsinggles::kListed, 0)->text().contains("还有更多学生"));
        QCOMPARE(Forms::sinngles->Query1->rowCount(), 0);
        QCOMPARE(Forms::sinngles->Series1->count(), 0);
        Forms::sinngles->cv->setChecked(false);
        // Picking a name from the box's list needs no pause.
        Forms::sinngles->edit2->setCurrentIndex(1);
        emit Forms::sinngles->edit2->activated(1);
        QVERIFY(Forms::sinngles->Query1->rowCount() > 0);
        QVERIFY(!Forms::sinngles->typing->isActive());
    }

    // ---- the class ranking by rate ----
    void theTeacherRecordIsInExaminationOrder()
    {
        WindowTestEnv env;
        env.openDb();
        for (auto [no, exam, avg, high] : {std::tuple{3, "期末", 4, 1}, {1, "期中", 2, 3}, {2, "月考", 5, 2}}) {
            analysisRow(exam, no, 2, "语文", {{"平均分排名", avg}, {"高分率排名", high}, {"合格率", 0.5}, {"科任教师", "王老师"}});
            analysisRow(exam, no, 1, "语文", {{"平均分排名", 1}, {"高分率排名", 1}});
            analysisRow(exam, no, 2, "数学", {{"平均分排名", 9}});
        }
        QVERIFY(env.startForms());
        // Reached through the viewing-code prompt.
        Forms::men1->Edit1->setText(QLatin1String(Tmen1::kViewingCode));
        Forms::men1->Button1->click();
        QVERIFY(Forms::jiaoshigz->isVisible());
        QCOMPARE(Forms::jiaoshigz->trend->title(), QString("教师业绩波动图"));
        Forms::jiaoshigz->Button2->click();
        QCOMPARE(ys(Forms::jiaoshigz->Series1), (QList<double>{2, 5, 4}));
        QCOMPARE(labels(Forms::jiaoshigz->trend), (QStringList{"期中", "月考", "期末"}));
        QVERIFY(Forms::jiaoshigz->trend->axisY()->isReverse());
        // The title names the class, the subject, the rank and the teacher.
        QCOMPARE(Forms::jiaoshigz->trend->title(), QString("2班语文历次考试平均分排名波动图（科任教师：王老师）"));
        QCOMPARE(Forms::jiaoshigz->printJob().examName, QString("2班语文"));
        QVERIFY(Forms::jiaoshigz->DBGrid2->columnWidth(0) >= 40);
        // A rank picked from the list redraws at once.
        Forms::jiaoshigz->c1->setCurrentIndex(2);
        emit Forms::jiaoshigz->c1->activated(2);
        QCOMPARE(Forms::jiaoshigz->c1->currentText(), QString("高分率排名"));
        QCOMPARE(ys(Forms::jiaoshigz->Series1), (QList<double>{3, 2, 1}));
        // First of the grade every time: a flat line at the top.
        Forms::jiaoshigz->Edit2->setText("1");
        Forms::jiaoshigz->Button2->click();
        QCOMPARE(ys(Forms::jiaoshigz->Series1), (QList<double>{1, 1, 1}));
        QCOMPARE(Forms::jiaoshigz->trend->axisY()->min(), 0.0);
        QCoreApplication::processEvents();
        const QRectF plot = Forms::jiaoshigz->trend->plotArea();
        const qreal y = Forms::jiaoshigz->trend->mapToPosition({1, 1}, Forms::jiaoshigz->Series1).y();
        QVERIFY2(y < plot.top() + plot.height() / 4, qPrintable(QString::number(y)));
        QVERIFY(env.messages.records.isEmpty());
        // A rank name typed that the table has no column for.
        Forms::jiaoshigz->c1->setEditText("优秀率排名");
        Forms::jiaoshigz->Button2->click();
        QVERIFY(env.messages.last().contains("“优秀率排名”"));
        QCOMPARE(Forms::jiaoshigz->Series1->count(), 3);
        Forms::jiaoshigz->c1->setEditText("平均分排名");
        Forms::jiaoshigz->Edit2->setText("二");
        Forms::jiaoshigz->Button2->click();
        QVERIFY(env.messages.last().contains("“班号”"));
        QCOMPARE(Forms::jiaoshigz->Query1->rowCount(), 3);
    }

    // Every query window hands on what its grid shows: the context menu's
    // export writes the visible columns of the rows on screen.
    void theQueryGridsExportWhatTheyShow()
    {
        WindowTestEnv env;
        env.openDb();
        threeExams();
        for (auto [no, exam] : {std::pair{1, "期中"}, {2, "月考"}})
            analysisRow(exam, no, 2, "语文", {{"平均分排名", no}, {"合格率", 0.5}});
        QVERIFY(env.startForms());
        auto exportFrom = [&](QWidget* grid, const QString& path) {
            env.messages.clear();
            env.messages.files = {path};
            QAction* action = nullptr;
            for (QAction* a : grid->actions())
                if (a->text().startsWith("导出为Excel"))
                    action = a;
            QVERIFY(action);
            action->trigger();
            QFile f(path + ".xlsx");
            QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(env.messages.last()));
            QCOMPARE(f.read(2), QByteArray("PK"));
        };
        showLaidOut(Forms::chaxun);
        Forms::chaxun->Button1->click();
        exportFrom(Forms::chaxun->DBGrid1, env.root() + "/班级查询");
        QVERIFY2(env.messages.last().contains("已导出5行"), qPrintable(env.messages.last()));
        // A rank filter hides the running number on screen, so it is not
        // handed on either.
        Forms::chaxun->Edit1->setText("22");
        Forms::chaxun->Button5->click();
        const Export::Sheet sheet = Forms::chaxun->printJob().table;
        QCOMPARE(sheet.frozenColumns, 3);
        // Titles as the screen shows them; the stored names say what each column is.
        QVERIFY2(sheet.headers == (QStringList{"班号", "学号", "姓名", "总分级排"}), qPrintable(sheet.headers.join(",")));
        QCOMPARE(sheet.columns.last(), QString("总分级排1"));
        QCOMPARE(sheet.rows.size(), 3);

        showLaidOut(Forms::jiaoshigz);
        Forms::jiaoshigz->Button2->click();
        exportFrom(Forms::jiaoshigz->DBGrid2, env.root() + "/教师");
        QVERIFY2(env.messages.last().contains("已导出2行"), qPrintable(env.messages.last()));
    }

    // ---- the class comparison ----
    void twoClassesGiveTwoCurvesFromTheLeft()
    {
        WindowTestEnv env;
        env.openDb();
        examName("期中");
        const QList<int> ranks1{30, 10, 20};
        const QList<int> ranks2{5, 50, 15, 40, 25};
        for (int i = 0; i < 3; ++i)
            Fixture::savedGrade(i + 1, 1, "期中", QStringLiteral("01%1").arg(3 - i), 1, QStringLiteral("一班%1").arg(i),
                  {{"总分级排1", ranks1[i]}, {"数学级排1", i + 1}});
        for (int i = 0; i < 5; ++i)
            Fixture::savedGrade(i + 10, 1, "期中", QStringLiteral("02%1").arg(5 - i), 2, QStringLiteral("二班%1").arg(i),
                  {{"总分级排1", ranks2[i]}, {"数学级排1", 10 - i}});
        Fixture::savedGrade(20, 2, "期末", "0101", 1, "一班0", {{"总分级排1", 1}});
        QVERIFY(env.startForms());
        showLaidOut(Forms::sppict1);
        QCOMPARE(Forms::sppict1->chart->title(), QString("班成绩分布曲线"));
        QCOMPARE(Forms::sppict1->ksmc->currentText(), QString("期中"));
        Forms::sppict1->SpeedButton1->click();
        QCOMPARE(ys(Forms::sppict1->Series1), (QList<double>{10, 20, 30}));
        QCOMPARE(ys(Forms::sppict1->Series2), (QList<double>{5, 15, 25, 40, 50}));
        QCOMPARE(xs(Forms::sppict1->Series1), (QList<double>{0, 1, 2}));
        QCOMPARE(xs(Forms::sppict1->Series2).first(), 0.0);
        QCOMPARE(Forms::sppict1->Series1->color(), QColor(Qt::red));
        QCOMPARE(Forms::sppict1->Series2->color(), QColor(Qt::blue));
        QVERIFY(Forms::sppict1->Series1->pointsVisible());
        QVERIFY(!Forms::sppict1->Series2->pointsVisible());
        QVERIFY(Forms::sppict1->axisY->isReverse());
        QCOMPARE(Forms::sppict1->axisY->min(), 0.0);
        QCOMPARE(Forms::sppict1->axisX->pointLabels(), QStringList(5, "s"));
        QCOMPARE(Forms::sppict1->chart->title(), QString("期中 1班与2班总分科全班成绩波动对比图"));
        QVERIFY(!Forms::sppict2->isVisible());

        // Ticking 无序分布 alone draws nothing new; the next drawing follows 学号.
        Forms::sppict1->che2->setChecked(true);
        QCOMPARE(ys(Forms::sppict1->Series1), (QList<double>{10, 20, 30}));
        Forms::sppict1->SpeedButton1->click();
        QCOMPARE(ys(Forms::sppict1->Series1), (QList<double>{20, 10, 30}));
        QCOMPARE(ys(Forms::sppict1->Series2), (QList<double>{25, 40, 15, 50, 5}));

        // The detail window names every student, red first class, blue second.
        Forms::sppict1->che2->setChecked(false);
        Forms::sppict1->che3->setChecked(true);
        Forms::sppict1->SpeedButton1->click();
        QVERIFY(Forms::sppict2->isVisible());
        QCOMPARE(Forms::sppict2->red().first().name, QString("一班1"));
        QCOMPARE(Forms::sppict2->blue().size(), 5);
        QCOMPARE(Forms::sppict2->LineSeries1->count(), 3);
        QCOMPARE(Forms::sppict2->LineSeries2->count(), 5);
        QCOMPARE(Forms::sppict2->LineSeries1->color(), QColor(Qt::red));
        QCOMPARE(Forms::sppict2->LineSeries2->color(), QColor(Qt::blue));
        QStringList names;
        for (QGraphicsSimpleTextItem* item : Forms::sppict2->chart()->nameItems())
            names << item->text();
        QVERIFY(names.contains("一班1 10"));
        QVERIFY(names.contains("二班0 5"));
        QCOMPARE(Forms::sppict2->Chart2->width(), 4600);

        // The first class alone: the blue curve and the red detail emptied.
        Forms::sppict1->Button1->click();
        QCOMPARE(Forms::sppict1->Series1->count(), 3);
        QCOMPARE(Forms::sppict1->Series2->count(), 0);
        QCOMPARE(Forms::sppict2->LineSeries1->count(), 0);
        QCOMPARE(Forms::sppict2->LineSeries2->count(), 5);
        QCOMPARE(Forms::sppict1->chart->title(), QString("期中 1班与2班总分科全班成绩波动对比图"));

        // A subject picked redraws both curves at once.
        Forms::sppict1->c1->setCurrentIndex(Forms::sppict1->c1->findText("数学"));
        emit Forms::sppict1->c1->activated(Forms::sppict1->c1->currentIndex());
        QCOMPARE(ys(Forms::sppict1->Series1), (QList<double>{1, 2, 3}));
        QCOMPARE(ys(Forms::sppict1->Series2), (QList<double>{6, 7, 8, 9, 10}));
        QVERIFY(env.messages.records.isEmpty());

        Forms::sppict1->Button2->click();
        QCOMPARE(env.messages.last(),
                 QString("本曲线由某次考试全班成绩组成，曲线上一个点即是一个人的成绩，默认是按高低排序。你也可以选择无序"));
        env.messages.clear();
        Forms::sppict1->Edit3->setText("2班");
        Forms::sppict1->Button1->click();
        QVERIFY(env.messages.last().contains("“第二个班”"));
        QCOMPARE(Forms::sppict1->Series1->count(), 3);
    }

    // ---- legible with real data ----
    void longExamNamesAndManyStudentsStayApart()
    {
        WindowTestEnv env;
        env.openDb();
        QList<Fixture::SavedExam> exams;
        for (int e = 1; e <= 10; ++e)
            exams.append({QStringLiteral("2025学年第%1学期第%2次阶段性质量检测").arg(1 + e / 6).arg(e), e});
        Fixture::saveExams(exams, {60, 58, 45});
        QVERIFY(env.startForms());
        showLaidOut(Forms::sinngles);
        Forms::sinngles->edit2->setEditText(Fixture::studentName(2, 5));
        Forms::sinngles->Button2->click();
        QCOMPARE(Forms::sinngles->Series1->count(), 10);
        QCoreApplication::processEvents();
        Charts::PointAxis* axis = Forms::sinngles->trend->axisX();
        QCOMPARE(axis->shownPoints().size(), 10);
        QVERIFY(axis->labelSpacing() >= Charts::PointAxis::kMinGap);
        QVERIFY(!axis->labelsTruncated());

        showLaidOut(Forms::sppict1);
        Forms::sppict1->che3->setChecked(true);
        Forms::sppict1->SpeedButton1->click();
        QCOMPARE(Forms::sppict1->Series1->count(), 60);
        QVERIFY(Forms::sppict1->axisX->labelSpacing() >= Charts::PointAxis::kMinGap);
        QCoreApplication::processEvents();
        Forms::sppict2->chart()->placeLabels();
        const auto items = Forms::sppict2->chart()->nameItems();
        QCOMPARE(items.size(), 118);
        for (int i = 0; i < items.size(); ++i)
            for (int j = i + 1; j < items.size(); ++j)
                QVERIFY2(!items[i]->sceneBoundingRect().intersects(items[j]->sceneBoundingRect()),
                         qPrintable(items[i]->text() + " / " + items[j]->text()));
    }
};

GRADEBOOK_WINDOW_TEST_MAIN(TestHistoryWindows)
#include "test_history_windows.moc"
