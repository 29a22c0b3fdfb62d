#include "windows/charts/tp5.h"

#include "engine/reports/chartdata.h"
#include "windows/charts/chartkit.h"

#include <QChart>

Tp5::Tp5() : ChartForm(QStringLiteral("p5"), QStringLiteral("总分分段饼图"))
{
    resize(900, 620);
}

Reports::ChartData Tp5::chartData() const
{
    return givenData();
}

void Tp5::draw(const Reports::ChartData& d)
{
    QList<Charts::Slice> slices;
    for (const Reports::ChartPoint& p : d.points)
        slices << Charts::Slice{p.label(), p.value, p.rest ? Charts::kRestColour : QColor()};
    QChart* c = new Charts::PieChart(slices, 0.05);
    Charts::styleTitle(c, titleHtml(d, false), Charts::cjkFont(21, true, QStringLiteral("Arial")));
    setChart(c, d.exam);
}

