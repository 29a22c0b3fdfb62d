#include "windows/charts/tp4.h"

#include "engine/reports/chartdata.h"
#include "windows/charts/chartkit.h"

#include <QBarSet>
#include <QChart>
#include <QHBoxLayout>
#include <QLegend>
#include <QPushButton>
#include <QStackedBarSeries>

Tp4::Tp4() : ChartForm(QStringLiteral("p4"), QStringLiteral("级前400名柱形图"))
{
    resize(820, 560);
    auto* below = new QHBoxLayout;
    below->addStretch(1);
    Button1 = Ui::button("关闭窗口", this, "Button1");
    below->addWidget(Button1);
    root->addLayout(below);
    Ui::connectHandler(Button1, &QPushButton::clicked, this, &Tp4::Button1Click);
}

Reports::ChartData Tp4::chartData() const
{
    return givenData();
}

void Tp4::draw(const Reports::ChartData& d)
{
    QStringList categories;
    QList<double> values;
    for (const Reports::ChartPoint& p : d.points) {
        // Two lines under each bar, so that no label is cut short.
        categories << (p.share.isEmpty() ? p.text : p.text + QStringLiteral("<br>") + p.share);
        values << p.value;
    }
    QChart* c = Charts::makeColouredBars(QString(), categories, values);
    Charts::styleTitle(c, titleHtml(d, true), Charts::cjkFont(19));
    // The legend names every bar on one line.
    if (auto* bars = qobject_cast<QStackedBarSeries*>(c->series().value(0)))
        for (int i = 0; i < bars->count() && i < d.points.size(); ++i)
            bars->barSets().at(i)->setLabel(d.points.at(i).label());
    c->legend()->setAlignment(Qt::AlignRight);
    c->legend()->setFont(Charts::cjkFont(12));
    c->legend()->show();
    setChart(c, d.exam);
}

void Tp4::Button1Click()
{
    close();
}
