#include "windows/charts/tp.h"

#include "engine/reports/chartdata.h"
#include "windows/app/forms.h"
#include "windows/charts/chartkit.h"
#include "windows/reports/tsearch.h"

#include <QChart>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

Tp::Tp() : ChartForm(QStringLiteral("墨竹饼"), QStringLiteral("分数段饼图"))
{
    resize(820, 580);
    QLineEdit** edits[] = {&Edit1, &Edit2, &Edit3, &Edit4, &Edit5, &Edit6, &Edit7, &Edit8,
                           &Edit9, &Edit10, &Edit11, &Edit12, &Edit13, &Edit14, &Edit15};
    for (int i = 0; i < Reports::kBandPieInputs; ++i) {
        *edits[i] = Ui::edit(QString(), this, QStringLiteral("Edit%1").arg(i + 1));
        (*edits[i])->hide();
    }
    auto* below = new QHBoxLayout;
    below->addStretch(1);
    Button1 = Ui::button("关闭窗口", this, "Button1");
    below->addWidget(Button1);
    root->addLayout(below);
    Ui::connectHandler(Button1, &QPushButton::clicked, this, &Tp::Button1Click);
}

QList<QLineEdit*> Tp::inputs() const
{
    return {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7, Edit8, Edit9, Edit10, Edit11, Edit12, Edit13, Edit14, Edit15};
}

Reports::ChartData Tp::chartData() const
{
    QStringList texts;
    for (QLineEdit* e : inputs())
        texts << e->text();
    const QList<qint64> v = Reports::integersOf(texts, Reports::bandPieFields());
    std::array<qint64, Reports::kBandPieInputs> in{};
    std::copy(v.begin(), v.end(), in.begin());
    return Reports::bandPie(in, Forms::search ? Forms::search->chartTitle() : Reports::ChartTitle{});
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
