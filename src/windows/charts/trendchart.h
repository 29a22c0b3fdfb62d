#pragma once
// Charts that follow points in order: one value over the saved examinations
// (a student's mark or rank, a class's place), and the grade ranks of a
// class's students side by side with another class's. The names under the
// points stay readable however many points there are: wrapped onto lines
// when few, turned upright and thinned to keep them apart when many.

#include <QCategoryAxis>
#include <QChart>
#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>

class QGraphicsSimpleTextItem;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

namespace Charts {

// A bottom axis naming the points at x = 0, 1, 2, ...: every name when they
// fit, otherwise every k-th one, always at least kMinGap pixels apart.
class PointAxis : public QCategoryAxis {
    Q_OBJECT
public:
    static constexpr int kMinGap = 20;
    explicit PointAxis(QObject* parent = nullptr);
    void setPointLabels(const QStringList& labels);
    const QStringList& pointLabels() const { return m_labels; }
    // Lays the names out for a plot of this width.
    void fit(qreal plotWidth);
    // The points whose names are shown, and how far apart they are in pixels.
    const QList<int>& shownPoints() const { return m_shown; }
    qreal labelSpacing() const { return m_spacing; }
    bool upright() const { return labelsAngle() != 0; }

private:
    QStringList m_labels;
    QList<int> m_shown;
    qreal m_spacing = 0;
    qreal m_width = -1;
};

struct TrendPoint {
    QString label;
    double value = 0;
    QColor colour;
};

// One value over the examinations: a line, a marker in each point's colour
// with its value beside it, the vertical axis reversed so that place 1 (or
// the smallest value) is on top. The values are the chart's own text items,
// made anew at every drawing: nothing of an earlier drawing stays.
class TrendChart : public QChart {
    Q_OBJECT
public:
    TrendChart();
    void clearPoints();
    void setPoints(const QList<TrendPoint>& points);
    void addPoint(const TrendPoint& point);
    const QList<TrendPoint>& points() const { return m_points; }
    // Places start the axis at 0; marks get an axis around their range.
    void setRanks(bool ranks);

    QLineSeries* line() const { return m_line; }
    // The value written beside each point (hidden where it has no room).
    const QList<QGraphicsSimpleTextItem*>& valueLabels() const { return m_values; }
    QScatterSeries* marks() const { return m_marks; }
    PointAxis* axisX() const { return m_axisX; }
    QValueAxis* axisY() const { return m_axisY; }

private:
    void rebuild();
    void fitLabels();

    QList<TrendPoint> m_points;
    QList<QGraphicsSimpleTextItem*> m_values;
    QLineSeries* m_line;
    QScatterSeries* m_marks;
    PointAxis* m_axisX;
    QValueAxis* m_axisY;
    bool m_ranks = true;
};

// Lays a chart's value axis out around its values: reversed, integer ticks.
void fitReversedAxis(QValueAxis* axis, const QList<double>& values, bool fromZero);

} // namespace Charts
