#include "windows/charts/trendchart.h"

#include "engine/rules/numbers.h"
#include "windows/charts/chartkit.h"

#include <QFontMetricsF>
#include <QGraphicsSimpleTextItem>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace Charts {

namespace {

constexpr int kLabelPixels = 11;
constexpr int kMaxUprightChars = 8;

constexpr int kMaxLines = 3;

// A name on lines no wider than `width`, broken preferably after the words
// an examination's name is made of (学年, 学期, 第n次); a name that needs
// more than three lines ends its third with "…".
QString wrapToWidth(const QString& text, const QFont& font, qreal width)
{
    const QFontMetricsF fm(font);
    QStringList lines;
    QString cur;
    int lastBreak = -1; // in cur: the position after a good place to break
    for (QChar ch : text) {
        if (fm.horizontalAdvance(cur + ch) > width && !cur.isEmpty()) {
            const int at = lastBreak > 0 ? lastBreak : int(cur.size());
            lines << cur.left(at);
            cur = cur.mid(at);
            lastBreak = -1;
        }
        cur += ch;
        if (ch == u'年' || ch == u'期' || ch == u'次' || ch == u' ')
            lastBreak = int(cur.size());
    }
    if (!cur.isEmpty())
        lines << cur;
    if (lines.size() > kMaxLines) {
        QString last = lines.at(kMaxLines - 1);
        while (!last.isEmpty() && fm.horizontalAdvance(last + QChar(0x2026)) > width)
            last.chop(1);
        lines = lines.mid(0, kMaxLines - 1) << last + QChar(0x2026);
    }
    for (QString& l : lines)
        l = l.toHtmlEscaped();
    return lines.join(QStringLiteral("<br>"));
}

// Examinations differ at either end (the year, 期中 or 期末): a name too long
// to stand upright loses its middle.
QString elided(const QString& text, const QFont& font)
{
    return QFontMetricsF(font).elidedText(text, Qt::ElideMiddle, kMaxUprightChars * kLabelPixels);
}

} // namespace

PointAxis::PointAxis(QObject* parent) : QCategoryAxis(parent)
{
    setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    setLabelsFont(cjkFont(kLabelPixels));
    setTruncateLabels(false);
    setStartValue(-0.5);
    setRange(-0.5, 0.5);
}

void PointAxis::setPointLabels(const QStringList& labels)
{
    m_labels = labels;
    setRange(-0.5, std::max<qsizetype>(labels.size(), 1) - 0.5);
    const qreal w = m_width;
    m_width = -1;
    fit(w < 0 ? 600 : w);
}

void PointAxis::fit(qreal plotWidth)
{
    if (plotWidth <= 0 || plotWidth == m_width)
        return;
    m_width = plotWidth;
    for (const QString& l : categoriesLabels())
        remove(l);
    m_shown.clear();
    const int n = int(m_labels.size());
    if (n == 0)
        return;
    const qreal perPoint = plotWidth / n;
    const QFontMetricsF fm(labelsFont());
    qreal widest = 0;
    for (const QString& l : m_labels)
        widest = std::max(widest, fm.horizontalAdvance(l));
    // Short names, and few points with room, lie flat (long ones wrapped
    // onto lines); otherwise the names stand upright. Either way every k-th
    // one is shown so that they stay apart.
    const bool shortNames = widest + 6 <= kMinGap;
    const bool flat = shortNames || (n <= 12 && perPoint >= 5 * kLabelPixels);
    setLabelsAngle(flat ? 0 : -90);
    const qreal need = flat ? kMinGap : std::max<qreal>(kMinGap, fm.height() + 4);
    const int step = std::max(1, int(std::ceil(need / perPoint)));
    m_spacing = perPoint * step;
    // Repeated names would be merged by the axis: make every one distinct.
    QStringList texts;
    for (int i = 0; i < n; i += step) {
        texts << (flat ? wrapToWidth(m_labels.at(i), labelsFont(), m_spacing - 6)
                       : elided(m_labels.at(i), labelsFont()).toHtmlEscaped());
        m_shown << i;
    }
    texts = uniqueCategories(texts);
    for (int k = 0; k < texts.size(); ++k)
        append(texts.at(k), m_shown.at(k));
}

TrendChart::TrendChart()
{
    // A line without markers and, on top, a scatter that carries each
    // point's colour and its value: the line's own markers would be painted
    // over its labels.
    m_line = new QLineSeries(this);
    m_marks = new QScatterSeries(this);
    m_marks->setMarkerShape(QScatterSeries::MarkerShapeCircle);
    m_marks->setMarkerSize(10);
    // The series' own point labels outlived a redrawing: values are the
    // chart's own items instead.
    m_marks->setPointLabelsVisible(false);
    addSeries(m_line);
    addSeries(m_marks);
    m_axisX = new PointAxis(this);
    m_axisY = new QValueAxis(this);
    m_axisY->setReverse(true);
    m_axisY->setLabelFormat(QStringLiteral("%d")); // ASCII only
    m_axisY->setLabelsFont(cjkFont(12));
    addAxis(m_axisX, Qt::AlignBottom);
    addAxis(m_axisY, Qt::AlignLeft);
    for (QXYSeries* s : {static_cast<QXYSeries*>(m_line), static_cast<QXYSeries*>(m_marks)}) {
        s->attachAxis(m_axisX);
        s->attachAxis(m_axisY);
    }
    legend()->hide();
    setTitleFont(cjkFont(16, true));
    setTitleBrush(QColor(0, 0, 255));
    connect(this, &QChart::plotAreaChanged, this, [this] { fitLabels(); });
    rebuild();
}

void TrendChart::clearPoints()
{
    m_points.clear();
    rebuild();
}

void TrendChart::setPoints(const QList<TrendPoint>& points)
{
    m_points = points;
    rebuild();
}

void TrendChart::addPoint(const TrendPoint& point)
{
    m_points.append(point);
    rebuild();
}

void TrendChart::setRanks(bool ranks)
{
    m_ranks = ranks;
    QList<double> values;
    for (const TrendPoint& p : m_points)
        values << p.value;
    fitReversedAxis(m_axisY, values, m_ranks);
}

void TrendChart::rebuild()
{
    QList<QPointF> xy;
    QStringList labels;
    QList<double> values;
    for (int i = 0; i < m_points.size(); ++i) {
        xy << QPointF(i, m_points.at(i).value);
        labels << m_points.at(i).label;
        values << m_points.at(i).value;
    }
    m_line->replace(xy);
    m_marks->replace(xy);
    // All colours in one go: one point at a time costs a repaint each.
    QHash<int, QHash<QXYSeries::PointConfiguration, QVariant>> colours;
    for (int i = 0; i < m_points.size(); ++i)
        colours[i][QXYSeries::PointConfiguration::Color] = m_points.at(i).colour;
    m_marks->setPointsConfiguration(colours);
    const QColor c = m_points.isEmpty() ? QColor(Qt::red) : m_points.first().colour;
    QPen pen(c.darker(115));
    pen.setWidth(2);
    m_line->setPen(pen);
    m_marks->setColor(c);
    m_marks->setBorderColor(c.darker(160)); // a pale point still shows on white
    m_axisX->setPointLabels(labels);
    fitReversedAxis(m_axisY, values, m_ranks);
    qDeleteAll(m_values);
    m_values.clear();
    for (const TrendPoint& p : m_points) {
        auto* item = new QGraphicsSimpleTextItem(Num::format(p.value), this);
        item->setFont(cjkFont(12, true));
        item->setZValue(10);
        item->setVisible(false);
        m_values.append(item);
    }
    fitLabels();
}

void TrendChart::fitLabels()
{
    const QRectF plot = plotArea();
    if (plot.width() > 0)
        m_axisX->fit(plot.width());
    if (plot.width() <= 0)
        return;
    // Each value above (or below) its point where it runs into no other
    // value, point or axis; a value without such a place is left out.
    QList<QPointF> at;
    for (int i = 0; i < m_points.size(); ++i)
        at << mapToPosition(QPointF(i, m_points.at(i).value), m_marks);
    QList<Placement> labels;
    for (int i = 0; i < m_values.size() && i < at.size(); ++i) {
        // Above a point that lies below its neighbours, below one above them.
        const qreal before = i > 0 ? at.at(i - 1).y() : at.at(i).y();
        const qreal after = i + 1 < at.size() ? at.at(i + 1).y() : at.at(i).y();
        labels.append({at.at(i), m_values.at(i), at.at(i).y() >= std::min(before, after)});
    }
    placeBeside(labels, plot, at);
}

void fitReversedAxis(QValueAxis* axis, const QList<double>& values, bool fromZero)
{
    double lo = values.isEmpty() ? 1 : *std::min_element(values.begin(), values.end());
    double hi = values.isEmpty() ? 1 : *std::max_element(values.begin(), values.end());
    if (fromZero) {
        // Places count from 1: the axis starts at 0, so the best place is
        // drawn at the top, and leaves room below the worst.
        lo = 0;
        hi = std::max({hi + 1, hi * 1.1, 5.0});
    } else {
        const double pad = std::max(1.0, (hi - lo) * 0.1);
        lo = std::floor(lo - pad);
        hi = std::ceil(hi + pad);
    }
    // Whole-number ticks, at most about eight of them: the labels are
    // integers, and a tick between two integers would repeat one.
    double step = 1;
    for (double base = 1; (hi - lo) / step > 8; base *= 10)
        for (double m : {1.0, 2.0, 5.0})
            if ((hi - lo) / (step = base * m) <= 8)
                break;
    lo = std::floor(lo / step) * step;
    hi = std::ceil(hi / step) * step;
    if (fromZero)
        lo = std::max(lo, 0.0);
    axis->setRange(lo, hi);
    axis->setTickCount(int(std::lround((hi - lo) / step)) + 1);
    axis->setReverse(true);
}

} // namespace Charts
