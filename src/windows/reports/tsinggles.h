#pragma once
// The single-student record: one student's saved rows across every saved
// examination (found by a prefix of the name or of the number), in two grids
// that scroll together, and a line of one value over the examinations in the
// order they were held; or the student's rows of one examination.

#include "engine/reports/history.h"
#include "windows/app/form.h"
#include "windows/app/printing.h"

#include <optional>

class FrozenGrid;
class QChartView;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineSeries;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QTimer;
class QVBoxLayout;
class ResultView;
namespace Charts { class TrendChart; }
namespace Db { class GridModel; }

class Tsinggles : public Form, public Print::Printable {
    Q_OBJECT
public:
    Tsinggles();

    QLabel* Label1;
    QCheckBox* cv;     // ticked: edit2 holds a student number
    QComboBox* edit2;  // the student
    QComboBox* ksmc;   // the examination of SpeedButton1
    QComboBox* c1;     // subject
    QFrame* Panel1;
    QRadioButton* a;   // raw score
    QRadioButton* b;   // class rank
    QRadioButton* c;   // grade rank
    QPushButton* Button2;
    QPushButton* SpeedButton1;
    QChartView* Chart1;
    Charts::TrendChart* trend; // the chart of Chart1
    QLineSeries* Series1;      // its line; the markers and values are trend->marks()
    FrozenGrid* grid;
    ResultView* DBGrid1; // 考试名称
    ResultView* DBGrid2; // number, class, name and every mark
    Db::GridModel* Query1; // read only
    // The students a typed beginning names, when it names more than one:
    // the teacher picks one (学号, 班号, 姓名, the examinations he sat).
    QTableWidget* students;
    // The student whose rows and curve are shown.
    std::optional<History::SavedStudent> student;

    // A beginning that names more students than this lists the first ones
    // and says that there are more.
    static constexpr int kListed = 200;

    // Typing into edit2 runs the query this long after the last key.
    static constexpr int kTypingDelayMs = 250;
    QTimer* typing;

    Print::Job printJob() const override;

public slots:
    void Button2Click();
    void SpeedButton1Click();

protected:
    void FormShow() override;

private:
    // The constructor's steps, one per group of controls, in creation order.
    void buildSearchRow(QVBoxLayout* root);
    void buildActionRow(QVBoxLayout* root);
    void buildChart();
    void buildResultGrid();
    void buildStudentList(QVBoxLayout* root);
    void buildSplitter(QVBoxLayout* root);
    void addPrintActions();
    void buildTypingTimer();
    void connectHandlers();

    void showRows(const QColor& colour);
    void listStudents(const History::StudentSearch& found);
    void showStudent();
    void studentPicked();
    QString m_typedText; // what the list was found for
    QList<History::SavedStudent> m_listed;
    bool m_oneExam = false; // the rows shown are of the chosen examination only
};
