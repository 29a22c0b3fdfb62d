#pragma once
// Printing, print preview and PDF of what a window shows: a table (the
// visible columns of a grid) or a chart. Every page carries the examination
// name, the table's title and the date at its top and "第 N 页 / 共 M 页" at
// its foot; a table's header row repeats on every page; A4, landscape when
// the table is wide.

#include "engine/export/sheet.h"

#include <QFont>
#include <QString>
#include <functional>

class QGraphicsView;
class QPagedPaintDevice;
class QTableView;
class QWidget;

namespace Print {

// What a window offers to print.
struct Job {
    QString title;    // 成绩分析表, 总分分段饼图, ...
    QString examName; // the examination it belongs to
    Export::Sheet table;         // a table, or
    QGraphicsView* chart = nullptr; // a chart
    bool isEmpty() const { return !chart && table.headers.isEmpty(); }
};

// A window that can be printed from the main window's 打印 menu.
class Printable {
public:
    virtual ~Printable() = default;
    virtual Job printJob() const = 0;
};

// A font whose Chinese text a PDF reader extracts as written: some CJK fonts
// share one glyph between an ideograph and a Kangxi radical, and the PDF then
// reads back 科⽬ for 科目.
QFont pdfFont(qreal pointSize = 10);

// Lays the job out on a printer or PDF writer; the number of pages, or -1
// when the device cannot be painted on.
int paint(QPagedPaintDevice* device, const Job& job, const Export::Progress& progress = {});
// A4, landscape for a chart or a table of more than eight columns.
bool landscape(const Job& job);

// The job as a PDF file, through a temporary file (Db::Error on failure).
void toPdf(const QString& path, const Job& job, const Export::Progress& progress = {});
// The chart as a PNG picture, through a temporary file.
void chartToPng(const QString& path, QGraphicsView* chart);

// The print preview dialog, from which the teacher prints; tests replace it.
void preview(QWidget* parent, const Job& job);
using PreviewSeam = std::function<void(const Job&)>;
void setPreviewSeam(PreviewSeam seam);

// The visible columns of grids over one model, in the order they show
// (a frozen left grid first), with their titles: what the window shows.
Export::Sheet sheetOf(const QList<QTableView*>& views, const QString& name);

// Adds 导出为Excel… (Ctrl+E), 打印… (Ctrl+P) and 另存为PDF… to the grids'
// context menu; `job` says what is printed and exported.
void addGridActions(const QList<QTableView*>& views, QWidget* window, std::function<Job()> job);
// Adds 保存图表… (Ctrl+S: PNG or PDF) and 打印… (Ctrl+P) to a chart's context menu.
void addChartActions(QGraphicsView* chart, QWidget* window, std::function<Job()> job);

// The file the teacher chooses for a job (documents folder, the examination
// name as the default name); empty when cancelled.
QString chooseFile(const QString& caption, const QString& baseName, const QString& suffix, const QString& filter);

} // namespace Print
