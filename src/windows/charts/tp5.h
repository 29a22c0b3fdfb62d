#pragma once
// The total-score band pie: the saved band rows the saved total-score
// statistics window has open, merged into the number of slices it asks for
// (the statistics window makes the data and hands it over).

#include "windows/charts/chartform.h"

namespace Reports { struct ChartData; }

class Tp5 : public ChartForm {
    Q_OBJECT
public:
    Tp5();

    // The pie its opener handed over.
    Reports::ChartData chartData() const override;

private:
    void draw(const Reports::ChartData& d) override;
};
