// The one-page class report and the comparison's pages, read back with
// pdftotext as a teacher's tools read them.
#include "engine/actions/progress.h"
#include "engine/session/session.h"
#include "engine/processing/runs.h"
#include "engine/processing/saves.h"
#include "enginetest.h"
#include "layout/classreport.h"
#include "layout/tablesequence.h"
#include "readback.h"

#include <QGuiApplication>

namespace {

void saveBands(const QString& exam, int number, qint64 lastClass)
{
    Proc::BandSettings b;
    b.upper = 599;
    b.count = 60;
    b.lastClass = lastClass;
    Proc::bands(b);
    Save::bands("tj", {exam, number, false});
}

} // namespace

class TestClassReport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (!Readback::havePdftotext())
            QSKIP("pdftotext (poppler-utils) is not installed");
    }

    // A class of a grade with an examination saved before: every subject,
    // the bands, the movers, on one page that says it is for the teachers.
    void reportPage()
    {
        TestEnv env;
        env.openDb();
        Fixture::saveExams({{"期中考试", 1}, {"期末考试", 2}}, {40, 38, 42});
        saveBands("期末考试", 2, 3);
        Session session;
        session.load(false);
        Layout::ClassReportPage page(Actions::classReport(session, {"期末考试", 2}, 2));
        const QString pdf = env.root() + "/report.pdf";
        QCOMPARE(Layout::writePdf(pdf, page, page.furniture()), 1);
        QVERIFY(page.fitted());
        const QStringList pages = Readback::pdfPages(pdf);
        QCOMPARE(pages.size(), 1);
        const QString& text = pages.first();
        for (const QString& s : {"2班成绩报告", "期末考试", "内部资料", "语文", "数学", "英语", "政治", "物理", "化学",
                                 "合格率", "级前400", "总分分段", "各科等级分布", "进步最多", "退步最多", "期中考试"})
            QVERIFY2(text.contains(s), qPrintable(s));
        // A student's name from the movers' lists is on the page.
        const ClassReport::Data& d = page.data();
        QVERIFY(!d.up.rows.isEmpty());
        QVERIFY(text.contains(d.up.rows.first().at(2).toString()));
        // Averages as the saved analysis holds them.
        const QString average = Export::displayText(d.subjects.first().average, Export::Format::General);
        QVERIFY2(text.contains(average), qPrintable(average));
    }

    // The first examination saved, without a band table: the page says what
    // it cannot show instead of leaving holes.
    void reportWithoutEarlierOrBands()
    {
        TestEnv env;
        env.openDb();
        Fixture::saveExams({{"期中考试", 1}}, {30, 30});
        Session session;
        session.load(false);
        Layout::ClassReportPage page(Actions::classReport(session, {"期中考试", 1}, 1));
        const QString pdf = env.root() + "/first.pdf";
        QCOMPARE(Layout::writePdf(pdf, page, page.furniture()), 1);
        const QString text = Readback::pdfPages(pdf).value(0);
        QVERIFY(text.contains("分段表没有永久保存"));
        QVERIFY(text.contains("没有可以比较的上一次考试"));
        QVERIFY(text.contains("等级"));
    }

    // A grade-sized class over narrow bands: the three-digit counts above
    // neighbouring bars do not run into each other.
    void crowdedBandCountsStayApart()
    {
        TestEnv env;
        env.openDb();
        ClassReport::Data d;
        d.exam = {"期末考试", 2};
        d.examLabel = "期末考试";
        d.cls = 1;
        d.bandsSaved = true;
        QStringList counts;
        for (int i = 0; i < 60; ++i) {
            // Never a multiple of ten, so that no axis or band label reads the same.
            const qint64 count = 401 + (i * 37) % 490 + ((i * 37) % 490 % 10 == 9 ? 1 : 0);
            d.bands << ClassReport::Band{QString::number(610 - 10 * i), QString::number(600 - 10 * i), count};
            counts << QString::number(count);
        }
        Layout::ClassReportPage page(d);
        const QString pdf = env.root() + "/crowded.pdf";
        QCOMPARE(Layout::writePdf(pdf, page, page.furniture()), 1);
        QList<Readback::Word> shown;
        for (const Readback::Word& w : Readback::pdfWords(pdf))
            if (counts.contains(w.text))
                shown << Readback::Word{w.text, w.box.adjusted(0.2, 0.2, -0.2, -0.2)}; // a touch is not an overlap
        QCOMPARE(shown.size(), counts.size());
        for (int i = 0; i < shown.size(); ++i)
            for (int k = i + 1; k < shown.size(); ++k)
                QVERIFY2(!shown[i].box.intersects(shown[k].box),
                         qPrintable(shown[i].text + " runs into " + shown[k].text));
    }

    // The comparison's tables one after the other, each from a fresh page
    // that names it.
    void progressPages()
    {
        TestEnv env;
        env.openDb();
        Fixture::saveExams({{"期中考试", 1}, {"期末考试", 2}}, {20, 20});
        const auto run = Actions::progress({"期中考试", 1}, {"期末考试", 2});
        Layout::TableSequence doc;
        for (const Export::Sheet& s : Actions::progressSheets(run, 0, 10))
            doc.add(s.title, s);
        const QString pdf = env.root() + "/progress.pdf";
        const int n = Layout::writePdf(pdf, doc, {"全级进退步分析", run.caption()});
        const QStringList pages = Readback::pdfPages(pdf);
        QCOMPARE(pages.size(), n);
        QVERIFY(pages.first().contains("学生成绩进退"));
        QVERIFY(pages.first().contains("期中考试 → 期末考试"));
        QVERIFY(pages.join('\n').contains("进步最多的学生"));
        QVERIFY(pages.last().contains("各班进退")); // nobody apart: that table is left out
    }
};

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    TestClassReport tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "test_classreport.moc"
