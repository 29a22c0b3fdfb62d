#include "windows/charts/chartkit.h"

#include "layout/pdffont.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QFontMetricsF>
#include <QGraphicsPathItem>
#include <QGraphicsSimpleTextItem>
#include <QLineSeries>
#include <QPainter>
#include <QPieSeries>
#include <QPieSlice>
#include <QStackedBarSeries>
#include <QValueAxis>
#include <QtMath>
#include <algorithm>
#include <cmath>

namespace Charts {

QFont cjkFont(int pixelSize, bool bold, const QString &latin)
{
    QFont f;
    QStringList fams;
    if (!latin.isEmpty()) fams << latin;
    fams << Layout::pdfFamily();
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
    constexpr int n = sizeof pal / sizeof *pal;
    if (i < n)
        return pal[i];
    // Beyond the palette: hues a golden angle apart, so neighbours differ.
    return QColor::fromHsv(int((i - n) * 137.508) % 360, 150 + (i % 3) * 40, 170 + (i % 2) * 50);
}

// ---- Key ------------------------------------------------------------------

Key::Key(QGraphicsItem *parent) : QGraphicsItem(parent), m_font(cjkFont(12))
{
    setZValue(20);
}

void Key::setEntries(const QList<Entry> &entries)
{
    prepareGeometryChange();
    m_entries = entries;
    m_rows = 0;
}

void Key::setFont(const QFont &font)
{
    prepareGeometryChange();
    m_font = font;
}

QSizeF Key::fit(qreal height)
{
    prepareGeometryChange();
    const QFontMetricsF fm(m_font);
    m_lineHeight = fm.height() * 1.3;
    const int n = int(m_entries.size());
    if (n == 0) {
        m_rows = 0;
        m_columnWidth = 0;
        return {};
    }
    const int fitRows = std::max(1, int(height / m_lineHeight));
    m_columns = (n + fitRows - 1) / fitRows;
    m_rows = (n + m_columns - 1) / m_columns;
    qreal widest = 0;
    for (const Entry &e : m_entries) widest = std::max(widest, fm.horizontalAdvance(e.text));
    m_columnWidth = m_lineHeight * 1.2 + widest + 10;
    return boundingRect().size();
}

QRectF Key::boundingRect() const
{
    return QRectF(0, 0, m_columns * m_columnWidth, m_rows * m_lineHeight);
}

void Key::paint(QPainter *p, const QStyleOptionGraphicsItem *, QWidget *)
{
    if (m_rows == 0) return;
    p->setFont(m_font);
    const qreal mark = m_lineHeight * 0.55;
    for (int i = 0; i < m_entries.size(); ++i) {
        const Entry &e = m_entries.at(i);
        const qreal x = (i / m_rows) * m_columnWidth;
        const qreal y = (i % m_rows) * m_lineHeight;
        const qreal mid = y + m_lineHeight / 2;
        if (e.line) {
            p->setPen(QPen(e.colour, 2));
            p->drawLine(QPointF(x, mid), QPointF(x + mark * 1.6, mid));
        } else {
            p->setPen(QPen(e.colour.darker(130), 0.5));
            p->setBrush(e.colour);
            p->drawRect(QRectF(x, mid - mark / 2, mark, mark));
        }
        p->setPen(Qt::black);
        p->drawText(QRectF(x + m_lineHeight * 1.2, y, m_columnWidth, m_lineHeight),
                    Qt::AlignLeft | Qt::AlignVCenter, e.text);
    }
}

// ---- Pies -----------------------------------------------------------------

// Rotates the pie so that the longest (circular) run of small slices is centred
// on 3 o'clock, where their labels stack vertically instead of side by side.
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

PieChart::PieChart(const QList<Slice> &slices, qreal smallShare)
{
    m_series = new QPieSeries;
    QList<Key::Entry> entries;
    for (int i = 0; i < slices.size(); ++i) {
        QPieSlice *sl = m_series->append(slices[i].label, slices[i].value);
        const QColor colour = slices[i].colour.isValid() ? slices[i].colour : paletteColour(i);
        sl->setColor(colour);
        sl->setBorderColor(Qt::white);
        sl->setLabelVisible(false);   // named by the chart's own labels
        entries.append({slices[i].label, colour});
        auto *label = new QGraphicsSimpleTextItem(slices[i].label, this);
        label->setZValue(10);
        label->setVisible(false);
        m_labels.append(label);
        auto *leader = new QGraphicsPathItem(this);
        leader->setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
        leader->setZValue(9);
        leader->setVisible(false);
        m_leaders.append(leader);
    }
    const qreal start = startAngleForSmallSlices(slices, smallShare);
    m_series->setPieStartAngle(start);
    m_series->setPieEndAngle(start + 360);
    addSeries(m_series);
    legend()->hide();
    m_key = new Key(this);
    m_key->setEntries(entries);
    connect(this, &QChart::plotAreaChanged, this, &PieChart::placeLabels);
    connect(this, &QGraphicsWidget::geometryChanged, this, &PieChart::placeKey);
}

void PieChart::placeKey()
{
    if (m_placing) return;
    m_placing = true;
    const QSizeF size = this->size();
    const qreal top = std::max<qreal>(40, size.height() * 0.12);
    const QSizeF k = m_key->fit(std::max<qreal>(60, size.height() - top - 16));
    const QMargins want(12, 12, int(k.width()) + 24, 12);
    if (margins() != want) setMargins(want);
    m_key->setPos(size.width() - k.width() - 12, std::max(top, (size.height() - k.height()) / 2));
    m_placing = false;
}

namespace {

// A slice's label: the side of the pie it stacks on, the angle of the middle
// of its slice, the height it would sit at beside that middle, and the
// slice's value.
struct PieLabel { int index; bool right; qreal mid; qreal want; qreal value; };

// The pie's centre and radius, a label's line height and the plot's top and
// bottom, which the two stacks of labels stay within.
struct Stacking { QPointF c; qreal radius; qreal h; qreal lo; qreal hi; };

QList<PieLabel> labelsOnSide(const QList<PieLabel> &items, bool right)
{
    QList<PieLabel> side;
    for (const PieLabel &it : items) if (it.right == right) side.append(it);
    return side;
}

// As large as leaves the widest label room beside the pie, but never so
// small that the pie is lost.
qreal pieRadius(const QList<QPieSlice *> &slices, const QRectF &plot, const QFontMetricsF &fm, qreal h)
{
    qreal widest = 0;
    for (int i = 0; i < slices.size(); ++i)
        if (slices[i]->value() > 0) widest = std::max(widest, fm.horizontalAdvance(slices[i]->label()));
    return std::clamp(std::min(plot.height() / 2 - h, plot.width() / 2 - widest - 34),
                      std::min<qreal>(40, plot.height() / 3), plot.height() / 2 * 0.9);
}

QList<PieLabel> sliceLabels(const QList<QPieSlice *> &slices, const Stacking &g)
{
    QList<PieLabel> items;
    for (int i = 0; i < slices.size(); ++i) {
        if (slices[i]->value() <= 0) continue;
        const qreal mid = qDegreesToRadians(slices[i]->startAngle() + slices[i]->angleSpan() / 2);
        items.append({i, std::sin(mid) >= 0, mid, g.c.y() - (g.radius + 12) * std::cos(mid) - g.h / 2, slices[i]->value()});
    }
    return items;
}

bool stacksFit(const QList<PieLabel> &items, const Stacking &g)
{
    bool fits = true;
    for (bool right : {true, false}) {
        int n = 0;
        for (const PieLabel &it : items) n += it.right == right;
        if (n * g.h > g.hi - g.lo) fits = false;
    }
    return fits;
}

// Too many for one stack even at the smallest size: drop the smallest.
void dropSmallest(QList<PieLabel> &items, const Stacking &g)
{
    for (bool right : {true, false}) {
        QList<PieLabel> side = labelsOnSide(items, right);
        std::stable_sort(side.begin(), side.end(), [](const PieLabel &a, const PieLabel &b) { return a.value > b.value; });
        const int room = int((g.hi - g.lo) / g.h);
        for (int k = room; k < side.size(); ++k)
            items.erase(std::remove_if(items.begin(), items.end(), [&](const PieLabel &it) { return it.index == side[k].index; }),
                        items.end());
    }
}

// Each label as near its slice as the one above it allows; a stack that runs
// off the bottom is pushed back up from there.
QList<qreal> stackTops(const QList<PieLabel> &side, const Stacking &g)
{
    QList<qreal> y;
    for (const PieLabel &it : side) y.append(std::clamp(it.want, g.lo, g.hi - g.h));
    for (int k = 1; k < y.size(); ++k) y[k] = std::max(y[k], y[k - 1] + g.h);
    if (!y.isEmpty() && y.last() > g.hi - g.h) {
        y.last() = g.hi - g.h;
        for (int k = int(y.size()) - 2; k >= 0; --k) y[k] = std::min(y[k], y[k + 1] - g.h);
    }
    return y;
}

// One side's labels beside the pie, each joined to the rim of its slice by a
// line with an elbow.
void placeStack(QList<PieLabel> side, bool right, const Stacking &g, const QFont &font,
                const QList<QGraphicsSimpleTextItem *> &labels, const QList<QGraphicsPathItem *> &leaders)
{
    const QFontMetricsF fm(font);
    std::sort(side.begin(), side.end(), [](const PieLabel &a, const PieLabel &b) { return a.want < b.want; });
    const QList<qreal> y = stackTops(side, g);
    for (int k = 0; k < side.size(); ++k) {
        const PieLabel &it = side[k];
        QGraphicsSimpleTextItem *label = labels[it.index];
        label->setFont(font);
        const qreal w = fm.horizontalAdvance(label->text());
        const qreal x = right ? g.c.x() + g.radius + 26 : g.c.x() - g.radius - 26 - w;
        label->setPos(x, y[k]);
        label->setVisible(true);
        const QPointF rim(g.c.x() + g.radius * std::sin(it.mid), g.c.y() - g.radius * std::cos(it.mid));
        const QPointF elbow(g.c.x() + (g.radius + 10) * std::sin(it.mid), g.c.y() - (g.radius + 10) * std::cos(it.mid));
        const QPointF end(right ? x - 3 : x + w + 3, y[k] + g.h / 2);
        QPainterPath path(rim);
        path.lineTo(elbow);
        path.lineTo(end);
        leaders[it.index]->setPath(path);
        leaders[it.index]->setVisible(true);
    }
}

} // namespace

void PieChart::placeLabels()
{
    const QRectF plot = plotArea();
    if (plot.width() < 40 || plot.height() < 40) return;
    const QList<QPieSlice *> slices = m_series->slices();

    // The largest labels that still leave the pie a useful size and stack on
    // each side; when even the smallest do not all fit, the smallest slices
    // keep their names in the key only.
    for (int px : {12, 11, 10, 9}) {
        const QFont font = cjkFont(px);
        const QFontMetricsF fm(font);
        const qreal h = fm.height() + 2;
        const Stacking g{plot.center(), pieRadius(slices, plot, fm, h), h, plot.top(), plot.bottom()};
        QList<PieLabel> items = sliceLabels(slices, g);
        if (!stacksFit(items, g) && px > 9) continue;
        dropSmallest(items, g);
        m_series->setPieSize(2 * g.radius / std::min(plot.width(), plot.height()));
        for (int i = 0; i < m_labels.size(); ++i) {
            m_labels[i]->setVisible(false);
            m_leaders[i]->setVisible(false);
        }
        for (bool right : {true, false})
            placeStack(labelsOnSide(items, right), right, g, font, m_labels, m_leaders);
        return;
    }
}

PieChart *makeBandPie(const QString &title, const QList<Slice> &bands)
{
    auto *c = new PieChart(bands, 0.08);
    styleTitle(c, title, cjkFont(18, true));
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

// ---- Labels beside points ---------------------------------------------------

void placeBeside(const QList<Placement> &labels, const QRectF &plot, const QList<QPointF> &points, qreal gap)
{
    QList<QRectF> taken;
    for (const QPointF &p : points) taken.append(QRectF(p - QPointF(5, 5), QSizeF(10, 10)));
    for (const Placement &l : labels) {
        const QRectF br = l.item->boundingRect();
        const qreal h = br.height();
        qreal offsets[] = {-h - gap, gap, -2 * h - gap, h + gap, -3 * h - gap, 2 * h + gap};
        if (!l.preferUp)
            for (int k = 0; k + 1 < 6; k += 2) std::swap(offsets[k], offsets[k + 1]);
        // Inside the plot only: a label never covers an axis's numbers.
        const qreal x = std::clamp(l.anchor.x() - br.width() / 2, plot.left() + 1,
                                   std::max(plot.left() + 1, plot.right() - br.width() - 1));
        QRectF chosen;
        for (qreal dy : offsets) {
            const QRectF r(x, l.anchor.y() + dy, br.width(), h);
            if (!plot.contains(r)) continue;
            bool clash = false;
            for (const QRectF &t : taken) if (t.intersects(r)) { clash = true; break; }
            if (!clash) { chosen = r; break; }
        }
        if (chosen.isNull()) {
            l.item->setVisible(false);   // fewer labels, never a pile
            continue;
        }
        l.item->setPos(chosen.topLeft());
        l.item->setVisible(true);
        taken.append(chosen);
    }
}

NamedPointChart::NamedPointChart()
{
    m_key = new Key(this);
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

void NamedPointChart::placeLabels()
{
    const QRectF plot = plotArea();
    if (plot.isEmpty()) return;
    QList<QPointF> points;
    QList<Placement> labels;
    for (const Entry &e : m_entries) {
        if (e.series->attachedAxes().size() != 2) continue;
        const QPointF p = mapToPosition(e.series->at(e.index), e.series);
        points.append(p);
        // Prefer the side away from the other series' points at this x.
        qreal others = 0; int nOthers = 0;
        for (const Entry &o : m_entries)
            if (o.index == e.index && o.series != e.series) {
                others += mapToPosition(o.series->at(o.index), o.series).y();
                ++nOthers;
            }
        labels.append({p, e.item, nOthers == 0 || p.y() <= others / nOthers});
    }
    placeBeside(labels, plot, points);
    // The key sits above the plot, at its left.
    const QSizeF k = m_key->fit(1000);
    m_key->setPos(plot.left() + 4, std::max<qreal>(2, plot.top() - k.height() - 4));
}

NamedPointChart *makeNamedLineChart(const QString &title, const QList<NamedPoint> &a,
                                    const QList<NamedPoint> &b, const QColor &colourA,
                                    const QColor &colourB, const QString &nameA, const QString &nameB)
{
    auto *c = new NamedPointChart;
    styleTitle(c, title, cjkFont(18, true));
    QLineSeries *sa = c->addNamedSeries(nameA.isEmpty() ? QStringLiteral("a") : nameA, a, colourA);
    QLineSeries *sb = c->addNamedSeries(nameB.isEmpty() ? QStringLiteral("b") : nameB, b, colourB);
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
    // The key names both curves at the left, where a 4600-pixel chart's own
    // legend (centred) would be off screen.
    c->legend()->hide();
    QList<Key::Entry> entries;
    if (!nameA.isEmpty()) entries.append({nameA, colourA, true});
    if (!nameB.isEmpty()) entries.append({nameB, colourB, true});
    c->key()->setEntries(entries);
    c->setMargins(QMargins(4, entries.isEmpty() ? 4 : 28, 4, 4));
    return c;
}

} // namespace Charts
