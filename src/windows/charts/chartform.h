#pragma once
// The frame shared by the chart windows: one chart view that the window
// fills each time it is shown, a note under the title when the chart needs
// one, and the chart's own save and print actions.

#include "windows/app/form.h"
#include "windows/app/printing.h"

#include <memory>

class QChart;
class QChartView;
class QVBoxLayout;
namespace Reports { struct ChartData; }

class ChartForm : public Form, public Print::Printable {
    Q_OBJECT
public:
    ChartForm(const QString& caption, const QString& printTitle);

    QChartView* Chart1;

    Print::Job printJob() const override;
    // What the window's inputs make; a clear message when one is unusable.
    virtual Reports::ChartData chartData() const = 0;
    // Checks the inputs, then shows the window with their chart (drawn
    // again when the window is already on screen).
    void showChart();
    // Shows the window with a chart whose data its opener made (the saved
    // analysis query hands over the chart itself, not text to parse back).
    void showChart(const Reports::ChartData& d);
    // The title as the chart shows it: the title, then the note or an
    // empty line when `twoLines`, then the note alone otherwise.
    static QString titleHtml(const Reports::ChartData& d, bool twoLines);

protected:
    // Every showing starts from an empty chart and draws the inputs afresh.
    void FormShow() override;
    virtual void draw(const Reports::ChartData& d) = 0;
    // Puts a new chart in the view (the previous one is deleted).
    void setChart(QChart* chart, const QString& examName);
    // An empty chart: nothing of an earlier drawing stays after a failure.
    void clearChart();
    QVBoxLayout* root;
    // The data handed over by showChart(d); a clear message when none was.
    const Reports::ChartData& givenData() const;

private:
    QString m_printTitle;
    QString m_exam;
    std::shared_ptr<const Reports::ChartData> m_given;
};
