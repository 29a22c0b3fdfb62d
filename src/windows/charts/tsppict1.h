#pragma once
// The class comparison chart: two classes in one examination and subject,
// one curve per class whose points are its students' grade ranks, best
// first (or in student-number order), so that the curves show how each
// class spreads over the grade. Its detail window names every student.

#include "windows/app/form.h"
#include "windows/app/printing.h"

class QChart;
class QChartView;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QLineSeries;
class QPushButton;
class QValueAxis;
class QVBoxLayout;
namespace Charts { class PointAxis; }
namespace Db { class GridModel; }

class Tsppict1 : public Form, public Print::Printable {
    Q_OBJECT
public:
    Tsppict1();

    QGroupBox* GroupBox1;
    QLabel* Label1;
    QLineEdit* Edit2; // first class: the red curve
    QLabel* Label4;
    QLineEdit* Edit3; // second class: the blue curve
    QGroupBox* GroupBox2;
    QComboBox* c1;    // subject
    QComboBox* ksmc;  // examination
    QGroupBox* GroupBox4;
    QPushButton* Button1;
    QPushButton* SpeedButton1;
    QGroupBox* GroupBox3;
    QCheckBox* che2; // in student-number order
    QCheckBox* che3; // also the detail window
    QPushButton* Button2;
    QChartView* Chart1;
    QChart* chart;
    QLineSeries* Series1; // red, small markers
    QLineSeries* Series2; // blue
    Charts::PointAxis* axisX;
    QValueAxis* axisY;
    Db::GridModel* Query1; // the first class's rows
    Db::GridModel* Query2; // the second class's

    Print::Job printJob() const override;

public slots:
    void SpeedButton1Click();
    void Button1Click();
    void Button2Click();

protected:
    void FormShow() override;

private:
    void buildClassGroup(QHBoxLayout* top);
    void buildExamGroup(QHBoxLayout* top);
    void buildDoneGroup(QHBoxLayout* top);
    void buildOptionsGroup(QHBoxLayout* top);
    void buildChart(QVBoxLayout* root);
    void buildQueries();
    void connectHandlers();
    // Both classes' queries, opened; every input checked first.
    void openQueries();
    void draw(bool both);
};
