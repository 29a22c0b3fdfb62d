// Printing and exporting what a window shows, read back as a teacher's tools would.
#include "engine/db/database.h"
#include "engine/export/sheet.h"
#include "windows/app/forms.h"
#include "windows/app/printing.h"
#include "windows/app/tform6.h"
#include "windows/entry/tluru.h"
#include "windows/reports/tform5.h"
#include "windows/reports/frozengrid.h"
#include "windows/reports/tformfx.h"
#include "engine/processing/runs.h"
#include "readback.h"
#include "windows/charts/chartkit.h"
#include "windows/charts/trendchart.h"
#include "windowtest.h"

#include <QChart>
#include <QChartView>
#include <QDir>
#include <QFile>
#include <QPieSeries>
#include <QProcess>
#include <QStandardItemModel>
#include <QTableView>
#include <QStandardPaths>
#include <QRegularExpression>
#include "layout/pdffont.h"

namespace {

QString pdfText(const QString& path)
{
    return Readback::pdfPages(path).join('\f');
}

bool havePdftotext()
{
    return Readback::havePdftotext();
}

QAction* gridAction(QWidget* on, const QString& text)
{
    for (QAction* a : on->actions())
        if (a->text().startsWith(text))
            return a;
    return nullptr;
}

Export::Sheet analysisSheet(int rows)
{
    Export::Sheet s;
    s.name = "成绩分析";
    s.headers = {"科目", "班号", "科任教师", "人数", "平均分", "最高分", "合格率", "高分率", "低分率", "级前100名人数"};
    s.formatsFromNames();
    for (int r = 0; r < rows; ++r)
        s.rows << QVariantList{"语文1", 1 + r % 18, "张老师", 45, 78.5 + r % 7, 120, 0.6667, 0.125, 0.05, 7};
    return s;
}

// Six students of two classes in cj, 语文 analysed and shown in the temporary analysis window.
void analyseSixStudents(double step)
{
    for (int i = 0; i < 6; ++i)
        Fixture::student("cj", QString::number(101 + i), 1 + i / 3, QStringLiteral("学生%1").arg(i),
                         {{"语文1", 50 + step * i}, {"总分1", 300 + 20 * i}});
    Proc::AnalysisSettings as;
    as.subjects = {"语文"};
    as.firstClass = 1;
    as.lastClass = 2;
    Proc::analyze(as);
    Forms::Formfx->showResult("fx");
}

QString squeeze(QString s)
{
    s.remove(QRegularExpression("\\s"));
    return s;
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT
private slots:
    void aTablePrintsToPdfWithItsHeaderOnEveryPage()
    {
        if (!havePdftotext())
            QSKIP("pdftotext (poppler-utils) is not installed");
        WindowTestEnv env;
        Print::Job job{"成绩分析表", "2026学年第一学期期中", analysisSheet(120), nullptr};
        const QString path = env.root() + "/分析.pdf";
        Print::toPdf(path, job);
        const QString text = pdfText(path);
        QVERIFY2(text.contains("科目"), qPrintable(text.left(400)));
        for (const QString& h : job.table.headers)
            QVERIFY2(text.contains(h), qPrintable(h));
        QVERIFY(text.contains("2026学年第一学期期中"));
        QVERIFY(text.contains("成绩分析表"));
        QVERIFY(text.contains("66.67%"));
        // Every page has its header row and its page number.
        const QStringList pages = text.split('\f', Qt::SkipEmptyParts);
        QVERIFY(pages.size() >= 3);
        for (int i = 0; i < pages.size(); ++i) {
            QVERIFY2(pages[i].contains("级前100名人数"), qPrintable(QString::number(i)));
            QVERIFY(squeeze(pages[i]).contains(QStringLiteral("第%1页/共%2页").arg(i + 1).arg(pages.size())));
        }
        if (const QString shots = qEnvironmentVariable("GRADEBOOK_SHOTS"); !shots.isEmpty())
            QFile::copy(path, shots + "/printed-table.pdf");
    }

    void aChartPrintsAndSavesAsAPicture()
    {
        WindowTestEnv env;
        QChartView view;
        auto* series = new QPieSeries;
        series->append("从390到399占", 12);
        series->append("从380到389占", 30);
        view.chart()->addSeries(series);
        view.chart()->setTitle("期中全级总分分段饼图");
        view.resize(700, 500);
        Print::Job job{"总分分段饼图", "期中", {}, &view};
        const QString pdf = env.root() + "/饼图.pdf";
        Print::toPdf(pdf, job);
        if (havePdftotext())
            QVERIFY(pdfText(pdf).contains("期中全级总分分段饼图"));
        const QString png = env.root() + "/饼图.png";
        Print::chartToPng(png, &view);
        QImage img(png);
        QVERIFY(!img.isNull());
        QCOMPARE(img.size(), view.viewport()->size() * 2);
    }

    void theVisibleColumnsOfAFrozenGridAreWhatIsExported()
    {
        WindowTestEnv env;
        QStandardItemModel model(2, 4);
        model.setHorizontalHeaderLabels({"科目", "班号", "人数", "合格率"});
        model.setData(model.index(0, 0), "语文1");
        model.setData(model.index(0, 1), 1);
        model.setData(model.index(0, 2), 45);
        model.setData(model.index(0, 3), 0.6667);
        QTableView left, wide;
        left.setModel(&model);
        wide.setModel(&model);
        left.setColumnHidden(2, true);
        left.setColumnHidden(3, true);
        wide.setColumnHidden(0, true);
        wide.setColumnHidden(1, true);
        wide.setColumnWidth(2, 0); // a width of 0 hides a column too
        const Export::Sheet s = Print::sheetOf({&left, &wide}, "表");
        QCOMPARE(s.headers, (QStringList{"科目", "班号", "合格率"}));
        QCOMPARE(s.frozenColumns, 2);
        QCOMPARE(s.rows.first(), (QVariantList{"语文1", 1, 0.6667}));
        QCOMPARE(s.format(2), Export::Format::Percent);

        // The context menu's export asks where, proposing the documents folder.
        Print::addGridActions({&left, &wide}, &wide, [&] { return Print::Job{"成绩分析表", "期中", Print::sheetOf({&left, &wide}, "分析"), nullptr}; });
        const QString path = env.root() + "/导出";
        env.messages.files = {path};
        QAction* exportAction = nullptr;
        for (QAction* a : wide.actions())
            if (a->text().startsWith("导出为Excel"))
                exportAction = a;
        QVERIFY(exportAction);
        QCOMPARE(exportAction->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_E));
        exportAction->trigger();
        QVERIFY(env.messages.records.first().text.endsWith("期中-成绩分析表.xlsx"));
        QFile f(path + ".xlsx");
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.read(2), QByteArray("PK"));
        QVERIFY(env.messages.last().contains("已导出2行"));
    }

    void theMainWindowExportsAndPrintsTheFrontWindow()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Fixture::student("cj", "0101", 1, "欧阳明月", {{"语文1", 85.5}});
        Fixture::student("cj", "0102", 1, "李四", {{"语文1", 90}});
        Fixture::setCheck({{"mc", "2026期中"}, {"bh", "3"}});
        Db::exec("UPDATE linshi SET shibie = 1");

        // 输出为Excel格式 proposes the examination's name in the documents folder.
        env.messages.files = {env.root() + "/期中.xlsx"};
        Forms::Form6->item("输出为Excel格式")->trigger();
        QCOMPARE(env.messages.records.first().kind, Msg::Kind::SaveFile);
        QVERIFY(env.messages.records.first().text.endsWith("/2026期中.xlsx"));
        QVERIFY(QFile::exists(env.root() + "/期中.xlsx"));
        QVERIFY2(env.messages.last().contains("成绩（2行）"), qPrintable(env.messages.last()));

        env.messages.clear();
        env.messages.files = {env.root() + "/期中.dbf"};
        Forms::Form6->item("输出为dbf格式")->trigger();
        QVERIFY(QFile::exists(env.root() + "/期中.dbf"));
        QVERIFY(env.messages.last().contains("2名学生"));

        // Cancelling the dialog writes nothing and says nothing.
        env.messages.clear();
        Forms::Form6->item("输出为Excel格式")->trigger();
        QCOMPARE(env.messages.records.size(), 1);

        // 打印 with no window worked in: a message, not a blank page.
        env.messages.clear();
        QVERIFY(Forms::Form6->item("打印预览及打印…")->isEnabled());
        Forms::Form6->item("打印预览及打印…")->trigger();
        QCOMPARE(env.messages.records.size(), 1);
        QCOMPARE(env.messages.records.first().kind, Msg::Kind::Warning);

        // With the entry window in front, its grid is what is printed.
        QList<Print::Job> previewed;
        Print::setPreviewSeam([&](const Print::Job& j) { previewed << j; });
        Forms::showWindow(Forms::luru);
        Forms::luru->SpeedButton1->click();
        QApplication::setActiveWindow(Forms::luru);
        QCOMPARE(Forms::frontWindow(), static_cast<QWidget*>(Forms::luru));
        Forms::Form6->item("打印预览及打印…")->trigger();
        Print::setPreviewSeam({});
        QCOMPARE(previewed.size(), 1);
        QCOMPARE(previewed.first().examName, QString("2026期中"));
        QCOMPARE(previewed.first().table.headers.mid(0, 3), (QStringList{"学号", "姓名", "语文"}));
        QCOMPARE(previewed.first().table.rows.size(), 2);
    }

    void theResultWindowsPrintWhatTheyShow()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        analyseSixStudents(9);
        const Print::Job fx = Forms::Formfx->printJob();
        QCOMPARE(fx.title, QString("成绩分析表")); // as the batch tool's PDF of fx
        QCOMPARE(fx.table.headers.mid(0, 3), (QStringList{"科目", "班号", "科任教师"}));
        QCOMPARE(fx.table.frozenColumns, 3);
        QCOMPARE(fx.table.rows.size(), 3); // two classes and the grade
        Proc::BandSettings bs;
        bs.upper = 399;
        bs.count = 10;
        bs.lastClass = 2;
        Proc::bands(bs);
        Forms::Form5->showResult("tj");
        const Print::Job tj = Forms::Form5->printJob();
        QCOMPARE(tj.title, QString("总分分段统计表"));
        QCOMPARE(tj.table.headers.mid(0, 2), (QStringList{"上限", "下限"}));
        // Ten bands and the average row; the grid's 90 unused stock rows are not handed on.
        QCOMPARE(Forms::Form5->Table1->rowCount(), 101);
        QCOMPARE(tj.table.rows.size(), 11);
        QCOMPARE(tj.table.text(10, 1), QString("平均分"));
    }

    // The batch tool prints a table as the window prints it: the same pages.
    // (The analysis window titles its top-N columns by the limits of the run
    // it shows, which the database does not keep: the band table then.)
    void theBatchToolPrintsWhatTheWindowPrints()
    {
        if (!havePdftotext())
            QSKIP("pdftotext (poppler-utils) is not installed");
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Fixture::setCheck({{"mc", "2026期中"}, {"bh", "3"}});
        analyseSixStudents(9.5);
        Proc::BandSettings bs;
        bs.upper = 399;
        bs.count = 12;
        bs.lastClass = 2;
        Proc::bands(bs);
        Forms::Form5->showResult("tj");
        const QString window = env.root() + "/窗口.pdf", batch = env.root() + "/批处理.pdf";
        Print::toPdf(window, Forms::Form5->printJob());
        QProcess tool;
        tool.start(GRADEBOOK_BATCH, {"export", "tj", "--db", env.databaseFile(), "--out", batch});
        QVERIFY(tool.waitForFinished(60000));
        QVERIFY2(tool.exitCode() == 0, tool.readAllStandardError().constData());
        const QStringList a = Readback::pdfPages(window), b = Readback::pdfPages(batch);
        QVERIFY(a.size() >= 2); // continued sideways: 40 columns
        QCOMPARE(b, a);
    }

    // The grids' 导出为Excel… hands on the stored values: numbers numeric,
    // rates as the fraction in the 0.00% format, counts and places whole.
    void aGridExportReadsBackAsNumbers()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        analyseSixStudents(9.5);
        const QString path = env.root() + "/分析";
        env.messages.files = {path};
        QAction* exportAction = gridAction(Forms::Formfx->DBGrid1, "导出为Excel");
        QVERIFY(exportAction);
        exportAction->trigger();
        QVERIFY2(env.messages.last().contains("已导出3行"), qPrintable(env.messages.last()));
        QVERIFY(env.messages.progressReports > 0);
        const auto cells = Readback::xlsxSheet(path + ".xlsx", 1);
        QMap<QString, QString> column; // title -> letter
        for (int c = 0; c < 39; ++c)
            column.insert(cells.value(Readback::columnName(c) + "1").text, Readback::columnName(c));
        const Readback::Cell pass = cells.value(column.value("合格率") + "2");
        QVERIFY2(pass.type.isEmpty() && pass.format == "0.00%", qPrintable(pass.type + " " + pass.format));
        QCOMPARE(pass.text.toDouble(), Fixture::value("fx", "合格率").toDouble());
        const Readback::Cell size = cells.value(column.value("人数") + "2");
        QVERIFY(size.type.isEmpty() && size.format == "0" && size.text == "3");
        QVERIFY(cells.value(column.value("平均分") + "2").type.isEmpty());
        QCOMPARE(cells.value("A2").text, QString("语文"));
        QCOMPARE(cells.value(column.value("班号") + "4").text, QString("全级"));
        QVERIFY(column.contains("120分") && column.contains("110到120"));
        QVERIFY(!cells.contains("A5")); // no stock row
    }

    // A write cancelled from its progress window leaves nothing and says so.
    void aCancelledWriteLeavesNothing()
    {
        WindowTestEnv env;
        QWidget window;
        QTableView grid(&window);
        QStandardItemModel model(3, 2);
        model.setHorizontalHeaderLabels({"姓名", "语文1"});
        grid.setModel(&model);
        Print::addGridActions({&grid}, &window, [&] { return Print::Job{"成绩", "期中", Print::sheetOf({&grid}, "成绩"), nullptr}; });
        env.messages.cancelWrites = true;
        env.messages.files = {env.root() + "/a.pdf", env.root() + "/a.xlsx"};
        gridAction(&grid, "另存为PDF")->trigger();
        QCOMPARE(env.messages.last(), QString("已取消，没有写出文件"));
        gridAction(&grid, "导出为Excel")->trigger();
        QCOMPARE(env.messages.last(), QString("已取消，没有写出文件"));
        QCOMPARE(QDir(env.root()).entryList({"a.*"}, QDir::Files | QDir::Hidden), QStringList());
    }

    // A chart's PDF gives its Chinese back as written, and holds nothing of
    // an earlier drawing.
    void aChartPdfIsSearchableAndCurrent()
    {
        if (!havePdftotext())
            QSKIP("pdftotext (poppler-utils) is not installed");
        WindowTestEnv env;
        auto* trend = new Charts::TrendChart;
        QChartView view(trend);
        view.resize(800, 500);
        view.show();
        trend->setPoints({{"七上月考一", 41, Qt::red}, {"七上期中", 42, Qt::red}});
        QApplication::processEvents();
        trend->setPoints({{"七上月考一", 18, Qt::red}, {"七上期中", 17, Qt::red}, {"七上期末", 16, Qt::red}});
        trend->setTitle("周子航同学历次考试 总分级排 成绩波动图");
        QApplication::processEvents();
        const QString path = env.root() + "/追踪.pdf";
        Print::toPdf(path, {"学生成绩追踪图表", "七上期末", {}, &view});
        const QString text = pdfText(path);
        QVERIFY2(text.contains("周子航") && text.contains("七上月考一"), qPrintable(text));
        QVERIFY(!Layout::hasRadicals(text));
        const QStringList words = text.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
        QVERIFY2(words.contains("18") && words.contains("16"), qPrintable(text));
        QVERIFY2(!words.contains("41") && !words.contains("42"), qPrintable(text));

        // A pie's labels and key, in the same font.
        QChartView pieView(Charts::makeBandPie("七上月考一 5班数学科成绩分段表",
                                               {{"* 110-120占5%", 3}, {"* 其他占2%", 1}, {"* 90-100占93%", 56}}));
        pieView.resize(820, 580);
        pieView.show();
        QApplication::processEvents();
        Print::toPdf(path, {"分数段饼图", "七上月考一", {}, &pieView});
        const QString pie = pdfText(path);
        QVERIFY2(pie.contains("* 其他占2%") && pie.contains("成绩分段表"), qPrintable(pie));
        QVERIFY(!Layout::hasRadicals(pie));
    }

    void theDialogsFitTheScreenAndStartInTheDocuments()
    {
        for (QRect screen : {QRect(0, 0, 1366, 728), QRect(0, 0, 1024, 600), QRect(0, 0, 1920, 1040)}) {
            const QSize s = Print::previewSize(screen);
            QVERIFY(s.width() + 40 <= screen.width() && s.height() + 40 <= screen.height());
            QVERIFY(s.width() >= 480 && s.height() >= 360);
        }
        WindowTestEnv env;
        const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        QDir().rmpath(docs);
        QCOMPARE(Print::startFolder(), QDir::homePath());
        QVERIFY(QDir().mkpath(docs));
        QCOMPARE(Print::startFolder(), docs);
        QVERIFY(!Print::startFolder().startsWith(env.programDir()));
    }

    void aFailedWriteLeavesNothingBehind()
    {
        WindowTestEnv env;
        QFile blocker(env.root() + "/blocked");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        Print::Job job{"成绩分析表", "期中", analysisSheet(3), nullptr};
        QVERIFY_THROWS_EXCEPTION(Db::Error, Print::toPdf(env.root() + "/blocked/a.pdf", job));
        // An empty grid has nothing to print: a message, no dialog.
        QList<Print::Job> previewed;
        Print::setPreviewSeam([&](const Print::Job& j) { previewed << j; });
        QVERIFY_THROWS_EXCEPTION(Db::InputError, Print::preview(nullptr, Print::Job{}));
        Print::preview(nullptr, job);
        QCOMPARE(previewed.size(), 1);
        Print::setPreviewSeam({});
        QCOMPARE(QDir(env.root()).entryList(QDir::Files | QDir::Hidden), QStringList{"blocked"});
    }
};

GRADEBOOK_WINDOW_TEST_MAIN(TestPrinting)
#include "test_printing.moc"
