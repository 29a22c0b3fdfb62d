// Reading the files teachers receive and recognising the grade table in them.
// The samples in tests/data come from several producers (make_samples.py and
// make_xlsxwriter_sample.c say how each was made).
#include "engine/db/database.h"
#include "engine/import/numberformat.h"
#include "engine/import/recognise.h"
#include "engine/import/workbook.h"
#include "engine/import/xmlscanner.h"
#include "engine/rules/subjects.h"
#include "enginetest.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <zip.h>

using namespace Import;

namespace {

QString sample(const QString& name)
{
    return QStringLiteral(GRADEBOOK_TEST_DATA "/") + name;
}

// A student as one line: 学号|班号|姓名|语文,数学,英语,政治,物理,化学,综合
// with "缺" for an absence and "-" for a subject the sheet has no column for.
QString line(const Student& s)
{
    QStringList marks;
    for (const Mark& m : s.marks)
        marks << (m.state == Mark::State::None     ? QStringLiteral("-")
                  : m.state == Mark::State::Absent ? QStringLiteral("缺")
                                                   : NumberFormat::general(m.value));
    return QStringLiteral("%1|%2|%3|%4").arg(s.number).arg(s.cls).arg(s.name, marks.join(','));
}

QStringList lines(const Table& t)
{
    QStringList out;
    for (const Student& s : t.students)
        out << QString::number(s.row) + ':' + line(s);
    return out;
}

QStringList messages(const QList<Problem>& problems)
{
    QStringList out;
    for (const Problem& p : problems)
        out << p.message();
    return out;
}

Table readSample(const QString& name, const QString& sheet)
{
    auto book = Import::open(sample(name));
    const int index = book->indexOf(sheet);
    if (index < 0)
        throw Db::Error(QStringLiteral("no sheet ") + sheet + " in " + book->sheetNames().join(','));
    return readTable(*book, index);
}

Row row(int number, const QStringList& texts)
{
    Row r{number, {}};
    for (const QString& t : texts)
        r.cells << (t.isEmpty() ? Cell() : Cell::ofText(t));
    return r;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A package with the given parts, written with minizip (fast compression).
void writeZip(const QString& path, const QList<QPair<QByteArray, QByteArray>>& parts)
{
    zipFile z = zipOpen64(QFile::encodeName(path).constData(), APPEND_STATUS_CREATE);
    QVERIFY(z);
    for (const auto& [name, body] : parts) {
        zip_fileinfo info{};
        QCOMPARE(zipOpenNewFileInZip64(z, name.constData(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 1, 1),
                 ZIP_OK);
        QCOMPARE(zipWriteInFileInZip(z, body.constData(), unsigned(body.size())), ZIP_OK);
        zipCloseFileInZip(z);
    }
    zipClose(z, nullptr);
}

const QByteArray kRootRels =
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="r1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)";
const QByteArray kWorkbook =
    R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets><sheet name="S" sheetId="1" r:id="s1"/></sheets></workbook>)";
const QByteArray kWorkbookRels =
    R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="s1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/></Relationships>)";

// A one-sheet package around the given sheetData content.
void writeSheet(const QString& path, const QByteArray& sheetData)
{
    writeZip(path, {{"_rels/.rels", kRootRels},
                    {"xl/workbook.xml", kWorkbook},
                    {"xl/_rels/workbook.xml.rels", kWorkbookRels},
                    {"xl/worksheets/sheet1.xml",
                     R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)"
                         + sheetData + "</sheetData></worksheet>"}});
}

} // namespace

class TestImport : public QObject {
    Q_OBJECT

private slots:
    void samples_data();
    void samples();
    void cellsAsShown();
    void writerQuirks();
    void headerWords_data();
    void headerWords();
    void classNames_data();
    void classNames();
    void absenceWords_data();
    void absenceWords();
    void numberFormats_data();
    void numberFormats();
    void xmlScanner_data();
    void xmlScanner();
    void textFiles_data();
    void textFiles();
    void headerSearch();
    void headerlessWithMapping();
    void mappingPassedBack();
    void refused_data();
    void refused();
    void millionRows_data();
    void millionRows();
};

// Every sample read and recognised: the students as they come out, and
// every value that cannot be taken, by sheet row and column.
void TestImport::samples_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QStringList>("students");
    QTest::addColumn<QStringList>("problems");
    QTest::addColumn<int>("absences");

    // Merged title, blank row, two-row header (语文/数学 over 分数/排名),
    // 学号 numbers in "0000", classes "初一(3)班", 缺考, blank and "/".
    QTest::newRow("libxlsxwriter: merged title, two-row header")
        << "xlsxwriter_merged.xlsx" << "成绩"
        << QStringList{"5:0101|3|张三|95,88.5,缺,-,-,-,-", "6:0102|3|李四|缺,72,90,-,-,-,-",
                       "8:1201|12|王五|缺,缺,86,-,-,-,-", "9:1202|12|Li Ming|0,100,64,-,-,-,-"}
        << QStringList{} << 4;
    // The same workbook saved again by LibreOffice Calc, as .xlsx and as .xls.
    QTest::newRow("LibreOffice: the same sheet as .xlsx")
        << "libreoffice_merged.xlsx" << "成绩"
        << QStringList{"5:0101|3|张三|95,88.5,缺,-,-,-,-", "6:0102|3|李四|缺,72,90,-,-,-,-",
                       "8:1201|12|王五|缺,缺,86,-,-,-,-", "9:1202|12|Li Ming|0,100,64,-,-,-,-"}
        << QStringList{} << 4;
    // FreeXL gives no number formats: the 学号 lose the zeros of "0000".
    QTest::newRow("LibreOffice: the same sheet as .xls")
        << "libreoffice_merged.xls" << "成绩"
        << QStringList{"5:101|3|张三|95,88.5,缺,-,-,-,-", "6:102|3|李四|缺,72,90,-,-,-,-",
                       "8:1201|12|王五|缺,缺,86,-,-,-,-", "9:1202|12|Li Ming|0,100,64,-,-,-,-"}
        << QStringList{} << 4;
    // Synonyms (考号, 班别, 学生姓名, 语, 数, 英, 道德与法治, 物理成绩, 理综),
    // 学号 text with zeros, every way of writing class 7, and bad values.
    QTest::newRow("openpyxl: synonyms, classes, bad values")
        << "openpyxl_synonyms.xlsx" << "期中成绩"
        << QStringList{"2:00123|7|赵一|91,85.5,77,80,60,55,120", "3:00124|7|钱二|缺,90,缺,71,52,48,101",
                       "4:00125|7|孙三|66,缺,58,-,70,61,99", "5:00126|7|李四|73,-,81,69,45,50,97",
                       "6:00127|0|周五|88,92,90,85,66,70,130"}
        << QStringList{"第4行 G列：政治“八十”不是数字", "第5行 E列：数学是负数（-5）",
                       "第6行 B列：班号必须在1到18之间，现在是19"}
        << 3;
    QTest::newRow("openpyxl: 学号 numbers in \"000000\"")
        << "openpyxl_numbers.xlsx" << "Sheet1"
        << QStringList{"2:000007|1|甲|90,80,70,-,-,-,-", "3:000008|1|乙|60.25,0,100,-,-,-,-",
                       "4:000009|2|丙|59.5,61,99,-,-,-,-"}
        << QStringList{} << 0;
    // Inline strings only, rich-text runs, x: prefixes, the error value #DIV/0!.
    QTest::newRow("hand-written XML: inline strings, rich text")
        << "handwritten_inline.xlsx" << "成绩单"
        << QStringList{"3:0301|3|欧阳小明|88,92.5,-,-,-,-,-", "5:0302|3|林一|-,缺,-,-,-,-,-"}
        << QStringList{"第5行 D列：语文“#DIV/0!”不是数字"} << 1;
    QTest::newRow("GBK CSV with a title line")
        << "gbk.csv" << "gbk"
        << QStringList{"3:0101|1|张三|95,缺,-,-,-,-,-", "4:0102|1|欧阳娜娜|缺,88,-,-,-,-,-"}
        << QStringList{} << 2;
    QTest::newRow("UTF-8 CSV with BOM, semicolons, a line break in quotes")
        << "utf8_bom.csv" << "utf8_bom"
        << QStringList{"2:0201|2|李小红|-,-,88,-,缺,-,-", "4:0202|2|Wang \"Gang\"|-,-,缺,-,79.5,-,-"}
        << QStringList{} << 2;
    QTest::newRow("tab-separated text")
        << "tabs.txt" << "tabs" << QStringList{"2:0301|3|陈一|-,-,-,-,-,67,-"} << QStringList{} << 0;
    QTest::newRow(".xls (Excel 97-2003)")
        << "xlwt.xls" << "成绩"
        << QStringList{"3:0501|5|吴六|81,79.5,-,-,-,-,-", "4:0502|5|郑七|缺,90,-,-,-,-,-"}
        << QStringList{} << 1;
}

void TestImport::samples()
{
    QFETCH(QString, file);
    QFETCH(QString, sheet);
    QFETCH(QStringList, students);
    QFETCH(QStringList, problems);
    QFETCH(int, absences);
    const Table t = readSample(file, sheet);
    QVERIFY2(t.found, qPrintable(t.unrecognised));
    QCOMPARE(lines(t), students);
    QCOMPARE(messages(t.problems), problems);
    QCOMPARE(t.absences, absences);
}

// Sheets in tab order, cells as the producer shows them, merged ranges, and
// the columns left out of the mapping with their reason.
void TestImport::cellsAsShown()
{
    {
        auto book = Import::open(sample("xlsxwriter_merged.xlsx"));
        QCOMPARE(book->sheetNames(), (QStringList{"说明", "成绩"}));
        const Sheet s = book->sheet(1);
        // The merged title is one cell, the row below it is blank and absent.
        QCOMPARE(s.rows[0].number, 1);
        QCOMPARE(s.rows[0].cells.size(), 1);
        QCOMPARE(s.rows[1].number, 3);
        QCOMPARE(s.merges.size(), 8);
        QCOMPARE(s.merges[0].lastColumn, 8);
        const Cell& id = s.rows[3].at(0);
        QCOMPARE(id.kind, Cell::Kind::Number);
        QCOMPARE(id.number, 101.0);
        QCOMPARE(id.shown(), QStringLiteral("0101"));
        QCOMPARE(s.rows[3].at(5).shown(), QStringLiteral("88.5"));
        QCOMPARE(s.rows[3].at(8).shown(), QStringLiteral("200")); // a formula's stored result

        const Table t = readTable(*book, 1);
        QCOMPARE(t.layout.headerRow, 3);
        QCOMPARE(t.layout.headerRows, 2);
        QCOMPARE(t.layout.headers.mid(3, 4), (QStringList{"语文分数", "语文排名", "数学分数", "数学排名"}));
        QCOMPARE(t.layout.notes[4], QStringLiteral("名次由程序计算，不导入"));
        QCOMPARE(t.layout.notes[8], QStringLiteral("总分由程序计算，不导入"));
        QCOMPARE(t.preview.size(), 7);
        QCOMPARE(t.skipped.size(), 0); // the blank line is no row at all
    }
    {
        auto book = Import::open(sample("handwritten_inline.xlsx"));
        QCOMPARE(book->sheetNames(), (QStringList{"成绩单", "说明"}));
        const Sheet s = book->sheet(0);
        QCOMPARE(s.rows[1].at(3).text, QStringLiteral("语文")); // two rich-text runs
        QCOMPARE(s.rows[1].at(4).kind, Cell::Kind::Empty);      // the gap before F2
        QCOMPARE(s.rows[1].at(5).text, QStringLiteral("数学"));
        QCOMPARE(s.rows[2].at(6).text, QStringLiteral("TRUE"));
        QCOMPARE(book->sheet(1).rows[0].at(0).text, QStringLiteral("手写的工作簿"));
    }
    {
        // Dates are shown as dates, in a workbook counting from 1904 too.
        const Sheet dates = Import::open(sample("openpyxl_synonyms.xlsx"))->sheet(0);
        QCOMPARE(dates.rows[1].at(12).kind, Cell::Kind::Text);
        QCOMPARE(dates.rows[1].at(12).text, QStringLiteral("2024-11-06"));
        QCOMPARE(Import::open(sample("openpyxl_numbers.xlsx"))->sheet(0).rows[1].at(6).text,
                 QStringLiteral("2024-03-01"));
        const Table t = readSample("openpyxl_synonyms.xlsx", "期中成绩");
        QCOMPARE(t.layout.targets[9], Target::of(Field::Subject, 6)); // 理综 as 综合
        QCOMPARE(t.layout.notes[12], QStringLiteral("认不出这一列，不导入"));
    }
}

// What some writers get wrong and other readers accept: a worksheet target
// given from the package's root, an inline string in <v>, references in a
// value, a formula never calculated, no root relationships.
void TestImport::writerQuirks()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("quirks.xlsx");
    writeZip(path, {{"xl/workbook.xml", kWorkbook},
                    {"xl/_rels/workbook.xml.rels",
                     QByteArray(kWorkbookRels).replace("worksheets/sheet1.xml", "xl/worksheets/sheet1.xml")},
                    {"xl/worksheets/sheet1.xml",
                     R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)"
                     R"(<row r="1"><c r="A1" t="inlineStr"><v>姓名</v></c><c r="B1" t="inlineStr"><is><t>英语</t></is></c></row>)"
                     R"(<row r="2"><c r="A2" t="inlineStr"><v>&#x5F20;三</v></c><c r="B2" t="str"><v> 90 </v></c></row>)"
                     R"(<row r="3"><c r="A3" t="inlineStr"><is><t>李四</t></is></c><c r="B3"><f>B2&lt;100</f></c></row>)"
                     "</sheetData></worksheet>"}});
    auto book = Import::open(path);
    QCOMPARE(book->sheetNames(), QStringList{"S"});
    const Table t = readTable(*book, 0);
    QCOMPARE(lines(t), (QStringList{"2:|0|张三|-,-,90,-,-,-,-", "3:|0|李四|-,-,-,-,-,-,-"}));
    QCOMPARE(messages(t.problems), QStringList{"第3行 B列：英语“=B2<100”不是数字"});
}

void TestImport::headerWords_data()
{
    QTest::addColumn<QString>("header");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("note");
    const struct {
        const char* header;
        const char* target;
        const char* note;
    } rows[] = {
        {"学号", "学号", ""}, {"考号", "学号", ""}, {"准考证号", "学号", ""}, {"考生号", "学号", ""},
        {"学籍号", "学号", ""}, {"编号", "学号", ""}, {" 学　号 ", "学号", ""}, {"*学号", "学号", ""},
        {"班号", "班号", ""}, {"班级", "班号", ""}, {"班别", "班号", ""}, {"班", "班号", ""}, {"行政班", "班号", ""},
        {"姓名", "姓名", ""}, {"姓 名", "姓名", ""}, {"学生姓名", "姓名", ""}, {"考生姓名", "姓名", ""},
        {"语文", "语文", ""}, {"语", "语文", ""}, {"数", "数学", ""}, {"英", "英语", ""}, {"外语", "英语", ""},
        {"道法", "政治", ""}, {"道德与法治", "政治", ""}, {"思品", "政治", ""}, {"理综", "综合", ""},
        {"数学（150分）", "数学", ""}, {"语文成绩", "语文", ""}, {"物理得分", "物理", ""}, {"ＥＮＧ", "不导入", "认不出这一列，不导入"},
        {"总分", "不导入", "总分由程序计算，不导入"}, {"三总", "不导入", "总分由程序计算，不导入"},
        {"班排", "不导入", "名次由程序计算，不导入"}, {"级排", "不导入", "名次由程序计算，不导入"},
        {"名次", "不导入", "名次由程序计算，不导入"}, {"语文排名", "不导入", "名次由程序计算，不导入"},
        {"班名", "不导入", "名次由程序计算，不导入"}, {"等级", "不导入", "等级不导入"}, {"序号", "不导入", "序号不导入"}, {"座号", "不导入", "座号不导入"},
        {"历史", "不导入", "成绩册没有“历史”这一科，不导入"}, {"", "不导入", ""},
    };
    for (const auto& r : rows)
        QTest::newRow(r.header) << QString::fromUtf8(r.header) << QString::fromUtf8(r.target)
                                << QString::fromUtf8(r.note);
    // Every subject of the grade tables by its own name, in their order.
    QCOMPARE(Rules::gradeSubjects().size(), kSubjectCount);
    for (const QString& s : Rules::gradeSubjects())
        QTest::newRow(qPrintable(QStringLiteral("own name ") + s)) << s << s << QString();
}

void TestImport::headerWords()
{
    QFETCH(QString, header);
    QFETCH(QString, target);
    QFETCH(QString, note);
    const HeaderMeaning m = classifyHeader(header);
    QCOMPARE(m.target.label(), target);
    QCOMPARE(m.note, note);
}

void TestImport::classNames_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("cls"); // 0: not recognised
    const struct {
        const char* text;
        int cls;
    } rows[] = {
        {"7", 7}, {"7班", 7}, {"初一(7)班", 7}, {"初一（7）班", 7}, {"初一7班", 7}, {"七(7)", 7}, {"７", 7},
        {"７班", 7}, {" 7 ", 7}, {"七班", 7}, {"十二班", 12}, {"初一十二班", 12}, {"初一二班", 2},
        {"2023级(12)班", 12}, {"2023级7班", 7}, {"18", 18}, {"19班", 19}, {"7.0", 7}, {"7.5", 0},
        {"一班", 1}, {"三年级", 0}, {"班", 0}, {"", 0},
    };
    for (const auto& r : rows)
        QTest::newRow(r.text) << QString::fromUtf8(r.text) << r.cls;
}

void TestImport::classNames()
{
    QFETCH(QString, text);
    QFETCH(int, cls);
    QCOMPARE(parseClass(text).value_or(0), qint64(cls));
}

void TestImport::absenceWords_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("absent");
    QTest::newRow("blank") << "" << true;
    QTest::newRow("blanks") << "  　" << true;
    QTest::newRow("缺考") << "缺考" << true;
    QTest::newRow("缺考 with blanks") << " 缺 考 " << true;
    QTest::newRow("缺") << "缺" << true;
    QTest::newRow("slash") << "/" << true;
    QTest::newRow("full-width slash") << "／" << true;
    QTest::newRow("0 is a mark") << "0" << false;
    QTest::newRow("word") << "作弊" << false;
}

void TestImport::absenceWords()
{
    QFETCH(QString, text);
    QFETCH(bool, absent);
    QCOMPARE(isAbsence(text), absent);
}

void TestImport::numberFormats_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("shown");
    QTest::newRow("leading zeros") << "0000" << 101.0 << "0101";
    QTest::newRow("longer than the format") << "0000" << 123456.0 << "123456";
    QTest::newRow("one decimal") << "0.0" << 88.0 << "88.0";
    QTest::newRow("rounded decimals") << "0.00" << 2.0 / 3 << "0.67";
    QTest::newRow("optional decimals") << "0.##" << 59.5 << "59.5";
    QTest::newRow("thousands") << "#,##0" << 1234567.0 << "1,234,567";
    QTest::newRow("percent") << "0.00%" << 0.6667 << "66.67%";
    QTest::newRow("literal around") << "\"初一\"0\"班\"" << 7.0 << "初一7班";
    QTest::newRow("digits across a dash") << "000-0000" << 1234567.0 << "123-4567";
    QTest::newRow("negative section") << "0;(0)" << -5.0 << "(5)";
    QTest::newRow("text placeholder") << "@" << 85.0 << "85";
    QTest::newRow("general") << "General" << 0.1 + 0.2 << "0.3";
    QTest::newRow("date") << "yyyy-mm-dd" << 45597.0 << "2024-11-01";
    QTest::newRow("chinese date") << "yyyy\"年\"m\"月\"d\"日\"" << 45597.0 << "2024年11月1日";
    QTest::newRow("time") << "h:mm" << 0.5 << "12:00";
    QTest::newRow("built-in 14") << NumberFormat::builtinCode(14) << 45597.0 << "2024/11/1";
    QTest::newRow("weekday") << "yyyy-m-d dddd" << 45597.0 << "2024-11-1 星期五";
    QTest::newRow("the last day a date can be") << "yyyy-mm-dd ddd" << 2958465.0 << "9999-12-31 周五";
    QTest::newRow("a serial past any date") << "dddd" << 2958466.0 << "2958466";
    QTest::newRow("rounded into the day past any date") << "yyyy-mm-dd" << 2958465.999999 << "2958465.999999";
    QTest::newRow("a serial far past any date") << "yyyy dddd" << 1e15 << "1E+15";
}

void TestImport::numberFormats()
{
    QFETCH(QString, code);
    QFETCH(double, value);
    QFETCH(QString, shown);
    QCOMPARE(NumberFormat(code).render(value), shown);
}

// The scanner gives the same tokens however its input is cut into chunks,
// and refuses what is not a whole document.
void TestImport::xmlScanner_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("tokens"); // <name a=v> for a start, </name>, "text"; or the refusal
    QTest::newRow("prefixes, attributes, empty element")
        << QByteArray("<?xml version=\"1.0\"?>\n<x:row r=\"2\" x:s='a>b'><x:c r=\"A2\"/></x:row>")
        << "<row r=2 s=a>b><c r=A2></c></row>";
    QTest::newRow("references, CDATA, comment")
        << QByteArray("\xEF\xBB\xBF<t>&lt;8&amp;5&gt; &#x5F20;&#19977;<!-- > --><![CDATA[a<b&c]]>\r\n</t>")
        << "<t>\"<8&5> 张三\"\"a<b&c\"\"\n\"</t>";
    QTest::newRow("cut off") << QByteArray("<sheetData><row><c><v>1</v>") << "!不完整";
    QTest::newRow("document type") << QByteArray("<!DOCTYPE x [<!ENTITY a \"b\">]><x/>") << "!文档类型";
    QTest::newRow("unknown entity") << QByteArray("<t>&nbsp;</t>") << "!实体";
    QTest::newRow("empty") << QByteArray("") << "!空";
}

void TestImport::xmlScanner()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, tokens);
    for (const qsizetype chunk : {1, 3, 4096}) {
        qsizetype at = 0;
        XmlScanner x([&](char* buf, qsizetype cap) {
            const qsizetype n = std::min({cap, chunk, xml.size() - at});
            memcpy(buf, xml.constData() + at, size_t(n));
            at += n;
            return n;
        });
        QString got;
        try {
            using T = XmlScanner::Token;
            for (T t; (t = x.next()) != T::Done;) {
                if (t == T::Start) {
                    got += '<' + QString::fromUtf8(x.name());
                    for (const char* a : {"r", "s"})
                        if (!x.attribute(a).isEmpty())
                            got += QStringLiteral(" %1=%2").arg(a, QString::fromUtf8(x.attribute(a)));
                    got += '>';
                } else if (t == T::End) {
                    got += "</" + QString::fromUtf8(x.name()) + '>';
                } else {
                    got += '"' + x.text() + '"';
                }
            }
        } catch (const QString& why) {
            got = '!' + why;
        }
        if (tokens.startsWith('!'))
            QVERIFY2(got.startsWith('!') && got.contains(tokens.mid(1)), qPrintable(got));
        else
            QCOMPARE(got.remove(QStringLiteral("\"\"")), QString(tokens).remove(QStringLiteral("\"\"")));
    }
}

// Text as other programs save it: the encodings, delimiters and line ends
// are told from the bytes, and a tab-separated export named .xls is read too.
void TestImport::textFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("student");
    const QString table = QStringLiteral("学号\t班号\t姓名\t语文\r\n0101\t初一(2)班\t张三\t缺考\r\n");
    QByteArray utf16("\xFF\xFE");
    for (QChar c : table) {
        utf16 += char(c.unicode() & 0xFF);
        utf16 += char(c.unicode() >> 8);
    }
    const QString expected = QStringLiteral("2:0101|2|张三|缺,-,-,-,-,-,-");
    QTest::newRow("Unicode text (UTF-16 with BOM)") << "成绩.txt" << utf16 << expected;
    QTest::newRow("GBK with tabs") << "成绩.txt" << QByteArray::fromHex("d1a7bac509b0e0bac509d0d5c3fb09d3efcec40d0a") + QByteArray("0101\t2\t") + QByteArray::fromHex("d5c5c8fd09c8b1bfbc0d0a") << expected;
    QTest::newRow("UTF-8 without BOM, old Mac line ends")
        << "成绩.csv" << QStringLiteral("学号,班号,姓名,语文\r0101,2,张三,缺考\r").toUtf8() << expected;
    QTest::newRow("tab text named .xls") << "成绩.xls" << table.toUtf8() << expected;
}

void TestImport::textFiles()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, student);
    QTemporaryDir dir;
    writeFile(dir.filePath(name), bytes);
    auto book = Import::open(dir.filePath(name));
    QCOMPARE(lines(readTable(*book, 0)), QStringList{student});
}

// The header is found below title rows; a sheet without one says what it saw.
void TestImport::headerSearch()
{
    const QList<Row> titled{row(1, {"2024 期中考试"}), row(2, {"", "", "制表：教务处"}),
                            row(4, {"序号", "考号", "姓名", "理综", "综合", "数学"}), row(5, {"1", "0101", "甲", "1", "2", "3"})};
    const auto layout = findLayout(titled);
    QVERIFY(layout);
    QCOMPARE(layout->headerRow, 4);
    QCOMPARE(layout->headerRows, 1);
    QCOMPARE(layout->firstDataRow(), 5);
    // 理综 gives way to the sheet's own 综合.
    QCOMPARE(layout->targets[3], Target::skip());
    QCOMPARE(layout->notes[3], QStringLiteral("E列已作为综合，这一列不导入"));
    QCOMPARE(layout->targets[4], Target::of(Field::Subject, 6));

    // A row naming only a key and no subject is no header; ten rows down is too far.
    QList<Row> deep;
    for (int i = 1; i <= 10; ++i)
        deep << row(i, {QStringLiteral("学号"), QStringLiteral("备注")});
    deep << row(11, {"学号", "语文"});
    QVERIFY(!findLayout(deep));

    QTemporaryDir dir;
    const QString csv = dir.filePath("名单.csv");
    writeFile(csv, "学号,姓名,备注\n0101,张三,\n");
    auto book = Import::open(csv);
    const Table t = readTable(*book, 0);
    QVERIFY(!t.found);
    QVERIFY(t.students.isEmpty());
    QVERIFY2(t.unrecognised.contains(QStringLiteral("第1行：学号 | 姓名 | 备注")), qPrintable(t.unrecognised));
}

// A sheet without a header is imported with the mapping the teacher chose,
// from its first row; a long read can be stopped.
void TestImport::headerlessWithMapping()
{
    QTemporaryDir dir;
    const QString csv = dir.filePath("无表头.csv");
    QByteArray body;
    for (int i = 1; i <= 3000; ++i)
        body += "0" + QByteArray::number(i) + ",张" + QByteArray::number(i) + ",9" + QByteArray::number(i % 10) + "\n";
    writeFile(csv, body);
    auto book = Import::open(csv);
    const Table unknown = readTable(*book, 0);
    QVERIFY(!unknown.found);
    QCOMPARE(unknown.preview.size(), kPreviewRows);

    Layout chosen;
    chosen.headerRow = 0;
    chosen.headers = QStringList(3);
    chosen.targets = {Target::of(Field::Number), Target::of(Field::Name), Target::of(Field::Subject, 3)};
    const Table t = readTable(*book, 0, chosen);
    QCOMPARE(t.students.size(), 3000);
    QCOMPARE(line(t.students.first()), QStringLiteral("01|0|张1|-,-,-,91,-,-,-"));

    int calls = 0;
    const Table stopped = readTable(*book, 0, chosen, [&](int rows) {
        ++calls;
        return rows < 2000;
    });
    QVERIFY(stopped.cancelled);
    QCOMPARE(calls, 2);
    QCOMPARE(stopped.students.size(), 1999);
}

// The mapping shown to the teacher can be changed and passed back in.
void TestImport::mappingPassedBack()
{
    auto book = Import::open(sample("gbk.csv"));
    Table first = readTable(*book, 0);
    Layout changed = first.layout;
    QCOMPARE(changed.targets[4], Target::of(Field::Subject, 1));
    changed.targets[4] = Target::of(Field::Subject, 2); // 数学 column is really 英语
    changed.targets[1] = Target::skip();                // leave the classes out
    checkLayout(changed);
    const Table again = readTable(*book, 0, changed);
    QCOMPARE(lines(again), (QStringList{"3:0101|0|张三|95,-,缺,-,-,-,-", "4:0102|0|欧阳娜娜|缺,-,88,-,-,-,-"}));

    Layout twice = first.layout;
    twice.targets[3] = Target::of(Field::Subject, 1);
    try {
        checkLayout(twice);
        QFAIL("a subject on two columns was taken");
    } catch (const Db::InputError& e) {
        QCOMPARE(e.text(), QStringLiteral("“数学”对应了两列（D列和E列），请只留一列，另一列选“不导入”。"));
    }
    Layout keyless = first.layout;
    keyless.targets[0] = keyless.targets[2] = Target::skip();
    QVERIFY_THROWS_EXCEPTION(Db::InputError, checkLayout(keyless));
}

// A file that cannot be read is refused with a message naming it, never a crash.
void TestImport::refused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes"); // empty: the sample of that name
    QTest::addColumn<QString>("says");

    QFile f(sample("xlsxwriter_merged.xlsx"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray xlsx = f.readAll();
    QByteArray flipped = xlsx;
    for (qsizetype i = 600; i < 1400; ++i)
        flipped[i] = char(flipped[i] ^ 0x5A);

    QTest::newRow("encrypted workbook") << "encrypted.xlsx" << QByteArray() << "打开密码";
    QTest::newRow("Word document named .xls") << "word_document.xls" << QByteArray() << "没有Excel工作簿";
    QTest::newRow("cut off .xlsx") << "成绩.xlsx" << xlsx.left(xlsx.size() / 2) << "损坏";
    QTest::newRow("damaged compressed data") << "成绩.xlsx" << flipped << "损坏";
    QTest::newRow("picture named .xlsx") << "成绩.xlsx" << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << "图片";
    QTest::newRow("PDF named .xls") << "成绩.xls" << QByteArray("%PDF-1.4\n") << "PDF";
    QTest::newRow("web page named .xls") << "成绩.xls" << QByteArray("<html><table><tr><td>学号</td></tr></table></html>")
                                         << "网页";
    QTest::newRow("zip without a workbook") << "成绩.xlsx" << QByteArray() << "Word文档";
    QTest::newRow("binary data named .csv") << "成绩.csv" << QByteArray("\x01\x02\x00\x03", 4) << "不是表格文件";
    QTest::newRow("neither UTF-8 nor GBK") << "成绩.csv" << QByteArray("\xff\xff\xff,\x80\n") << "编码认不出";
    QTest::newRow("unclosed quote") << "成绩.csv" << QByteArray("学号,姓名\n1,\"张三\n2,李四\n") << "第2行的引号没有配对";
    QTest::newRow("empty file") << "成绩.csv" << QByteArray("") << "空的";
}

void TestImport::refused()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, says);
    QTemporaryDir dir;
    QString path = sample(name);
    if (!bytes.isEmpty() || !QFile::exists(path)) {
        path = dir.filePath(name);
        if (QByteArray(QTest::currentDataTag()) == "zip without a workbook")
            writeZip(path, {{"word/document.xml", "<w:document/>"}});
        else
            writeFile(path, bytes);
    }
    try {
        auto book = Import::open(path);
        for (int s = 0; s < book->sheetNames().size(); ++s)
            readTable(*book, s);
        QFAIL("the file was read");
    } catch (const Db::InputError& e) {
        QVERIFY2(e.text().startsWith(QStringLiteral("无法读取文件“%1”").arg(name)), qPrintable(e.text()));
        QVERIFY2(e.text().contains(says), qPrintable(e.text()));
    }
}

// A sheet of a million rows is refused quickly instead of filling the memory.
void TestImport::millionRows_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("says");
    QTest::newRow("csv") << "csv" << "200000";
    QTest::newRow("xlsx") << "xlsx" << "200000";
    // Rows without cells count for nothing, but not past the last row a sheet can have.
    QTest::newRow("xlsx of empty rows") << "empty" << "无效的行号";
}

void TestImport::millionRows()
{
    QFETCH(QString, kind);
    QFETCH(QString, says);
    QTemporaryDir dir;
    const QString path = dir.filePath("大表." + QString(kind == QLatin1String("csv") ? "csv" : "xlsx"));
    QByteArray body;
    body.reserve(40 * 1000000);
    if (kind == QLatin1String("csv")) {
        body = "学号,姓名,语文\n";
        for (int i = 1; i < 1000000; ++i)
            body += QByteArray::number(i) + ",x,1\n";
        writeFile(path, body);
    } else if (kind == QLatin1String("xlsx")) {
        body = R"(<row r="1"><c r="A1" t="inlineStr"><is><t>学号</t></is></c><c r="B1" t="inlineStr"><is><t>语文</t></is></c></row>)";
        for (int i = 2; i <= 1000000; ++i)
            body += "<row><c><v>" + QByteArray::number(i) + "</v></c><c><v>1</v></c></row>";
        writeSheet(path, body);
    } else {
        for (int i = 0; i < 1100000; ++i)
            body += "<row/>";
        writeSheet(path, body);
    }
    auto book = Import::open(path);
    QElapsedTimer timer;
    timer.start();
    try {
        readTable(*book, 0);
        QFAIL("the sheet was read");
    } catch (const Db::InputError& e) {
        QVERIFY2(e.text().contains(QFileInfo(path).fileName()) && e.text().contains(says), qPrintable(e.text()));
    }
    QVERIFY(timer.elapsed() < 20000);
}

GRADEBOOK_TEST_MAIN(TestImport)
#include "test_import.moc"
