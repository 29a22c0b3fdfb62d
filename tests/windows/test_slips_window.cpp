// 成绩条与等级: the paths through the window, from the entry window's button
// to the written files and the kept scheme.
#include "engine/db/database.h"
#include "engine/session/levelsettings.h"
#include "engine/session/session.h"
#include "windows/app/forms.h"
#include "windows/entry/tluru.h"
#include "windows/reports/tslips.h"
#include "windowtest.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

class TestSlipsWindow : public QObject {
    Q_OBJECT
    std::unique_ptr<WindowTestEnv> env;

private slots:
    void init()
    {
        env = std::make_unique<WindowTestEnv>();
        QVERIFY(env->startForms());
        Fixture::saveExams({{"月考", 2}, {"期中", 1}}, {5, 6});
        // As the entry window's save leaves it: 期中 current and saved.
        Db::exec("UPDATE \"check\" SET \"c1\" = 1, \"mc\" = '期中', \"bh\" = '1'");
        Forms::session().load();
    }
    void cleanup() { env.reset(); }

    // From the entry window once the marks are saved: the examination just
    // saved, levels only, no ranks; the PDF is written and named.
    void slipsOfTheExaminationJustSaved()
    {
        Forms::showWindow(Forms::luru);
        QVERIFY(Forms::luru->SlipsButton->isVisible());
        Forms::luru->SlipsButton->click();
        Tslips* w = Forms::slips;
        QVERIFY(w->isVisible());
        QCOMPARE(w->examBox->currentText(), "期中（编号1，11人）");
        QCOMPARE(w->classBox->count(), 3);
        QCOMPARE(w->rankBox->currentIndex(), 0);
        QVERIFY(w->rankNote->isVisible());
        QCOMPARE(w->namesEdit->text(), "A, B, C, D, E");

        w->previewButton->click();
        QVERIFY(w->pageLabel->text().contains("11名学生"));
        QVERIFY(!w->picture->pixmap().isNull());

        const QString pdf = env->root() + "/期中成绩条.pdf";
        env->messages.files << pdf;
        w->writeButton->click();
        QVERIFY2(env->messages.last().startsWith("已写出11名学生的成绩条（共"), qPrintable(env->messages.last()));
        QVERIFY(env->messages.last().contains(pdf));
        QVERIFY(QFileInfo(pdf).size() > 1000);
        QVERIFY(env->messages.progressReports > 0);
    }

    // A scheme that cannot be used is refused naming the fault, and nothing
    // of it is kept; a usable one is the session's and the database's.
    void theSchemeIsCheckedAndKept()
    {
        Forms::showWindow(Forms::slips);
        Tslips* w = Forms::slips;
        w->valuesEdit->setText("50, 40, 10, 5");
        w->previewButton->click();
        QVERIFY2(env->messages.last().contains("合计是105%"), qPrintable(env->messages.last()));
        QCOMPARE(Forms::session().levelScheme(), Levels::Scheme());

        w->byLines->setChecked(true);
        QCOMPARE(w->namesEdit->text(), "优秀, 良好, 合格, 待合格");
        w->namesEdit->setText("优秀，良好，合格，待合格");
        w->valuesEdit->setText("90, 75, 60");
        w->previewButton->click();
        QCOMPARE(Forms::session().levelScheme().method, Levels::Method::Lines);
        QCOMPARE(Levels::storedScheme().lines, (QList<int>{900, 750, 600}));
        QVERIFY(w->schemeNote->text().contains("优秀：90%及以上"));
        // The share half edited earlier comes back as it was typed.
        w->byShare->setChecked(true);
        QCOMPARE(w->valuesEdit->text(), "50, 40, 10, 5");
    }

    // A workbook a class, each file named in the closing message; a change
    // of standing with ranks off is refused before any file is asked for.
    void aWorkbookPerClass()
    {
        Forms::showWindow(Forms::slips);
        Tslips* w = Forms::slips;
        w->sinceBox->setCurrentIndex(1);
        w->changeBox->setCurrentIndex(1);
        w->writeButton->click();
        QVERIFY(env->messages.last().contains("不显示名次时"));
        QCOMPARE(env->messages.files.size(), 0);

        w->changeBox->setCurrentIndex(0);
        w->layoutBox->setCurrentIndex(2);
        w->filePerClass->setChecked(true);
        env->messages.files << env->root() + "/期中.xlsx";
        w->writeButton->click();
        for (const QString& c : {"1班", "2班"}) {
            const QString file = env->root() + "/期中-" + c + ".xlsx";
            QVERIFY(QFileInfo::exists(file));
            QVERIFY(env->messages.last().contains(file));
        }
        QVERIFY(!QFileInfo::exists(env->root() + "/期中.xlsx"));
    }
};

GRADEBOOK_WINDOW_TEST_MAIN(TestSlipsWindow)
#include "test_slips_window.moc"
