#pragma once
// The building blocks every chart window shares: Chinese fonts that stay
// Chinese, a palette that does not repeat, pies whose labels do not pile up,
// one-colour-per-bar charts, trend lines over examinations with readable
// names on the axis, and wide charts whose points carry names.
#include <QChart>
#include <QChartView>
#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>

class QGraphicsSimpleTextItem;
class QLineSeries;
class QPieSeries;

namespace Charts {

// A font whose Chinese characters are drawn with the Simplified Chinese face
// (naming a Latin family alone gives the Japanese forms of the fallback).
QFont cjkFont(int pixelSize, bool bold = false, const QString &latin = {});

struct Slice { QString label; double value; };

// A pie of bands ("* 110-120占7%"): labels outside, zero slices unlabelled,
// every band in the legend on the right.
QChart *makeBandPie(const QString &title, const QList<Slice> &bands);
// A pie whose labels carry their value after the text ("从100到119占 37").
QChart *makeValuePie(const QString &title, const QList<Slice> &slices);
// Pie label de-cluttering (exposed for tests).
qreal startAngleForSmallSlices(const QList<Slice> &slices, qreal smallShare);
void declutterPieLabels(QPieSeries *s, const QRectF &plotArea);

// One bar per category, each its own colour.
QChart *makeColouredBars(const QString &title, const QStringList &categories,
                         const QList<double> &values);
// Axis-label helpers: wrap a long exam name with <br>, make labels unique.
QString wrapForAxis(const QString &text, int maxChars);
QStringList uniqueCategories(const QStringList &labels);

// A trend over examinations: reversed vertical axis (place 1 on top), a
// coloured marker and its value above every point, the names below.
QChart *makeRankTrend(const QString &title, const QStringList &exams,
                      const QList<double> &values, const QList<QColor> &pointColours);

// Line series whose points carry names, placed so that no two names overlap
// and placed again whenever the plot area changes.
struct NamedPoint { QString name; double y; };
class NamedPointChart : public QChart {
    Q_OBJECT
public:
    NamedPointChart();
    QLineSeries *addNamedSeries(const QString &name, const QList<NamedPoint> &pts,
                                const QColor &colour);
    QList<QGraphicsSimpleTextItem *> nameItems() const { return m_items; }
    void placeLabels();   // public so tests can force a relayout
private:
    struct Entry { QLineSeries *series; int index; QGraphicsSimpleTextItem *item; };
    QList<Entry> m_entries;
    QList<QGraphicsSimpleTextItem *> m_items;
};
// The wide chart of two such series over a reversed 0..1000 axis.
NamedPointChart *makeNamedLineChart(const QString &title,
                                    const QList<NamedPoint> &a,
                                    const QList<NamedPoint> &b,
                                    const QColor &colourA = QColor(0xE5, 0x39, 0x35),
                                    const QColor &colourB = QColor(0x41, 0x69, 0xE1));
// The palette's colour i and the blue of every chart title.
QColor paletteColour(int i);
void styleTitle(QChart *c, const QString &title, const QFont &font);

} // namespace Charts
