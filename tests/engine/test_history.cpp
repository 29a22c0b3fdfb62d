// Saved examinations read back: the statements of the class query, the
// student record, the class ranking by rate and the class comparison, and
// what they find in saved rows.
#include "engine/db/database.h"
#include "engine/db/gridmodel.h"
#include "engine/reports/history.h"
#include "enginetest.h"

using History::ClassOrder;
using History::Kind;

namespace {

QVariantList column(const Db::SelectSpec& q, const QString& name)
{
    const int c = int(q.resolvedColumns().indexOf(name));
    QVariantList out;
    for (const auto& row : Db::select(q))
        out << row.at(c);
    return out;
}

} // namespace

class TestHistory : public QObject {
    Q_OBJECT
private slots:
    void statementTexts_data()
    {
        TestEnv env; // the subject is checked against the saved table's columns
        env.openDb();
        QTest::addColumn<QString>("built");
        QTest::addColumn<QString>("text");
        History::ClassQuery q; // classes 1-2, 总分, raw
        q.exam = "期中考试  ";
        QTest::newRow("defaults") << History::classQuery(q, ClassOrder::Stored).text()
                                  << "select 班号,学号,姓名,总分1,ID from  cjsave where 班号>=1 and 班号<=2 and "
                                     "考试名称 like '期中考试%'";
        History::ClassQuery one = q;
        one.oneClass = true;
        one.subject = "语文";
        one.kind = Kind::ClassRank;
        QTest::newRow("one class by id") << History::classQuery(one, ClassOrder::Stored).text()
                                         << "select 班号,学号,姓名,语文班排1,ID from  cjsave where 班号=1 and 考试名称 "
                                            "like '期中考试%' order by ID,学号,班号";
        QTest::newRow("worst first orders by the grade rank")
            << History::classQuery(one, ClassOrder::WorstFirst).text()
            << "select 班号,学号,姓名,语文班排1,ID from  cjsave where 班号=1 and 考试名称 like '期中考试%' order by "
               "语文级排1 desc";
        QTest::newRow("best first") << History::classQuery(q, ClassOrder::BestFirst).text()
                                    << "select 班号,学号,姓名,总分1,ID from  cjsave where 班号>=1 and 班号<=2 and "
                                       "考试名称 like '期中考试%' order by 总分级排1";
        History::ClassQuery grade = q;
        grade.kind = Kind::GradeRank;
        QTest::newRow("at most") << History::classQuery(grade, ClassOrder::AtMost, 350).text()
                                 << "select 班号,学号,姓名,总分级排1,ID from  cjsave where 班号>=1 and 班号<=2 and "
                                    "考试名称 like '期中考试%' and 总分级排1<=350 order by 总分级排1";
        QTest::newRow("at least") << History::classQuery(grade, ClassOrder::AtLeast, 20).text()
                                  << "select 班号,学号,姓名,总分级排1,ID from  cjsave where 班号>=1 and 班号<=2 and "
                                     "考试名称 like '期中考试%' and 总分级排1>=20 order by 总分级排1";
        History::ClassQuery none = q;
        none.suffixTo = 0;
        QTest::newRow("empty suffix range") << History::classQuery(none, ClassOrder::Stored).text()
                                            << "select 班号,学号,姓名,ID from  cjsave where 班号>=1 and 班号<=2 and "
                                               "考试名称 like '期中考试%'";
        QTest::newRow("all columns") << History::classAllColumns(3, "期中 ").text()
                                     << "select * from  cjsave where 班号=3 and 考试名称 like '期中%' order by "
                                        "ID,学号,班号";
        QTest::newRow("student by name") << History::studentHistory("张三  ", false).text()
                                         << "select * from  cjsave where 姓名 like '张三%' order by 考试编号";
        QTest::newRow("student by number") << History::studentHistory("0101", true).text()
                                           << "select * from  cjsave where 学号 like '0101%' order by 考试编号";
        QTest::newRow("student in one exam") << History::studentExam("张三 ", false, "期中考试 ").text()
                                             << "select * from  cjsave where 姓名 like '张三%' and 考试名称 like "
                                                "'期中考试 '";
        QTest::newRow("teacher") << History::teacherRecord(2, "语文").text()
                                 << "select * from  fxsave where 班号=2 and 科目 like '语文1' order by 考试编号";
        QTest::newRow("curve") << History::classCurve(1, "数学", "期末", false).text()
                               << "select 班号,学号,姓名,数学级排1,ID from  cjsave where 班号=1 and 考试名称 like "
                                  "'期末%' order by 数学级排1";
        QTest::newRow("curve by number") << History::classCurve(2, "三总", "期末", true).text()
                                         << "select 班号,学号,姓名,三总级排1,ID from  cjsave where 班号=2 and 考试名称 "
                                            "like '期末%' order by 学号";
    }
    void statementTexts()
    {
        QFETCH(QString, built);
        QFETCH(QString, text);
        QCOMPARE(built, text);
    }

    void columnNamesFromSubjectKindAndSuffix()
    {
        QCOMPARE(History::valueColumns("总分", Kind::GradeRank, 1, 1), QStringList{"总分级排1"});
        QCOMPARE(History::valueColumns("语文", Kind::ClassRank, 1, 3),
                 (QStringList{"语文班排1", "语文班排2", "语文班排3"}));
        QCOMPARE(History::valueColumns("语文", Kind::Raw, 2, 1), QStringList{});
        QCOMPARE(History::kindSuffix(Kind::Raw) + History::kindWord(Kind::Raw), QString("1原始"));
        QCOMPARE(History::kindSuffix(Kind::ClassRank) + History::kindWord(Kind::ClassRank), QString("班排1班排"));
        QCOMPARE(History::kindSuffix(Kind::GradeRank) + History::kindWord(Kind::GradeRank), QString("级排1级排"));
        QCOMPARE(History::trimEnd("  期中 \t "), QString("  期中"));
    }

    void typedNamesWithoutAColumnAreRefusedByName()
    {
        TestEnv env;
        env.openDb();
        History::ClassQuery q;
        for (const QString& bad : {QString("体育"), QString("总分1"), QString("总分\" FROM check --"), QString()}) {
            q.subject = bad;
            const QString m = Fixture::inputError([&] { History::classQuery(q, ClassOrder::Stored); });
            QVERIFY2(m.contains(QStringLiteral("“%1”").arg(bad)), qPrintable(m));
            QVERIFY(!Fixture::inputError([&] { History::classCurve(1, bad, "x", false); }).isEmpty());
        }
        for (const QString& s : History::studentSubjects())
            QCOMPARE(History::checkedSubject(s), s);
        for (const QString& r : {"平均分排名", "及格率排名", "高分率排名", "低分率排名", "平均分"})
            QCOMPARE(History::checkedRankColumn(r), QString(r));
        for (const QString& bad : {QString("优秀率排名"), QString("科任教师"), QString("班号"), QString("考试编号")})
            QVERIFY2(Fixture::inputError([&] { History::checkedRankColumn(bad); }).contains(bad), qPrintable(bad));
    }

    void namesAndExamsAreValuesNotSql()
    {
        TestEnv env;
        env.openDb();
        Fixture::savedGrade(1, 1, "初一'期中", "0101", 1, "O'Neil", {{"总分1", 300}, {"总分级排1", 5}});
        Fixture::savedGrade(2, 2, "初一'期中 补考", "0101", 1, "O'Neil", {{"总分1", 310}, {"总分级排1", 4}});
        Fixture::savedGrade(3, 1, "初一'期中", "0102", 1, "O'Neill", {{"总分1", 200}, {"总分级排1", 50}});
        Fixture::savedGrade(4, 1, "100%达标", "0103", 1, "张_三", {{"总分1", 250}});
        Fixture::savedGrade(5, 1, "100分达标", "0104", 1, "张四", {{"总分1", 260}});
        // A prefix also finds the longer name; a quote is just a character.
        QCOMPARE(column(History::studentHistory("O'Neil", false), "ID"), (QVariantList{1, 3, 2}));
        QCOMPARE(column(History::studentHistory("O'Neil", false), "考试编号"), (QVariantList{1, 1, 2}));
        History::ClassQuery q;
        q.exam = "初一'期中";
        QCOMPARE(column(History::classQuery(q, ClassOrder::BestFirst), "ID"), (QVariantList{2, 1, 3}));
        // The one-examination lookup matches the stored name exactly.
        QCOMPARE(column(History::studentExam("O'Neil", false, "初一'期中"), "ID"), (QVariantList{1, 3}));
        QCOMPARE(column(History::studentExam("O'Neil", false, "初一'期中 "), "ID"), QVariantList{});
        // % and _ typed by the teacher are characters, not wildcards.
        q.exam = "100%";
        QCOMPARE(column(History::classQuery(q, ClassOrder::Stored), "ID"), QVariantList{4});
        QCOMPARE(column(History::studentHistory("张_", false), "ID"), QVariantList{4});
    }

    void rankFiltersAreInclusive()
    {
        TestEnv env;
        env.openDb();
        for (int i = 1; i <= 6; ++i)
            Fixture::savedGrade(i, 1, "期中", QString("01%1").arg(i), 1 + i % 2, QString("学生%1").arg(i),
                  {{"总分级排1", i * 100}, {"语文级排1", 7 - i}});
        History::ClassQuery q;
        q.exam = "期中";
        q.kind = Kind::GradeRank;
        QCOMPARE(column(History::classQuery(q, ClassOrder::AtMost, 300), "总分级排1"), (QVariantList{100, 200, 300}));
        QCOMPARE(column(History::classQuery(q, ClassOrder::AtLeast, 500), "总分级排1"), (QVariantList{500, 600}));
        q.oneClass = true;
        q.firstClass = 2;
        QCOMPARE(column(History::classQuery(q, ClassOrder::WorstFirst), "ID"), (QVariantList{5, 3, 1}));
        QCOMPARE(column(History::classCurve(2, "语文", "期中", false), "语文级排1"), (QVariantList{2, 4, 6}));
        QCOMPARE(column(History::classCurve(2, "语文", "期中", true), "学号"), (QVariantList{"011", "013", "015"}));
    }

    void theNameBoxRepeatsTheLastNamePastTheEnd()
    {
        TestEnv env;
        env.openDb();
        QCOMPARE(History::firstNames().items, QStringList{});
        for (int i = 1; i <= 3; ++i)
            Fixture::savedGrade(i, 1, "期中", QString::number(i), 1, QString("学生%1").arg(i));
        History::NameList l = History::firstNames();
        QCOMPARE(l.items.size(), 15);
        QCOMPARE(l.items.mid(0, 4), (QStringList{"学生1", "学生2", "学生3", "学生3"}));
        QCOMPARE(l.items.last(), QString("学生3"));
        QCOMPARE(l.current, QString("学生3"));
        for (int i = 4; i <= 20; ++i)
            Fixture::savedGrade(i, 1, "期中", QString::number(i), 1, QString("学生%1").arg(i));
        l = History::firstNames();
        QCOMPARE(l.items.first(), QString("学生1"));
        QCOMPARE(l.items.last(), QString("学生15"));
        QCOMPARE(l.current, QString("学生16"));
    }

    void pointsFollowTheRows()
    {
        TestEnv env;
        env.openDb();
        Fixture::savedGrade(1, 3, "第三次", "1", 1, "甲", {{"总分级排1", 30}});
        Fixture::savedGrade(2, 1, "第一次", "1", 1, "甲", {{"总分级排1", 10.5}});
        Fixture::savedGrade(3, 2, "第二次", "1", 1, "甲");
        Db::exec("UPDATE cjsave SET 总分级排1 = NULL WHERE ID = 3");
        Db::GridModel m;
        m.setQuery(History::studentHistory("甲", false));
        m.open();
        const auto pts = History::points(m, "总分级排1", "考试名称");
        // An absence has no point, and the next one says so.
        QCOMPARE(pts.size(), 2);
        QCOMPARE(pts.at(0).label, QString("第一次"));
        QCOMPARE(pts.at(0).value, 10.5);
        QCOMPARE(pts.at(1).label, QString("第三次（缺考：第二次）"));
        QCOMPARE(pts.at(1).value, 30.0);
        QCOMPARE(History::points(m, "总分级排1", {}, "s").at(1).label, QString("s"));
        QVERIFY(Fixture::inputError([&] { History::points(m, "平均分排名", "考试名称"); }).contains("平均分排名"));
    }

    void prefixSearchesUseAnIndex()
    {
        TestEnv env;
        env.openDb();
        for (bool byNumber : {false, true}) {
            const Db::SelectSpec q = History::studentHistory("张", byNumber);
            const auto plan = Db::selectRows("EXPLAIN QUERY PLAN " + q.sql(true), q.binds());
            QString text;
            for (const auto& r : plan)
                text += r.last().toString() + '\n';
            QVERIFY2(text.contains("USING INDEX"), qPrintable(text));
        }
        // Opening the file again keeps one index of each.
        Db::close();
        env.openDb();
        QCOMPARE(Db::selectValue("SELECT count(*) FROM sqlite_master WHERE name IN ('cjsave_name', 'cjsave_number')")
                     .toInt(),
                 2);
    }
};

GRADEBOOK_TEST_MAIN(TestHistory)
#include "test_history.moc"
