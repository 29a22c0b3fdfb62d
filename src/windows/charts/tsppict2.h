#pragma once
// The detail of the class comparison: the same two curves on a chart 4600
// pixels wide that scrolls sideways, every point carrying the student's name
// and grade rank. The comparison chart fills it and shows it.

#include "windows/app/form.h"
#include "windows/app/printing.h"
#include "windows/charts/chartkit.h"

class QChartView;
class QLabel;
class QLineSeries;
class QScrollArea;

class Tsppict2 : public Form, public Print::Printable {
    Q_OBJECT
public:
    static constexpr int kChartWidth = 4600;
    Tsppict2();

    QLabel* title; // above the scrolling part, so it stays in view
    QScrollArea* scroll;
    QChartView* Chart2;
    Charts::NamedPointChart* chart() const { return m_chart; }
    QLineSeries* LineSeries1 = nullptr; // red: the first class
    QLineSeries* LineSeries2 = nullptr; // blue: the second class

    // Both curves; a name's mark reads "name rank".
    void setCurves(const QString& heading, const QString& redName, const QList<Charts::NamedPoint>& red,
                   const QString& blueName, const QList<Charts::NamedPoint>& blue);
    // Only the red curve is emptied; the blue one stays as it was.
    void clearRed();
    const QList<Charts::NamedPoint>& red() const { return m_red; }
    const QList<Charts::NamedPoint>& blue() const { return m_blue; }

    Print::Job printJob() const override;

private:
    void rebuild();

    Charts::NamedPointChart* m_chart = nullptr;
    QString m_heading;
    QString m_redName;
    QString m_blueName;
    QList<Charts::NamedPoint> m_red;
    QList<Charts::NamedPoint> m_blue;
};
