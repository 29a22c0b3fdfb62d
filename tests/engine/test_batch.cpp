// The batch tool end to end: the built program run on small files whose
// results were worked out by hand.
#include "enginetest.h"
#include "readback.h"

#include "cli/batchcommands.h"
#include "engine/app/safefile.h"
#include "engine/db/database.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace {

struct Run {
    int code = -1;
    QString out, err;
};

Run batch(const QStringList& args, const QString& exe = QStringLiteral(GRADEBOOK_BATCH))
{
    QProcess p;
    // As a school's script runs it: no display, no platform named.
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        e.remove(name);
    p.setProcessEnvironment(e);
    p.start(exe, args);
    p.waitForFinished(120000);
    Run r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QByteArray bytesOf(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void write(const QString& file, const QByteArray& bytes)
{
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Rows of a query on a database file, each row's cells as text joined by '|'.
QStringList rows(const QString& db, const QString& sql)
{
    Db::open(db);
    QStringList out;
    for (const auto& r : Db::selectRows(sql)) {
        QStringList cells;
        for (const QVariant& v : r)
            cells << (v.isNull() ? QStringLiteral("<null>") : v.toString());
        out << cells.join('|');
    }
    Db::close();
    return out;
}

// Six students in two classes: ties that only appear after rounding (85.5 and
// 86, 88.5 and 88.4), a name with a comma, a header in its own order.
const QByteArray kSmall = "\xEF\xBB\xBF" "学号,班号,姓名,英语,语文,数学\r\n"
                          "0101,1,甲,70,90,88.5\r\n"
                          "0102,1,\"乙,二\",80,88,88.4\r\n"
                          "0103,1,丙,75.5,88,60\r\n"
                          "0201,2,丁,66,85.5,120\r\n"
                          "0202,2,戊,39.5,86,90\r\n"
                          "0203,2,己,100,59.5,30\r\n";

} // namespace

class TestBatch : public QObject {
    Q_OBJECT

private:
    QString db() const { return env->root() + "/grade.db"; }
    QString csv(const QByteArray& bytes, const QString& name = "in.csv")
    {
        const QString f = env->root() + "/" + name;
        write(f, bytes);
        return f;
    }
    std::unique_ptr<TestEnv> env;

private slots:
    void init()
    {
        env = std::make_unique<TestEnv>();
        const Run r = batch({"init", "--db", db()});
        QCOMPARE(r.code, 0);
    }
    void cleanup() { env.reset(); }

    void endToEnd()
    {
        Run r = batch({"import", "--db", db(), csv(kSmall)});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains("6名学生") && r.out.contains("写入18个成绩、0个缺考") && r.out.contains("用时")
                     && r.out.count('\n') == 1,
                 qPrintable(r.out));
        QCOMPARE(rows(db(), "SELECT shibie FROM linshi"), QStringList{"0"});

        // cjn is the working table now; the classes default to 1..2.
        r = batch({"rank", "--db", db(), "--subjects", "英语,语文，数学"});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains("班排：1-2班") && r.out.contains("已计算总分"), qPrintable(r.out));
        const QString exported = env->root() + "/cjn.csv";
        r = batch({"export", "cjn", "--db", db(), "--out", exported});
        QCOMPARE(r.code, 0);
        const QString header = "序号,学号,班号,姓名,语文1,数学1,英语1,政治1,物理1,化学1,综合1,三总1,总分1,"
                               "语文班排1,数学班排1,英语班排1,政治班排1,物理班排1,化学班排1,综合班排1,三总班排1,总分班排1,"
                               "语文级排1,数学级排1,英语级排1,政治级排1,物理级排1,化学级排1,综合级排1,三总级排1,总分级排1\n";
        // marks | totals | class ranks 语数英..三总 总分 | grade ranks; the
        // subjects not in the file, and their ranks, are blank.
        QCOMPARE(QString::fromUtf8(bytesOf(exported)),
                 header
                     + "0,0101,1,甲,90,88.5,70,,,,,248.5,248.5,1,1,3,,,,,2,2,1,3,4,,,,,3,3\n"
                       "1,0102,1,\"乙,二\",88,88.4,80,,,,,256.4,256.4,2,1,1,,,,,1,1,2,3,2,,,,,2,2\n"
                       "2,0103,1,丙,88,60,75.5,,,,,223.5,223.5,2,3,2,,,,,3,3,2,5,3,,,,,4,4\n"
                       "3,0201,2,丁,85.5,120,66,,,,,271.5,271.5,1,1,2,,,,,1,1,4,1,5,,,,,1,1\n"
                       "4,0202,2,戊,86,90,39.5,,,,,215.5,215.5,1,2,3,,,,,2,2,4,2,6,,,,,5,5\n"
                       "5,0203,2,己,59.5,30,100,,,,,189.5,189.5,3,3,1,,,,,3,3,6,6,1,,,,,6,6\n");

        r = batch({"analyze", "--db", db(), "--subjects", "语文,数学", "--classes", "1-2", "--full", "数学=150",
                   "--top", "1,2,3,4"});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains("6行"), qPrintable(r.out));
        // Exact sums and their means: 语文 class 2 is 85.5 + 86 + 59.5 = 231, 77 on average.
        QCOMPARE(rows(db(), "SELECT 科目,班号,人数,满分值,总分,平均分,合格人数,合格率,高分人数,高分率,低分人数,低分率,"
                            "最高分,最低分,最高分名字,最低分名字,平均分排名,及格率排名,高分率排名,低分率排名,"
                            "F40,F70,F90,F100,F130,级前100名人数,级前200名人数,级前300名人数,级前400名人数 "
                            "FROM fx ORDER BY rowid LIMIT 7"),
                 (QStringList{
                     "语文1|1|3|100|266|88.6667|3|1|3|1|0|0|90|88|甲|乙,二|1|1|1|1|0|0|2|1|0|1|3|3|3",
                     "语文1|2|3|100|231|77|2|0.6667|2|0.6667|0|0|86|59.5|戊|己|2|2|2|1|0|1|2|0|0|0|0|0|2",
                     "语文1|100|6|100|497|82.8333|5|0.8333|5|0.8333|0|0|90|59.5|||0|0|0|0|0|1|4|1|0|0|0|0|0",
                     "数学1|1|3|150|236.9|78.9667|0|0|0|0|0|0|88.5|60|甲|丙|2|2|2|1|0|1|2|0|0|0|0|2|2",
                     "数学1|2|3|150|240|80|2|0.6667|1|0.3333|1|0.3333|120|30|丁|己|1|1|1|2|1|0|0|1|1|1|2|2|2",
                     "数学1|100|6|150|476.9|79.4833|2|0.3333|1|0.1667|1|0.1667|120|30|||0|0|0|0|1|1|2|1|1|0|0|0|0",
                     "0|0|0|0|0|0|0|0|0|0|0|0|0|0|||0|0|0|0|0|0|0|0|0|0|0|0|0"}));

        // Totals 248.5 256.4 223.5 | 271.5 215.5 189.5 in bands of ten from 299.
        r = batch({"bands", "--db", db(), "--upper", "299", "--count", "5"});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains("分班统计1-2班"), qPrintable(r.out));
        QCOMPARE(rows(db(), "SELECT 上限,下限,\"1班\",\"1累\",\"2班\",\"2累\",\"3班\",全级,级累 FROM tj ORDER BY rowid LIMIT 5"),
                 (QStringList{"299|290|0|0|0|0|0|0|0", "289|280|0|0|0|0|0|0|0", "279|270|0|0|1|1|0|1|1",
                              "269|260|0|0|0|1|0|0|1", "259|250|1|1|0|1|0|1|2"}));
        const QStringList avg = rows(db(), "SELECT 上限,下限,\"1班\",\"2班\",全级 FROM tj ORDER BY rowid LIMIT 1 OFFSET 5")
                                    .first()
                                    .split('|');
        QCOMPARE(avg.mid(0, 2), (QStringList{"总分的", "平均分"}));
        QVERIFY(qAbs(avg.at(2).toDouble() - 242.8) < 1e-9);
        QVERIFY(qAbs(avg.at(3).toDouble() - 225.5) < 1e-9);
        QVERIFY(qAbs(avg.at(4).toDouble() - 234.15) < 1e-9);

        for (const char* kind : {"grades", "analysis", "bands"}) {
            r = batch({"save", kind, "--db", db(), "--exam", "期中考试", "--number", "3"});
            QCOMPARE(r.code, 0);
        }
        QCOMPARE(rows(db(), "SELECT count(*), min(ID), max(ID) FROM cjsave"), QStringList{"6|1|6"});
        QCOMPARE(rows(db(), "SELECT * FROM cjsave WHERE 学号 = '0102'").first().split('|').mid(2).join('|'),
                 "3|期中考试|0102|1|乙,二|88|2|2|88.4|1|3|80|1|2|" + QStringList(12, "<null>").join('|') + "|256.4|1|2|256.4|1|2");
        QCOMPARE(rows(db(), "SELECT count(*), min(序号), max(序号), min(考试编号) FROM fxsave"), QStringList{"6|7|12|3"});
        QCOMPARE(rows(db(), "SELECT count(*), min(ID1), max(ID1) FROM tjsave1"), QStringList{"101|1|101"});
        QCOMPARE(rows(db(), "SELECT count, counttj FROM count"), QStringList{"13|102"});
        QCOMPARE(rows(db(), "SELECT c1, c2, c3 FROM \"check\""), QStringList{"1|1|1"});
        QCOMPARE(rows(db(), "SELECT (SELECT name FROM ksmc ORDER BY rowid DESC LIMIT 1), (SELECT group_concat(name) FROM ksmcfx),"
                            " (SELECT group_concat(name) FROM ksmcfd)"),
                 QStringList{"期中考试|期中考试|期中考试"});

        // The same examination again: refused, or replacing the first with --replace.
        const QString before = rows(db(), "SELECT count(*) FROM fxsave").first();
        r = batch({"save", "analysis", "--db", db(), "--exam", "期中考试", "--number", "3"});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("已经永久保存过（6行）") && r.err.contains("--replace"), qPrintable(r.err));
        r = batch({"save", "analysis", "--db", db(), "--exam", "期中考试", "--number", "3", "--replace"});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains("替换了原来保存的"), qPrintable(r.out));
        QCOMPARE(rows(db(), "SELECT count(*) FROM fxsave").first(), before);
        QCOMPARE(rows(db(), "SELECT count(*) FROM ksmcfx"), QStringList{"1"});
    }

    void initRefusesExistingFile()
    {
        const QByteArray before = bytesOf(db());
        Run r = batch({"init", "--db", db()});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("已存在"), qPrintable(r.err));
        QCOMPARE(bytesOf(db()), before);
        r = batch({"init", "--db", env->root() + "/no/such/folder/x.db"});
        QCOMPARE(r.code, 1);
        QVERIFY(!QFileInfo::exists(env->root() + "/no"));
    }

    // A program folder without the template: init builds the file from the
    // schema, and every command without --db works on the folder's own database.
    void programFolderOfItsOwn()
    {
        const QString dir = env->root() + "/elsewhere";
        QVERIFY(QDir().mkpath(dir + "/database"));
        const QString exe = dir + "/gradebook-batch";
        QVERIFY(QFile::copy(GRADEBOOK_BATCH, exe));
        const QString own = dir + "/database/Q7305.mdb";
        Run r = batch({"init", "--db", own}, exe);
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains("按数据库结构新建"), qPrintable(r.out));
        QCOMPARE(QDir(dir + "/database").entryList(QDir::Files), QStringList{"Q7305.mdb"});
        QCOMPARE(rows(own, "SELECT mc, (SELECT count(*) FROM fx), (SELECT count(*) FROM tj) FROM \"check\""),
                 QStringList{"没有任何考试|200|101"});
        r = batch({"import", csv(kSmall)}, exe);
        QCOMPARE(r.code, 0);
        QCOMPARE(rows(own, "SELECT count(*) FROM cjn"), QStringList{"6"});
    }

    void badCsvChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("messages");
        const QByteArray h = "学号,班号,姓名,语文,数学\n";
        // Faults are named by sheet row (the header is row 1) and column letter.
        QTest::newRow("class not an integer") << h + "1,1,a,90,80\n2,一,b,80,70\n" << QStringList{"第3行 B列：班号“一”认不出是几班"};
        QTest::newRow("class 0") << h + "1,0,a,90,80\n" << QStringList{"第2行 B列：班号必须在1到18之间，现在是0"};
        QTest::newRow("mark not a number") << h + "1,1,a,90,九十\n" << QStringList{"第2行 E列：数学“九十”不是数字"};
        QTest::newRow("a word that is no absence") << h + "1,1,a,缺考了,80\n" << QStringList{"第2行 D列：语文“缺考了”不是数字"};
        QTest::newRow("negative mark") << h + "1,1,a,90,80\n2,1,b,-5,70\n3,1,c,90,－１\n"
                                       << QStringList{"第3行 D列：语文是负数（-5）", "第4行 E列：数学是负数（－１）"};
        QTest::newRow("empty name") << h + "1,1, ,90,80\n" << QStringList{"第2行 C列：姓名是空的"};
        QTest::newRow("unpaired quote") << h + "1,1,a,90,80\n2,1,\"b,80,70\n3,1,c,1,2\n"
                                        << QStringList{"第3行的引号没有配对"};
        QTest::newRow("every bad line is named") << h + "1,x,a,90,80\n2,1,b,90,80\n3,1,c,90,?\n"
                                                 << QStringList{"第2行 B列：班号", "第4行 E列：数学“?”"};
        QTest::newRow("not UTF-8") << h + "1,1,\xD5\xC5\xC8\xFD,90,80\n" << QStringList{"既不是UTF-8，也不是GBK"};
        QTest::newRow("a stray byte before a line end") << h + "1,1,a,90,80\n2,1,b,90,80\xE5\n3,1,c,90,80\n"
                                                        << QStringList{"既不是UTF-8，也不是GBK"};
        QTest::newRow("a stray byte after CR-only lines") << QByteArray("学号,班号,姓名\r1,1,a\r2,1,\xFF\r")
                                                          << QStringList{"既不是UTF-8，也不是GBK"};
        QTest::newRow("cut inside the last character") << h + "1,1,a,90,80\n2,1,李\xE5\x9B" << QStringList{"文件在最后一个字的中间就结束了"};
        QTest::newRow("cut inside a quoted last name") << h + "1,1,\"李\xE5" << QStringList{"文件在最后一个字的中间就结束了"};
        QTest::newRow("cut after a byte-order mark") << "\xEF\xBB\xBF" + h + "1,1,李\xE5\x9B" << QStringList{"可能已经损坏"};
        QTest::newRow("overlong form of a slash") << h + "1,1,a\xC0\xAF,90,80\n" << QStringList{"既不是UTF-8，也不是GBK"};
        QTest::newRow("class 19") << h + "1,18,a,90,80\n2,19,b,90,80\n" << QStringList{"第3行 B列：班号必须在1到18之间，现在是19"};
        QTest::newRow("a 学号 twice") << h + "0101,1,a,90,80\n0102,1,b,90,80\n0101,2,c,90,80\n"
                                      << QStringList{"第4行 A列：学号“0101”在第2行已经有了"};
        QTest::newRow("a 19-digit class") << h + "1,9223372036854775807,a,90,80\n"
                                          << QStringList{"现在是9223372036854775807"};
        QTest::newRow("NUL in a name") << h + QByteArray("1,1,\"张") + '\0' + QByteArray("三\",90,80\n")
                                       << QStringList{"不是表格文件"};
        QTest::newRow("escape in a number") << h + "1\x1B,1,a,90,80\n" << QStringList{"第2行 A列：学号中有换行、制表符等看不见的字符"};
        QTest::newRow("empty file") << QByteArray("\xEF\xBB\xBF\r\n") << QStringList{"找不到表头"};
        QTest::newRow("no 班号 for a roster") << QByteArray("学号,姓名,语文\n1,a,90\n") << QStringList{"没有班号列"};
        QTest::newRow("header only") << h << QStringList{"没有学生"};
    }

    void badCsvChangesNothing()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, messages);
        QCOMPARE(batch({"import", "--db", db(), csv(kSmall, "first.csv")}).code, 0);
        const QByteArray before = bytesOf(db());
        const Run r = batch({"import", "--table", "cj", "--db", db(), csv(file)});
        QCOMPARE(r.code, 1);
        for (const QString& m : messages)
            QVERIFY2(r.err.contains(m), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
        QVERIFY(bytesOf(db()) == before);
    }

    void goodCsvVariants_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("expected"); // 序号|学号|班号|姓名|语文1|数学1|综合1
        QTest::addColumn<int>("absent");
        QTest::newRow("LF, no BOM, no last line end") << QByteArray("学号,班号,姓名,语文\n01,1,a,90\n02,2,b,59.5")
                                                      << QStringList{"0|01|1|a|90|<null>|<null>", "1|02|2|b|59.5|<null>|<null>"} << 0;
        QTest::newRow("CR only") << QByteArray("学号,班号,姓名,数学\r01,1,a,90\r")
                                 << QStringList{"0|01|1|a|<null>|90|<null>"} << 0;
        QTest::newRow("quotes and blanks") << QByteArray(" 学号 , 班号,姓名,综合,语文\n"
                                                         " 01 , 1 ,\" 张 \"\"三\"\" \", 88 ,\"7\"\n")
                                           << QStringList{"0|01|1|张 \"三\"|7|<null>|88"} << 0;
        // The file is read as a spreadsheet shows it: a short line's missing
        // cells are empty (absences), cells beyond the header, columns it
        // does not name and a second column of a subject are left out, the
        // columns go by their titles in any order, a line break or a tab in
        // a name is a blank and the blanks between two characters go.
        QTest::newRow("a short line") << QByteArray("学号,班号,姓名,语文,数学\n1,1,a,90\n")
                                      << QStringList{"0|1|1|a|90|<null>|<null>"} << 1;
        QTest::newRow("a trailing comma") << QByteArray("学号,班号,姓名,语文,数学\n1,1,a,90,80,\n")
                                          << QStringList{"0|1|1|a|90|80|<null>"} << 0;
        QTest::newRow("columns in any order, others left out")
            << QByteArray("班号,学号,姓名,生物,语文,语文\n1,1,a,70,90,91\n")
            << QStringList{"0|1|1|a|90|<null>|<null>"} << 0;
        QTest::newRow("text after a quote, a line break and a tab in names")
            << QByteArray("学号,班号,姓名,语文\n1,1,\"a\"b,90\n2,1,\"c\nd\",80\n3,1,张\t三,70\n")
            << QStringList{"0|1|1|ab|90|<null>|<null>", "1|2|1|c d|80|<null>|<null>", "2|3|1|张三|70|<null>|<null>"} << 0;
        QTest::newRow("blank and empty lines skipped") << QByteArray("学号,班号,姓名,语文\n\n01,1,a,1\n,,,\n  \n02,1,b,2\n")
                                                       << QStringList{"0|01|1|a|1|<null>|<null>", "1|02|1|b|2|<null>|<null>"} << 0;
        QTest::newRow("full-width digits") << QByteArray("学号,班号,姓名,语文\n01,１２,a,９０．５\n")
                                           << QStringList{"0|01|12|a|90.5|<null>|<null>"} << 0;
        // Blank cells and the absence words leave the mark blank; 0 is a mark.
        QTest::newRow("absences") << QByteArray("学号,班号,姓名,语文,数学,综合\n01,1,a,,缺考, ／ \n02,1,b,缺,\"\",0\n"
                                                "03,1,c,/,\"　缺考　\",\n")
                                  << QStringList{"0|01|1|a|<null>|<null>|<null>", "1|02|1|b|<null>|<null>|0",
                                                 "2|03|1|c|<null>|<null>|<null>"}
                                  << 8;
    }

    void goodCsvVariants()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, expected);
        QFETCH(int, absent);
        const Run r = batch({"import", "--db", db(), "--table", "cj", csv(file)});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(rows(db(), "SELECT 序号,学号,班号,姓名,语文1,数学1,综合1 FROM cj ORDER BY rowid"), expected);
        // A subject not in the file, the totals and the ranks start blank;
        // the closing line counts the absences read.
        QCOMPARE(rows(db(), "SELECT count(*) = (SELECT count(*) FROM cj) FROM cj WHERE 政治1 IS NULL AND 总分1 IS NULL "
                            "AND 语文班排1 IS NULL AND 总分级排1 IS NULL"),
                 QStringList{"1"});
        QVERIFY2(r.out.contains(QStringLiteral("、%1个缺考").arg(absent)), qPrintable(r.out));
        QCOMPARE(rows(db(), "SELECT shibie FROM linshi"), QStringList{"1"});
    }

    // Workbooks: the first sheet with a recognised header (a 说明 sheet before
    // it is passed over) or the one --sheet names; --marks matches the rows
    // to the roster by 学号 and refuses gaps unless --accept-gaps is given.
    void importsWorkbooks()
    {
        const QString data = QStringLiteral(GRADEBOOK_TEST_DATA "/");
        Run r = batch({"import", "--db", db(), data + "xlsxwriter_merged.xlsx"});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains("工作表“成绩”的4名学生（2个班）") && r.out.contains("写入8个成绩、4个缺考")
                     && r.out.contains("不导入的列：语文排名、数学排名、总分"),
                 qPrintable(r.out));
        r = batch({"import", "--db", db(), "--table", "cj", "--sheet", "成绩", data + "libreoffice_merged.xls"});
        QCOMPARE(r.code, 0);
        QCOMPARE(rows(db(), "SELECT 学号,姓名,数学1 FROM cj ORDER BY rowid"),
                 (QStringList{"101|张三|88.5", "102|李四|72", "1201|王五|<null>", "1202|Li Ming|100"}));

        QByteArray before = bytesOf(db());
        r = batch({"import", "--db", db(), "--sheet", "说明", data + "xlsxwriter_merged.xlsx"});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("找不到表头") && r.err.contains("第1行："), qPrintable(r.err));
        r = batch({"import", "--db", db(), "--sheet", "3", data + "xlsxwriter_merged.xlsx"});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("它的工作表是：说明、成绩"), qPrintable(r.err));
        QVERIFY(bytesOf(db()) == before);

        // A sheet sorted by name reaches every student of cjn.
        r = batch({"import", "--db", db(), "--marks", "--table", "cjn", data + "marks_by_name.xlsx"});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains("按学号") && r.out.contains("表 cjn") && r.out.contains("4名学生")
                     && r.out.contains("写入10个成绩、2个缺考"),
                 qPrintable(r.out));
        QCOMPARE(rows(db(), "SELECT 学号,姓名,语文1,数学1,英语1 FROM cjn ORDER BY rowid"),
                 (QStringList{"0101|张三|94|54|84", "0102|李四|82|92|<null>", "1201|王五|63|73.5|83",
                              "1202|Li Ming|71|<null>|118"}));

        // Into cj, whose 学号 lost their leading zeros in the .xls: two rows
        // reach nobody and two students have no row.
        before = bytesOf(db());
        r = batch({"import", "--db", db(), "--marks", "--table", "cj", data + "marks_by_name.xlsx"});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("2行在名单上找不到这名学生：第3行 学号0102 李四；第5行 学号0101 张三")
                     && r.err.contains("名单上2名学生在文件中没有对应的行") && r.err.contains("--accept-gaps"),
                 qPrintable(r.err));
        QVERIFY(bytesOf(db()) == before);
        r = batch({"import", "--db", db(), "--marks", "--accept-gaps", "--table", "cj", data + "marks_by_name.xlsx"});
        QCOMPARE(r.code, 0);
        QCOMPARE(rows(db(), "SELECT 学号,语文1,数学1 FROM cj ORDER BY rowid"),
                 (QStringList{"101|95|88.5", "102|<null>|72", "1201|63|73.5", "1202|71|<null>"}));
        QCOMPARE(batch({"import", "--db", db(), "--accept-gaps", data + "xlwt.xls"}).code, 2);
    }

    void usageErrorsChangeNothing_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("no command") << QStringList{} << "没有给出要做的事";
        QTest::newRow("unknown command") << QStringList{"sort"} << "没有“sort”这个命令";
        QTest::newRow("option of another command") << QStringList{"rank", "--top", "1,2,3,4"} << "rank 命令没有 --top 选项";
        QTest::newRow("missing value") << QStringList{"rank", "--subjects"} << "--subjects 后面缺少值";
        QTest::newRow("option twice") << QStringList{"rank", "--classes", "1-2", "--classes=1-3"} << "--classes 给了两次";
        QTest::newRow("table") << QStringList{"rank", "--table", "fx"} << "--table 只能是 cj 或 cjn";
        QTest::newRow("classes backwards") << QStringList{"rank", "--classes", "5-1"} << "起始班号5大于最后班号1";
        QTest::newRow("classes not numbers") << QStringList{"analyze", "--classes", "a-b"} << "不是整数";
        QTest::newRow("subject without column") << QStringList{"rank", "--subjects", "语文,生物"} << "“生物”不是成绩表里的科目";
        QTest::newRow("no subject") << QStringList{"rank", "--subjects=,"} << "至少要有一个科目";
        QTest::newRow("full without =") << QStringList{"analyze", "--full", "数学150"} << "应写成“科目=满分”";
        QTest::newRow("full 0") << QStringList{"analyze", "--full", "数学=0"} << "--full 必须在1到";
        QTest::newRow("three tops") << QStringList{"analyze", "--top", "1,2,3"} << "--top 要给出四个名次";
        QTest::newRow("101 bands") << QStringList{"bands", "--count", "101"} << "--count 必须在1到100之间";
        QTest::newRow("class 19") << QStringList{"bands", "--last-class", "19"} << "--last-class 必须在1到18之间";
        QTest::newRow("classes beyond 18") << QStringList{"analyze", "--classes", "1-40"} << "--classes 必须在1到18之间";
        QTest::newRow("19-digit class") << QStringList{"rank", "--classes", "1-9223372036854775807"}
                                        << "--classes 必须在1到18之间";
        QTest::newRow("full above 1000") << QStringList{"analyze", "--full", "语文=1001"} << "--full 必须在1到1000之间";
        QTest::newRow("negative upper") << QStringList{"bands", "--upper", "-1"} << "--upper 必须在0到100000之间";
        QTest::newRow("save what") << QStringList{"save", "marks"} << "grades、analysis 或 bands";
        QTest::newRow("save analysis of a table") << QStringList{"save", "analysis", "--table", "cj"} << "只用于 save grades";
        QTest::newRow("exam number") << QStringList{"save", "grades", "--exam", "期中", "--number", "3.5"} << "考试编号必须是整数";
        QTest::newRow("seed exam name") << QStringList{"save", "bands", "--exam", "没有任何考试", "--number", "1"} << "不能用作考试名称";
        QTest::newRow("export what") << QStringList{"export"} << "export 命令缺少表名";
        QTest::newRow("extra argument") << QStringList{"rank", "x.csv"} << "多余的参数“x.csv”";
        QTest::newRow("progress without out") << QStringList{"progress", "--from", "期中", "--to", "期末"} << "请用 --out";
        QTest::newRow("progress movers") << QStringList{"progress", "--from", "期中", "--to", "期末", "--movers", "0",
                                                        "--out", "x.csv"}
                                         << "--movers 必须在1到1000之间";
        QTest::newRow("report without class") << QStringList{"report", "--exam", "期中", "--out", "r.pdf"} << "请用 --class";
        QTest::newRow("report as a workbook") << QStringList{"report", "--exam", "期中", "--class", "1", "--out", "r.xlsx"}
                                              << "要以 .pdf 结尾";
        QTest::newRow("slips without an exam") << QStringList{"slips", "--out", "a.pdf"} << "--exam 给出考试名称";
        QTest::newRow("slips to a text file") << QStringList{"slips", "--exam", "期中", "--out", "a.txt"} << "以 .pdf 或 .xlsx 结尾";
        QTest::newRow("slips rank word") << QStringList{"slips", "--exam", "期中", "--rank", "top", "--out", "a.pdf"}
                                         << "--rank 只能是 none、class、grade、position";
        QTest::newRow("slips change of rank without ranks")
            << QStringList{"slips", "--exam", "期中", "--since", "月考", "--change", "position", "--out", "a.pdf"}
            << "不显示名次时也不显示名次的变化";
    }

    void usageErrorsChangeNothing()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        QCOMPARE(batch({"import", "--db", db(), csv(kSmall)}).code, 0);
        const QByteArray before = bytesOf(db());
        const Run r = batch(args + QStringList{"--db", db()});
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(bytesOf(db()) == before);
    }

    // Errors found on the way (an empty table, no current examination) leave
    // the file as it was.
    void failedRunsChangeNothing_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty table") << QStringList{"rank", "--table", "cj"} << "表“cj”中没有学生";
        QTest::newRow("no current exam") << QStringList{"save", "grades"} << "没有当前考试";
        QTest::newRow("grades imported but not ranked")
            << QStringList{"save", "grades", "--exam", "期中", "--number", "1"} << "还没有排名";
        QTest::newRow("number of another exam") << QStringList{"save", "grades", "--exam", "期末"} << "请用 --number";
        QTest::newRow("no such table") << QStringList{"export", "cjsave2"} << "没有名为“cjsave2”的表";
        QTest::newRow("no database") << QStringList{"rank", "--db", "missing.db"} << "找不到数据库文件";
        QTest::newRow("no roster file") << QStringList{"import", "missing.csv"} << "找不到文件 missing.csv";
        QTest::newRow("progress of nothing saved")
            << QStringList{"progress", "--from", "期中", "--to", "期末", "--out", "x.csv"} << "还没有保存过任何考试";
        QTest::newRow("slips of an exam never saved") << QStringList{"slips", "--exam", "期中", "--out", "s.pdf"}
                                                      << "没有永久保存过名为“期中”的考试成绩";
    }

    void failedRunsChangeNothing()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        QCOMPARE(batch({"import", "--db", db(), csv(kSmall)}).code, 0);
        QCOMPARE(batch({"analyze", "--db", db()}).code, 0);
        const QByteArray before = bytesOf(db());
        if (!args.contains("--db"))
            args << "--db" << db();
        const Run r = batch(args);
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QVERIFY(bytesOf(db()) == before);
    }

    // Without options the commands take what the windows would: the working
    // table from linshi.shibie, 语文 only, the table's first to last class and
    // the current examination.
    void defaultsAreTheWindows()
    {
        QCOMPARE(batch({"import", "--db", db(), "--table", "cj",
                        csv("学号,班号,姓名,语文,数学,英语\n1,2,a,80,90,70\n2,2,b,85,60,60\n3,3,c,70,50,90\n")})
                     .code,
                 0);
        Run r = batch({"rank", "--db", db()});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains("表 cj") && r.out.contains("科目：语文；班排：2-3班") && r.out.contains("没有重算"),
                 qPrintable(r.out));
        QCOMPARE(rows(db(), "SELECT 语文班排1, 语文级排1, 数学级排1, 总分1 FROM cj ORDER BY rowid"),
                 (QStringList{"2|2|<null>|<null>", "1|1|<null>|<null>", "1|3|<null>|<null>"}));
        r = batch({"bands", "--db", db()});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains("30段（399分到100分）") && r.out.contains("分班统计1-3班"), qPrintable(r.out));

        Db::open(db());
        Fixture::setCheck({{"mc", "期末"}, {"bh", "７"}});
        Db::close();
        r = batch({"save", "grades", "--db", db()});
        QCOMPARE(r.code, 0);
        QCOMPARE(rows(db(), "SELECT DISTINCT 考试名称, 考试编号 FROM cjsave"), QStringList{"期末|7"});
        r = batch({"save", "bands", "--db", db(), "--number", "8"});
        QCOMPARE(r.code, 0);
        QCOMPARE(rows(db(), "SELECT DISTINCT 考试名称, 考试编号 FROM tjsave1"), QStringList{"期末|8"});
    }

    // The batch tool moves the current examination as the windows do, shows
    // it, makes one current, and refuses what the windows refuse.
    void theCurrentExaminationFollowsEverySave()
    {
        QCOMPARE(batch({"import", "--db", db(), csv(kSmall)}).code, 0);
        QCOMPARE(batch({"rank", "--db", db()}).code, 0);
        for (int e = 1; e <= 6; ++e)
            QCOMPARE(batch({"save", "grades", "--db", db(), "--exam", QStringLiteral("第%1次月考").arg(e), "--number",
                            QString::number(e)})
                         .code,
                     0);
        Run r = batch({"current", "--db", db()});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains("当前考试是“第6次月考”（编号6），已永久保存：成绩"), qPrintable(r.out));
        r = batch({"current", "--db", db(), "--exam", "第3次月考", "--number", "3"});
        QCOMPARE(r.code, 0);
        QCOMPARE(rows(db(), "SELECT mc, bh, c1, c2, c3 FROM \"check\""), QStringList{"第3次月考|3|1|0|0"});
        QCOMPARE(batch({"current", "--db", db(), "--exam", "第3次月考"}).code, 2);
        // A save with neither name nor number saves the current examination.
        QCOMPARE(batch({"analyze", "--db", db()}).code, 0);
        QCOMPARE(batch({"save", "analysis", "--db", db()}).code, 0);
        QCOMPARE(rows(db(), "SELECT DISTINCT 考试名称, 考试编号 FROM fxsave"), QStringList{"第3次月考|3"});
        // An empty grade table is not saved, as in the windows.
        Db::open(db());
        Db::exec("DELETE FROM cj");
        Db::exec("UPDATE linshi SET shibie = 1");
        Db::close();
        const QByteArray before = bytesOf(db());
        r = batch({"save", "grades", "--db", db(), "--exam", "期末", "--number", "9"});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("还没有学生"), qPrintable(r.err));
        QVERIFY(bytesOf(db()) == before);
    }

    void exportToStandardOutput()
    {
        QCOMPARE(batch({"import", "--db", db(), csv("学号,班号,姓名\n1,1,\"say \"\"hi\"\"\"\n")}).code, 0);
        Db::open(db());
        Db::exec("UPDATE cjn SET 学号 = ' 1', 语文1 = NULL, 数学1 = 0.1");
        Db::close();
        const Run r = batch({"export", "--db", db(), "cjn"});
        QCOMPARE(r.code, 0);
        const QStringList lines = r.out.split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines.at(0).startsWith("序号,学号,班号,姓名,语文1,数学1,"));
        QVERIFY2(lines.at(1).startsWith("0,\" 1\",1,\"say \"\"hi\"\"\",,0.1,,"), qPrintable(lines.at(1)));
        QVERIFY2(r.err.contains("1行") && r.err.contains("用时"), qPrintable(r.err));
    }

    // An export that cannot be written says why and keeps the previous file:
    // a folder that cannot exist (a file in its place) and a full disk.
    void aFailedExportKeepsThePreviousFile()
    {
        QCOMPARE(batch({"import", "--db", db(), csv(kSmall)}).code, 0);
        const QString out = env->root() + "/导出.csv";
        write(out, "上次导出的内容\n");
        write(env->root() + "/blocked", "x");
        Run r = batch({"export", "cjn", "--db", db(), "--out", env->root() + "/blocked/cjn.csv"});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains("无法写入文件") && r.err.contains("blocked/cjn.csv"), qPrintable(r.err));
        QVERIFY2(!r.err.contains("成功") && !r.err.contains("已把") && r.out.isEmpty(), qPrintable(r.err));

        // A full disk, injected into the same commands run in this process.
        QString text;
        Files::failNextWrites(1);
        try {
            Batch::run(Batch::parseArguments({"export", "cjn", "--db", db(), "--out", out}));
        } catch (const Db::Error& e) {
            text = e.text();
        }
        Files::failNextWrites(0);
        Db::close();
        QVERIFY2(text.contains("磁盘已满") && text.contains("导出.csv") && text.contains("原来的文件没有改动"),
                 qPrintable(text));
        QCOMPARE(bytesOf(out), QByteArray("上次导出的内容\n"));
        QCOMPARE(QDir(env->root()).entryList({"*导出*"}, QDir::Files | QDir::Hidden), QStringList{"导出.csv"});

        r = batch({"export", "cjn", "--db", db(), "--out", out});
        QCOMPARE(r.code, 0);
        QVERIFY(bytesOf(out).startsWith("序号,学号,班号,姓名"));

        // Standard output on a disk that takes nothing: told, never "已把".
        QProcess full;
        full.setStandardOutputFile("/dev/full");
        full.start(GRADEBOOK_BATCH, {"export", "cjn", "--db", db()});
        QVERIFY(full.waitForFinished(60000));
        const QString said = QString::fromUtf8(full.readAllStandardError());
        QCOMPARE(full.exitCode(), 1);
        QVERIFY2(said.contains("无法写入标准输出：磁盘已满") && !said.contains("已把") && !said.contains("No space"),
                 qPrintable(said));
    }

    // export to .xlsx and .pdf hands a table on as the windows do: the
    // workbook's numbers numeric, the pages' values whole and as shown.
    void exportAsTheWindowsHandItOn()
    {
        QCOMPARE(batch({"import", "--db", db(), csv(kSmall)}).code, 0);
        QCOMPARE(batch({"rank", "--db", db(), "--subjects", "语文,数学,英语"}).code, 0);
        QCOMPARE(batch({"analyze", "--db", db(), "--subjects", "语文,数学"}).code, 0);
        const QString book = env->root() + "/分析.xlsx";
        Run r = batch({"export", "fx", "--db", db(), "--out", book});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains("6行"), qPrintable(r.out));
        const auto cells = Readback::xlsxSheet(book, 1);
        QCOMPARE(cells.value("A1").text, QString("科目"));
        QCOMPARE(cells.value("A2").text, QString("语文"));
        QCOMPARE(cells.value("B4").text, QString("全级"));
        QVERIFY(!cells.contains("A8")); // six rows in use, no stock
        QMap<QString, QString> at;
        for (int c = 0; c < 39; ++c)
            at.insert(cells.value(Readback::columnName(c) + "1").text, Readback::columnName(c));
        QVERIFY(at.contains("120分") && at.contains("110到120") && at.contains("1到9"));
        const Readback::Cell rate = cells.value(at.value("合格率") + "3");
        QVERIFY2(rate.type.isEmpty() && rate.text == "0.6667" && rate.format == "0.00%", qPrintable(rate.text + rate.format));
        QCOMPARE(cells.value(at.value("人数") + "2").format, QString("0"));
        QVERIFY(cells.value(at.value("平均分") + "2").type.isEmpty());

        if (!Readback::havePdftotext())
            QSKIP("pdftotext (poppler-utils) is not installed");
        const QString pdf = env->root() + "/分析.pdf";
        r = batch({"export", "fx", "--db", db(), "--out", pdf});
        QCOMPARE(r.code, 0);
        QVERIFY2(r.out.contains("页"), qPrintable(r.out + r.err));
        const QString text = Readback::pdfPages(pdf).join('\n');
        for (const char* shown : {"成绩分析表", "66.67%", "83.33%", "88.6667", "全级"})
            QVERIFY2(text.contains(QString::fromUtf8(shown)), shown);
        QVERIFY(QString(text).remove(' ').contains("第1页/共"));
        QVERIFY2(!r.err.contains("XDG") && !r.err.contains("QStandardPaths"), qPrintable(r.err));
        QVERIFY(!text.contains("0.6667"));
        QVERIFY(!text.contains("语文1"));

        // The tool links no widget library, also now that it writes PDFs.
        QProcess readelf;
        readelf.start("readelf", {"-d", GRADEBOOK_BATCH});
        if (readelf.waitForFinished(10000) && readelf.exitCode() == 0) {
            const QString deps = QString::fromUtf8(readelf.readAllStandardOutput());
            QVERIFY(deps.contains("libQt6Gui"));
            QVERIFY2(!deps.contains("Widgets") && !deps.contains("PrintSupport") && !deps.contains("Charts"), qPrintable(deps));
        }
    }

    // Two examinations saved through the tool, then compared and reported on
    // as a grade head would before a meeting.
    void progressAndReport()
    {
        const QByteArray later = "学号,班号,姓名,语文,数学,英语\n"
                                 "0101,1,甲,60,60,60\n0102,1,\"乙,二\",90,88,80\n0103,1,丙,88,60,\n"
                                 "0201,2,丁,85.5,120,66\n0202,2,戊,39.5,86,90\n0204,2,庚,70,70,70\n";
        int number = 0;
        for (const auto& [exam, marks] : {std::pair{"期中", kSmall}, std::pair{"期末", later}}) {
            ++number;
            for (const QStringList& args :
                 {QStringList{"import", csv(marks)}, QStringList{"rank", "--subjects", "语文,数学,英语"},
                  QStringList{"analyze", "--subjects", "语文,数学,英语"}, QStringList{"bands", "--upper", "299", "--count", "20"},
                  QStringList{"save", "grades", "--exam", exam, "--number", QString::number(number)},
                  QStringList{"save", "analysis"}, QStringList{"save", "bands"}}) {
                const Run r = batch(args + QStringList{"--db", db()});
                QVERIFY2(r.code == 0, qPrintable(args.join(' ') + r.err));
            }
        }
        const QByteArray before = bytesOf(db());
        // Grade ranks 3,2,4,1,5 then 5,2,6,1,3: 甲 -2, 丙 -2 (英语 absent), 戊 +2.
        const QString table = env->root() + "/进退.csv";
        Run r = batch({"progress", "--db", db(), "--from", "期中", "--to", "期末", "--out", table});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY2(r.out.contains("5名学生") && r.out.contains("另有2名学生"), qPrintable(r.out));
        const QStringList lines = QString::fromUtf8(bytesOf(table)).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 6);
        QVERIFY(lines.first().startsWith("学号,班号,姓名,上次总分,本次总分,上次级排,本次级排,级排进退"));
        auto field = [&](const QString& number, int f) {
            for (const QString& l : lines)
                if (l.startsWith(number + ","))
                    return l.split(',').value(f);
            return QStringLiteral("<none>");
        };
        QCOMPARE(field("0202", 7), QString("2"));
        QCOMPARE(field("0101", 7), QString("-2"));
        QCOMPARE(field("0201", 7), QString("0"));
        QVERIFY(lines.filter("0103,").first().contains("缺考"));

        const QString book = env->root() + "/进退.xlsx";
        r = batch({"progress", "--db", db(), "--from", "期中", "--to", "期末", "--class", "2", "--movers", "1", "--out", book});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(Readback::xlsxSheet(book, 1).value("C2").text, QString("丁"));
        QCOMPARE(Readback::xlsxSheet(book, 2).value("D2").text, QString("戊")); // up most in class 2
        QVERIFY(!Readback::xlsxSheet(book, 3).contains("A2"));               // nobody of class 2 fell back
        const auto apart = Readback::xlsxSheet(book, 5);
        QCOMPARE(apart.value("C2").text + apart.value("D2").text, QString("己期中")); // only in the earlier one
        QCOMPARE(apart.value("C3").text + apart.value("D3").text, QString("庚期末")); // only in the later one

        if (!Readback::havePdftotext())
            QSKIP("pdftotext (poppler-utils) is not installed");
        const QString pdf = env->root() + "/进退.pdf";
        r = batch({"progress", "--db", db(), "--from", "期中", "--to", "期末", "--out", pdf});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY(Readback::pdfPages(pdf).join('\n').contains("进步最多的学生"));
        const QString report = env->root() + "/2班.pdf";
        r = batch({"report", "--db", db(), "--exam", "期末", "--class", "2", "--out", report});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        const QStringList pages = Readback::pdfPages(report);
        QCOMPARE(pages.size(), 1);
        for (const char* s : {"2班成绩报告", "内部资料", "语文", "数学", "英语", "戊", "本班没有名次下降的学生"})
            QVERIFY2(pages.first().contains(QString::fromUtf8(s)), s);
        QVERIFY(bytesOf(db()) == before); // reading only
    }

    void helpListsEverything()
    {
        const Run r = batch({"--help"});
        QCOMPARE(r.code, 0);
        for (const char* word : {"init", "import", "rank", "analyze", "bands", "save grades|analysis|bands", "export",
                                 "--db", "--classes", "--subjects", "--full", "--top", "--upper", "--count",
                                 "--last-class", "--exam", "--number", "--out", "progress", "--from", "--to", "report", "--class"})
            QVERIFY2(r.out.contains(QString::fromUtf8(word)), word);
    }
};

GRADEBOOK_TEST_MAIN(TestBatch)
#include "test_batch.moc"
