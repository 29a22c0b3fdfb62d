#include "windows/charts/tsppict2.h"

#include <QChartView>
#include <QLabel>
#include <QLineSeries>
#include <QScrollArea>
#include <QScrollBar>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

const QColor kRed(Qt::red);
const QColor kBlue(Qt::blue);

QList<Charts::NamedPoint> marked(const QList<Charts::NamedPoint>& points)
{
    QList<Charts::NamedPoint> out;
    for (const Charts::NamedPoint& p : points)
        out.append({p.name + ' ' + QString::number(p.y), p.y});
    return out;
}

} // namespace

Tsppict2::Tsppict2() : Form(QStringLiteral("sppict2"))
{
    resize(800, 537);
    auto* root = new QVBoxLayout(this);
    title = Ui::label(QString(), this, "title");
    title->setTextFormat(Qt::RichText);
    title->setFont(Charts::cjkFont(16, true));
    root->addWidget(title);
    Chart2 = new QChartView(this);
    Chart2->setObjectName("Chart2");
    Chart2->setRenderHint(QPainter::Antialiasing);
    Chart2->setFixedSize(kChartWidth, 460);
    scroll = new QScrollArea(this);
    scroll->setObjectName("scroll");
    scroll->setWidget(Chart2);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    root->addWidget(scroll, 1);
    Print::addChartActions(Chart2, this, [this] { return printJob(); });
    rebuild();
}

void Tsppict2::setCurves(const QString& heading, const QString& redName, const QList<Charts::NamedPoint>& red,
                         const QString& blueName, const QList<Charts::NamedPoint>& blue)
{
    m_heading = heading;
    m_redName = redName;
    m_blueName = blueName;
    m_red = red;
    m_blue = blue;
    rebuild();
    scroll->horizontalScrollBar()->setValue(0);
}

void Tsppict2::clearRed()
{
    m_red.clear();
    rebuild();
}

void Tsppict2::rebuild()
{
    QChart* old = Chart2->chart();
    m_chart = Charts::makeNamedLineChart(QString(), marked(m_red), marked(m_blue), kRed, kBlue, m_redName,
                                         m_blue.isEmpty() && m_redName.isEmpty() ? QString() : m_blueName);
    const auto series = m_chart->series();
    LineSeries1 = qobject_cast<QLineSeries*>(series.value(0));
    LineSeries2 = qobject_cast<QLineSeries*>(series.value(1));
    LineSeries1->setMarkerSize(1); // drawn with this radius: a 2-pixel dot
    LineSeries2->setPointsVisible(false);
    // The ranks of a grade reach as far as its size: an axis to 1000 would
    // press a grade of 300 into the top third. Hundreds, up to the worst rank.
    double worst = 0;
    for (const auto* list : {&m_red, &m_blue})
        for (const Charts::NamedPoint& p : *list)
            worst = std::max(worst, p.y);
    if (auto* axis = qobject_cast<QValueAxis*>(m_chart->axes(Qt::Vertical).value(0))) {
        const double top = std::max(100.0, std::ceil((worst + 1) / 100) * 100);
        axis->setRange(0, top);
        axis->setTickCount(int(top / (top > 1000 ? 200 : top > 500 ? 100 : 50)) + 1);
    }
    m_chart->setBackgroundBrush(Qt::white);
    // Room for every name: a class of many students gets a wider chart
    // rather than names on top of each other.
    const qsizetype points = std::max(m_red.size(), m_blue.size());
    Chart2->setFixedSize(std::max<int>(kChartWidth, int(points) * 80), Chart2->height());
    Chart2->setChart(m_chart);
    delete old; // the view lets go of the chart it showed
    // A chart this wide would centre its title off screen: it sits above.
    QString text = m_heading.toHtmlEscaped();
    if (!m_redName.isEmpty())
        text += QStringLiteral("　<span style='color:#ff0000'>●</span> ") + m_redName.toHtmlEscaped();
    if (!m_blueName.isEmpty())
        text += QStringLiteral("　<span style='color:#0000ff'>●</span> ") + m_blueName.toHtmlEscaped();
    title->setText(text);
}

Print::Job Tsppict2::printJob() const
{
    // The heading names the examination, the classes and the subject.
    return {m_heading.isEmpty() ? QStringLiteral("班成绩分布曲线（详细）") : m_heading, QString(), {}, Chart2};
}
