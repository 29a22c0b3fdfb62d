#pragma once
// The class ranking by rate: one class and subject across the saved analysis
// rows, the class's place among the grade's classes by one rate, examination
// by examination in the order they were held: the record of the class's
// subject teacher.

#include "windows/app/form.h"
#include "windows/app/printing.h"

class QChartView;
class QComboBox;
class QLabel;
class QLineEdit;
class QLineSeries;
class QPushButton;
class QTableView;
namespace Charts { class TrendChart; }
namespace Db { class GridModel; }

class Tjiaoshigz : public Form, public Print::Printable {
    Q_OBJECT
public:
    Tjiaoshigz();

    QLabel* Label1;
    QLineEdit* Edit2; // class
    QLabel* Label2;
    QComboBox* c2;    // subject
    QComboBox* c1;    // the rank plotted
    QLabel* Label3;
    QPushButton* Button2;
    QChartView* Chart1;
    Charts::TrendChart* trend; // the chart of Chart1
    QLineSeries* Series1;      // its line
    QTableView* DBGrid2;
    Db::GridModel* Query1; // read only

    Print::Job printJob() const override;

public slots:
    void Button2Click();

private:
    QString m_subject; // "2班语文": what the last drawing showed
};
