// Per-student slips read back as a family and a reader's tools see them: the
// PDF's text slip by slip, the letter a page, the workbook cell by cell.
#include "engine/actions/slips.h"
#include "engine/db/database.h"
#include "engine/rules/numbers.h"
#include "engine/session/session.h"
#include "enginetest.h"
#include "layout/slippages.h"
#include "readback.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <cmath>

namespace {

const QStringList kSubjects{"语文", "数学", "英语", "政治", "物理", "化学", "总分"};

// A student as saved, read straight from the saved grades.
struct Saved {
    QString number, name;
    qint64 cls = 0;
    QStringList marks; // kSubjects' marks as written
    double total = 0;
};

QList<Saved> savedStudents(const QString& exam)
{
    QStringList cols{"学号", "姓名", "班号"};
    for (const QString& s : kSubjects)
        cols << s + "1";
    QList<Saved> out;
    for (const auto& r : Db::selectRows(QStringLiteral("SELECT \"%1\" FROM cjsave WHERE \"考试名称\" = ? ORDER BY rowid")
                                            .arg(cols.join("\", \"")),
                                        {exam})) {
        Saved s{r.at(0).toString(), r.at(1).toString(), r.at(2).toLongLong(), {}, r.at(3 + 6).toDouble()};
        for (int c = 0; c < kSubjects.size(); ++c)
            s.marks << Num::format(r.at(3 + c).toDouble());
        out << s;
    }
    return out;
}

// The grade position of a total among every student of the examination.
qint64 positionOf(double total, const QList<Saved>& all)
{
    qint64 above = 0;
    for (const Saved& s : all)
        above += s.total > total ? 1 : 0;
    if (above == 0)
        return 1;
    return qint64(std::ceil(100.0 * above / double(all.size() - 1)));
}

// The slips of a page: the text from one 班级： to the next.
QStringList slipsOf(const QString& page)
{
    QStringList parts = page.split(QStringLiteral("班级："));
    parts.removeFirst();
    return parts;
}

Slips::Options options(Slips::Show show, Slips::RankMode rank, std::optional<qint64> cls)
{
    Slips::Options o;
    o.exam = {"期中", 1};
    o.cls = cls;
    o.show = show;
    o.rank = rank;
    return o;
}

} // namespace

class TestSlips : public QObject {
    Q_OBJECT
    std::unique_ptr<TestEnv> env;
    std::unique_ptr<Session> session;
    QList<Saved> grade;

private slots:
    void initTestCase()
    {
        env = std::make_unique<TestEnv>();
        env->openDb();
        Fixture::saveExams({{"月考", 2}, {"期中", 1}}, {9, 14, 8});
        session = std::make_unique<Session>();
        session->load(false);
        grade = savedStudents("期中");
        QCOMPARE(grade.size(), 31);
    }

    // Every student of the class once, each slip whole on its page naming
    // its own student with his own marks and nothing of anyone else's; a
    // standing only when asked for, then the percentile of the grade rank.
    void aClassesSlipsCarryOnlyTheirStudent_data()
    {
        QTest::addColumn<int>("rank");
        QTest::newRow("ranks off") << int(Slips::RankMode::None);
        QTest::newRow("position") << int(Slips::RankMode::Position);
    }
    void aClassesSlipsCarryOnlyTheirStudent()
    {
        if (!Readback::havePdftotext())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QFETCH(int, rank);
        const auto mode = Slips::RankMode(rank);
        const Slips::Set set = Actions::slips(*session, options(Slips::Show::Both, mode, 2));
        const QString pdf = env->root() + "/slips.pdf";
        const int pages = Layout::writeSlips(pdf, set, Layout::SlipPages::Form::Slips);
        const QStringList text = Readback::pdfPages(pdf);
        QCOMPARE(text.size(), pages);
        QVERIFY(pages >= 3); // 14 slips: several a page, more than one page

        QMap<QString, Saved> byNumber;
        for (const Saved& s : grade)
            byNumber.insert(s.number, s);
        QStringList seen;
        for (int p = 0; p < text.size(); ++p) {
            const QStringList slips = slipsOf(text.at(p));
            QVERIFY(slips.size() >= 2);
            for (const QString& slip : slips) {
                const auto numbers = QRegularExpression("学号：(\\d{4})").globalMatch(slip);
                QVERIFY(numbers.hasNext());
                const QString number = numbers.peekNext().captured(1);
                const QStringList tokens = slip.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
                QCOMPARE(slip.count("学号："), 1);
                QVERIFY2(byNumber.contains(number), qPrintable(number));
                const Saved& own = byNumber.value(number);
                QCOMPARE(own.cls, qint64(2));
                seen << number;
                QVERIFY2(slip.contains("姓名：" + own.name + "\n") || slip.contains("姓名：" + own.name + " "), qPrintable(slip));
                // The marks row is this student's, subject by subject.
                const qsizetype at = tokens.indexOf("成绩");
                QVERIFY(at >= 0);
                QCOMPARE(tokens.mid(at + 1, kSubjects.size()), own.marks);
                // Whole on this page: it ends with the levels' legend.
                QVERIFY2(slip.contains("E：其余"), qPrintable(QStringLiteral("page %1: %2").arg(p + 1).arg(slip)));
                if (mode == Slips::RankMode::None) {
                    QVERIFY(!slip.contains("位于") && !QRegularExpression("第\\s*\\d+\\s*名").match(slip).hasMatch());
                } else {
                    QVERIFY2(slip.contains(QStringLiteral("位于年级前 %1%").arg(positionOf(own.total, grade))),
                             qPrintable(slip));
                    QCOMPARE(slip.count("位于"), 1);
                }
            }
        }
        QStringList expected;
        for (const Saved& s : grade)
            if (s.cls == 2)
                expected << s.number;
        QCOMPARE(seen, expected);
    }

    // The whole grade: each class starts on a page of its own, in class order.
    void theGradeComesClassByClass()
    {
        if (!Readback::havePdftotext())
            QSKIP("pdftotext (poppler-utils) is not installed");
        const Slips::Set set = Actions::slips(*session, options(Slips::Show::Levels, Slips::RankMode::None, std::nullopt));
        const QString pdf = env->root() + "/grade.pdf";
        Layout::writeSlips(pdf, set, Layout::SlipPages::Form::Slips);
        QList<qint64> classOfPage;
        int slips = 0;
        for (const QString& page : Readback::pdfPages(pdf)) {
            QSet<QString> classes;
            for (const QString& slip : slipsOf(page)) {
                classes.insert(slip.section(QStringLiteral("班"), 0, 0).trimmed());
                ++slips;
                // Levels only: no marks row.
                QVERIFY(!slip.contains("满分"));
            }
            QCOMPARE(classes.size(), 1);
            classOfPage << classes.begin()->toLongLong();
        }
        QCOMPARE(slips, grade.size());
        QVERIFY(std::is_sorted(classOfPage.begin(), classOfPage.end()));
        QCOMPARE(classOfPage.first(), qint64(1));
        QCOMPARE(classOfPage.last(), qint64(3));
    }

    // A letter a page, with the remark and signature lines, no standing.
    void aLetterToEachFamily()
    {
        if (!Readback::havePdftotext())
            QSKIP("pdftotext (poppler-utils) is not installed");
        const Slips::Set set = Actions::slips(*session, options(Slips::Show::Levels, Slips::RankMode::None, 3));
        const QString pdf = env->root() + "/notice.pdf";
        QCOMPARE(Layout::writeSlips(pdf, set, Layout::SlipPages::Form::Notice), 8);
        const QStringList pages = Readback::pdfPages(pdf);
        QCOMPARE(pages.size(), 8);
        int k = 0;
        for (const Saved& s : grade) {
            if (s.cls != 3)
                continue;
            const QString& page = pages.at(k++);
            QVERIFY(page.contains(s.name + "同学家长") && page.contains("学号：" + s.number));
            QCOMPARE(page.count("学号："), 1);
            QVERIFY(page.contains("班主任评语") && page.contains("班主任签名") && page.contains("家长签名"));
            QVERIFY(!page.contains("位于") && !QRegularExpression("第\\s*\\d+\\s*名").match(page).hasMatch());
        }
    }

    // The classic 成绩条 workbook: a sheet a class, each student's row under
    // a header row of its own, an empty row between, marks as numbers.
    void theWorkbookIsReadyToCut()
    {
        Slips::Options o = options(Slips::Show::Both, Slips::RankMode::Grade, std::nullopt);
        const Slips::Set set = Actions::slips(*session, o);
        const QString xlsx = env->root() + "/slips.xlsx";
        Slips::writeWorkbook(xlsx, set);
        const auto sheet = Readback::xlsxSheet(xlsx, 2);
        const QList<Saved> class2 = [&] {
            QList<Saved> out;
            for (const Saved& s : grade)
                if (s.cls == 2)
                    out << s;
            return out;
        }();
        for (int i = 0; i < class2.size(); ++i) {
            const int head = 3 * i + 1, row = head + 1;
            QCOMPARE(sheet.value(QStringLiteral("B%1").arg(head)).text, "学号");
            QCOMPARE(sheet.value(QStringLiteral("D%1").arg(head)).text, "语文");
            QCOMPARE(sheet.value(QStringLiteral("E%1").arg(head)).text, "语文等级");
            const auto number = sheet.value(QStringLiteral("B%1").arg(row));
            QCOMPARE(number.text, class2.at(i).number);
            QVERIFY(number.type == "s" || number.type == "inlineStr");
            QCOMPARE(sheet.value(QStringLiteral("C%1").arg(row)).text, class2.at(i).name);
            const auto chinese = sheet.value(QStringLiteral("D%1").arg(row));
            QCOMPARE(chinese.type, QString());
            QCOMPARE(chinese.text, class2.at(i).marks.first());
            const QString level = sheet.value(QStringLiteral("E%1").arg(row)).text;
            QVERIFY2(QStringList({"A", "B", "C", "D", "E"}).contains(level), qPrintable(level));
            for (const QString& c : {"A", "B", "C", "D"})
                QVERIFY(!sheet.contains(QStringLiteral("%1%2").arg(c).arg(row + 1)));
        }
        QVERIFY(!sheet.contains(QStringLiteral("B%1").arg(3 * class2.size() + 1)));
        QCOMPARE(sheet.value("B1").text, "学号");
    }

    // The change since an earlier examination: each student's own level
    // then, found by 学号 and 姓名; never a change of standing with ranks off.
    void theChangeSinceAnEarlierExamination()
    {
        Slips::Options o = options(Slips::Show::Levels, Slips::RankMode::None, 1);
        o.change = Slips::Change::Level;
        o.earlier = {"月考", 2};
        const Slips::Set set = Actions::slips(*session, o);
        const Levels::ExamLevels before = Actions::examLevels(*session, o.earlier);
        QVERIFY(set.earlierLevels);
        QCOMPARE(set.slips.size(), 9);
        for (const Slips::Slip& slip : set.slips) {
            size_t then = 0;
            while (before.grades.students[then].number != slip.number)
                ++then;
            for (int i = 0; i < slip.items.size(); ++i)
                QCOMPARE(slip.items.at(i).earlier, before.text(before.item(slip.items.at(i).title), then));
        }
        o.change = Slips::Change::Position;
        QVERIFY_THROWS_EXCEPTION(Db::InputError, Actions::slips(*session, o));
        o.change = Slips::Change::Level;
        o.earlier = o.exam;
        QVERIFY_THROWS_EXCEPTION(Db::InputError, Actions::slips(*session, o));
        o.earlier = {};
        o.change = Slips::Change::None;
        o.cls = 7;
        try {
            Actions::slips(*session, o);
            QFAIL("accepted");
        } catch (const Db::InputError& e) {
            QVERIFY2(e.text().contains("没有7班的学生"), qPrintable(e.text()));
        }
    }

    void cleanupTestCase()
    {
        session.reset();
        env.reset();
    }
};

int main(int argc, char** argv)
{
    // Fonts need a GUI application; it needs no display on the offscreen platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    TestSlips tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "test_slips.moc"
