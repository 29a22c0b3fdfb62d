// Printing and exporting what a window shows, read back as a teacher's tools would.
#include "engine/db/database.h"
#include "engine/export/sheet.h"
#include "windows/app/forms.h"
#include "windows/app/printing.h"
#include "windows/app/tform6.h"
#include "windows/entry/tluru.h"
#include "windows/reports/tform5.h"
#include "windows/reports/tformfx.h"
#include "engine/processing/runs.h"
#include "windowtest.h"

#include <QChart>
#include <QChartView>
#include <QDir>
#include <QFile>
#include <QPieSeries>
#include <QProcess>
#include <QStandardItemModel>
#include <QTableView>

namespace {

QString pdfText(const QString& path)
{
    QProcess p;
    p.start("pdftotext", {"-layout", path, "-"});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

bool havePdftotext()
{
    QProcess p;
    p.start("pdftotext", {"-v"});
    return p.waitForFinished(10000);
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
        QVERIFY(Print::landscape(job));
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
        Form6->item("输出为Excel格式")->trigger();
        QCOMPARE(env.messages.records.first().kind, Msg::Kind::SaveFile);
        QVERIFY(env.messages.records.first().text.endsWith("/2026期中.xlsx"));
        QVERIFY(QFile::exists(env.root() + "/期中.xlsx"));
        QVERIFY2(env.messages.last().contains("成绩（2行）"), qPrintable(env.messages.last()));

        env.messages.clear();
        env.messages.files = {env.root() + "/期中.dbf"};
        Form6->item("输出为dbf格式")->trigger();
        QVERIFY(QFile::exists(env.root() + "/期中.dbf"));
        QVERIFY(env.messages.last().contains("2名学生"));

        // Cancelling the dialog writes nothing and says nothing.
        env.messages.clear();
        Form6->item("输出为Excel格式")->trigger();
        QCOMPARE(env.messages.records.size(), 1);

        // 打印 with no window worked in: a message, not a blank page.
        env.messages.clear();
        QVERIFY(Form6->item("打印预览及打印…")->isEnabled());
        Form6->item("打印预览及打印…")->trigger();
        QCOMPARE(env.messages.records.size(), 1);
        QCOMPARE(env.messages.records.first().kind, Msg::Kind::Warning);

        // With the entry window in front, its grid is what is printed.
        QList<Print::Job> previewed;
        Print::setPreviewSeam([&](const Print::Job& j) { previewed << j; });
        Forms::showWindow(luru);
        luru->SpeedButton1->click();
        QApplication::setActiveWindow(luru);
        QCOMPARE(Forms::frontWindow(), static_cast<QWidget*>(luru));
        Form6->item("打印预览及打印…")->trigger();
        Print::setPreviewSeam({});
        QCOMPARE(previewed.size(), 1);
        QCOMPARE(previewed.first().examName, QString("2026期中"));
        QCOMPARE(previewed.first().table.headers.mid(0, 3), (QStringList{"学号", "姓名", "语文1"}));
        QCOMPARE(previewed.first().table.rows.size(), 2);
    }

    void theResultWindowsPrintWhatTheyShow()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        for (int i = 0; i < 6; ++i)
            Fixture::student("cj", QString::number(101 + i), 1 + i / 3, QStringLiteral("学生%1").arg(i),
                             {{"语文1", 50 + 9 * i}, {"总分1", 300 + 20 * i}});
        Proc::AnalysisSettings as;
        as.subjects = {"语文"};
        as.firstClass = 1;
        as.lastClass = 2;
        Proc::analyze(as);
        Formfx->showResult("fx");
        const Print::Job fx = Formfx->printJob();
        QCOMPARE(fx.title, QString("临时成绩分析表"));
        QCOMPARE(fx.table.headers.mid(0, 3), (QStringList{"科目", "班号", "科任教师"}));
        QCOMPARE(fx.table.frozenColumns, 3);
        QCOMPARE(fx.table.rows.size(), 3); // two classes and the grade
        Proc::BandSettings bs;
        bs.upper = 399;
        bs.count = 10;
        bs.lastClass = 2;
        Proc::bands(bs);
        Form5->showResult("tj");
        const Print::Job tj = Form5->printJob();
        QCOMPARE(tj.table.headers.mid(0, 2), (QStringList{"上限", "下限"}));
        QVERIFY(tj.table.rows.size() >= 11);
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
