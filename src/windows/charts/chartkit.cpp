#include "windows/charts/chartkit.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QGraphicsSimpleTextItem>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPieSeries>
#include <QPieSlice>
#include <QScatterSeries>
#include <QStackedBarSeries>
#include <QValueAxis>
#include <QFontMetricsF>
#include <QtMath>
#include <algorithm>
#include <cmath>

namespace Charts {

QFont cjkFont(int pixelSize, bool bold, const QString &latin)
{
    QFont f;
    QStringList fams;
    if (!latin.isEmpty()) fams << latin;
    fams << QStringLiteral("Noto Sans CJK SC");
    f.setFamilies(fams);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

void styleTitle(QChart *c, const QString &title, const QFont &font)
{
    c->setTitle(title);
    c->setTitleFont(font);
    c->setTitleBrush(QColor(0, 0, 255));
}

// Distinct colours; the default theme palette repeats after 5 colours.
QColor paletteColour(int i)
{
    static const QColor pal[] = {
        {0x41, 0x69, 0xE1}, {0xE5, 0x39, 0x35}, {0x43, 0xA0, 0x47}, {0xFB, 0x8C, 0x00},
        {0x8E, 0x24, 0xAA}, {0x00, 0xAC, 0xC1}, {0x6D, 0x4C, 0x41}, {0xD8, 0x1B, 0x60},
        {0x7C, 0xB3, 0x42}, {0x54, 0x6E, 0x7A}, {0xFF, 0xC1, 0x07}, {0x39, 0x49, 0xAB},
        {0xA1, 0x88, 0x7F}};
    return pal[i % (sizeof pal / sizeof *pal)];
}

static QPieSeries *pieSeries(QChart *c, const QList<Slice> &slices, const QFont &labelFont)
{
    auto *s = new QPieSeries;
    for (int i = 0; i < slices.size(); ++i) {
        QPieSlice *sl = s->append(slices[i].label, slices[i].value);
        sl->setColor(paletteColour(i));
        sl->setLabelFont(labelFont);
        sl->setLabelPosition(QPieSlice::LabelOutside);
        sl->setLabelArmLengthFactor(0.10);
        sl->setLabelVisible(slices[i].value > 0);   // zero slice: no label at all
    }
    s->setPieSize(0.62);   // leave room for the outside labels
    c->addSeries(s);
    // Legend markers exist only after addSeries(); a zero band is still listed.
    c->legend()->setAlignment(Qt::AlignRight);
    c->legend()->setFont(labelFont);
    return s;
}

// Rotates the pie so that the longest (circular) run of small slices is centred
// on 3 o'clock, where outside labels stack vertically instead of side by side.
qreal startAngleForSmallSlices(const QList<Slice> &slices, qreal smallShare)
{
    const int n = int(slices.size());
    qreal total = 0;
    for (const auto &s : slices) total += s.value;
    if (total <= 0 || n == 0) return 0;
    QList<qreal> start(n);
    for (int i = 0; i < n; ++i)
        start[i] = (i ? start[i - 1] + 360.0 * slices[i - 1].value / total : 0);
    auto small = [&](int i) { return slices[i % n].value / total < smallShare; };
    int bestLen = 0, bestFrom = 0;
    for (int from = 0; from < n; ++from) {
        if (!small(from) || small(from + n - 1)) continue;   // runs start after a big slice
        int len = 0;
        while (len < n && small(from + len)) ++len;
        if (len > bestLen) { bestLen = len; bestFrom = from; }
    }
    if (bestLen == 0 || bestLen == n) return 0;
    qreal runSpan = 0;
    for (int k = 0; k < bestLen; ++k) runSpan += 360.0 * slices[(bestFrom + k) % n].value / total;
    const qreal mid = start[bestFrom] + runSpan / 2;
    return 90.0 - mid;   // QPieSeries angles: 0 = 12 o'clock, clockwise
}

// Hides outside labels that would overlap a bigger slice's label. Qt places an
// outside label above a horizontal arm ending at radius*(1+armFactor), on the
// left or right half, so two labels on the same half clash when their arm ends
// are less than one text line apart vertically. Bigger slices win.
void declutterPieLabels(QPieSeries *s, const QRectF &plotArea)
{
    const qreal radius = std::min(plotArea.width(), plotArea.height()) / 2 * s->pieSize();
    QList<QPieSlice *> order = s->slices();
    std::stable_sort(order.begin(), order.end(),
                     [](QPieSlice *a, QPieSlice *b) { return a->value() > b->value(); });
    struct Placed { bool right; qreal y; };
    QList<Placed> placed;
    for (QPieSlice *sl : order) {
        bool show = sl->value() > 0;
        const qreal mid = qDegreesToRadians(sl->startAngle() + sl->angleSpan() / 2);
        const qreal r = radius * (1 + sl->labelArmLengthFactor());
        const Placed me{std::sin(mid) >= 0, -r * std::cos(mid)};
        const qreal lineH = QFontMetricsF(sl->labelFont()).height() + 1;
        for (const Placed &p : placed)
            if (show && p.right == me.right && std::abs(p.y - me.y) < lineH) show = false;
        if (show) placed.append(me);
        sl->setLabelVisible(show);
    }
}

static void finishPie(QChart *c, QPieSeries *s, qreal start)
{
    s->setPieStartAngle(start);
    s->setPieEndAngle(start + 360);
    QObject::connect(c, &QChart::plotAreaChanged, s,
                     [s](const QRectF &r) { declutterPieLabels(s, r); });
}

QChart *makeBandPie(const QString &title, const QList<Slice> &bands)
{
    auto *c = new QChart;
    styleTitle(c, title, cjkFont(18, true));
    QPieSeries *s = pieSeries(c, bands, cjkFont(12));
    finishPie(c, s, startAngleForSmallSlices(bands, 0.08));
    return c;
}

QChart *makeValuePie(const QString &title, const QList<Slice> &slices)
{
    auto *c = new QChart;
    styleTitle(c, title, cjkFont(21, true, QStringLiteral("Arial")));
    QList<Slice> labelled = slices;
    for (auto &s : labelled) s.label += QStringLiteral(" ") + QString::number(s.value);
    QPieSeries *s = pieSeries(c, labelled, cjkFont(12));
    finishPie(c, s, startAngleForSmallSlices(slices, 0.05));
    return c;
}

QChart *makeColouredBars(const QString &title, const QStringList &categories,
                         const QList<double> &values)
{
    auto *c = new QChart;
    styleTitle(c, title, cjkFont(18, true));
    // One set per bar, stacked: set i is zero everywhere except category i, so
    // every bar is full width, centred, and has its own colour.
    auto *series = new QStackedBarSeries;
    double maxV = 0;
    for (int i = 0; i < categories.size(); ++i) {
        auto *set = new QBarSet(categories[i]);
        for (int j = 0; j < categories.size(); ++j) *set << (i == j ? values[i] : 0.0);
        set->setColor(paletteColour(i));
        set->setLabelColor(Qt::black);
        set->setLabelFont(cjkFont(12));
        series->append(set);
        maxV = std::max(maxV, values[i]);
    }
    series->setBarWidth(0.6);
    series->setLabelsVisible(true);
    series->setLabelsPosition(QAbstractBarSeries::LabelsInsideEnd);
    c->addSeries(series);
    auto *ax = new QBarCategoryAxis;
    ax->append(categories);
    ax->setLabelsFont(cjkFont(12));
    auto *ay = new QValueAxis;
    ay->setRange(0, maxV * 1.1);
    ay->applyNiceNumbers();
    ay->setLabelFormat(QStringLiteral("%d"));   // ASCII only: format goes through asprintf
    ay->setLabelsFont(cjkFont(12));
    c->addAxis(ax, Qt::AlignBottom);
    c->addAxis(ay, Qt::AlignLeft);
    series->attachAxis(ax);
    series->attachAxis(ay);
    c->legend()->hide();
    return c;
}

QString wrapForAxis(const QString &text, int maxChars)
{
    // Break after 年/期 (natural exam-name boundaries) once a line has >= 3
    // characters, and hard-wrap at maxChars. Axis labels are HTML, so <br>.
    QStringList lines;
    QString cur;
    for (QChar ch : text) {
        cur += ch;
        const bool soft = (ch == QChar(u'年') || ch == QChar(u'期')) && cur.size() >= 3;
        if (soft || cur.size() >= maxChars) { lines << cur; cur.clear(); }
    }
    if (!cur.isEmpty()) lines << cur;
    return lines.join(QStringLiteral("<br>"));
}

QStringList uniqueCategories(const QStringList &labels)
{
    // QBarCategoryAxis/QCategoryAxis silently drop duplicate labels; make
    // repeats distinct with invisible zero-width spaces.
    QStringList out;
    for (const QString &l : labels) {
        QString u = l;
        while (out.contains(u)) u += QChar(0x200B);
        out << u;
    }
    return out;
}

QChart *makeRankTrend(const QString &title, const QStringList &exams,
                      const QList<double> &ranks, const QList<QColor> &pointColours)
{
    auto *c = new QChart;
    styleTitle(c, title, cjkFont(18, true));
    // Line without markers + scatter on top for markers and value labels: the
    // line series' own markers (6.4) are painted over its point labels.
    auto *line = new QLineSeries;
    auto *dots = new QScatterSeries;
    double lo = ranks.isEmpty() ? 1 : ranks.first(), hi = lo;
    for (int i = 0; i < ranks.size(); ++i) {
        line->append(i, ranks[i]);
        dots->append(i, ranks[i]);
        lo = std::min(lo, ranks[i]);
        hi = std::max(hi, ranks[i]);
    }
    line->setColor(QColor(0x41, 0x69, 0xE1));
    dots->setMarkerShape(QScatterSeries::MarkerShapeCircle);
    dots->setMarkerSize(11);
    dots->setBorderColor(Qt::white);
    dots->setPointLabelsVisible(true);
    dots->setPointLabelsFormat(QStringLiteral("@yPoint"));
    dots->setPointLabelsFont(cjkFont(12, true));
    dots->setPointLabelsColor(Qt::black);
    dots->setPointLabelsClipping(false);
    for (int i = 0; i < pointColours.size() && i < ranks.size(); ++i)
        dots->setPointConfiguration(i, QXYSeries::PointConfiguration::Color, pointColours[i]);
    c->addSeries(line);
    c->addSeries(dots);

    auto *ax = new QBarCategoryAxis;   // categories map to x = 0,1,2,...
    QStringList cats;
    if (exams.size() <= 12) {          // few exams: horizontal, wrapped onto lines
        for (const QString &e : exams) cats << wrapForAxis(e, 6);
    } else {                           // many: vertical text (no edge clipping)
        cats = exams;
        ax->setLabelsAngle(-90);
    }
    ax->append(uniqueCategories(cats));
    ax->setTruncateLabels(false);      // 6.2+: otherwise cut to width/count
    ax->setLabelsFont(cjkFont(11));
    auto *ay = new QValueAxis;
    ay->setRange(std::max(0.0, std::floor(lo) - 1), std::ceil(hi) + 1);
    ay->applyNiceNumbers();
    ay->setReverse(true);              // rank 1 on top
    ay->setLabelFormat(QStringLiteral("%d"));
    ay->setLabelsFont(cjkFont(12));
    c->addAxis(ax, Qt::AlignBottom);
    c->addAxis(ay, Qt::AlignLeft);
    for (QXYSeries *s : {static_cast<QXYSeries *>(line), static_cast<QXYSeries *>(dots)}) {
        s->attachAxis(ax);
        s->attachAxis(ay);
    }
    c->legend()->hide();
    return c;
}

NamedPointChart::NamedPointChart()
{
    connect(this, &QChart::plotAreaChanged, this, &NamedPointChart::placeLabels);
}

QLineSeries *NamedPointChart::addNamedSeries(const QString &name, const QList<NamedPoint> &pts,
                                             const QColor &colour)
{
    auto *s = new QLineSeries;
    s->setName(name);
    s->setColor(colour);
    s->setPointsVisible(true);
    s->setMarkerSize(4);   // 6.4 line markers: drawn with RADIUS = markerSize
    for (int i = 0; i < pts.size(); ++i) {
        s->append(i + 1, pts[i].y);
        auto *item = new QGraphicsSimpleTextItem(pts[i].name, this);
        item->setFont(cjkFont(12));
        item->setBrush(colour.darker(130));
        item->setZValue(10);
        m_entries.append({s, i, item});
        m_items.append(item);
    }
    addSeries(s);
    return s;
}

// Greedy placement: try above, below, then further out; keep the first spot
// that overlaps no label placed so far and no other point marker.
void NamedPointChart::placeLabels()
{
    const QRectF plot = plotArea();
    if (plot.isEmpty()) return;
    QList<QRectF> taken;
    for (const Entry &e : m_entries)
        if (e.series->attachedAxes().size() == 2) {
            const QPointF p = mapToPosition(e.series->at(e.index), e.series);
            taken.append(QRectF(p - QPointF(5, 5), QSizeF(10, 10)));
        }
    for (const Entry &e : m_entries) {
        if (e.series->attachedAxes().size() != 2) continue;
        const QPointF p = mapToPosition(e.series->at(e.index), e.series);
        const QRectF br = e.item->boundingRect();
        const qreal h = br.height();
        // Prefer the side away from the other series' points at this x.
        qreal others = 0; int nOthers = 0;
        for (const Entry &o : m_entries)
            if (o.index == e.index && o.series != e.series) {
                others += mapToPosition(o.series->at(o.index), o.series).y();
                ++nOthers;
            }
        const bool upFirst = nOthers == 0 || p.y() <= others / nOthers;
        const qreal g = 6;   // clears the marker box (radius 5)
        qreal offsets[] = {-h - g, g, -2 * h - g, h + g, -3 * h - g, 2 * h + g};
        if (!upFirst)
            for (int k = 0; k + 1 < 6; k += 2) std::swap(offsets[k], offsets[k + 1]);
        QRectF chosen;
        for (qreal dy : offsets) {
            QRectF r(p.x() - br.width() / 2, p.y() + dy, br.width(), h);
            if (!plot.adjusted(0, -h, 0, h).contains(r)) continue;
            bool clash = false;
            for (const QRectF &t : taken) if (t.intersects(r)) { clash = true; break; }
            if (!clash) { chosen = r; break; }
        }
        if (chosen.isNull())   // everything taken: fall back to "above"
            chosen = QRectF(p.x() - br.width() / 2, p.y() - h - 6, br.width(), h);
        e.item->setPos(chosen.topLeft());
        taken.append(chosen);
    }
}

NamedPointChart *makeNamedLineChart(const QString &title, const QList<NamedPoint> &a,
                                    const QList<NamedPoint> &b, const QColor &colourA,
                                    const QColor &colourB)
{
    auto *c = new NamedPointChart;
    styleTitle(c, title, cjkFont(18, true));
    QLineSeries *sa = c->addNamedSeries(QStringLiteral("a"), a, colourA);
    QLineSeries *sb = c->addNamedSeries(QStringLiteral("b"), b, colourB);
    auto *ax = new QValueAxis;
    ax->setRange(0, std::max(a.size(), b.size()) + 1);
    ax->setTickCount(int(std::max(a.size(), b.size())) + 2);
    ax->setLabelFormat(QStringLiteral("%d"));
    auto *ay = new QValueAxis;
    ay->setRange(0, 1000);
    ay->setReverse(true);
    ay->setTickCount(11);
    ay->setLabelFormat(QStringLiteral("%d"));
    c->addAxis(ax, Qt::AlignBottom);
    c->addAxis(ay, Qt::AlignLeft);
    for (QLineSeries *s : {sa, sb}) { s->attachAxis(ax); s->attachAxis(ay); }
    c->legend()->hide();   // a 4600px chart centres its legend off-screen
    c->setMargins(QMargins(4, 4, 4, 4));
    return c;
}


} // namespace Charts
