// Levels by share and by score lines, the scheme's checks and its keeping,
// the percentile position, and the levels of a saved examination.
#include "engine/actions/slips.h"
#include "engine/db/database.h"
#include "engine/reports/examlevels.h"
#include "engine/rules/levels.h"
#include "engine/session/levelsettings.h"
#include "engine/session/session.h"
#include "enginetest.h"

#include <functional>

namespace {

// "90 85 - 85" -> marks (- is an absence).
std::vector<Num::Mark> marksOf(const QString& text)
{
    std::vector<Num::Mark> out;
    for (const QString& t : text.split(' ', Qt::SkipEmptyParts))
        out.push_back(t == "-" ? Num::Mark() : Num::Mark(Num::toFixed(t.toDouble())));
    return out;
}

// Levels as the names' first letters or "-" for none, joined: "AAB-".
QString text(const std::vector<Levels::Level>& levels, const QStringList& names)
{
    QString out;
    for (const Levels::Level& l : levels)
        out += l ? names.at(*l).left(1) : QStringLiteral("-");
    return out;
}

const QStringList kLetters{"A", "B", "C", "D", "E"};

} // namespace

class TestLevels : public QObject {
    Q_OBJECT
private slots:
    void byShare_data()
    {
        QTest::addColumn<QString>("marks");
        QTest::addColumn<QList<int>>("shares");
        QTest::addColumn<QString>("expected");
        const QList<int> defaults{150, 350, 350, 130};
        // 20 students: 3 places of A (15 %), 7 of B, 7 of C, 2.6 of D; the
        // 20th has 19 above him, fewer than D's 19.6 places.
        QString twenty;
        for (int i = 0; i < 20; ++i)
            twenty += QString::number(100 - i) + ' ';
        QTest::newRow("20 distinct") << twenty << defaults << "AAABBBBBBBCCCCCCCDDD";
        // 10 students: A has 1.5 places; the three tied second all have one
        // student above them, so all are A.
        QTest::newRow("tie across A's boundary") << "100 90 90 90 80 70 60 50 40 30" << defaults << "AAAABCCCCD";
        QTest::newRow("class of one") << "37" << defaults << "A";
        QTest::newRow("everyone equal") << "60 60 60 60" << defaults << "AAAA";
        // The absent have no level and take no place: 4 sat, A has 0.6 places.
        QTest::newRow("absences") << "- 90 - 80 70 60" << defaults << "-A-BCC";
        QTest::newRow("everyone absent") << "- -" << defaults << "--";
        // 89.5 rounds (to even) to 90 as 90.4 does: the same level.
        QTest::newRow("rounded marks alike") << "90.4 89.5 80" << QList<int>{300} << "AAB";
        QTest::newRow("two levels half each") << "4 3 2 1" << QList<int>{500} << "AABB";
    }
    void byShare()
    {
        QFETCH(QString, marks);
        QFETCH(QList<int>, shares);
        QFETCH(QString, expected);
        QCOMPARE(text(Levels::byShare(marksOf(marks), shares), kLetters), expected);
    }

    // 85/70/60 % of 120 are 102, 84 and 72: reached exactly is the level.
    void byLines_data()
    {
        QTest::addColumn<QString>("marks");
        QTest::addColumn<qint64>("full");
        QTest::addColumn<QString>("expected");
        const QString names = "优良合待";
        QTest::newRow("at and below each line of 120") << "120 102 101 84 83 72 71 0 -" << qint64(120) << "优优良良合合待待-";
        QTest::newRow("a half rounds to even") << "101.5 101.4 83.5" << qint64(120) << "优良良";
        QTest::newRow("full mark 100") << "85 84.9 70 60 59" << qint64(100) << "优优良合待";
    }
    void byLines()
    {
        QFETCH(QString, marks);
        QFETCH(qint64, full);
        QFETCH(QString, expected);
        const QStringList names{"优秀", "良好", "合格", "待合格"};
        QCOMPARE(text(Levels::byLines(marksOf(marks), {850, 700, 600}, full), names), expected);
    }

    void perClassSharesAreEachClasssOwn()
    {
        Levels::Scheme s;
        s.shares = {500};
        s.shareNames = {"A", "B"};
        const auto marks = marksOf("90 80 70 60 50 40");
        const std::vector<qint64> classes{1, 1, 2, 2, 2, 2};
        QCOMPARE(text(Levels::levels(s, marks, classes, 100), kLetters), "AAABBB");
        s.perClass = true;
        QCOMPARE(text(Levels::levels(s, marks, classes, 100), kLetters), "ABAABB");
    }

    void unusableSchemesAreRefused_data()
    {
        QTest::addColumn<std::function<void(Levels::Scheme&)>>("change");
        QTest::addColumn<QString>("message");
        using F = std::function<void(Levels::Scheme&)>;
        QTest::newRow("shares add up to 100") << F([](auto& s) { s.shares = {150, 350, 350, 150}; }) << "合计是100%";
        QTest::newRow("a share of 0") << F([](auto& s) { s.shares = {150, 0, 350, 130}; }) << "等级“B”的比例必须大于0";
        QTest::newRow("a share missing") << F([](auto& s) { s.shares = {150, 350, 350}; }) << "5个等级要有4个比例";
        QTest::newRow("one level") << F([](auto& s) { s.shareNames = {"A"}; s.shares = {}; }) << "2到10个等级";
        QTest::newRow("a name twice") << F([](auto& s) { s.shareNames[1] = "A"; }) << "“A”用了两次";
        QTest::newRow("缺考 as a name") << F([](auto& s) { s.shareNames[4] = "缺考"; }) << "不能用作等级名称";
        QTest::newRow("an empty name") << F([](auto& s) { s.shareNames[2] = " "; }) << "第3个等级没有名称";
        QTest::newRow("lines not falling") << F([](auto& s) { s.method = Levels::Method::Lines; s.lines = {850, 600, 700}; })
                                           << "“合格”的分数线（70%）必须低于上一级“良好”的（60%）";
        QTest::newRow("a line above 100 %") << F([](auto& s) { s.method = Levels::Method::Lines; s.lines = {1001, 700, 600}; })
                                            << "不超过100%";
    }
    void unusableSchemesAreRefused()
    {
        QFETCH(std::function<void(Levels::Scheme&)>, change);
        QFETCH(QString, message);
        Levels::Scheme s;
        Levels::check(s);
        change(s);
        try {
            Levels::check(s);
            QFAIL("accepted");
        } catch (const Db::InputError& e) {
            QVERIFY2(e.text().contains(message), qPrintable(e.text()));
        }
    }

    void percentsAsTyped()
    {
        QCOMPARE(Levels::parsePercent("15"), std::optional<int>(150));
        QCOMPARE(Levels::parsePercent(" 12.5% "), std::optional<int>(125));
        QCOMPARE(Levels::parsePercent("12.55"), std::nullopt);
        QCOMPARE(Levels::parsePercent("十五"), std::nullopt);
        QCOMPARE(Levels::percentText(125), "12.5%");
    }

    void position_data()
    {
        QTest::addColumn<qint64>("rank");
        QTest::addColumn<qint64>("count");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("the best is never 前0%") << qint64(1) << qint64(400) << qint64(1);
        QTest::newRow("a grade of one") << qint64(1) << qint64(1) << qint64(1);
        QTest::newRow("the last") << qint64(400) << qint64(400) << qint64(100);
        QTest::newRow("exact") << qint64(12) << qint64(101) << qint64(11);
        QTest::newRow("rounded up") << qint64(4) << qint64(201) << qint64(2);
        QTest::newRow("second of two") << qint64(2) << qint64(2) << qint64(100);
    }
    void position()
    {
        QFETCH(qint64, rank);
        QFETCH(qint64, count);
        QFETCH(qint64, expected);
        QCOMPARE(Levels::position(rank, count), expected);
    }

    // The school's scheme comes back at the next start, also for a session
    // that does not remember working settings; a broken stored half gives
    // way to the defaults without costing the other half.
    void theSchemeIsKeptInTheDatabase()
    {
        TestEnv env;
        env.openDb();
        Levels::Scheme chosen;
        chosen.method = Levels::Method::Lines;
        chosen.lineNames = {"优", "良", "中", "差"};
        chosen.lines = {900, 750, 600};
        chosen.perClass = true;
        {
            Session s;
            s.load();
            QCOMPARE(s.levelScheme(), Levels::Scheme());
            QSignalSpy changed(&s, &Session::settingsChanged);
            Levels::Scheme bad = chosen;
            bad.lines = {600, 750, 900};
            QVERIFY_THROWS_EXCEPTION(Db::InputError, s.setLevelScheme(bad));
            s.setLevelScheme(chosen);
            QCOMPARE(changed.count(), 1);
        }
        Session batch;
        batch.load(false);
        QCOMPARE(batch.levelScheme(), chosen);

        Db::exec(QStringLiteral("UPDATE shezhi SET \"值\" = '150,x' WHERE \"项目\" = '等级/比例'"));
        const Levels::Scheme back = Levels::storedScheme();
        QCOMPARE(back.shares, Levels::Scheme().shares);
        QCOMPARE(back.lines, chosen.lines);
    }

    // A saved examination read back: the subjects it has (not the zeros of
    // a subject nobody sat), full marks from its saved analysis or else the
    // session's, absences without a level.
    void levelsOfASavedExamination()
    {
        TestEnv env;
        env.openDb();
        const QList<QVariantMap> marks{{{"语文1", 102}, {"数学1", 120}, {"英语1", 0}, {"总分1", 222}},
                                       {{"语文1", 101}, {"数学1", 127.5}, {"英语1", 0}, {"总分1", 228.5}},
                                       {{"语文1", QVariant()}, {"数学1", 90}, {"英语1", 0}, {"总分1", 90}},
                                       {{"语文1", 72}, {"数学1", 89}, {"英语1", 0}, {"总分1", 161}}};
        for (int i = 0; i < marks.size(); ++i)
            Fixture::savedGrade(i + 1, 3, "期中", QStringLiteral("010%1").arg(i + 1), 1 + i / 2,
                                QStringLiteral("学生%1").arg(i + 1), marks.at(i));
        Fixture::insert("fxsave", {{"科目", "数学1"}, {"班号", 1}, {"满分值", 150}, {"考试名称", "期中"}, {"考试编号", 3}});
        Fixture::insert("fxsave", {{"科目", "数学1"}, {"班号", 1}, {"满分值", 100}, {"考试名称", "月考"}, {"考试编号", 2}});

        Session session;
        session.load();
        session.setFullMark("语文", 120);
        Levels::Scheme lines;
        lines.method = Levels::Method::Lines;
        session.setLevelScheme(lines);
        const Levels::ExamLevels got = Actions::examLevels(session, Levels::examNamed("期中"));
        QCOMPARE(got.grades.items, (QStringList{"语文", "数学", "总分"}));
        QCOMPARE(got.grades.fullMarks.value("语文"), qint64(120));
        QCOMPARE(got.grades.fullMarks.value("数学"), qint64(150));
        QCOMPARE(got.grades.fullMarks.value("总分"), qint64(270));
        QCOMPARE(got.grades.fullMarksFromAnalysis, QStringList{"数学"});
        QStringList 语文, 数学;
        for (size_t s = 0; s < 4; ++s) {
            语文 << got.text(0, s);
            数学 << got.text(1, s);
        }
        QCOMPARE(语文, (QStringList{"优秀", "良好", "缺考", "合格"}));
        // 85 % of 150 is 127.5; 60 % is 90.
        QCOMPARE(数学, (QStringList{"良好", "优秀", "合格", "待合格"}));
        const auto class1 = got.count(0, 1);
        QCOMPARE(class1.perLevel, (QList<qint64>{1, 1, 0, 0}));
        QCOMPARE(got.count(0).absent, qint64(1));

        try {
            Levels::examNamed("期末");
            QFAIL("accepted");
        } catch (const Db::InputError& e) {
            QVERIFY(e.text().contains("没有永久保存过名为“期末”的考试成绩"));
        }
        Fixture::savedGrade(9, 4, "期中", "0101", 1, "学生1", {{"语文1", 80}});
        try {
            Levels::examNamed("期中");
            QFAIL("accepted");
        } catch (const Db::InputError& e) {
            QVERIFY2(e.text().contains("编号3、4"), qPrintable(e.text()));
        }
    }
};

GRADEBOOK_TEST_MAIN(TestLevels)
#include "test_levels.moc"
