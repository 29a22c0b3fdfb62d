// Marks reaching their students: which line goes to whom, the one order the
// roster is kept in, a 学号 per student, and saves that replace what an
// examination saved before.
#include "engine/db/database.h"
#include "engine/entry/matching.h"
#include "engine/entry/roster.h"
#include "engine/entry/setup.h"
#include "engine/processing/rankstamp.h"
#include "engine/processing/runs.h"
#include "engine/processing/saves.h"
#include "engine/reports/history.h"
#include "engine/session/settings.h"
#include "enginetest.h"

namespace {

// A class of four as the grid shows it: class 1 then class 2, by 学号.
QList<Match::Student> fourStudents()
{
    return {{1, "0101", 1, "郭文静"}, {2, "0102", 1, "丁子墨"}, {3, "0201", 2, "王浩然"}, {4, "0202", 2, "李明"}};
}

// Lines from "学号|班号|姓名" texts; an empty part gives no value.
QList<Match::Key> keys(const QStringList& lines)
{
    QList<Match::Key> out;
    int n = 0;
    for (const QString& l : lines) {
        const QStringList p = l.split('|');
        Match::Key k;
        k.line = ++n;
        k.number = p.value(0);
        if (!p.value(1).isEmpty())
            k.cls = p.value(1).toLongLong();
        k.name = p.value(2);
        out << k;
    }
    return out;
}

Roster::BulkInput marksFor(const QString& numbers, const QString& names, const QString& chinese)
{
    Roster::BulkInput in;
    in.roster = false;
    in.numbers = numbers;
    in.names = names;
    in.marks = true;
    in.markBoxes.insert("语文", chinese);
    in.ticked = {"语文"};
    return in;
}

} // namespace

class TestRoster : public QObject {
    Q_OBJECT
private slots:
    void linesFindTheirStudents_data()
    {
        QTest::addColumn<QStringList>("lines");   // 学号|班号|姓名
        QTest::addColumn<QString>("columns");     // which of n, c, m the source has
        QTest::addColumn<int>("by");
        QTest::addColumn<QList<int>>("studentOf");
        QTest::addColumn<QString>("gaps");        // unknown/ambiguous/repeated/missing/name/class counts
        QTest::newRow("学号, sheet sorted by name")
            << QStringList{"0102||", "0202||", "0201||", "0101||"} << "n" << int(Match::By::Number)
            << QList<int>{1, 3, 2, 0} << "0/0/0/0/0/0";
        QTest::newRow("姓名 alone, every name unique")
            << QStringList{"||丁子墨", "||郭文静", "||李明", "||王浩然"} << "m" << int(Match::By::Name)
            << QList<int>{1, 0, 3, 2} << "0/0/0/0/0/0";
        QTest::newRow("姓名 with 班号")
            << QStringList{"|2|李明", "|1|郭文静"} << "cm" << int(Match::By::NameAndClass) << QList<int>{3, 0}
            << "0/0/0/2/0/0";
        QTest::newRow("no key: by line")
            << QStringList{"||", "||", "||", "||"} << "" << int(Match::By::Position) << QList<int>{0, 1, 2, 3}
            << "0/0/0/0/0/0";
        QTest::newRow("unknown 学号, a missing student")
            << QStringList{"0101||", "0999||", "0201||"} << "n" << int(Match::By::Number) << QList<int>{0, -1, 2}
            << "1/0/0/2/0/0";
        QTest::newRow("a 学号 twice: neither line taken")
            << QStringList{"0101||", "0102||", "0101||", "0201||", "0202||"} << "n" << int(Match::By::Number)
            << QList<int>{-1, 1, -1, 2, 3} << "0/0/1/0/0/0";
        QTest::newRow("学号 and a 姓名 of another student")
            << QStringList{"0101||丁子墨", "0102||丁子墨"} << "nm" << int(Match::By::Number) << QList<int>{0, 1}
            << "0/0/0/2/1/0";
        QTest::newRow("学号 and another 班号")
            << QStringList{"0101|2|", "0102|1|"} << "nc" << int(Match::By::Number) << QList<int>{0, 1}
            << "0/0/0/2/0/1";
        QTest::newRow("a name nobody has")
            << QStringList{"||郭文静", "||张三"} << "m" << int(Match::By::Name) << QList<int>{0, -1} << "1/0/0/3/0/0";
    }
    void linesFindTheirStudents()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, columns);
        QFETCH(int, by);
        QFETCH(QList<int>, studentOf);
        QFETCH(QString, gaps);
        const Match::Columns c{columns.contains('n'), columns.contains('c'), columns.contains('m')};
        const Match::Result r = Match::match(fourStudents(), keys(lines), c);
        QCOMPARE(int(r.by), by);
        QCOMPARE(r.studentOf, studentOf);
        const QString counts = QStringLiteral("%1/%2/%3/%4/%5/%6")
                                   .arg(r.unknown.size())
                                   .arg(r.ambiguous.size())
                                   .arg(r.repeated.size())
                                   .arg(r.missing.size())
                                   .arg(r.nameDisagrees.size())
                                   .arg(r.classDisagrees.size());
        QCOMPARE(counts, gaps);
    }

    // Two students of one name: lines that are the roster's own go by line;
    // lines in another order go by name, the shared name left out.
    void aSharedNameGoesByLineOnlyWhenTheLinesAreTheRoster()
    {
        QList<Match::Student> roster = fourStudents();
        roster[3].name = "王浩然";
        const Match::Columns names{false, false, true};
        const Match::Result same = Match::match(roster, keys({"||郭文静", "||丁子墨", "||王浩然", "||王浩然"}), names);
        QCOMPARE(int(same.by), int(Match::By::Position));
        QCOMPARE(same.studentOf, (QList<int>{0, 1, 2, 3}));
        const Match::Result sorted = Match::match(roster, keys({"||丁子墨", "||郭文静", "||王浩然", "||王浩然"}), names);
        QCOMPARE(int(sorted.by), int(Match::By::Name));
        QCOMPARE(sorted.studentOf, (QList<int>{1, 0, -1, -1}));
        QCOMPARE(sorted.ambiguous, (QList<int>{2, 3}));
        QVERIFY(sorted.hasGaps());
    }

    void rosterOrderIsClassThenNumberAsTheDatabaseSortsText()
    {
        QVERIFY(Match::rosterLess(1, "0999", 2, "0001"));
        QVERIFY(Match::rosterLess(1, "0101", 1, "101"));  // as text: 0101 first
        QVERIFY(Match::rosterLess(1, "10", 1, "9"));
        QVERIFY(Match::rosterLess(1, "1", 1, "10"));
        QVERIFY(!Match::rosterLess(1, "0101", 1, "0101"));
        QCOMPARE(Match::repeatedNumbers({"1", "", "2", "1", "", "2"}),
                 (QList<std::pair<int, int>>{{0, 3}, {2, 5}}));
    }

    // The teacher's sheet sorted by name, pasted with its 学号: every mark
    // on its student, whatever order the table or the sheet is in.
    void marksPastedWithTheirNumbersReachTheirStudents()
    {
        TestEnv env;
        env.openDb();
        Roster::replace("cjn", {{"0202", 2, "李明", {}}, {"0101", 1, "郭文静", {}}, {"0201", 2, "王浩然", {}},
                                {"0102", 1, "丁子墨", {}}});
        QCOMPARE(Fixture::column("cjn", "学号"), (QVariantList{"0101", "0102", "0201", "0202"}));
        QCOMPARE(Fixture::column("cjn", "序号"), (QVariantList{0, 1, 2, 3}));
        const Roster::BulkPlan plan =
            Roster::prepare("cjn", marksFor("学号\n0102\n0101\n0202\n0201", "", "语文\n88\n103\n70\n95"), {{"语文", 100}});
        QCOMPARE(int(plan.match.by), int(Match::By::Number));
        QVERIFY(!plan.match.hasGaps() && !plan.match.hasConflicts());
        // The question names the student the mark goes to, on the line it stands.
        QCOMPARE(plan.aboveFull.size(), 1);
        QCOMPARE(plan.aboveFull.first().student, QString("郭文静"));
        QCOMPARE(plan.aboveFull.first().line, 3);
        Roster::write("cjn", plan);
        QCOMPARE(Fixture::column("cjn", "语文1"), (QVariantList{103, 88, 95, 70}));
    }

    // A transfer student inserted mid-term stands where the teacher's sheet
    // has him, so that the next marks pasted by line reach everyone.
    void anInsertedStudentKeepsMarksPastedByLineOnTheirStudents()
    {
        TestEnv env;
        env.openDb();
        Roster::replace("cjn", {{"0101", 1, "甲", {}}, {"0102", 1, "乙", {}}, {"0201", 2, "丙", {}}, {"0202", 2, "丁", {}}});
        const qint64 id = Entry::insertStudent("cjn", "0103", 1, "转学生");
        QCOMPARE(Fixture::column("cjn", "姓名"), (QVariantList{"甲", "乙", "转学生", "丙", "丁"}));
        QCOMPARE(Db::selectValue("SELECT 姓名 FROM cjn WHERE rowid = ?", {id}).toString(), QString("转学生"));
        const Roster::BulkPlan plan = Roster::prepare("cjn", marksFor("", "", "81\n82\n83\n84\n85"));
        QCOMPARE(int(plan.match.by), int(Match::By::Position));
        Roster::write("cjn", plan);
        QCOMPARE(Fixture::column("cjn", "语文1"), (QVariantList{81, 82, 83, 84, 85}));
        // A table left out of order by hand goes by the grid's order all the same.
        Db::exec("UPDATE cjn SET 班号 = 3 WHERE 姓名 = '甲'");
        const Roster::BulkPlan again = Roster::prepare("cjn", marksFor("", "", "1\n2\n3\n4\n5"));
        Roster::write("cjn", again);
        QCOMPARE(Db::selectValue("SELECT 语文1 FROM cjn WHERE 姓名 = '甲'").toInt(), 5);
        QCOMPARE(Db::selectValue("SELECT 语文1 FROM cjn WHERE 姓名 = '乙'").toInt(), 1);
    }

    // The bulk input's boxes are refused whole, naming the box and the line,
    // before anything is matched or written.
    void badBulkInputIsRefusedNamingTheLine_data()
    {
        QTest::addColumn<QString>("numbers");
        QTest::addColumn<QString>("classes");
        QTest::addColumn<QString>("maths"); // empty: no marks
        QTest::addColumn<QStringList>("inMessage");
        const QString three = "0101\n0102\n0103";
        QTest::newRow("empty boxes") << "" << "" << "" << QStringList{"没有学生可以输入"};
        QTest::newRow("titles only") << "学号" << "班号\n\n" << "" << QStringList{"没有学生可以输入"};
        QTest::newRow("class not an integer") << three << "1\n1\n二" << "" << QStringList{"班号", "第3行"};
        QTest::newRow("class with a decimal") << three << "1\n1.5\n1" << "" << QStringList{"班号", "第2行"};
        QTest::newRow("too few classes") << three << "1\n1" << "" << QStringList{"班号"};
        QTest::newRow("too few student numbers") << "0101\n0102" << "1\n1\n1" << "" << QStringList{"学号"};
        QTest::newRow("one student number too many") << "0100\n0101\n0102\n0103" << "1\n1\n1" << ""
                                                      << QStringList{"“学号”栏有4行", "“姓名”栏有3行"};
        QTest::newRow("one class too many") << three << "1\n1\n1\n1" << "" << QStringList{"“班号”栏有4行", "3行"};
        QTest::newRow("blank class line") << three << "1\n\n1" << "" << QStringList{"“班号”栏第2行是空的"};
        QTest::newRow("class 0") << three << "1\n0\n1" << "" << QStringList{"班号", "第2行", "1到18"};
        QTest::newRow("class 19") << three << "1\n1\n19" << "" << QStringList{"班号", "第3行", "1到18"};
        QTest::newRow("class 19 below a title") << "学号\n" + three << "班号\n19\n1\n1" << ""
                                                << QStringList{"班号", "第2行", "1到18"};
        QTest::newRow("a title inside a box") << three << "1\n班号\n1" << "" << QStringList{"班号", "第2行", "标题"};
        QTest::newRow("a tab inside a student number") << "0101\n01\t02\n0103" << "1\n1\n1" << ""
                                                       << QStringList{"学号", "第2行", "控制字符"};
        QTest::newRow("mark not a number") << three << "1\n1\n1" << "90\n九十\n80" << QStringList{"数学", "第2行"};
        QTest::newRow("negative mark") << three << "1\n1\n1" << "90\n-5\n80" << QStringList{"数学", "第2行", "负数"};
        QTest::newRow("mark box one line short") << three << "1\n1\n1" << "90\n80"
                                                 << QStringList{"“数学”栏有2行成绩", "名单有3名学生"};
        QTest::newRow("mark box one line long") << three << "1\n1\n1" << "90\n80\n70\n60"
                                                << QStringList{"“数学”栏有4行成绩", "名单有3名学生"};
    }
    void badBulkInputIsRefusedNamingTheLine()
    {
        QFETCH(QString, numbers);
        QFETCH(QString, classes);
        QFETCH(QString, maths);
        QFETCH(QStringList, inMessage);
        TestEnv env;
        env.openDb();
        Roster::BulkInput in;
        in.numbers = numbers;
        in.classes = classes;
        // The two rosters of no student carry no name either, or only its title.
        in.names = numbers.isEmpty() ? QString() : numbers == "学号" ? QStringLiteral("姓名") : QStringLiteral("甲\n乙\n丙");
        if (!maths.isEmpty()) {
            in.marks = true;
            in.markBoxes = {{"语文", "1\n2\n3"}, {"数学", maths}};
            in.ticked = {"语文", "数学"};
        }
        try {
            Roster::prepare("cjn", in);
            QFAIL("accepted");
        } catch (const Db::InputError& e) {
            for (const QString& part : inMessage)
                QVERIFY2(e.text().contains(part), qPrintable(e.text()));
        }
    }

    // Columns copied with their title line, in some boxes or in all: the
    // title is dropped in its own box and the lines still pair up.
    void titleLinesAreSkippedInTheirOwnBox_data()
    {
        QTest::addColumn<QString>("numbers");
        QTest::addColumn<QString>("classes");
        QTest::addColumn<QString>("names");
        QTest::addColumn<QString>("maths");
        QTest::newRow("every box") << "学号\n0101\n0102" << "班号\n1\n2" << "姓名\n甲\n乙" << "数学\n90\n80";
        QTest::newRow("names only") << "0101\n0102" << "1\n2" << "姓名  \n甲\n乙" << "90\n80";
        QTest::newRow("the grade table's column name") << "0101\n0102" << "1\n2" << "甲\n乙" << "数学1\n90\n80";
    }
    void titleLinesAreSkippedInTheirOwnBox()
    {
        QFETCH(QString, numbers);
        QFETCH(QString, classes);
        QFETCH(QString, names);
        QFETCH(QString, maths);
        TestEnv env;
        env.openDb();
        Roster::BulkInput in;
        in.numbers = numbers;
        in.classes = classes;
        in.names = names;
        in.marks = true;
        in.markBoxes = {{"数学", maths}};
        in.ticked = {"数学"};
        Roster::write("cjn", Roster::prepare("cjn", in));
        QCOMPARE(Fixture::column("cjn", "学号"), (QVariantList{"0101", "0102"}));
        QCOMPARE(Fixture::column("cjn", "班号"), (QVariantList{1, 2}));
        QCOMPARE(Fixture::column("cjn", "姓名"), (QVariantList{"甲", "乙"}));
        QCOMPARE(Fixture::column("cjn", "数学1"), (QVariantList{90, 80}));
    }

    // A student added one by one or inserted is checked before anything is
    // written: the table and the counter stay as they were.
    void aStudentIsCheckedBeforeHeIsWritten_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("number");
        QTest::addColumn<qint64>("cls");
        QTest::addColumn<QString>("inMessage");
        QTest::newRow("blank name") << "  " << "0101" << qint64(1) << "姓名不能是空的";
        QTest::newRow("blank number") << "张三" << "" << qint64(1) << "学号不能是空的";
        QTest::newRow("tab in a name") << "张\t三" << "0101" << qint64(1) << "控制字符";
        QTest::newRow("NUL in a number") << "张三" << QString("01") + QChar(0) + "01" << qint64(1) << "控制字符";
        QTest::newRow("class 0") << "张三" << "0101" << qint64(0) << "班号";
        QTest::newRow("class 19") << "张三" << "0101" << qint64(19) << "班号";
        QTest::newRow("class -1") << "张三" << "0101" << qint64(-1) << "班号";
    }
    void aStudentIsCheckedBeforeHeIsWritten()
    {
        QFETCH(QString, name);
        QFETCH(QString, number);
        QFETCH(qint64, cls);
        QFETCH(QString, inMessage);
        TestEnv env;
        env.openDb();
        Roster::replace("cjn", {{"0102", 1, "甲", {}}});
        const QString before = Fixture::dump("cjn"), count = Fixture::dump("count");
        for (auto write : {&Entry::addStudent, &Entry::insertStudent}) {
            try {
                write("cjn", number, cls, name);
                QFAIL("written");
            } catch (const Db::InputError& e) {
                QVERIFY2(e.text().contains(inMessage), qPrintable(e.text()));
            }
            QCOMPARE(Fixture::dump("cjn"), before);
            QCOMPARE(Fixture::dump("count"), count);
        }
    }

    void aStudentNumberBelongsToOneStudent()
    {
        TestEnv env;
        env.openDb();
        Roster::replace("cjn", {{"0101", 1, "甲", {}}});
        Roster::BulkInput in;
        in.numbers = "学号\n0101\n0102\n0101";
        in.classes = "1\n1\n2";
        in.names = "甲\n乙\n丙";
        try {
            Roster::prepare("cjn", in);
            QFAIL("a repeated 学号 was taken");
        } catch (const Db::InputError& e) {
            QVERIFY2(e.text().contains("第2行和第4行都是“0101”（甲和丙）"), qPrintable(e.text()));
        }
        QVERIFY_THROWS_EXCEPTION(Db::InputError, Entry::insertStudent("cjn", "0101", 2, "丁"));
        QVERIFY_THROWS_EXCEPTION(Db::InputError, Entry::addStudent("cjn", "0101", 2, "丁"));
        QCOMPARE(Db::rowCount("cjn"), 1);
    }

    // A marks paste is matched against the table as it was read: a table
    // changed in between gets nothing.
    void aTableChangedAfterMatchingGetsNoMarks()
    {
        TestEnv env;
        env.openDb();
        Roster::replace("cjn", {{"0101", 1, "甲", {}}, {"0102", 1, "乙", {}}});
        const Roster::BulkPlan plan = Roster::prepare("cjn", marksFor("0102\n0101", "", "90\n80"));
        Db::exec("UPDATE cjn SET 学号 = '0199' WHERE 姓名 = '乙'");
        const QString before = Fixture::dump("cjn");
        QVERIFY_THROWS_EXCEPTION(Db::InputError, Roster::write("cjn", plan));
        QCOMPARE(Fixture::dump("cjn"), before);
    }

    void aSecondSaveReplacesTheFirstOnce_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("grades") << int(Save::Kind::Grades);
        QTest::newRow("analysis") << int(Save::Kind::Analysis);
        QTest::newRow("bands") << int(Save::Kind::Bands);
    }
    void aSecondSaveReplacesTheFirstOnce()
    {
        QFETCH(int, kind);
        TestEnv env;
        env.openDb();
        for (int c = 1; c <= 4; ++c)
            for (int i = 0; i < 3; ++i)
                Fixture::student("cj", QStringLiteral("%1%2").arg(c).arg(i), c, QStringLiteral("生%1%2").arg(c).arg(i),
                                 {{"语文1", 60 + 10 * i + c}, {"数学1", 50 + 7 * i}, {"总分1", 300 + 10 * i + c}});
        Proc::AnalysisSettings a;
        a.subjects = {"语文", "数学"};
        a.firstClass = 2;
        a.lastClass = 3;
        Proc::analyze(a);
        Proc::BandSettings b;
        Proc::bands(b);
        auto save = [&](bool replace) {
            Proc::recordRanking("cj");
            Save::Exam e{"期中", 3};
            e.replace = replace;
            kind == int(Save::Kind::Grades) ? Save::grades("cj", e)
                : kind == int(Save::Kind::Analysis) ? Save::analysis("fx", e)
                                                    : Save::bands("tj", e);
        };
        const QString target = kind == int(Save::Kind::Grades) ? "cjsave" : kind == int(Save::Kind::Analysis) ? "fxsave" : "tjsave1";
        const QString names = kind == int(Save::Kind::Grades) ? "ksmc" : kind == int(Save::Kind::Analysis) ? "ksmcfx" : "ksmcfd";
        const qint64 namesBefore = Db::rowCount(names);
        save(false);
        const qint64 partial = Db::rowCount(target);
        // The whole grade this time: every class, another subject.
        a.firstClass = 1;
        a.lastClass = 4;
        Proc::analyze(a);
        Db::exec("UPDATE cj SET 语文1 = 99 WHERE 学号 = '10'");
        save(false); // stored twice, as the old question's 是 did
        const qint64 twice = Db::rowCount(target);
        QCOMPARE(Save::savedRows(Save::Kind(kind), {"期中", 3}), twice);
        save(true);
        const qint64 rows = Save::savedRows(Save::Kind(kind), {"期中", 3});
        QCOMPARE(rows, twice - partial);
        QCOMPARE(Db::rowCount(target), rows);
        QCOMPARE(Db::selectValue(QStringLiteral("SELECT count(*) FROM %1 WHERE name = '期中'").arg(names)).toInt(), 1);
        QCOMPARE(Db::rowCount(names), namesBefore + 1);
        if (kind == int(Save::Kind::Analysis))
            QCOMPARE(Db::selectValue("SELECT count(*) FROM fxsave WHERE 班号 = 2 AND 科目 = '语文1'").toInt(), 1);
        // Another examination of the same name keeps its rows.
        Save::Exam other{"期中", 4};
        Proc::recordRanking("cj");
        kind == int(Save::Kind::Grades) ? Save::grades("cj", other)
            : kind == int(Save::Kind::Analysis) ? Save::analysis("fx", other)
                                                : Save::bands("tj", other);
        save(true);
        QCOMPARE(Save::savedRows(Save::Kind(kind), other), rows);
        QCOMPARE(Db::selectValue(QStringLiteral("SELECT count(*) FROM %1 WHERE name = '期中'").arg(names)).toInt(), 2);
    }

    // The full marks come back at the next start; until one was ever set,
    // the saved analyses tell it.
    void fullMarksAreKeptAndFoundInSavedAnalyses()
    {
        TestEnv env;
        env.openDb();
        QCOMPARE(Settings::fullMark("语文"), qint64(100));
        Fixture::insert("fxsave", {{"科目", "语文1"}, {"满分值", 120}, {"考试名称", "上学期期末"}});
        Fixture::insert("fxsave", {{"科目", "数学1"}, {"满分值", 90}, {"考试名称", "上学期期末"}});
        QCOMPARE(Settings::fullMark("语文"), qint64(120));
        QCOMPARE(Settings::fullMark("数学"), qint64(100));
        QVERIFY(Settings::storeFullMarks({{"语文", 150}, {"英语", 120}}));
        Settings::storeWorking({{"语文", "英语"}, 2, 5, std::nullopt, 40});
        Db::close();
        env.openDb();
        QCOMPARE(Settings::fullMark("语文"), qint64(150));
        QCOMPARE(Settings::fullMark("英语"), qint64(120));
        const Settings::Working w = Settings::working();
        QCOMPARE(w.subjects, (QStringList{"语文", "英语"}));
        QCOMPARE(*w.firstClass, qint64(2));
        QVERIFY(!w.bandUpper);
        QCOMPARE(*w.bandCount, qint64(40));
        // The bands start below the highest total the subjects allow.
        QCOMPARE(Settings::defaultBandUpper({"语文", "英语", "数学"}), qint64(150 + 120 + 100 - 1));
    }

    void studentsAreFoundByNumberAndNameTogether()
    {
        TestEnv env;
        env.openDb();
        Fixture::savedGrade(1, 1, "期中", "0105", 1, "王浩然");
        Fixture::savedGrade(2, 1, "期中", "0307", 3, "王浩然");
        Fixture::savedGrade(3, 1, "期中", "0202", 2, "李明轩");
        Fixture::savedGrade(4, 1, "期中", "0201", 2, "李明");
        Fixture::savedGrade(5, 2, "期末", "0201", 4, "李明");
        const History::StudentSearch li = History::findStudents("李明", false);
        QCOMPARE(li.students.size(), 2);
        QCOMPARE(li.students.first().name, QString("李明")); // the exact name first
        QCOMPARE(li.students.first().classes, (QList<qint64>{2, 4}));
        QCOMPARE(li.students.first().exams, (QStringList{"期中", "期末"}));
        QCOMPARE(Db::select(History::studentRows(li.students.first())).size(), 2);
        const History::StudentSearch wang = History::findStudents("王", false, 1);
        QCOMPARE(wang.students.size(), 1);
        QVERIFY(wang.more);
        QCOMPARE(History::findStudents("030", true).students.first().name, QString("王浩然"));
        QVERIFY(History::findStudents("%", false).students.isEmpty());
        QCOMPARE(History::examsMatching("期"), (QStringList{"期中", "期末"}));
    }
};

GRADEBOOK_TEST_MAIN(TestRoster)
#include "test_roster.moc"
