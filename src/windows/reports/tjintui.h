#pragma once
// 进退步分析: two saved examinations side by side. Every student matched by
// 学号 with his ranks in both and how far he moved, the students who moved
// up and down most, each class's averages and places in both, and two
// charts: each student's grade rank then against now, and each class's mean
// change of rank. From here also the one-page report of a class.

#include "engine/actions/progress.h"
#include "windows/app/form.h"
#include "windows/app/printing.h"

#include <optional>

class FrozenGrid;
class QChartView;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTableView;
class QVBoxLayout;
class Session;
class SheetModel;

class Tjintui : public Form, public Print::Printable {
    Q_OBJECT
public:
    explicit Tjintui(Session& session);

    QComboBox* beforeBox; // 上次
    QComboBox* afterBox;  // 本次
    QComboBox* classBox;  // 全级, 1班, ...
    QSpinBox* moversBox;  // how many the up and down lists hold
    QPushButton* compareButton;
    QPushButton* reportButton;
    QLabel* status;
    QTabWidget* tabs;
    FrozenGrid* studentGrid;
    QTableView* upView;
    QTableView* downView;
    FrozenGrid* classGrid;
    QTableView* apartView;
    QChartView* rankChart;   // grade rank then against now
    QChartView* changeChart; // mean change per class

    // What the current tab shows, for printing from the main window.
    Print::Job printJob() const override;
    // The comparison shown, when there is one.
    const std::optional<Actions::ProgressRun>& run() const { return m_run; }

public slots:
    void compareClick();
    void reportClick();
    // The lists of saved examinations, read again (the latest two chosen).
    void fillExams();

protected:
    void FormShow() override;

private:
    Session& m_session;
    void buildChoices(QVBoxLayout* root);
    void buildTableTabs();
    void buildChartsTab();
    void enableSorting();
    void addPrintActions();
    void connectHandlers();
    void showResult();
    void drawCharts();
    qint64 chosenClass() const;
    Print::Job gridJob(int sheet) const;

    QList<Progress::ExamId> m_exams;
    std::optional<Actions::ProgressRun> m_run;
    QList<Export::Sheet> m_sheets; // students, up, down, classes, apart
    QList<SheetModel*> m_models;
    bool m_stale = true; // the examination lists need reading
};
