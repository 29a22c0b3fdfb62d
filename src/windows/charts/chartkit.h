#pragma once
// The building blocks every chart window shares: Chinese fonts that stay
// Chinese on screen and searchable in a PDF, a palette that does not repeat,
// pies that name every slice beside it with a key listing every slice,
// one-colour-per-bar charts, keys naming each series, and wide charts whose
// points carry names that never pile up.
#include <QChart>
#include <QChartView>
#include <QColor>
#include <QFont>
#include <QGraphicsItem>
#include <QList>
#include <QString>
#include <QStringList>

class QGraphicsPathItem;
class QGraphicsSimpleTextItem;
class QLineSeries;
class QPieSeries;

namespace Charts {

// A font whose Chinese characters are drawn with a Simplified Chinese face
// that a PDF reader gives back as written (Layout::pdfFamily), after a Latin
// family when one is named.
QFont cjkFont(int pixelSize, bool bold = false, const QString &latin = {});

// A slice; without a colour it takes the palette's colour of its place.
struct Slice { QString label; double value; QColor colour = {}; };
// The grey of a slice that holds everyone else (其余, 其他).
inline const QColor kRestColour{0xB0, 0xB0, 0xB0};

// A key: a coloured mark and a text per entry, in as many columns as the
// height it is given needs. Painted as text, so a PDF of the chart keeps it.
class Key : public QGraphicsItem {
public:
    struct Entry { QString text; QColor colour; bool line = false; };
    explicit Key(QGraphicsItem *parent = nullptr);
    void setEntries(const QList<Entry> &entries);
    const QList<Entry> &entries() const { return m_entries; }
    void setFont(const QFont &font);
    // Lays the entries out within this height; the size taken.
    QSizeF fit(qreal height);
    int columns() const { return m_columns; }
    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *) override;
private:
    QList<Entry> m_entries;
    QFont m_font;
    int m_columns = 1;
    int m_rows = 0;
    qreal m_columnWidth = 0;
    qreal m_lineHeight = 0;
};

// A pie whose every slice with students is named beside it (outside, in two
// stacks joined to their slices by lines, never on top of each other) and
// listed in a key at the right, zero slices included.
class PieChart : public QChart {
    Q_OBJECT
public:
    PieChart(const QList<Slice> &slices, qreal smallShare);
    QPieSeries *pie() const { return m_series; }
    Key *key() const { return m_key; }
    // One label per slice (hidden for an empty slice).
    const QList<QGraphicsSimpleTextItem *> &labelItems() const { return m_labels; }
    void placeLabels(); // public so tests can force a relayout
private:
    void placeKey();
    QPieSeries *m_series;
    Key *m_key;
    QList<QGraphicsSimpleTextItem *> m_labels;
    QList<QGraphicsPathItem *> m_leaders;
    bool m_placing = false;
};

// A pie of bands ("* 110-120占7%").
PieChart *makeBandPie(const QString &title, const QList<Slice> &bands);
// Pie rotation that puts the longest run of small slices at 3 o'clock (exposed for tests).
qreal startAngleForSmallSlices(const QList<Slice> &slices, qreal smallShare);

// One bar per category, each its own colour.
QChart *makeColouredBars(const QString &title, const QStringList &categories,
                         const QList<double> &values);
// Axis labels made unique (an axis merges repeated ones).
QStringList uniqueCategories(const QStringList &labels);

// Text items placed beside points: above, below or further out, inside the
// plot area only (never over an axis), never over another label or a point;
// a label with no free place is left out rather than piled up.
struct Placement { QPointF anchor; QGraphicsSimpleTextItem *item; bool preferUp = true; };
void placeBeside(const QList<Placement> &labels, const QRectF &plot, const QList<QPointF> &points, qreal gap = 6);

// Line series whose points carry names, placed so that no two names overlap
// and placed again whenever the plot area changes; a key names the series.
struct NamedPoint { QString name; double y; };
class NamedPointChart : public QChart {
    Q_OBJECT
public:
    NamedPointChart();
    QLineSeries *addNamedSeries(const QString &name, const QList<NamedPoint> &pts,
                                const QColor &colour);
    QList<QGraphicsSimpleTextItem *> nameItems() const { return m_items; }
    Key *key() const { return m_key; }
    void placeLabels();   // public so tests can force a relayout
private:
    struct Entry { QLineSeries *series; int index; QGraphicsSimpleTextItem *item; };
    QList<Entry> m_entries;
    QList<QGraphicsSimpleTextItem *> m_items;
    Key *m_key;
};
// The wide chart of two such series over a reversed 0..1000 axis.
NamedPointChart *makeNamedLineChart(const QString &title,
                                    const QList<NamedPoint> &a,
                                    const QList<NamedPoint> &b,
                                    const QColor &colourA = QColor(0xE5, 0x39, 0x35),
                                    const QColor &colourB = QColor(0x41, 0x69, 0xE1),
                                    const QString &nameA = {}, const QString &nameB = {});
// The palette's colour i and the blue of every chart title.
QColor paletteColour(int i);
void styleTitle(QChart *c, const QString &title, const QFont &font);

} // namespace Charts
