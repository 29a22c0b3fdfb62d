// The saved analysis and total-score tables of past examinations, looked up
// through their windows, and the charts drawn from them, read back through
// their series and labels.
#include "engine/db/database.h"
#include "engine/db/gridmodel.h"
#include "engine/processing/runs.h"
#include "engine/processing/saves.h"
#include "engine/reports/chartdata.h"
#include "engine/rules/numbers.h"
#include "windows/app/forms.h"
#include "windows/app/tform6.h"
#include "windows/charts/tp.h"
#include "windows/charts/tp4.h"
#include "windows/charts/tp5.h"
#include "windows/reports/frozengrid.h"
#include "windows/reports/tsearch.h"
#include "windows/reports/tstjf.h"
#include "windowtest.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPieSeries>
#include <QPieSlice>
#include <QStackedBarSeries>

namespace {

constexpr int kClasses = 3;
constexpr int kPerClass = 20;
constexpr int kBands = 30; // 299 down to 0

// One examination run through the engine and saved: ranks, the analysis of
// 语文, 数学, 英语 for classes 1-3 and 30 total-score bands.
void examination(const QString& name, qint64 number, int seed)
{
    Db::exec("DELETE FROM cj");
    Db::inTransaction([&] {
        int n = 0;
        for (int c = 1; c <= kClasses; ++c)
            for (int i = 0; i < kPerClass; ++i, ++n)
                Fixture::student("cj", QStringLiteral("%1%2").arg(c).arg(i, 2, 10, QChar('0')), c,
                                 QStringLiteral("学生%1").arg(n),
                                 {{"语文1", 35 + (n * 7 + seed * 11) % 65}, {"数学1", 20 + (n * 13 + seed) % 80},
                                  {"英语1", 30 + (n * 17 + seed * 3) % 70}});
    });
    Proc::RankSettings r;
    r.subjects = {"语文", "数学", "英语"};
    r.lastClass = kClasses;
    Proc::rank(r);
    Proc::AnalysisSettings a;
    a.subjects = r.subjects;
    a.lastClass = kClasses;
    a.top = {5, 10, 20, 40};
    Proc::analyze(a);
    Proc::BandSettings b;
    b.upper = 299;
    b.count = kBands;
    b.lastClass = kClasses;
    Proc::bands(b);
    Save::analysis("fx", {name, number, false});
    Save::bands("tj", {name, number, false});
}

// A saved analysis row written directly, for counts a test needs exactly.
void analysisRow(const QString& exam, const QString& subject, int cls, const QVariantMap& values)
{
    QStringList cols{"科目", "班号", "考试名称", "考试编号"};
    QVariantList binds{subject, cls, exam, 9};
    for (auto it = values.begin(); it != values.end(); ++it) {
        cols << Db::quote(it.key());
        binds << it.value();
    }
    Db::exec(QStringLiteral("INSERT INTO fxsave(%1) VALUES (%2)").arg(cols.join(','), QString("?,").repeated(binds.size()).chopped(1)),
             binds);
}

QVariantList shown(Db::GridModel* m, const QString& column)
{
    QVariantList out;
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->value(r, column);
    return out;
}

QPieSeries* pie(QChartView* v)
{
    return qobject_cast<QPieSeries*>(v->chart()->series().value(0));
}

QStringList sliceLabels(QChartView* v)
{
    QStringList out;
    if (QPieSeries* s = pie(v))
        for (QPieSlice* sl : s->slices())
            out << sl->label();
    return out;
}

QList<double> sliceValues(QChartView* v)
{
    QList<double> out;
    if (QPieSeries* s = pie(v))
        for (QPieSlice* sl : s->slices())
            out << sl->value();
    return out;
}

// The count column of one examination's band rows, in saving order.
QList<double> savedCounts(const QString& exam, const QString& column)
{
    QList<double> out;
    for (const auto& r : Db::selectRows(QStringLiteral("SELECT %1 FROM tjsave1 WHERE 考试名称 = ? AND 下限 <> '平均分' "
                                                       "ORDER BY ID1 LIMIT ?")
                                            .arg(Db::quote(column)),
                                        {exam, kBands}))
        out << r.first().toDouble();
    return out;
}

} // namespace

class TestSavedWindows : public QObject {
    Q_OBJECT
private slots:
    void savedBandTablesByPrefixAndTheirAverages()
    {
        WindowTestEnv env;
        env.openDb();
        examination("期中", 5, 1);
        examination("期中补考", 6, 2);
        Db::close();
        QVERIFY(env.startForms());
        Forms::showWindow(Forms::stjf);
        QCOMPARE(Forms::stjf->c1->count(), 2);
        QCOMPARE(Forms::stjf->c1->itemText(0), QString("期中"));
        QCOMPARE(Forms::stjf->c1->currentText(), QString("期中补考"));

        Forms::stjf->c1->setEditText("期中");
        Forms::stjf->Button1->click();
        QCOMPARE(Forms::stjf->Query1->queryText(), QString("select * from  tjsave1 where  考试名称 like '期中%'order by ID1"));
        const QVariantList names = shown(Forms::stjf->Query1, "考试名称");
        QCOMPARE(names.size(), 2 * 101); // every row of the band table is saved
        QCOMPARE(names.first().toString(), QString("期中"));
        QCOMPARE(names.at(101).toString(), QString("期中补考"));
        QCOMPARE(names.count(QString("期中")), 101);
        const QVariantList ids = shown(Forms::stjf->Query1, "ID1");
        for (int i = 1; i < ids.size(); ++i)
            QVERIFY(ids.at(i).toLongLong() > ids.at(i - 1).toLongLong());
        // 上限 and 下限 stay at the left; the class columns at least 64 wide.
        for (int c = 0; c < 21; ++c) {
            QCOMPARE(Forms::stjf->DBGrid2->isColumnHidden(c), c >= Tstjf::kFrozen);
            QCOMPARE(Forms::stjf->DBGrid1->isColumnHidden(c), c < Tstjf::kFrozen);
            QVERIFY(Forms::stjf->DBGrid1->columnWidth(c) >= (c < 2 ? 0 : 64));
        }

        Forms::stjf->Button4->click();
        QCOMPARE(shown(Forms::stjf->Query1, "考试名称"), (QVariantList{"期中", "期中补考"}));
        QCOMPARE(shown(Forms::stjf->Query1, "下限"), (QVariantList{"平均分", "平均分"}));

        // A band table saved later is listed last and chosen the next time.
        Forms::stjf->close();
        examination("期末", 7, 3);
        Forms::showWindow(Forms::stjf);
        QCOMPARE(Forms::stjf->c1->count(), 3);
        QCOMPARE(Forms::stjf->c1->currentText(), QString("期末"));
        QVERIFY(env.messages.records.isEmpty());
    }

    void theTotalScorePie()
    {
        WindowTestEnv env;
        env.openDb();
        examination("期中", 5, 1);
        Save::grades("cj", {"期中", 5, false});
        examination("期中补考", 6, 2);
        Db::close();
        QVERIFY(env.startForms());
        Forms::showWindow(Forms::stjf);
        Forms::stjf->c1->setEditText("期中");
        Forms::stjf->Edit1->setText("2");
        Forms::stjf->Button2->click();
        QVERIFY(Forms::p5->isVisible());
        QCOMPARE(Forms::stjf->Query1->rowCount(), 2 * 101);
        const QList<double> counts = savedCounts("期中", "2班");
        QList<double> expected;
        for (int s = 0; s < 7; ++s)
            expected << counts.at(2 * s) + counts.at(2 * s + 1);
        const QList<double> values = sliceValues(Forms::p5->Chart1);
        QCOMPARE(values.size(), 13);
        QCOMPARE(values.mid(0, 7), expected);
        // Every label says the share of the class its title promises, then the count.
        auto label = [](double n) {
            return QStringLiteral("占%1%（%2人）").arg(Num::percent(qint64(n), kPerClass)).arg(n);
        };
        QCOMPARE(sliceLabels(Forms::p5->Chart1).first(), "从280到299" + label(expected.first()));
        QCOMPARE(sliceLabels(Forms::p5->Chart1).at(6), "从160到179" + label(expected.at(6)));
        // Only 期中 is drawn, and the title says that 期中补考 was found too.
        QVERIFY(Forms::p5->Chart1->chart()->title().startsWith("期中第2班总分分段饼图<br>"));
        QVERIFY(Forms::p5->Chart1->chart()->title().contains("只画第一个"));

        // 13 slices of one band each reach down to 170: the students below
        // are the slice 其余, and the pie is the whole class of 20.
        Forms::stjf->jiange->setText("1");
        Forms::stjf->Button2->click(); // already on screen: drawn again
        double drawn = 0;
        for (int b = 0; b < 13; ++b)
            drawn += counts.at(b);
        QVERIFY(drawn < kPerClass);
        QCOMPARE(sliceValues(Forms::p5->Chart1).size(), 14);
        QCOMPARE(sliceLabels(Forms::p5->Chart1).last(), "其余" + label(kPerClass - drawn));
        double sum = 0;
        for (double v : sliceValues(Forms::p5->Chart1))
            sum += v;
        QCOMPARE(sum, double(kPerClass));
        // Declined: the title says how many are not drawn.
        Forms::stjf->qita->setChecked(false);
        Forms::stjf->Button2->click();
        QCOMPARE(sliceValues(Forms::p5->Chart1).size(), 13);
        QVERIFY2(Forms::p5->Chart1->chart()->title().contains(QStringLiteral("另有%1人").arg(kPerClass - drawn)),
                 qPrintable(Forms::p5->Chart1->chart()->title()));
        Forms::stjf->qita->setChecked(true);
        Forms::stjf->jiange->setText("2");

        // 16 slices of 2 rows over 30 bands: the last band row repeats.
        Forms::stjf->duanshu->setText("16");
        Forms::stjf->Button2->click();
        QCOMPARE(sliceValues(Forms::p5->Chart1).size(), 16);
        QCOMPARE(sliceValues(Forms::p5->Chart1).at(14), counts.at(28) + counts.at(29));
        QCOMPARE(sliceValues(Forms::p5->Chart1).at(15), 2 * counts.at(29));
        QVERIFY(Forms::p5->Chart1->chart()->title().contains("多算了2次"));

        // One slice over every band: the grade, every student in one band.
        Forms::stjf->duanshu->setText("1");
        Forms::stjf->jiange->setText(QString::number(kBands));
        Forms::stjf->ch->setChecked(true);
        Forms::stjf->Button2->click();
        QCOMPARE(sliceValues(Forms::p5->Chart1), QList<double>{double(kClasses * kPerClass)});
        QCOMPARE(sliceLabels(Forms::p5->Chart1), QStringList{QStringLiteral("从0到299占100%（%1人）").arg(kClasses * kPerClass)});
        QVERIFY(Forms::p5->Chart1->chart()->title().startsWith("期中全级总分分段饼图"));
        QCOMPARE(Forms::p5->printJob().chart, static_cast<QGraphicsView*>(Forms::p5->Chart1));
        QCOMPARE(Forms::p5->printJob().examName, QString("期中"));
        QVERIFY(env.messages.records.isEmpty());
    }

    void thePieRefusesWhatItCannotDraw_data()
    {
        QTest::addColumn<QString>("exam");
        QTest::addColumn<QString>("cls");
        QTest::addColumn<QString>("slices");
        QTest::addColumn<QString>("message");
        QTest::newRow("no such examination") << "期末" << "1" << "13" << "没有找到考试名称以“期末”开头";
        QTest::newRow("class in words") << "期中" << "一" << "13" << "我要演示几班的情况";
        QTest::newRow("class without a column") << "期中" << "19" << "13" << "没有第19班";
        QTest::newRow("slices not a number") << "期中" << "1" << "十三" << "图表段数";
    }
    void thePieRefusesWhatItCannotDraw()
    {
        QFETCH(QString, exam);
        QFETCH(QString, cls);
        QFETCH(QString, slices);
        QFETCH(QString, message);
        WindowTestEnv env;
        env.openDb();
        examination("期中", 5, 1);
        Db::close();
        QVERIFY(env.startForms());
        Forms::showWindow(Forms::stjf);
        Forms::stjf->c1->setEditText(exam);
        Forms::stjf->Edit1->setText(cls);
        Forms::stjf->duanshu->setText(slices);
        Forms::stjf->Button2->click();
        QCOMPARE(env.messages.records.size(), 1);
        QVERIFY2(env.messages.last().contains(message), qPrintable(env.messages.last()));
        QVERIFY(!Forms::p5->isVisible());
    }

    void savedAnalysisRowsOfOneSubject()
    {
        WindowTestEnv env;
        env.openDb();
        examination("期中", 5, 1);
        examination("初一'期中", 6, 2);
        analysisRow("期中", "数学", 1, {{"人数", 99}}); // no suffix: not found
        Db::close();
        QVERIFY(env.startForms());
        Forms::search->show();
        QCOMPARE(Forms::search->ComboBox1->count(), 2);
        QCOMPARE(Forms::search->ComboBox1->currentText(), QString("初一'期中"));
        Forms::search->ComboBox1->setEditText("期中");
        Forms::search->c1->setEditText("数学");

        Forms::search->Button1->click();
        QCOMPARE(Forms::search->Query1->queryText(),
                 QString("select * from  fxsave where 班号>=1 and 班号<=2 and  科目='数学1' and 考试名称='期中'"));
        QCOMPARE(shown(Forms::search->Query1, "班号"), (QVariantList{1, 2}));
        QCOMPARE(shown(Forms::search->Query1, "科目"), (QVariantList{"数学1", "数学1"}));
        Forms::search->cx->setChecked(true);
        Forms::search->banhao->setText("3");
        Forms::search->Button1->click();
        QCOMPARE(shown(Forms::search->Query1, "班号"), (QVariantList{3}));
        Forms::search->banhao->setText("100");
        Forms::search->Button1->click();
        QCOMPARE(shown(Forms::search->Query1, "人数"), (QVariantList{kClasses * kPerClass})); // the whole grade
        // The name with a quote in it finds its rows.
        Forms::search->ComboBox1->setEditText("初一'期中");
        Forms::search->banhao->setText("1");
        Forms::search->Button1->click();
        QCOMPARE(shown(Forms::search->Query1, "考试编号"), (QVariantList{6}));
        QVERIFY(env.messages.records.isEmpty());

        // 科目, 班号, 科任教师 frozen at the left and hidden in the wide grid ...
        for (int c = 0; c < 7; ++c) {
            QCOMPARE(Forms::search->DBGrid1->isColumnHidden(c), c < Tsearch::kFrozen);
            QCOMPARE(Forms::search->DBGrid2->isColumnHidden(c), c >= Tsearch::kFrozen);
        }
        QVERIFY(Forms::search->DBGrid2->columnWidth(0) >= 45 && Forms::search->DBGrid2->columnWidth(1) >= 30
                && Forms::search->DBGrid2->columnWidth(2) >= 63);
        // ... until 查找全部 shows them there again, over every saved row.
        Forms::search->Button2->click();
        QCOMPARE(Forms::search->Query1->queryText(), QString("select * from  fxsave order by 考试编号"));
        QCOMPARE(Forms::search->Query1->rowCount(), 2 * 3 * (kClasses + 1) + 1);
        const int widths[] = {45, 30, 63, 70, 70, 70, 70};
        for (int c = 0; c < 7; ++c) {
            QVERIFY(!Forms::search->DBGrid1->isColumnHidden(c));
            QVERIFY(Forms::search->DBGrid1->columnWidth(c) >= widths[c]);
        }
        QVERIFY(!Forms::search->DBGrid2->isColumnHidden(1));
        // Printed and exported once, as the frozen part shows them.
        QCOMPARE(Forms::search->printJob().table.headers.count("科目"), 1);
        Forms::search->Button1->click();
        QVERIFY(Forms::search->DBGrid1->isColumnHidden(0));

        // A class number that is not one names its field; the grid keeps its rows.
        Forms::search->banhao->setText("一班");
        Forms::search->Button1->click();
        QCOMPARE(env.messages.records.size(), 1);
        QVERIFY2(env.messages.last().contains("第几班（黄色框）") && env.messages.last().contains("一班"),
                 qPrintable(env.messages.last()));
        QCOMPARE(Forms::search->Query1->rowCount(), 1);
        Forms::search->cx->setChecked(false);
        Forms::search->banhao->setText("1");
        Forms::search->banhao2->setText("2.5");
        Forms::search->Button1->click();
        QVERIFY(env.messages.last().contains("到几班"));
        Forms::search->Button3->click();
        QVERIFY(!Forms::search->isVisible());
    }

    // The grid of another examination is not left under a new one's name.
    void reopeningForAnotherExaminationClearsTheGrid()
    {
        WindowTestEnv env;
        env.openDb();
        examination("期中", 5, 1);
        Db::close();
        QVERIFY(env.startForms());
        Forms::search->show();
        Forms::search->Button1->click();
        QVERIFY(Forms::search->Query1->rowCount() > 0);
        Forms::search->close();
        Forms::search->show(); // the same examination: what it showed stays
        QVERIFY(Forms::search->Query1->rowCount() > 0);
        Forms::search->close();
        examination("期末", 6, 2);
        Forms::search->show();
        QCOMPARE(Forms::search->ComboBox1->currentText(), QString("期末"));
        QCOMPARE(Forms::search->Query1->rowCount(), 0);
        QVERIFY(Forms::search->printJob().table.rows.isEmpty());
    }

    void theChartsOfTheFirstRowFound()
    {
        WindowTestEnv env;
        env.openDb();
        analysisRow("测验", "语文1", 2,
                    {{"人数", 40}, {"90到100", 10}, {"80到90", 12}, {"70到80", 6}, {"60到70", 5}, {"50到60", 3},
                     {"40到50", 1}, {"100到110", 0}, {"110到120", 0}, {"30到40", 1}, {"20到30", 1}, {"10到20", 0},
                     {"1到9", 0}, {"0分", 1}, {"120分", 0}});
        // Out of 120: the three students with full marks are in the top slice.
        analysisRow("测验", "化学1", 1,
                    {{"人数", 30}, {"90到100", 10}, {"80到90", 8}, {"70到80", 4}, {"60到70", 2}, {"50到60", 0},
                     {"40到50", 0}, {"100到110", 2}, {"110到120", 1}, {"30到40", 0}, {"20到30", 0}, {"10到20", 0},
                     {"1到9", 0}, {"0分", 0}, {"120分", 3}});
        analysisRow("测验", "数学1", 1,
                    {{"人数", 50}, {"级前100名人数", 3}, {"级前200名人数", 12}, {"级前300名人数", 30},
                     {"级前400名人数", 48}});
        QVariantMap nobody;
        for (const QString& f : Reports::bandPieFields() + Reports::topBarFields().mid(0, 4))
            nobody.insert(f, 0);
        analysisRow("测验", "英语1", 1, nobody);
        Db::exec("INSERT INTO ksmcfx(name) VALUES ('测验')");
        Db::close();
        QVERIFY(env.startForms());
        Forms::Form6->item("分科分析图表")->trigger();
        QVERIFY(Forms::search->isVisible());
        QCOMPARE(Forms::search->ComboBox1->currentText(), QString("测验"));

        Forms::search->Button4->click();
        QVERIFY(Forms::p->isVisible());
        QCOMPARE(sliceLabels(Forms::p->Chart1), (QStringList{"* 110-120占0%", "* 100-110占0%", "* 90-100占25%", "* 80-90占30%",
                                                       "* 70-80占15%", "* 60-70占12%", "* 50-60占8%", "* 40-50占2%",
                                                       "* 40以下占8%"}));
        QCOMPARE(sliceValues(Forms::p->Chart1), (QList<double>{0, 0, 10, 12, 6, 5, 3, 1, 3}));
        // The first row of classes 1 to 2 is class 2's.
        QCOMPARE(Forms::p->Chart1->chart()->title(), QString("测验 2班语文科成绩分段表<br>&nbsp;"));

        Forms::search->c1->setEditText("数学");
        Forms::search->Button7->click();
        QVERIFY(Forms::p4->isVisible());
        auto* bars = qobject_cast<QStackedBarSeries*>(Forms::p4->Chart1->chart()->series().value(0));
        QVERIFY(bars);
        QCOMPARE(bars->count(), 6);
        QList<double> heights;
        QStringList names;
        for (int i = 0; i < 6; ++i) {
            heights << bars->barSets().at(i)->at(i);
            names << bars->barSets().at(i)->label();
        }
        QCOMPARE(heights, (QList<double>{50, 3, 12, 30, 48, 2}));
        QCOMPARE(names, (QStringList{"本班50人", "级前100名6%", "级前200名24%", "级前300名60%", "级前400名96%",
                                     "400名以后4%"}));
        auto* axis = qobject_cast<QBarCategoryAxis*>(Forms::p4->Chart1->chart()->axes(Qt::Horizontal).value(0));
        QCOMPARE(axis->categories().at(1), QString("级前100名<br>6%"));
        QVERIFY(Forms::p4->Chart1->chart()->title().startsWith("测验 1班数学科成绩级前400名柱形对比图"));

        Forms::search->c1->setEditText("化学");
        Forms::search->Button4->click();
        QCOMPARE(sliceValues(Forms::p->Chart1).first(), 4.0);
        QCOMPARE(sliceLabels(Forms::p->Chart1).first(), QString("* 110-120占13%"));
        double sum = 0;
        for (double v : sliceValues(Forms::p->Chart1))
            sum += v;
        QCOMPARE(sum, 30.0);

        // A class of nobody: no number that is not one, and a note says why.
        Forms::search->c1->setEditText("英语");
        Forms::search->Button4->click();
        QVERIFY(sliceLabels(Forms::p->Chart1).contains("* 90-100占—"));
        QVERIFY(Forms::p->Chart1->chart()->title().contains("人数为0"));
        Forms::search->Button7->click();
        QCOMPARE(qobject_cast<QStackedBarSeries*>(Forms::p4->Chart1->chart()->series().value(0))->barSets().at(5)->label(),
                 QString("400名以后—"));
        QVERIFY(env.messages.records.isEmpty());

        // Nothing found: a message, and no chart is opened.
        Forms::p->close();
        Forms::p4->close();
        Forms::search->c1->setEditText("物理");
        Forms::search->Button4->click();
        Forms::search->Button7->click();
        QCOMPARE(env.messages.records.size(), 2);
        QCOMPARE(env.messages.last(), QString("没有找到“测验”第1到2班物理科的成绩分析表，画不出图表"));
        QVERIFY(!Forms::p->isVisible());
        QVERIFY(!Forms::p4->isVisible());
    }

    // A saved row whose count is not a whole number is refused before
    // anything is drawn; a chart window shown with nothing handed over
    // says so and shows an empty chart rather than half of one.
    void aChartWindowRefusesBadInputs()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        QVariantMap row;
        for (const QString& f : Reports::bandPieFields())
            row.insert(f, 1);
        row.insert("70到80", "x");
        QVERIFY(!Msg::guard([&] { Forms::p->showChart(Reports::bandPieOf(row, {})); }));
        QVERIFY(!Forms::p->isVisible());
        QVERIFY2(env.messages.last().contains("“70到80”"), qPrintable(env.messages.last()));
        Forms::p->show();
        QVERIFY(Forms::p->Chart1->chart()->series().isEmpty());
        QVERIFY2(env.messages.last().contains("还没有选定"), qPrintable(env.messages.last()));
        row.insert("70到80", 2);
        Forms::p->showChart(Reports::bandPieOf(row, {}));
        QCOMPARE(pie(Forms::p->Chart1)->count(), 9);
        Forms::p->Button1->click();
        QVERIFY(!Forms::p->isVisible());
    }

    void theMainWindowReachesTheSavedTables()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        for (const char* item : {"学生成绩追踪图表", "总分图表"}) {
            Forms::stjf->hide();
            Forms::Form6->item(item)->trigger();
            QVERIFY2(Forms::stjf->isVisible(), item);
        }
        Forms::search->hide();
        Forms::Form6->item("分科分析图表")->trigger();
        QVERIFY(Forms::search->isVisible());
        // An empty list leaves no placeholder name in the box.
        QCOMPARE(Forms::stjf->c1->currentText(), QString());
        QCOMPARE(Forms::search->ComboBox1->currentText(), QString());
    }
};

GRADEBOOK_WINDOW_TEST_MAIN(TestSavedWindows)
#include "test_saved_windows.moc"
