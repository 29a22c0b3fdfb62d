// Tables on pages, read back with pdftotext as a reader's tools read them.
#include "engine/db/database.h"
#include "engine/export/tables.h"
#include "engine/processing/runs.h"
#include "engine/rules/numbers.h"
#include "enginetest.h"
#include "layout/pdffont.h"
#include "layout/tablepages.h"
#include "readback.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QPdfWriter>
#include <QRegularExpression>

namespace {

QStringList tokens(const QString& text)
{
    return text.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
}

// A sheet of `columns` columns: 学号 and 姓名 leading, then marks and rates.
Export::Sheet wideSheet(int columns, int rows)
{
    Export::Sheet s;
    s.columns = {"学号", "姓名"};
    for (int c = 2; c < columns; ++c)
        s.columns << (c % 3 == 0 ? QStringLiteral("合格率") : QStringLiteral("科目%1分数1").arg(c));
    for (const QString& c : s.columns)
        s.headers << c;
    s.frozenColumns = 2;
    s.formatsFromNames();
    for (int r = 0; r < rows; ++r) {
        QVariantList row{QStringLiteral("0%1").arg(1000 + r), QStringLiteral("欧阳明月%1").arg(r % 10)};
        for (int c = 2; c < columns; ++c)
            row << (c % 3 == 0 ? QVariant(0.6429) : QVariant(460.5 + r + c));
        s.rows << row;
    }
    return s;
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT
private slots:
    void aWideAnalysisTableKeepsEveryValueWhole()
    {
        if (!Readback::havePdftotext())
            QSKIP("pdftotext (poppler-utils) is not installed");
        TestEnv env;
        env.openDb();
        Fixture::saveExams({{QStringLiteral("七上月考一"), 1}}, QList<int>(18, 55));
        // The working analysis table: 6 subjects x (18 classes + the grade)
        // in use, the rest of its 200 rows free stock.
        const Export::Sheet sheet = Export::storedSheet("fx");
        QCOMPARE(sheet.rowCount(), 6 * 19);
        QCOMPARE(sheet.frozenColumns, 3);
        Layout::TablePages pages(sheet);
        const QString path = env.root() + "/分析.pdf";
        const int n = Layout::writePdf(path, pages, {"成绩分析表", "七上月考一"});
        QVERIFY(pages.landscape());
        const QStringList text = Readback::pdfPages(path);
        QCOMPARE(text.size(), n);
        // Too wide for one page even at 8 pt: continued sideways, 科目, 班号
        // and 科任教师 repeated on every part, every row on one line.
        QCOMPARE(pages.pointSize(), Layout::TablePages::kSmallestPoint);
        QVERIFY(pages.parts().size() >= 2);
        QCOMPARE(pages.repeatedColumns(), 3);
        QCOMPARE(n, int(pages.parts().size()) * ((6 * 19 + pages.rowsPerPage() - 1) / pages.rowsPerPage()));
        QStringList all;
        for (int i = 0; i < n; ++i) {
            const QStringList words = tokens(text.at(i));
            QVERIFY2(words.contains("科目") && words.contains("班号"), qPrintable(QString::number(i)));
            QVERIFY(QString(text.at(i)).remove(' ').contains(QStringLiteral("第%1页/共%2页").arg(i + 1).arg(n)));
            QVERIFY(!Layout::hasRadicals(text.at(i)));
            all << words;
        }
        // Every value as the screen shows it, whole: 4606 never "460 6",
        // 64.29% never "0.6429"; the whole-grade row as 全级, subjects
        // without the stored suffix.
        const QSet<QString> printed(all.begin(), all.end());
        for (qsizetype r = 0; r < sheet.rowCount(); ++r)
            for (int c = 0; c < sheet.columnCount(); ++c) {
                const QString v = sheet.text(r, c);
                if (!v.isEmpty() && !v.contains(' '))
                    QVERIFY2(printed.contains(v), qPrintable(QStringLiteral("row %1 %2: %3").arg(r).arg(sheet.headers[c], v)));
            }
        const int pass = int(sheet.columns.indexOf("合格率"));
        QVERIFY(sheet.text(0, pass).endsWith('%'));
        QVERIFY(printed.contains("全级"));
        QVERIFY(!printed.contains("语文1"));
        for (const QString& w : all)
            QVERIFY2(!QRegularExpression("^0\\.\\d{3,4}$").match(w).hasMatch(), qPrintable(w));
        // The stock rows (科目 "0") are not printed: as many 语文 rows as classes and the grade.
        QCOMPARE(all.count("语文"), 19 * int(pages.parts().size()));
        if (const QString shots = qEnvironmentVariable("GRADEBOOK_SHOTS"); !shots.isEmpty())
            QFile::copy(path, shots + "/wide-analysis.pdf");
    }

    void theFontStepsDownThenTheTableContinuesSideways_data()
    {
        QTest::addColumn<int>("columns");
        QTest::newRow("narrow") << 5;
        QTest::newRow("a little wide") << 14;
        QTest::newRow("wide") << 24;
        QTest::newRow("very wide") << 60;
    }
    void theFontStepsDownThenTheTableContinuesSideways()
    {
        QFETCH(int, columns);
        QBuffer sink;
        sink.open(QIODevice::WriteOnly);
        QPdfWriter writer(&sink);
        writer.setResolution(1200);
        Layout::TablePages pages(wideSheet(columns, 100));
        writer.setPageLayout(Layout::pageLayout(pages.landscape()));
        const Layout::PageFrame frame = Layout::frameOf(&writer);
        const int n = pages.layout(&writer, frame.body.size(), {});
        const qreal width = frame.body.width() / (writer.logicalDpiX() / 72.0);
        auto widthOf = [&](const QList<int>& cols, qreal pt) {
            qreal w = 0;
            for (int c : cols)
                w += pages.columnWidth(c, pt);
            return w;
        };
        const qreal pt = pages.pointSize();
        QVERIFY(pt >= 8 && pt <= 10);
        QVERIFY(n >= 1);
        // A size and parts that fit the page, the largest size that does.
        for (const QList<int>& part : pages.parts())
            QVERIFY(widthOf(part, pt) <= width + 0.01);
        if (pages.parts().size() == 1) {
            QVERIFY(pt == 10 || widthOf(pages.parts().first(), pt + 0.5) > width);
        } else {
            QCOMPARE(pt, 8.0);
            // 学号 and 姓名 begin every part; every other column is in exactly one.
            QList<int> seen;
            for (const QList<int>& part : pages.parts()) {
                QCOMPARE(part.mid(0, 2), (QList<int>{0, 1}));
                seen << part.mid(2);
            }
            QCOMPARE(seen.size(), columns - 2);
            QCOMPARE(QSet<int>(seen.begin(), seen.end()).size(), columns - 2);
        }
        QCOMPARE(columns <= 5, !pages.landscape());
    }

    void aBandTableEndsWithItsAverageRow()
    {
        if (!Readback::havePdftotext())
            QSKIP("pdftotext (poppler-utils) is not installed");
        TestEnv env;
        env.openDb();
        Fixture::saveExams({{QStringLiteral("七上月考一"), 1}}, QList<int>(18, 55));
        Proc::BandSettings b;
        b.table = "cj";
        b.upper = 599;
        b.count = 40;
        b.lastClass = 18;
        Proc::bands(b);
        const Export::Sheet sheet = Export::storedSheet("tj");
        QCOMPARE(sheet.rowCount(), 41); // 40 bands and the average row, none of the stock
        Layout::TablePages pages(sheet);
        const QString path = env.root() + "/分段.pdf";
        const int n = Layout::writePdf(path, pages, {"总分分段统计表", "七上月考一"});
        const QStringList text = Readback::pdfPages(path);
        QCOMPARE(text.size(), n);
        const QString last = text.last();
        QVERIFY(last.contains("平均分"));
        int averages = 0;
        for (const QString& page : text) {
            averages += int(tokens(page).count("平均分"));
            QVERIFY(tokens(page).contains("上限"));
        }
        QCOMPARE(averages, int(pages.parts().size()));
        // The averages with their decimals, whole.
        const int whole = int(sheet.columns.indexOf("全级"));
        const QString gradeAverage = sheet.text(40, whole);
        QVERIFY(gradeAverage.contains('.'));
        QVERIFY2(text.join(' ').contains(gradeAverage), qPrintable(gradeAverage));
        if (const QString shots = qEnvironmentVariable("GRADEBOOK_SHOTS"); !shots.isEmpty())
            QFile::copy(path, shots + "/bands.pdf");
    }

    void aLongWriteReportsEachPageAndCanBeStopped()
    {
        TestEnv env;
        Layout::TablePages pages(wideSheet(12, 400));
        const QString path = env.root() + "/长表.pdf";
        QList<qint64> reports;
        const int n = Layout::writePdf(path, pages, {"成绩表", "期中"}, [&](qint64 done, qint64 total) {
            QCOMPARE(total, 1000);
            reports << done;
        });
        QVERIFY(n > 5);
        QVERIFY(reports.size() >= n);
        QVERIFY(std::is_sorted(reports.begin(), reports.end()));
        QCOMPARE(reports.last(), 1000);
        // Stopped halfway: the file as it was before, and nothing beside it.
        QFile before(path);
        QVERIFY(before.open(QIODevice::ReadOnly));
        const QByteArray old = before.readAll();
        before.close();
        Layout::TablePages again(wideSheet(12, 400));
        QVERIFY_THROWS_EXCEPTION(Export::Cancelled, Layout::writePdf(path, again, {"成绩表", "期中"}, [](qint64 done, qint64) {
            if (done > 500)
                throw Export::Cancelled();
        }));
        QVERIFY(before.open(QIODevice::ReadOnly));
        QCOMPARE(before.readAll(), old);
        QCOMPARE(QDir(env.root()).entryList(QDir::Files | QDir::Hidden), QStringList{"长表.pdf"});
    }

    void thePdfFontGivesBackWhatWasWritten()
    {
        QCOMPARE(Layout::radicalAliases(Layout::pdfFont()), 0);
        QVERIFY(Layout::hasRadicals(QString(QChar(0x2F08)))); // ⼈, the radical of 人
        QVERIFY(!Layout::hasRadicals(QStringLiteral("周子航七上月考一科目")));
    }
};

int main(int argc, char** argv)
{
    // Fonts need a GUI application; it needs no display on the offscreen platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    TestLayout tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "test_layout.moc"
