// Exported files read back the way another program would read them.
#include "engine/db/database.h"
#include "engine/export/dbf.h"
#include "engine/export/examexport.h"
#include "engine/export/gbk.h"
#include "engine/export/xlsx.h"
#include "engine/processing/runs.h"
#include "enginetest.h"
#include "readback.h"

#include <QDir>
#include <QFile>
#include <shapefil.h>

namespace {

using Readback::columnName;
using Readback::xlsxSheet;

QByteArray unzipEntry(const QString& zip, const char* entry)
{
    return Readback::zipEntry(zip, entry);
}

void smallExamination()
{
    Fixture::student("cjn", "0101", 1, "欧阳明月", {{"语文1", 85.5}, {"数学1", 120}, {"英语1", 99}});
    Fixture::student("cjn", "0102", 1, "李四", {{"语文1", 59.5}, {"数学1", 90}, {"英语1", 100}});
    Fixture::student("cjn", "0201", 2, "王五", {{"语文1", 100}, {"数学1", 60}, {"英语1", 40}});
    Proc::RankSettings rs;
    rs.table = "cjn";
    rs.subjects = {"语文", "数学", "英语"};
    rs.firstClass = 1;
    rs.lastClass = 2;
    Proc::rank(rs);
    Proc::AnalysisSettings as;
    as.table = "cjn";
    as.subjects = {"语文"};
    as.firstClass = 1;
    as.lastClass = 2;
    Proc::analyze(as);
    Proc::BandSettings bs;
    bs.table = "cjn";
    bs.upper = 329;
    bs.count = 3;
    bs.lastClass = 2;
    Proc::bands(bs);
}

} // namespace

class TestExport : public QObject {
    Q_OBJECT
private slots:
    void theExaminationWorkbookReadsBack()
    {
        TestEnv env;
        env.openDb();
        smallExamination();
        const QString path = env.root() + "/期中.xlsx";
        const auto sheets = Export::examWorkbook(path, {"cjn", "fx", "tj"});
        QCOMPARE(sheets.size(), 3);

        const QByteArray book = unzipEntry(path, "xl/workbook.xml");
        QVERIFY(book.contains("name=\"成绩\""));
        QVERIFY(book.contains("name=\"成绩分析\""));
        QVERIFY(book.contains("name=\"总分分段\""));

        // The grade sheet: every student, titles as the screen shows them,
        // numbers as numeric cells.
        const auto grades = xlsxSheet(path, 1);
        const QStringList cols = sheets[0].headers;
        QCOMPARE(cols.mid(0, 4), (QStringList{"学号", "班号", "姓名", "语文"}));
        for (int c = 0; c < cols.size(); ++c)
            QCOMPARE(grades.value(columnName(c) + "1").text, cols[c]);
        QCOMPARE(grades.value("A2").type, QString("s"));
        QCOMPARE(grades.value("A2").text, QString("0101")); // the leading zero stays
        QCOMPARE(grades.value("C2").text, QString("欧阳明月"));
        QCOMPARE(grades.value("D2").type, QString());
        QCOMPARE(grades.value("D2").text, QString("85.5"));
        QVERIFY(grades.contains("A4") && !grades.contains("A5"));
        const int total = int(cols.indexOf("总分"));
        QCOMPARE(grades.value(columnName(total) + "2").text, QString("304.5"));
        const int rank = int(cols.indexOf("总分级排"));
        QCOMPARE(grades.value(columnName(rank) + "2").text, QString("1"));

        // The analysis sheet: rows in use only; a rate is the stored fraction in a percent format.
        const auto fx = xlsxSheet(path, 2);
        QVERIFY(fx.contains("A4") && !fx.contains("A5")); // classes 1, 2 and the grade row
        const int pass = int(sheets[1].headers.indexOf("合格率"));
        QCOMPARE(fx.value(columnName(pass) + "2").text, QString("0.5"));
        QCOMPARE(fx.value(columnName(pass) + "2").type, QString());
        QCOMPARE(fx.value(columnName(pass) + "2").format, QString("0.00%"));
        QCOMPARE(fx.value("B2").format, QString("0"));
        QCOMPARE(fx.value("A2").text, QString("语文"));
        QCOMPARE(fx.value("B4").text, QString("全级")); // the whole-grade row

        // The band sheet ends with its average row; limits are numbers, the row's words text.
        const auto tj = xlsxSheet(path, 3);
        QCOMPARE(tj.value("A2").type, QString());
        QCOMPARE(tj.value("A2").text, QString("329"));
        QCOMPARE(tj.value("B5").text, QString("平均分"));
        QVERIFY(!tj.contains("A6"));

        // Header row and leading columns frozen, an autofilter on the header.
        const QByteArray xml = unzipEntry(path, "xl/worksheets/sheet1.xml");
        QVERIFY(xml.contains("xSplit=\"3\""));
        QVERIFY(xml.contains("ySplit=\"1\""));
        QVERIFY(xml.contains("<autoFilter"));
    }

    // Whatever a grid holds, the workbook gets numbers as numbers: marks
    // typed as text, ranks and counts as whole numbers, rates as the stored
    // fraction shown as a percentage, 学号 as text.
    void aSheetsCellsAsTheirTypes()
    {
        TestEnv env;
        Export::Sheet s;
        s.columns = {"学号", "班号", "姓名", "语文1", "合格率", "总分级排1", "人数", "下限"};
        s.headers = {"学号", "班号", "姓名", "语文", "合格率", "总分级排", "人数", "下限"};
        s.numeric = {false, true, false, true, true, true, true, true};
        s.formatsFromNames();
        s.rows = {{101, 3, "王五", "85.5", 0.7679, 12.0, 55, "390"},
                  {"0102", 100, "全级", QVariant(), "0.5", QVariant(), 0, "平均分"}};
        const QString path = env.root() + "/表.xlsx";
        Export::writeXlsx(path, {s});
        const auto cells = xlsxSheet(path, 1);
        QCOMPARE(cells.value("A1").text, QString("学号"));
        QCOMPARE(cells.value("D1").text, QString("语文"));
        auto number = [&](const QString& ref, const QString& text, const QString& format) {
            const Readback::Cell c = cells.value(ref);
            QVERIFY2(c.type.isEmpty() && c.text == text && c.format == format,
                     qPrintable(ref + ": " + c.type + " " + c.text + " " + c.format));
        };
        number("D2", "85.5", "");
        number("E2", "0.7679", "0.00%");
        number("E3", "0.5", "0.00%");
        number("F2", "12", "0");
        number("G2", "55", "0");
        number("H2", "390", "");
        number("B2", "3", "0");
        QCOMPARE(cells.value("A2").type, QString("s"));
        QCOMPARE(cells.value("A2").text, QString("101"));
        QCOMPARE(cells.value("A3").text, QString("0102"));
        QCOMPARE(cells.value("B3").text, QString("全级"));
        QCOMPARE(cells.value("H3").text, QString("平均分"));
        QVERIFY(!cells.contains("D3")); // a blank mark is an empty cell
        // Stopped by its progress: nothing written.
        QVERIFY_THROWS_EXCEPTION(Export::Cancelled, Export::writeXlsx(env.root() + "/停.xlsx", {s}, [](qint64, qint64) {
            throw Export::Cancelled();
        }));
    }

    void aTableWithoutDataGetsNoSheet()
    {
        TestEnv env;
        env.openDb();
        Fixture::student("cjn", "0101", 1, "甲");
        const auto sheets = Export::examSheets({"cjn", "fx", "tj"});
        QCOMPARE(sheets.size(), 1);
        QCOMPARE(sheets[0].name, QString("成绩"));
        // Nothing at all: a clear message and no file.
        Db::exec("DELETE FROM cjn");
        QVERIFY_THROWS_EXCEPTION(Db::InputError, Export::examWorkbook(env.root() + "/空.xlsx", {"cjn", "fx", "tj"}));
        QVERIFY(!QFile::exists(env.root() + "/空.xlsx"));
    }

    void aFailedWorkbookLeavesThePreviousFile()
    {
        TestEnv env;
        env.openDb();
        smallExamination();
        QFile blocker(env.root() + "/blocked");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QVERIFY_THROWS_EXCEPTION(Db::Error, Export::examWorkbook(env.root() + "/blocked/a.xlsx", {"cjn", "fx", "tj"}));
        const QString path = env.root() + "/a.xlsx";
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old");
        old.close();
        QDir dir(env.root());
        const QStringList before = dir.entryList(QDir::Files | QDir::Hidden);
        Export::Sheet bad;
        bad.name = "x";
        bad.headers = {"a"};
        bad.rows = {{QString(40000, 'x')}}; // longer than a cell may hold
        QVERIFY_THROWS_EXCEPTION(Db::Error, Export::writeXlsx(path, {bad}));
        QCOMPARE(dir.entryList(QDir::Files | QDir::Hidden), before);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old"));
    }

    void gbkCutsOnCharacterBoundaries_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("bytes");
        QTest::addColumn<QString>("kept");
        QTest::newRow("five characters into nine bytes") << "欧阳明月华" << 9 << "欧阳明月";
        QTest::newRow("exactly ten") << "欧阳明月华" << 10 << "欧阳明月华";
        QTest::newRow("mixed") << "1班王五" << 4 << "1班";
        QTest::newRow("mixed, one more") << "1班王五" << 5 << "1班王";
        QTest::newRow("ascii") << "A0101" << 3 << "A01";
    }
    void gbkCutsOnCharacterBoundaries()
    {
        QFETCH(QString, text);
        QFETCH(int, bytes);
        QFETCH(QString, kept);
        QCOMPARE(Gbk::decode(Gbk::cut(Gbk::encode(text), bytes)), kept);
    }

    void fieldNamesFitAndStayUnique()
    {
        QSet<QByteArray> used;
        const QByteArray a = Export::dbfFieldName(QStringLiteral("级前100名人数"), used);
        QCOMPARE(Gbk::decode(a), QString("级前100名")); // 9 bytes: 人 would make 11
        used.insert(a.toUpper());
        const QByteArray b = Export::dbfFieldName(QStringLiteral("级前100名次"), used);
        QVERIFY(b.size() <= 10);
        QVERIFY(b != a);
        QVERIFY(b.endsWith("~1"));
        QCOMPARE(Gbk::decode(Export::dbfFieldName(QStringLiteral("总分级排1"), {})), QString("总分级排1"));
    }

    void theGradeTableAsDbase()
    {
        TestEnv env;
        env.openDb();
        smallExamination();
        Fixture::student("cjn", "0202", 2, "诸葛孔明华", {{"语文1", 70.25}});
        const QString path = env.root() + "/成绩.dbf";
        const auto res = Export::gradeTableDbf(path, "cjn");
        QCOMPARE(res.rows, 4);
        QFile raw(path);
        QVERIFY(raw.open(QIODevice::ReadOnly));
        QCOMPARE(uchar(raw.read(32).at(29)), uchar(0x7A)); // code page 936
        raw.close();
        QVERIFY(!QFile::exists(env.root() + "/成绩.cpg"));

        DBFHandle h = DBFOpen(QFile::encodeName(path).constData(), "rb");
        QVERIFY(h);
        QCOMPARE(DBFGetRecordCount(h), 4);
        QStringList names;
        for (int i = 0; i < DBFGetFieldCount(h); ++i) {
            char name[XBASE_FLDNAME_LEN_READ + 1] = {};
            DBFGetFieldInfo(h, i, name, nullptr, nullptr);
            names << Gbk::decode(name);
        }
        QCOMPARE(names.mid(0, 5), (QStringList{"序号", "学号", "班号", "姓名", "语文1"}));
        QCOMPARE(Gbk::decode(DBFReadStringAttribute(h, 0, 3)), QString("欧阳明月"));
        QCOMPARE(Gbk::decode(DBFReadStringAttribute(h, 3, 3)), QString("诸葛孔明华"));
        QCOMPARE(QString(DBFReadStringAttribute(h, 0, 1)), QString("0101"));
        QCOMPARE(DBFReadDoubleAttribute(h, 3, 4), 70.25);
        QCOMPARE(DBFReadDoubleAttribute(h, 0, 4), 85.5);
        const int total = int(names.indexOf("总分1"));
        QCOMPARE(DBFReadDoubleAttribute(h, 0, total), 304.5);
        DBFClose(h);
    }

    void aLongNameIsCutWholeInItsField()
    {
        TestEnv env;
        const QString path = env.root() + "/短.dbf";
        QList<Export::DbfField> fields{{"姓名", Gbk::encode(u"姓名"), 'C', 9, 0}};
        const auto res = Export::writeDbf(path, fields, {{QString("欧阳明月华")}});
        QCOMPARE(res.shortened, QStringList{"欧阳明月华"});
        DBFHandle h = DBFOpen(QFile::encodeName(path).constData(), "rb");
        QVERIFY(h);
        QCOMPARE(Gbk::decode(DBFReadStringAttribute(h, 0, 0)), QString("欧阳明月"));
        DBFClose(h);
    }
};

GRADEBOOK_TEST_MAIN(TestExport)
#include "test_export.moc"
