#include "windows/app/forms.h"
#include "windows/app/tform2.h"
#include "windows/app/tform6.h"
#include "engine/db/database.h"
#include "engine/processing/runs.h"
#include "engine/processing/rankstamp.h"
#include "engine/processing/saves.h"
#include "engine/entry/setup.h"
#include "windows/entry/tluru.h"
#include "windows/processing/tc1p.h"
#include "windows/processing/tform1.h"
#include "windows/processing/tform8.h"
#include "windowtest.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

namespace {

void roster()
{
    int n = 0;
    for (int c = 1; c <= 3; ++c)
        for (int i = 0; i < 4; ++i, ++n)
            Fixture::student("cj", QString::number(100 * c + i), c, QStringLiteral("生%1").arg(n),
                             {{"语文1", 60 + n}, {"数学1", 90 - n}, {"英语1", 70}});
    // The examination works on cj, ranked as a ranking run leaves it, so that it can be saved.
    Db::exec("UPDATE linshi SET shibie = 1");
    Proc::recordRanking("cj");
}

} // namespace

class TestProcessingPanel : public QObject {
    Q_OBJECT
private slots:
    void modesShowTheirGroups()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Forms::Form1->showMode(TForm1::Mode::Bands);
        QVERIFY(Forms::Form1->GroupBox3->isVisible());
        QVERIFY(!Forms::Form1->GroupBox1->isVisible() && !Forms::Form1->GroupBox2->isVisible());
        QVERIFY(!Forms::Form1->Panel3->isVisible() && !Forms::Form1->Button2->isVisible() && !Forms::Form1->banshu2->isVisible());
        QVERIFY(Forms::Form1->Button7->isVisible());
        QCOMPARE(Forms::Form1->height(), 363);
        QVERIFY(Forms::Form2->isVisible());

        Forms::Form1->showMode(TForm1::Mode::Ranking);
        QVERIFY(Forms::Form1->GroupBox1->isVisible() && Forms::Form1->Panel3->isVisible() && Forms::Form1->Button2->isVisible());
        QVERIFY(!Forms::Form1->Button3->isVisible());
        QCOMPARE(Forms::Form1->height(), 425);

        Forms::Form1->showMode(TForm1::Mode::Analysis);
        QVERIFY(Forms::Form1->GroupBox2->isVisible() && Forms::Form1->Button3->isVisible() && !Forms::Form1->Button2->isVisible());
        QCOMPARE(Forms::Form1->height(), 428);
        QCOMPARE(Forms::Form1->kemu1->text(), QString("100"));
        // 综合's full mark is set beside the others.
        QVERIFY(Forms::Form1->kemu10->isVisible());
        QCOMPARE(Forms::Form1->kemu10->text(), QString("100"));
        QVERIFY(Forms::Form1->banshu2Label->isVisible());
    }

    void theParameterPanelFillsTheProcessingPanel()
    {
        WindowTestEnv env;
        env.openDb();
        Fixture::student("cj", "1", 1, "甲");
        Fixture::student("cj", "2", 12, "乙");
        Db::exec("UPDATE linshi SET shibie = 1");
        Db::close();
        QVERIFY(env.startForms());
        QCOMPARE(Forms::Form2->banshu2->text(), QString("12"));
        QVERIFY(Forms::Form2->CheckBox1->isChecked() && !Forms::Form2->CheckBox2->isChecked());
        QVERIFY(!Forms::Form2->CheckBox7->isVisibleTo(Forms::Form2));

        Forms::Form2->show();
        Forms::Form2->banshu1->setText("2");
        Forms::Form2->CheckBox2->setChecked(true);
        Forms::Form2->CheckBox10->setChecked(true);
        Forms::Form2->Button1->click();
        QVERIFY(!Forms::Form2->isVisible());
        QVERIFY(Forms::Form1->isVisible());
        QCOMPARE(Forms::Form1->banshu0->text(), QString("2"));
        QCOMPARE(Forms::Form1->banshu1->text(), QString("2"));
        QCOMPARE(Forms::Form1->banshu2->text(), QString("12"));
        QCOMPARE(Forms::Form1->Edit1->text(), QString("12"));
        QCOMPARE(Forms::Form1->aa->text(), QString("语文"));
        QCOMPARE(Forms::Form1->bb->text(), QString("数学"));
        for (QLabel* l : {Forms::Form1->cc, Forms::Form1->dd, Forms::Form1->Label37, Forms::Form1->Label38})
            QVERIFY(l->text().isEmpty());

        // Every subject ticked: the strip names each of them once, also when
        // the panel is shown again later.
        Forms::Form2->show();
        for (QCheckBox* c : {Forms::Form2->CheckBox3, Forms::Form2->CheckBox4, Forms::Form2->CheckBox5, Forms::Form2->CheckBox6})
            c->setChecked(true);
        Forms::Form2->Button1->click();
        Forms::Form1->hide();
        Forms::showWindow(Forms::Form1);
        QStringList strip;
        for (QLabel* l : {Forms::Form1->aa, Forms::Form1->bb, Forms::Form1->cc, Forms::Form1->dd, Forms::Form1->Label37, Forms::Form1->Label38})
            strip << l->text();
        QCOMPARE(strip, (QStringList{"语文", "数学", "英语", "政治", "物理", "化学"}));
    }

    void rankingThroughThePanel()
    {
        WindowTestEnv env;
        env.openDb();
        roster();
        Db::close();
        QVERIFY(env.startForms());
        Forms::Form2->CheckBox2->setChecked(true);
        Forms::Form2->CheckBox3->setChecked(true);
        Forms::Form2->banshu1->setText("1");
        Forms::Form2->banshu2->setText("3");
        Forms::Form2->close();
        Forms::Form1->showMode(TForm1::Mode::Ranking);
        Forms::Form1->Button1->click();
        QCOMPARE(env.messages.records.last().caption, QString("你好"));
        QCOMPARE(env.messages.last(), QString("处理完毕！！！按确定后可查看处理结果"));
        QVERIFY(Forms::Form1->lastReport.startsWith("在0:00:0"));
        QVERIFY(Forms::Form1->lastReport.endsWith("的时间里，我们已经处理了168个数据")); // 12 x 2 x (3 + 4)
        QVERIFY(!Forms::Form1->isVisible());
        QVERIFY(Forms::Form1->Label23->text().isEmpty());
        QCOMPARE(Forms::luru->Query1->queryText(),
                 Proc::rankDisplayQuery("cj", {"语文", "数学", "英语"}, "1", 1, 3).text());
        QCOMPARE(Forms::luru->Query1->rowCount(), 12);
        for (QProgressBar* g : {Forms::Form1->Gauge1, Forms::Form1->Gauge2, Forms::Form1->Gauge3})
            QCOMPARE(g->value(), 100);
        QCOMPARE(Fixture::value("cj", "总分1", 0).toInt(), 60 + 90 + 70);
        QCOMPARE(Fixture::value("cj", "语文班排1", 3).toInt(), 1);
    }

    void aBadSettingChangesNothing_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("mode");
        QTest::newRow("full mark") << "kemu2" << "" << 1;
        QTest::newRow("top limit") << "Edit5" << "300x" << 1;
        QTest::newRow("upper limit") << "sx" << "abc" << 2;
        QTest::newRow("band count") << "shumus" << "3 0" << 2;
    }
    void aBadSettingChangesNothing()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(int, mode);
        WindowTestEnv env;
        env.openDb();
        roster();
        Db::close();
        QVERIFY(env.startForms());
        Forms::Form2->CheckBox2->setChecked(true);
        Forms::Form1->showMode(TForm1::Mode(mode));
        Forms::Form1->findChild<QLineEdit*>(field)->setText(text);
        const QString before = Fixture::dump("cj") + Fixture::dump("fx") + Fixture::dump("tj");
        QPushButton* start = mode == 0 ? Forms::Form1->Button1 : mode == 1 ? Forms::Form1->fenxi : Forms::Form1->fenduan;
        start->click();
        QCOMPARE(env.messages.records.size(), 1);
        QCOMPARE(env.messages.records.first().kind, Msg::Kind::Warning);
        QVERIFY(env.messages.last().contains(text.isEmpty() ? QString("必须是整数") : text));
        QCOMPARE(Fixture::dump("cj") + Fixture::dump("fx") + Fixture::dump("tj"), before);
        QVERIFY(!Forms::Form8->isVisible());
    }

    void analysisAndBandsThroughThePanel()
    {
        WindowTestEnv env;
        env.openDb();
        roster();
        Db::exec("UPDATE linshi SET shibie = 1"); // the examination works on cj
        Db::close();
        QVERIFY(env.startForms());
        Forms::Form1->banshu0->setText("1");
        Forms::Form1->banshu2->setText("3");
        Forms::Form1->showMode(TForm1::Mode::Analysis);
        Forms::Form1->fenxi->click();
        QCOMPARE(env.messages.texts(), QStringList{"处理完毕！！！按确定后可查看处理结果"});
        QCOMPARE(Fixture::value("fx", "班号", 3).toInt(), 100);
        Forms::Form1->fenxi->click();
        QCOMPARE(env.messages.texts().at(1),
                 QString("上次的结果尚未清零，按确定将进行清零，这将增加一定的处理时间！"));

        env.messages.clear();
        Db::exec("UPDATE cj SET 总分1 = 395");
        Forms::Form1->showMode(TForm1::Mode::Bands);
        Forms::Form1->sx->setText("399");
        Forms::Form1->fenduan->click();
        QCOMPARE(env.messages.texts(), QStringList{"处理完毕！！！按确定后可查看处理结果"});
        QCOMPARE(Fixture::value("tj", "全级", 0).toInt(), 12);
        QVERIFY(!Forms::Form8->isVisible());
        QVERIFY(!Forms::Form1->isVisible());
        QCOMPARE(Forms::Form1->Gauge5->value(), 100);
    }

    void theCompositeFullMarkCountsInTheAnalysis()
    {
        WindowTestEnv env;
        env.openDb();
        for (int i = 0; i < 4; ++i)
            Fixture::student("cj", QString::number(i), 1, QStringLiteral("生%1").arg(i), {{"综合1", 30 + 5 * i}});
        Db::exec("UPDATE linshi SET shibie = 1");
        Db::close();
        QVERIFY(env.startForms());
        Forms::Form2->show();
        Forms::Form2->CheckBox1->setChecked(false);
        Forms::Form2->CheckBox10->setChecked(true); // 综合 only
        Forms::Form2->banshu1->setText("1");
        Forms::Form2->banshu2->setText("1");
        Forms::Form2->Button1->click();
        Forms::Form1->showMode(TForm1::Mode::Analysis);
        Forms::Form1->kemu10->setText("50");
        Forms::Form1->fenxi->click();
        QCOMPARE(Fixture::value("fx", "科目", 0).toString(), QString("综合1"));
        QCOMPARE(Fixture::value("fx", "满分值", 0).toInt(), 50);
        // Out of 50, 30 to 45 all pass (60 %: 30).
        QCOMPARE(Fixture::value("fx", "合格人数", 0).toInt(), 4);
        QCOMPARE(Fixture::value("fx", "合格率", 0).toDouble(), 1.0);
        QCOMPARE(Forms::Form1->Gauge4->value(), 100);
    }

    void theBandMessageTellsOfTotalsAboveTheFirstBand()
    {
        WindowTestEnv env;
        env.openDb();
        roster();
        Db::exec("UPDATE linshi SET shibie = 1");
        Db::exec("UPDATE cj SET 总分1 = 350");
        Db::exec("UPDATE cj SET 总分1 = 405 WHERE rowid <= 2");
        Db::exec("UPDATE cj SET 总分1 = 399.5 WHERE rowid = 3");
        Db::close();
        QVERIFY(env.startForms());
        // Four subjects of 100: the bands start below the highest total, 399.
        Forms::Form2->show();
        for (QCheckBox* c : {Forms::Form2->CheckBox2, Forms::Form2->CheckBox3, Forms::Form2->CheckBox4})
            c->setChecked(true);
        Forms::Form2->Button1->click();
        Forms::Form1->showMode(TForm1::Mode::Bands);
        QCOMPARE(Forms::Form1->sx->text(), QString("399"));
        Forms::Form1->fenduan->click();
        QCOMPARE(env.messages.records.size(), 1);
        QCOMPARE(env.messages.last(),
                 QString("处理完毕！！！按确定后可查看处理结果\n\n有2名学生的总分高于分段上限399，未计入任何分段"));
        QCOMPARE(Fixture::value("tj", "全级", 0).toInt(), 1); // 399.5 in 390-399

        env.messages.clear();
        Forms::Form1->showMode(TForm1::Mode::Bands);
        Forms::Form1->sx->setText("409");
        Forms::Form1->fenduan->click();
        QCOMPARE(env.messages.texts(), QStringList{"处理完毕！！！按确定后可查看处理结果"});
    }

    void confirmingReprocessingKeepsAnotherNumberOfTheSameName()
    {
        WindowTestEnv env;
        env.openDb();
        roster();
        Save::grades("cj", {"期中", 1});
        Save::grades("cj", {"期中", 2});
        Db::close();
        QVERIFY(env.startForms());
        QCOMPARE(Entry::examState().number, QString("2"));
        Forms::c1p->show();
        Forms::c1p->Button1->click();
        QCOMPARE(Fixture::column("ksmc", "name"), (QVariantList{"没有任何考试", "期中"}));
        QCOMPARE(Fixture::column("cjsave", "考试编号"), QVariantList(12, 1));
    }

    void confirmingReprocessingRemovesThisExaminationOnly()
    {
        WindowTestEnv env;
        env.openDb();
        roster();
        Save::grades("cj", {"期中", 1});
        Save::grades("cj", {"期末", 2});
        Fixture::setCheck({{"mc", "期末"}, {"bh", "2"}, {"c1", 1}});
        Db::close();
        QVERIFY(env.startForms());
        if (QWidget* entry = Forms::window("Tluru"))
            entry->findChild<QLineEdit*>("mingc")->setText("期末");

        Forms::c1p->show();
        Forms::c1p->Button2->click();
        QVERIFY(!Forms::c1p->isVisible());
        QCOMPARE(Db::rowCount("cjsave"), 24);

        Forms::c1p->show();
        Forms::c1p->Button1->click();
        QCOMPARE(Fixture::column("ksmc", "name"), (QVariantList{"没有任何考试", "期中"}));
        QCOMPARE(Db::rowCount("cjsave"), 12);
        QCOMPARE(Fixture::value("check", "c1").toInt(), 0);
        QVERIFY(Forms::Form1->isVisible() && Forms::Form1->GroupBox1->isVisible());
        QVERIFY(Forms::Form2->isVisible());
    }
};

GRADEBOOK_WINDOW_TEST_MAIN(TestProcessingPanel)
#include "test_processing_panel.moc"
