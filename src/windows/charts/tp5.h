#pragma once
// The total-score band pie: the saved band rows the saved total-score
// statistics window has open, merged into the number of slices it asks for.

#include "windows/charts/chartform.h"

namespace Reports { struct ChartData; }

class Tp5 : public ChartForm {
    Q_OBJECT
public:
    Tp5();

    // What the opener's open rows and chart settings make; a clear message
    // for a setting that is not a number, a class without a column or a
    // count that is not a number.
    Reports::ChartData chartData() const override;

private:
    void draw(const Reports::ChartData& d) override;
};
