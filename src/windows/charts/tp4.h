#pragma once
// Bars of one class in one subject: its size and how many of its students
// stand among the grade's first 100, 200, 300 and 400, from a saved
// analysis row the saved analysis query hands over in hidden inputs.

#include "windows/charts/chartform.h"

#include <QList>

class QLineEdit;
class QPushButton;
namespace Reports { struct ChartData; }

class Tp4 : public ChartForm {
    Q_OBJECT
public:
    Tp4();

    // Hidden inputs: the counts within the first 100, 200, 300 and 400
    // places, the count after place 400, the class size.
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4, *Edit5, *Edit6;
    QPushButton* Button1; // 关闭窗口

    QList<QLineEdit*> inputs() const;
    Reports::ChartData chartData() const override;

public slots:
    void Button1Click();

private:
    void draw(const Reports::ChartData& d) override;
};
