// Importing a grade sheet file into a working table: the plan the questions
// are asked from, and the write, with the sample files of tests/data.
#include "engine/actions/import.h"
#include "engine/db/database.h"
#include "engine/entry/setup.h"
#include "engine/session/session.h"
#include "enginetest.h"

#include <QFile>

namespace {

QString sample(const QString& name)
{
    return QStringLiteral(GRADEBOOK_TEST_DATA "/") + name;
}

Import::Table firstSheet(const QString& file)
{
    const std::unique_ptr<Import::Workbook> book = Import::open(file);
    return Actions::readFirstRecognised(*book);
}

Actions::ImportPlan plan(Session& s, const QString& file, Actions::ImportKind kind)
{
    return Actions::planImport(s, s.workingTable(), firstSheet(file), kind);
}

// 学号|班号|姓名|语文|数学|英语 of every row, in stored order.
QStringList marks(const QString& table = "cjn")
{
    return Fixture::rows(table, {"学号", "班号", "姓名", "语文1", "数学1", "英语1"});
}

} // namespace

class TestImportAction : public QObject {
    Q_OBJECT
private slots:
    // A roster from one file, then the marks of another sorted by name:
    // matched by 学号 (考号 in that file), every mark reaches its own student;
    // its 总分 is left out, its blank and 缺考 are absences, a mark above the
    // full mark is listed for the question.
    void marksOfASheetSortedByNameReachTheirStudents()
    {
        TestEnv env;
        env.openDb();
        Session s;
        s.load(false);
        Fixture::student("cjn", "9999", 1, "旧名单");

        Actions::ImportPlan roster = plan(s, sample("xlsxwriter_merged.xlsx"), Actions::ImportKind::NewRoster);
        QCOMPARE(roster.replaced, 1);
        QCOMPARE(roster.bulk.subjects, (QStringList{"语文", "数学", "英语"}));
        QVERIFY(!roster.leftOut.isEmpty() && roster.leftOut.join(' ').contains("总分"));
        Actions::ImportResult r = Actions::writeImport(s, "cjn", roster);
        QCOMPARE(r.students, 4);
        QCOMPARE(r.marks, 8);
        QCOMPARE(r.absences, 4);
        QCOMPARE(marks(), (QStringList{"0101|3|张三|95|88.5|", "0102|3|李四||72|90", "1201|12|王五|||86",
                                        "1202|12|Li Ming|0|100|64"}));
        QCOMPARE(Fixture::cells("cjn", "总分1"), QString(",,,"));

        s.setFullMark("英语", 100);
        const Actions::ImportPlan p = plan(s, sample("marks_by_name.xlsx"), Actions::ImportKind::Marks);
        QCOMPARE(p.bulk.match.by, Match::By::Number);
        QVERIFY(!p.bulk.match.hasGaps() && !p.bulk.match.hasConflicts());
        QCOMPARE(p.bulk.aboveFull.size(), 1);
        QCOMPARE(p.bulk.aboveFull.first().student, QString("Li Ming"));
        QCOMPARE(p.bulk.aboveFull.first().line, 2);
        r = Actions::writeImport(s, "cjn", p);
        QCOMPARE(r.students, 4);
        QCOMPARE(r.marks, 10);
        QCOMPARE(r.absences, 2);
        QCOMPARE(r.rosterSize, 4);
        QCOMPARE(marks(), (QStringList{"0101|3|张三|94|54|84", "0102|3|李四|82|92|", "1201|12|王五|63|73.5|83",
                                        "1202|12|Li Ming|71||118"}));
        QCOMPARE(Fixture::cells("cjn", "总分1"), QString(",,,"));
    }

    // Rows that reach nobody and students without a row are listed before
    // anything is written: declined, the table is as it was; accepted, the
    // students without a row keep their marks. A 姓名 that is not the
    // 学号's student's is refused whatever was accepted.
    void gapsAreListedAndConflictsRefused()
    {
        TestEnv env;
        env.openDb();
        Session s;
        s.load(false);
        Fixture::student("cjn", "0101", 3, "张三");
        Fixture::student("cjn", "0102", 3, "李四");
        Fixture::student("cjn", "0301", 3, "赵六", {{"语文1", 60}});
        Fixture::student("cjn", "1201", 12, "王五");
        const QString before = Fixture::dump("cjn");

        const Actions::ImportPlan p = plan(s, sample("marks_by_name.xlsx"), Actions::ImportKind::Marks);
        QVERIFY(p.bulk.match.hasGaps());
        QCOMPARE(p.bulk.match.unknown.size(), 1);
        QCOMPARE(p.bulk.keys.at(p.bulk.match.unknown.first()).line, 2); // Li Ming, the sheet's row 2
        QCOMPARE(p.bulk.match.missing.size(), 1);
        QCOMPARE(p.bulk.current.at(p.bulk.match.missing.first()).name, QString("赵六"));
        QCOMPARE(Fixture::dump("cjn"), before); // a plan writes nothing

        Actions::writeImport(s, "cjn", p);
        QCOMPARE(marks(), (QStringList{"0101|3|张三|94|54|84", "0102|3|李四|82|92|", "0301|3|赵六|60|0|0",
                                        "1201|12|王五|63|73.5|83"}));

        Db::exec("UPDATE cjn SET 姓名 = '张珊' WHERE 学号 = '0101'");
        const QString renamed = Fixture::dump("cjn");
        const Actions::ImportPlan conflict = plan(s, sample("marks_by_name.xlsx"), Actions::ImportKind::Marks);
        QVERIFY(conflict.bulk.match.hasConflicts());
        QVERIFY_THROWS_EXCEPTION(Db::InputError, Actions::writeImport(s, "cjn", conflict));
        QCOMPARE(Fixture::dump("cjn"), renamed);
    }

    void newRosterFromEveryKindOfFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("xls") << "xlwt.xls" << QStringList{"0501|5|吴六|81|79.5|", "0502|5|郑七||90|"};
        QTest::newRow("GBK csv, classes as 初一(1)班") << "gbk.csv" << QStringList{"0101|1|张三|95||", "0102|1|欧阳娜娜||88|"};
        QTest::newRow("tab-separated text") << "tabs.txt" << QStringList{"0301|3|陈一|||"};
    }
    // A new roster replaces the table's students, in roster order, and the
    // table becomes the working one with its class range.
    void newRosterFromEveryKindOfFile()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, rows);
        TestEnv env;
        env.openDb();
        Session s;
        s.load(false);
        s.useTable("cj");
        Fixture::student("cj", "0001", 1, "旧名单");
        const Actions::ImportPlan p = plan(s, sample(file), Actions::ImportKind::NewRoster);
        Actions::writeImport(s, "cj", p);
        QCOMPARE(marks("cj"), rows);
        QCOMPARE(Fixture::column("cj", "序号").size(), rows.size());
        QCOMPARE(s.workingTable(), QString("cj"));
    }

    void refusedFilesLeaveTheDatabaseUnchanged_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        const int roster = int(Actions::ImportKind::NewRoster), marks = int(Actions::ImportKind::Marks);
        QTest::newRow("encrypted") << sample("encrypted.xlsx") << roster << "密码";
        QTest::newRow("a Word document") << sample("word_document.xls") << roster << "Word";
        QTest::newRow("cut-off workbook") << "cut.xlsx" << roster << "cut.xlsx";
        QTest::newRow("bad values by row and column") << sample("openpyxl_synonyms.xlsx") << roster
                                                      << "第4行 G列：政治“八十”不是数字";
        QTest::newRow("bad values refuse marks too") << sample("openpyxl_synonyms.xlsx") << marks << "第6行 B列";
        QTest::newRow("no 班号 for a roster") << "no_class.csv" << roster << "没有班号列";
        QTest::newRow("no mark column for marks") << "no_marks.csv" << marks << "没有一列是成绩";
    }
    void refusedFilesLeaveTheDatabaseUnchanged()
    {
        QFETCH(QString, file);
        QFETCH(int, kind);
        QFETCH(QString, message);
        TestEnv env;
        env.openDb();
        const auto written = [&](const QString& name, const QByteArray& bytes) {
            QFile f(env.root() + "/" + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        };
        QFile whole(sample("xlsxwriter_merged.xlsx"));
        QVERIFY(whole.open(QIODevice::ReadOnly));
        written("cut.xlsx", whole.readAll().left(int(whole.size() / 2)));
        written("no_class.csv", "学号,姓名,语文\n1,a,90\n");
        written("no_marks.csv", "学号,班号,姓名\n0101,3,张三\n");
        if (!file.startsWith('/'))
            file = env.root() + "/" + file;
        Session s;
        s.load(false);
        Fixture::student("cjn", "0101", 3, "张三", {{"语文1", 60}});
        const QString before = Fixture::dump("cjn");
        try {
            Actions::writeImport(s, "cjn", plan(s, file, Actions::ImportKind(kind)));
            QFAIL("imported");
        } catch (const Db::InputError& e) {
            QVERIFY2(e.text().contains(message), qPrintable(e.text()));
        }
        QCOMPARE(Fixture::dump("cjn"), before);
    }
};

GRADEBOOK_TEST_MAIN(TestImportAction)
#include "test_importaction.moc"
