// 进退步分析 as a grade head uses it: two saved examinations compared for the
// grade and for one class, sorted, charted, and a class's report written.
#include "engine/db/database.h"
#include "engine/processing/runs.h"
#include "engine/processing/saves.h"
#include "windows/app/forms.h"
#include "windows/app/tform6.h"
#include "windows/reports/frozengrid.h"
#include "windows/reports/tjintui.h"
#include "windowtest.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChartView>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QScatterSeries>
#include <QSpinBox>
#include <QTableView>

namespace {

int column(QAbstractItemModel* m, const QString& title)
{
    for (int c = 0; c < m->columnCount(); ++c)
        if (m->headerData(c, Qt::Horizontal).toString() == title)
            return c;
    return -1;
}

int points(QChartView* v)
{
    int n = 0;
    for (QAbstractSeries* s : v->chart()->series())
        if (auto* scatter = qobject_cast<QScatterSeries*>(s))
            n += scatter->count();
    return n;
}

} // namespace

class TestProgressWindow : public QObject {
    Q_OBJECT
private slots:
    void nothingSavedYet()
    {
        WindowTestEnv env;
        QVERIFY(env.startForms());
        Forms::showWindow(Forms::jintui);
        QVERIFY(!Forms::jintui->compareButton->isEnabled());
        QVERIFY(Forms::jintui->status->text().contains("还没有永久保存过成绩的考试"));
    }

    void compareSortChartAndReport()
    {
        WindowTestEnv env;
        env.openDb();
        Fixture::saveExams({{"期中", 1}, {"月考", 2}, {"期末", 3}}, {12, 10});
        Proc::BandSettings b;
        b.upper = 599;
        b.count = 60;
        b.lastClass = 2;
        Proc::bands(b);
        Save::bands("tj", {"期末", 3, false});
        Db::close();
        QVERIFY(env.startForms());

        // Reached from the main window's 图表查询 menu.
        QAction* item = nullptr;
        for (QAction* a : Forms::Form6->findChildren<QAction*>())
            if (a->text() == QStringLiteral("进退步分析"))
                item = a;
        QVERIFY(item);
        item->trigger();
        Tjintui* w = Forms::jintui;
        QVERIFY(w->isVisible());
        QCOMPARE(w->beforeBox->count(), 3);
        QCOMPARE(w->beforeBox->currentText(), QString("月考"));
        QCOMPARE(w->afterBox->currentText(), QString("期末"));

        w->compareButton->click();
        QVERIFY2(env.messages.records.isEmpty(), qPrintable(env.messages.last()));
        QAbstractItemModel* students = w->studentGrid->model();
        QCOMPARE(students->rowCount(), 22);
        QVERIFY(w->status->text().contains("月考 → 期末"));
        QCOMPARE(points(w->rankChart), 22 - int(std::count_if(w->run()->result.pairs.begin(), w->run()->result.pairs.end(),
                                                                [](const Progress::Pair& p) { return !p.gradeChange; })));
        auto* bars = qobject_cast<QBarSeries*>(w->changeChart->chart()->series().value(0));
        QVERIFY(bars);
        QCOMPARE(bars->barSets().first()->count(), 2);

        // Sorted by the change, most up first: what is exported follows the grid.
        const int change = column(students, "级排进退");
        QVERIFY(change >= 0);
        w->studentGrid->wide()->sortByColumn(change, Qt::DescendingOrder);
        const Export::Sheet shown = w->printJob().table;
        QCOMPARE(shown.rowCount(), 22);
        const int c = int(shown.headers.indexOf("级排进退"));
        for (int r = 1; r < shown.rowCount(); ++r)
            QVERIFY(shown.rows.at(r - 1).at(c).toDouble() >= shown.rows.at(r).at(c).toDouble());
        QCOMPARE(w->printJob().examName, QString("月考 → 期末"));

        // One class: its students only; 5 in the lists unless ties add more.
        w->classBox->setCurrentIndex(2);
        w->moversBox->setValue(5);
        w->compareButton->click();
        QCOMPARE(students->rowCount(), 10);
        QVERIFY(w->upView->model()->rowCount() >= 1 && w->upView->model()->rowCount() <= 10);
        QCOMPARE(w->tabs->count(), 5);

        // The same examination twice is refused with a message.
        w->beforeBox->setCurrentIndex(2);
        w->compareButton->click();
        QVERIFY(env.messages.last().contains("同一次考试"));

        // The report of class 2 for 期末, saved where the teacher says.
        const QString pdf = env.root() + "/2班.pdf";
        env.messages.files << pdf;
        w->reportButton->click();
        QVERIFY2(QFileInfo(pdf).size() > 0, qPrintable(env.messages.last()));
        QVERIFY(env.messages.last().contains("已把2班的成绩报告写到"));
        // A report is of one class.
        w->classBox->setCurrentIndex(0);
        w->reportButton->click();
        QVERIFY(env.messages.last().contains("请在“范围”中选一个班"));
    }
};

GRADEBOOK_WINDOW_TEST_MAIN(TestProgressWindow)
#include "test_progress_window.moc"
