#include "windows/charts/chartform.h"

#include "engine/db/database.h"
#include "engine/reports/chartdata.h"
#include "windows/app/forms.h"

#include <QChart>
#include <QChartView>
#include <QVBoxLayout>

ChartForm::ChartForm(const QString& caption, const QString& printTitle)
    : Form(caption), m_printTitle(printTitle)
{
    setBackground(Qt::white);
    root = new QVBoxLayout(this);
    root->setContentsMargins(6, 6, 6, 6);
    Chart1 = new QChartView(this);
    Chart1->setObjectName("Chart1");
    Chart1->setRenderHint(QPainter::Antialiasing);
    // No zoom and no panning: the chart is looked at, not explored.
    Chart1->setRubberBand(QChartView::NoRubberBand);
    Chart1->setInteractive(false);
    Chart1->setDragMode(QGraphicsView::NoDrag);
    root->addWidget(Chart1, 1);
    Print::addChartActions(Chart1, this, [this] { return printJob(); });
    clearChart();
}

Print::Job ChartForm::printJob() const
{
    return {m_printTitle, m_exam, {}, Chart1};
}

QString ChartForm::titleHtml(const Reports::ChartData& d, bool twoLines)
{
    QString html = d.title.toHtmlEscaped();
    if (!d.note.isEmpty())
        // One line a note: a title line too long for the chart is cut short.
        html += QStringLiteral("<br><span style='font-size:14px; font-weight:normal; color:#b00000'>%1</span>")
                    .arg(d.note.toHtmlEscaped().replace(QStringLiteral("；"), QStringLiteral("；<br>")));
    else if (twoLines)
        html += QStringLiteral("<br>&nbsp;");
    return html;
}

void ChartForm::setChart(QChart* chart, const QString& examName)
{
    QChart* old = Chart1->chart();
    chart->setBackgroundRoundness(0);
    Chart1->setChart(chart);
    delete old;
    m_exam = examName;
}

void ChartForm::clearChart()
{
    setChart(new QChart, QString());
}

void ChartForm::showChart()
{
    const Reports::ChartData d = chartData();
    if (isVisible())
        draw(d);
    Forms::showWindow(this);
}

void ChartForm::showChart(const Reports::ChartData& d)
{
    m_given = std::make_shared<const Reports::ChartData>(d);
    showChart();
}

const Reports::ChartData& ChartForm::givenData() const
{
    if (!m_given)
        throw Db::InputError(QStringLiteral("还没有选定要画的成绩分析表"));
    return *m_given;
}

void ChartForm::FormShow()
{
    clearChart();
    draw(chartData());
}
