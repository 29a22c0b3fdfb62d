#pragma once
// The score-band pie of one class in one subject, from a saved analysis row
// the saved analysis query hands over.

#include "windows/charts/chartform.h"

class QPushButton;
namespace Reports { struct ChartData; }

class Tp : public ChartForm {
    Q_OBJECT
public:
    Tp();

    QPushButton* Button1; // 关闭窗口

    // The chart its opener handed over.
    Reports::ChartData chartData() const override;

public slots:
    void Button1Click();

private:
    void draw(const Reports::ChartData& d) override;
};
