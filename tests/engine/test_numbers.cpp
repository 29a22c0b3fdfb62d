#include "engine/rules/numbers.h"
#include "enginetest.h"

#include <limits>

class TestNumbers : public QObject {
    Q_OBJECT
private slots:
    void roundsHalvesToEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("rounded");
        QTest::newRow("84.5 down to even") << 84.5 << qint64(84);
        QTest::newRow("85.5 up to even") << 85.5 << qint64(86);
        QTest::newRow("85.4") << 85.4 << qint64(85);
        QTest::newRow("85.6") << 85.6 << qint64(86);
        QTest::newRow("59.5") << 59.5 << qint64(60);
        QTest::newRow("0.5") << 0.5 << qint64(0);
        QTest::newRow("-0.5") << -0.5 << qint64(0);
        QTest::newRow("-1.5") << -1.5 << qint64(-2);
        QTest::newRow("sum of tenths 85.2+85.3") << (85.2 + 85.3) << qint64(170);
        QTest::newRow("239.5 from 100+80+59.5") << (100 + 80 + 59.5) << qint64(240);
    }
    void roundsHalvesToEven()
    {
        QFETCH(double, value);
        QFETCH(qint64, rounded);
        QCOMPARE(Num::roundHalfEven(value), rounded);
    }

    void quotientsAreExactToFourPlaces_data()
    {
        QTest::addColumn<qint64>("num");
        QTest::addColumn<qint64>("den");
        QTest::addColumn<QString>("text");
        QTest::newRow("1/32 halves to even") << qint64(1) << qint64(32) << "0.0312";
        QTest::newRow("3/32 halves to even up") << qint64(3) << qint64(32) << "0.0938";
        QTest::newRow("2/3") << qint64(2) << qint64(3) << "0.6667";
        QTest::newRow("1/3") << qint64(1) << qint64(3) << "0.3333";
        QTest::newRow("280/4") << qint64(280) << qint64(4) << "70";
        QTest::newRow("whole") << qint64(45) << qint64(45) << "1";
        QTest::newRow("0") << qint64(0) << qint64(7) << "0";
    }
    void quotientsAreExactToFourPlaces()
    {
        QFETCH(qint64, num);
        QFETCH(qint64, den);
        QFETCH(QString, text);
        QCOMPARE(Num::format(Num::quotient4d(num, den)), text);
    }

    // The one way windows and exports show stored numbers: rates as
    // percentages with two decimals, everything else with its own decimals.
    void numbersShownAsATeacherReadsThem_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("pass rate 2/3") << "合格率" << Num::quotient4d(2, 3) << "66.67%";
        QTest::newRow("rate 1/32") << "高分率" << Num::quotient4d(1, 32) << "3.12%";
        QTest::newRow("whole class") << "低分率" << 1.0 << "100.00%";
        QTest::newRow("nobody") << "低分率" << 0.0 << "0.00%";
        QTest::newRow("rate with binary noise") << "合格率" << (0.1 + 0.2) << "30.00%";
        QTest::newRow("a rank is not a rate") << "及格率排名" << 3.0 << "3";
        QTest::newRow("average 4 decimals") << "平均分" << 66.6667 << "66.6667";
        QTest::newRow("average one decimal") << "平均分" << 70.5 << "70.5";
        QTest::newRow("total 100 not 1e+02") << "总分" << 100.0 << "100";
        QTest::newRow("band average noise") << "1班" << (1688.4 / 7) << "241.2";
        QTest::newRow("large total") << "总分" << 123456.0 << "123456";
    }
    void numbersShownAsATeacherReadsThem()
    {
        QFETCH(QString, column);
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(Num::shown(column, value), text);
    }

    void percentagesHalveToEven()
    {
        QCOMPARE(Num::percent(1, 8), qint64(12));  // 12.5
        QCOMPARE(Num::percent(27, 200), qint64(14)); // 13.5
        QCOMPARE(Num::percent(3, 45), qint64(7));  // 6.67
        QCOMPARE(Num::percent(9, 36), qint64(25));
    }

    void parsesWhatTeachersType_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("plain") << "85" << true << 85.0;
        QTest::newRow("half") << "85.5" << true << 85.5;
        QTest::newRow("tab and CR from a spreadsheet") << "\t92.5\r" << true << 92.5;
        QTest::newRow("full-width digits") << QStringLiteral("８５．５") << true << 85.5;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("word") << QStringLiteral("缺考") << false << 0.0;
        QTest::newRow("inf") << "inf" << false << 0.0;
        QTest::newRow("nan") << "nan" << false << 0.0;
        QTest::newRow("two numbers") << "85 90" << false << 0.0;
        QTest::newRow("exponent") << "1e3" << false << 0.0;
        QTest::newRow("a million") << "1000000" << false << 0.0;
        QTest::newRow("negative") << "-1" << true << -1.0;
    }
    void parsesWhatTeachersType()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(double, value);
        const auto v = Num::parseNumber(text);
        QCOMPARE(v.has_value(), ok);
        if (ok)
            QCOMPARE(*v, value);
    }

    void integersRefuseFractions()
    {
        QCOMPARE(Num::parseInteger(" 12 ").value_or(-1), qint64(12));
        QVERIFY(!Num::parseInteger("1.5"));
        QVERIFY(!Num::parseInteger("1a"));
        QVERIFY(!Num::parseInteger(""));
    }

    // What a teacher's mark cell says: a mark, an absence (the cell holds
    // nothing), or a refusal the entry path words for its own lines.
    void readsAMarkCell_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind");
        QTest::addColumn<double>("mark");
        const int mark = Num::MarkCell::Mark, absent = Num::MarkCell::Absent;
        QTest::newRow("a mark") << "85.5" << mark << 85.5;
        QTest::newRow("0 is a mark") << "0" << mark << 0.0;
        QTest::newRow("full-width 0") << QStringLiteral("０") << mark << 0.0;
        QTest::newRow("empty") << "" << absent << 0.0;
        QTest::newRow("blanks and a tab") << " \t " << absent << 0.0;
        QTest::newRow("缺考") << QStringLiteral("缺考") << absent << 0.0;
        QTest::newRow("缺 with blanks") << QStringLiteral(" 缺 ") << absent << 0.0;
        QTest::newRow("slash") << "/" << absent << 0.0;
        QTest::newRow("full-width slash and blanks") << QStringLiteral("\u3000／\u3000") << absent << 0.0;
        QTest::newRow("full-width blanks around 缺考") << QStringLiteral("\u3000缺考\u3000") << absent << 0.0;
        QTest::newRow("another word") << QStringLiteral("请假") << int(Num::MarkCell::NotANumber) << 0.0;
        QTest::newRow("缺考 with more") << QStringLiteral("缺考了") << int(Num::MarkCell::NotANumber) << 0.0;
        QTest::newRow("two slashes") << "//" << int(Num::MarkCell::NotANumber) << 0.0;
        QTest::newRow("negative") << "-5" << int(Num::MarkCell::Negative) << -5.0;
    }
    void readsAMarkCell()
    {
        QFETCH(QString, text);
        QFETCH(int, kind);
        QFETCH(double, mark);
        const Num::MarkCell cell = Num::markCell(text);
        QCOMPARE(int(cell.kind), kind);
        QCOMPARE(cell.mark, mark);
    }

    // Stored cells as the runs read them: a blank, an absence word left by
    // a hand edit and text that is no number are absences; 0 is a mark.
    void storedCellsAreMarksOrAbsences()
    {
        QVERIFY(!Num::markOf(QVariant()));
        QVERIFY(!Num::markOf(QVariant(QStringLiteral("缺考"))));
        QVERIFY(!Num::markOf(QVariant(QStringLiteral("abc"))));
        QVERIFY(!Num::markOf(QVariant(std::numeric_limits<double>::infinity())));
        QCOMPARE(Num::markOf(QVariant(0)), Num::Mark(0));
        QCOMPARE(Num::markOf(QVariant(59.5)), Num::Mark(595000));
        QCOMPARE(Num::markOf(QVariant(QStringLiteral("39.9"))), Num::Mark(399000));
        QCOMPARE(Num::markOf(QVariant(QStringLiteral("８５"))), Num::Mark(850000));
    }
};

GRADEBOOK_TEST_MAIN(TestNumbers)
#include "test_numbers.moc"
