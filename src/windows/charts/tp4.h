#pragma once
// Bars of one class in one subject: its size and how many of its students
// stand among the grade's first 100, 200, 300 and 400, from a saved
// analysis row the saved analysis query hands over.

#include "windows/charts/chartform.h"

class QPushButton;
namespace Reports { struct ChartData; }

class Tp4 : public ChartForm {
    Q_OBJECT
public:
    Tp4();

    QPushButton* Button1; // 关闭窗口

    Reports::ChartData chartData() const override;

public slots:
    void Button1Click();

private:
    void draw(const Reports::ChartData& d) override;
};
