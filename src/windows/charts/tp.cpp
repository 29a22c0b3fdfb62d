#include "windows/charts/tp.h"

#include "engine/reports/chartdata.h"
#include "windows/charts/chartkit.h"

#include <QChart>
#include <QHBoxLayout>
#include <QPushButton>

Tp::Tp() : ChartForm(QStringLiteral("墨竹饼"), QStringLiteral("分数段饼图"))
{
    resize(820, 580);
    auto* below = new QHBoxLayout;
    below->addStretch(1);
    Button1 = Ui::button("关闭窗口", this, "Button1");
    below->addWidget(Button1);
    root->addLayout(below);
    Ui::connectHandler(Button1, &QPushButton::clicked, this, &Tp::Button1Click);
}

Reports::ChartData Tp::chartData() const
{
    return givenData();
}

void Tp::draw(const Reports::ChartData& d)
{
    QList<Charts::Slice> slices;
    for (const Reports::ChartPoint& p : d.points)
        slices << Charts::Slice{p.label(), p.value, p.rest ? Charts::kRestColour : QColor()};
    QChart* c = Charts::makeBandPie(QString(), slices);
    Charts::styleTitle(c, titleHtml(d, true), Charts::cjkFont(19));
    setChart(c, d.exam);
}

void Tp::Button1Click()
{
    close();
}
