#include "windows/charts/tp5.h"

#include "engine/db/database.h"
#include "engine/db/gridmodel.h"
#include "engine/reports/chartdata.h"
#include "engine/reports/savedtables.h"
#include "windows/app/forms.h"
#include "windows/charts/chartkit.h"
#include "windows/reports/tstjf.h"

#include <QCheckBox>
#include <QChart>
#include <QComboBox>
#include <QLineEdit>

Tp5::Tp5() : ChartForm(QStringLiteral("p5"), QStringLiteral("总分分段饼图"))
{
    resize(900, 620);
}

Reports::ChartData Tp5::chartData() const
{
    if (!Forms::stjf)
        throw Db::InputError(QStringLiteral("没有打开总分统计表"));
    Reports::TotalPieSettings s;
    s.wholeGrade = Forms::stjf->ch->isChecked();
    s.slices = Ui::intOf(Forms::stjf->duanshu, QStringLiteral("图表段数"));
    s.perSlice = Ui::intOf(Forms::stjf->jiange, QStringLiteral("每一段间隔"));
    if (!s.wholeGrade)
        s.classNumber = Reports::classNumber(Forms::stjf->Edit1->text(), QStringLiteral("我要演示几班的情况"));
    const QString column = Reports::bandCountColumn(s.wholeGrade, s.classNumber);

    const Db::GridModel* q = Forms::stjf->Query1;
    QList<QVariantList> rows;
    for (int r = 0; r < q->rowCount(); ++r) {
        QVariantList row;
        for (const QString& c : q->columnNames())
            row << q->value(r, c);
        rows << row;
    }
    const Reports::BandWalk walk = Reports::bandWalk(q->columnNames(), rows, column);
    if (walk.rows.isEmpty())
        throw Db::InputError(QStringLiteral("没有找到考试名称以“%1”开头的总分分段，画不出饼图").arg(Forms::stjf->c1->currentText()));
    s.classSize = Reports::savedStudentsWithTotal(walk.exam, s.wholeGrade, s.classNumber, Forms::stjf->savedGrades());
    s.restSlice = Forms::stjf->qita->isChecked();
    return Reports::totalPie(walk, s);
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

