// Every window as the user sees it: built, shown and painted at its size.
// With GRADEBOOK_SHOTS set to a folder, each window is also saved there as a
// PNG for looking at.
#include "windows/app/forms.h"
#include "windows/app/tform2.h"
#include "windows/app/tbk.h"
#include "windows/app/tform6.h"
#include "windows/processing/tform1.h"
#include "windows/processing/tform8.h"
#include "windows/reports/frozengrid.h"
#include "windows/reports/tform5.h"
#include "windows/reports/tformfx.h"
#include "windows/reports/tsearch.h"
#include "windows/reports/tstjf.h"
#include "windows/charts/tp.h"
#include "windows/charts/tp4.h"
#include "windows/charts/tp5.h"
#include "engine/processing/saves.h"
#include "windows/reports/tchaxun.h"
#include "windows/reports/tjiaoshigz.h"
#include "windows/reports/tsinggles.h"
#include "windows/charts/tsppict1.h"
#include "windows/charts/tsppict2.h"
#include "engine/db/database.h"
#include "engine/db/gridmodel.h"
#include "engine/processing/runs.h"
#include "windows/entry/tformin.h"
#include "windows/entry/tluru.h"
#include "layout/pdffont.h"
#include "readback.h"
#include "windows/app/printing.h"
#include "engine/reports/chartdata.h"
#include "windowtest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QTableWidget>
#include <QLineSeries>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QImage>
#include <QScrollBar>
#include <QTemporaryDir>

class TestScreens : public QObject {
    Q_OBJECT

    // Nothing cut off, rows in step: every visible cell's text fits its
    // column, and each row of the narrow grid lies beside the same row of
    // the wide grid.
    void checkGrid(FrozenGrid* g)
    {
        QCoreApplication::processEvents();
        QAbstractItemModel* m = g->model();
        for (QTableView* v : {static_cast<QTableView*>(g->narrow()), static_cast<QTableView*>(g->wide())}) {
            const QFontMetrics title(v->horizontalHeader()->font());
            for (int c = 0; c < m->columnCount(); ++c) {
                if (v->isColumnHidden(c))
                    continue;
                QVERIFY2(title.horizontalAdvance(m->headerData(c, Qt::Horizontal).toString()) < v->columnWidth(c),
                         qPrintable(m->headerData(c, Qt::Horizontal).toString()));
                for (int r = 0; r < m->rowCount(); ++r)
                    QVERIFY2(v->fontMetrics().horizontalAdvance(m->index(r, c).data().toString()) < v->columnWidth(c) - 4,
                             qPrintable(m->index(r, c).data().toString()));
            }
        }
        QCOMPARE(g->narrow()->viewport()->mapToGlobal(QPoint()).y(), g->wide()->viewport()->mapToGlobal(QPoint()).y());
        for (int r = 0; r < m->rowCount(); ++r)
            QCOMPARE(g->narrow()->rowViewportPosition(r), g->wide()->rowViewportPosition(r));
    }

    void shoot(QWidget* w, const QString& name, bool hide = true)
    {
        w->show();
        QCoreApplication::processEvents();
        const QImage img = w->grab().toImage();
        QVERIFY(!img.isNull());
        // Something is drawn: not a single flat colour.
        const QRgb first = img.pixel(img.width() / 2, img.height() / 2);
        bool varied = false;
        for (int y = 0; y < img.height() && !varied; y += 3)
            for (int x = 0; x < img.width() && !varied; x += 3)
                varied = img.pixel(x, y) != first;
        QVERIFY2(varied, qPrintable(name));
        const QString dir = qEnvironmentVariable("GRADEBOOK_SHOTS");
        if (!dir.isEmpty()) {
            QDir().mkpath(dir);
            img.save(dir + "/" + name + ".png");
        }
        if (hide)
            w->hide();
    }

    // A window's printed page as a PDF, read back: its Chinese as written
    // (no radical in place of an ideograph), its title there. Kept beside
    // the pictures when GRADEBOOK_SHOTS is set.
    void paper(Print::Printable* w, const QString& name, const QString& mustHold)
    {
        if (!Readback::havePdftotext())
            return;
        QTemporaryDir tmp;
        const QString path = tmp.filePath(name + ".pdf");
        Print::toPdf(path, w->printJob());
        const QString text = Readback::pdfPages(path).join('\n');
        QVERIFY2(!Layout::hasRadicals(text), qPrintable(name + ": " + text));
        QVERIFY2(text.contains(mustHold), qPrintable(name + ": " + text));
        const QString dir = qEnvironmentVariable("GRADEBOOK_SHOTS");
        if (!dir.isEmpty())
            QFile::copy(path, dir + "/" + name + ".pdf");
    }

    // A real grade run through the engine: 18 classes of 50, seven subjects
    // analysed, 40 bands. `seed` varies the marks from one examination to the next.
    static void wholeGrade(int seed)
    {
        Db::exec("DELETE FROM cj");
        const QStringList subjects{"语文", "数学", "英语", "政治", "物理", "化学", "综合"};
        Db::inTransaction([&] {
            int n = 0;
            for (int c = 1; c <= 18; ++c)
                for (int i = 0; i < 50; ++i, ++n) {
                    QVariantMap marks;
                    for (int k = 0; k < subjects.size(); ++k)
                        marks.insert(subjects[k] + "1", (k == 1 ? 20 : 30) + ((n + 1 + seed * 31) * (7 + 4 * k)) % (k == 1 ? 131 : 71) + (n % 2) * 0.5);
                    Fixture::student("cj", QStringLiteral("%1%2").arg(c, 2, 10, QChar('0')).arg(i, 2, 10, QChar('0')), c,
                                     QStringLiteral("学生%1").arg(n), marks);
                }
            // Two of each class absent from 语文, and the grade entered into cj
            // as a bulk input leaves it: the working table, whose roster gives 应考.
            Db::exec("UPDATE cj SET 语文1 = NULL WHERE rowid % 25 = 0");
            Db::exec("UPDATE linshi SET shibie = 1");
        });
        Proc::RankSettings r;
        r.subjects = subjects;
        r.firstClass = 1;
        r.lastClass = 18;
        Proc::rank(r);
        Proc::AnalysisSettings a;
        a.subjects = subjects;
        a.firstClass = 1;
        a.lastClass = 18;
        a.fullMarks = {{"数学", 150}};
        Proc::analyze(a);
        Proc::BandSettings b;
        b.upper = 699;
        b.count = 40;
        b.lastClass = 18;
        Proc::bands(b);
    }

private slots:
    void everyWindowPaints()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        shoot(Forms::Form6, "TForm6");
        QCOMPARE(Forms::Form6->centralWidget()->size(), QSize(749, 280));
        shoot(Forms::Form2, "TForm2");
        QCOMPARE(Forms::Form2->size(), QSize(424, 386));
        for (auto m : {TForm1::Mode::Ranking, TForm1::Mode::Analysis, TForm1::Mode::Bands}) {
            Forms::Form1->setMode(m);
            shoot(Forms::Form1, QStringLiteral("TForm1-%1").arg(int(m)));
        }
        shoot(Forms::Form8, "TForm8");
        QCOMPARE(Forms::Form8->size(), QSize(427, 43));
        for (auto m : {Tbk::Mode::Backup, Tbk::Mode::Restore, Tbk::Mode::Blank}) {
            Forms::bk->showMode(m);
            shoot(Forms::bk, QStringLiteral("Tbk-%1").arg(int(m)));
        }
        QCOMPARE(Forms::bk->size(), QSize(499, 196));
        for (const char* cls : {"TFormfx", "TForm5", "TFormnnn", "Tmen1", "Tc1p", "Tkaoshimc", "Tpf1", "Tzuge", "Tluru", "Tformin", "Tgai",
                                "Tluruxianshi"})
            if (QWidget* w = Forms::window(cls))
                shoot(w, cls);
    }

    // The two result windows over a real grade: 18 classes of 50, seven
    // subjects analysed, 40 bands. Every title and value fits its column and
    // the frozen rows sit beside the wide grid's rows at either end.
    void resultWindowsOfAWholeGrade()
    {
        WindowTestEnv env;
        env.openDb();
        wholeGrade(0);
        Fixture::setCheck({{"mc", "2025学年第一学期期中考试"}, {"bh", "12"}});
        Db::close();
        QVERIFY(env.startForms());

        Forms::Formfx->showResult("fx");
        QCOMPARE(Forms::Formfx->Table1->rowCount(), 7 * 19);
        checkGrid(Forms::Formfx->grid);
        shoot(Forms::Formfx, "TFormfx-grade", false);
        Forms::Formfx->DBGrid1->horizontalScrollBar()->setValue(Forms::Formfx->DBGrid1->horizontalScrollBar()->maximum() / 3);
        shoot(Forms::Formfx, "TFormfx-grade-rates", false);
        Forms::Formfx->DBGrid1->horizontalScrollBar()->setValue(Forms::Formfx->DBGrid1->horizontalScrollBar()->maximum());
        Forms::Formfx->DBGrid1->verticalScrollBar()->setValue(Forms::Formfx->DBGrid1->verticalScrollBar()->maximum());
        checkGrid(Forms::Formfx->grid);
        shoot(Forms::Formfx, "TFormfx-grade-end");

        Forms::Form5->showResult("tj");
        checkGrid(Forms::Form5->grid);
        shoot(Forms::Form5, "TForm5-grade", false);
        Forms::Form5->DBGrid1->horizontalScrollBar()->setValue(Forms::Form5->DBGrid1->horizontalScrollBar()->maximum());
        Forms::Form5->DBGrid1->verticalScrollBar()->setValue(Forms::Form5->DBGrid1->verticalScrollBar()->maximum());
        checkGrid(Forms::Form5->grid);
        shoot(Forms::Form5, "TForm5-grade-end", false);
        Forms::Form5->Button3->click();
        checkGrid(Forms::Form5->grid);
        shoot(Forms::Form5, "TForm5-average");
    }

    void windowsWithTheirContent()
    {
        // The entry grid after a ranking run (eight-digit student numbers,
        // three-character names), the bulk input with a pasted roster, and
        // the processing panel in analysis mode.
        WindowTestEnv env;
        QVERIFY(env.startForms());
        const QStringList names{"顾晓明", "欧阳娜", "司马光", "诸葛亮", "王一", "李四"};
        for (int i = 0; i < 12; ++i)
            Fixture::student("cjn", QStringLiteral("202401%1").arg(i + 1, 2, 10, QChar('0')), 1 + i / 6, names[i % 6],
                             {{"语文1", 100 - i * 3.5}, {"数学1", 118 - i}, {"英语1", 90 + i % 4}});
        Fixture::setCheck({{"mc", "2024学年第一学期期中考试"}, {"bh", "3"}});
        Forms::luru->show(); // names cjn the working table
        Forms::Form2->CheckBox2->setChecked(true);
        Forms::Form2->CheckBox3->setChecked(true);
        Forms::Form2->banshu1->setText("1");
        Forms::Form2->banshu2->setText("2");
        Forms::Form2->close();
        Forms::Form1->banshu2->setText("2");
        Forms::Form1->showMode(TForm1::Mode::Ranking);
        Forms::Form1->Button1->click();
        QCOMPARE(Forms::luru->luru_dg->model()->rowCount(), 12);
        shoot(Forms::luru, "Tluru-ranking");
        Forms::luru->SpeedButton1->click();
        shoot(Forms::luru, "Tluru-entry", false);

        Forms::formin->Memo4->setPlainText("学号\n20240101\n20240102\n20240103");
        Forms::formin->Memo2->setPlainText("班号\n1\n1\n2");
        Forms::formin->Memo1->setPlainText("姓名\n顾晓明\n欧阳娜娜\n司马光");
        Forms::formin->Memo3->setPlainText("语文\n98.5\n100\n87");
        shoot(Forms::formin, "Tformin-filled");

        Forms::Form1->setMode(TForm1::Mode::Analysis);
        shoot(Forms::Form1, "TForm1-analysis");
        QCOMPARE(Forms::Form1->height(), 428);
    }

    // The saved tables of two examinations of a whole grade and every chart
    // drawn from them.
    void savedTablesAndChartsOfAWholeGrade()
    {
        WindowTestEnv env;
        env.openDb();
        const QString first = QStringLiteral("2025学年第一学期期中考试");
        wholeGrade(0);
        Save::analysis("fx", {first, 12, false});
        Save::bands("tj", {first, 12, false});
        wholeGrade(1);
        Save::analysis("fx", {QStringLiteral("2025学年第一学期期末考试"), 13, false});
        Save::bands("tj", {QStringLiteral("2025学年第一学期期末考试"), 13, false});
        Db::close();
        QVERIFY(env.startForms());

        Forms::showWindow(Forms::stjf);
        Forms::stjf->c1->setEditText(first);
        Forms::stjf->Button1->click();
        checkGrid(Forms::stjf->grid);
        shoot(Forms::stjf, "Tstjf", false);
        Forms::stjf->Button4->click();
        checkGrid(Forms::stjf->grid);
        shoot(Forms::stjf, "Tstjf-average", false);
        Forms::stjf->Edit1->setText("3");
        Forms::stjf->Button2->click();
        QVERIFY(Forms::p5->isVisible());
        shoot(Forms::p5, "Tp5-class", false);
        paper(Forms::p5, "Tp5-class", "总分分段饼图");
        Forms::stjf->ch->setChecked(true);
        Forms::stjf->duanshu->setText("8");
        Forms::stjf->jiange->setText("5");
        Forms::stjf->Button2->click();
        shoot(Forms::p5, "Tp5-grade", false);
        // More slices than bands: the note says the last band counts again.
        Forms::stjf->duanshu->setText("45");
        Forms::stjf->jiange->setText("1");
        Forms::stjf->Button2->click();
        shoot(Forms::p5, "Tp5-repeat");
        shoot(Forms::stjf, "Tstjf-after");

        Forms::showWindow(Forms::search);
        Forms::search->ComboBox1->setEditText(first);
        Forms::search->c1->setEditText("数学");
        Forms::search->banhao->setText("1");
        Forms::search->banhao2->setText("18");
        Forms::search->Button1->click();
        QCOMPARE(Forms::search->Query1->rowCount(), 18);
        checkGrid(Forms::search->grid);
        shoot(Forms::search, "Tsearch", false);
        Forms::search->Button4->click();
        QVERIFY(Forms::p->isVisible());
        paper(Forms::p, "Tp", "数学科成绩分段表");
        shoot(Forms::p, "Tp");
        // A class of nobody.
        Forms::p->showChart(Reports::bandPie({}, Reports::ChartTitle{}));
        shoot(Forms::p, "Tp-nobody");
        Forms::search->c1->setEditText("语文");
        Forms::search->Button7->click();
        QVERIFY(Forms::p4->isVisible());
        paper(Forms::p4, "Tp4", "级前400名柱形对比图");
        shoot(Forms::p4, "Tp4");
        Forms::search->Button2->click();
        checkGrid(Forms::search->grid);
        shoot(Forms::search, "Tsearch-all");
        QVERIFY2(env.messages.records.isEmpty(), qPrintable(env.messages.last()));
    }

    // The windows over saved examinations with a school's data: three
    // classes of 60, 58 and 45 students, ten examinations of long names.
    void savedExaminationWindows()
    {
        WindowTestEnv env;
        env.openDb();
        QList<Fixture::SavedExam> exams;
        for (int e = 1; e <= 10; ++e)
            exams.append({QStringLiteral("2025学年第%1学期第%2次阶段性质量检测").arg(1 + e / 6).arg(e), e});
        Fixture::saveExams(exams, {60, 58, 45});
        Db::close();
        QVERIFY(env.startForms());

        Forms::showWindow(Forms::chaxun);
        Forms::chaxun->Button1->click();
        shoot(Forms::chaxun, "Tchaxun", false);
        Forms::chaxun->ComboBox1->setCurrentText("黄");
        Forms::chaxun->Edit1->setText("40");
        Forms::chaxun->Button5->click();
        shoot(Forms::chaxun, "Tchaxun-filter", false);
        Forms::chaxun->Button2->click();
        shoot(Forms::chaxun, "Tchaxun-all");

        Forms::showWindow(Forms::sinngles);
        Forms::sinngles->edit2->setEditText(Fixture::studentName(2, 5));
        Forms::sinngles->Button2->click();
        shoot(Forms::sinngles, "Tsinggles", false);
        paper(Forms::sinngles, "Tsinggles", "同学历次考试");
        Forms::sinngles->a->setChecked(true);
        Forms::sinngles->c1->setEditText("数学");
        Forms::sinngles->Button2->click();
        shoot(Forms::sinngles, "Tsinggles-raw", false);
        Forms::sinngles->SpeedButton1->click();
        shoot(Forms::sinngles, "Tsinggles-one");
        // A beginning that names several students lists them to pick from.
        Forms::sinngles->edit2->setEditText(Fixture::studentName(2, 5).left(1));
        Forms::sinngles->Button2->click();
        QVERIFY(Forms::sinngles->students->rowCount() > 1);
        shoot(Forms::sinngles, "Tsinggles-list");

        Forms::jiaoshigz->Button2->click();
        shoot(Forms::jiaoshigz, "Tjiaoshigz", false);
        paper(Forms::jiaoshigz, "Tjiaoshigz", "2班语文历次考试");
        Forms::jiaoshigz->hide();

        Forms::showWindow(Forms::sppict1);
        Forms::sppict1->che3->setChecked(true);
        Forms::sppict1->SpeedButton1->click();
        shoot(Forms::sppict1, "Tsppict1", false);
        paper(Forms::sppict1, "Tsppict1", "1班 总分（红）");
        shoot(Forms::sppict2, "Tsppict2", false);
        paper(Forms::sppict2, "Tsppict2", "全班成绩波动对比图");
        Forms::sppict2->scroll->horizontalScrollBar()->setValue(1800);
        shoot(Forms::sppict2, "Tsppict2-scrolled");
        Forms::sppict1->Button1->click();
        shoot(Forms::sppict1, "Tsppict1-first");
    }

    // A student of three school years: thirty examinations under the points.
    void aLongRecord()
    {
        WindowTestEnv env;
        env.openDb();
        for (int e = 1; e <= 30; ++e)
            Db::exec("INSERT INTO cjsave (ID, 考试编号, 考试名称, 学号, 班号, 姓名, 总分级排1) VALUES (?, ?, ?, '0101', 1, "
                     "'王小明', ?)",
                     {e, e, QStringLiteral("%1学年第%2次月考").arg(2023 + e / 10).arg(e % 10 + 1), 40 + (e * 37) % 200});
        Db::close();
        QVERIFY(env.startForms());
        Forms::showWindow(Forms::sinngles);
        Forms::sinngles->edit2->setEditText("王小明");
        Forms::sinngles->Button2->click();
        QCOMPARE(Forms::sinngles->Series1->count(), 30);
        shoot(Forms::sinngles, "Tsinggles-30");
    }
};

GRADEBOOK_WINDOW_TEST_MAIN(TestScreens)
#include "test_screens.moc"
