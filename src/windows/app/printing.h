#pragma once
// Printing, print preview and PDF of what a window shows: a table (the
// visible columns of a grid) or a chart, laid out on A4 pages by the page
// layout library (src/layout/), the same pages the batch tool writes. Every
// page carries the examination name, the title and the date at its top and
// "第 N 页 / 共 M 页" at its foot. Long writes show their progress and can be
// cancelled; a cancelled or failed write leaves nothing behind.

#include "engine/export/sheet.h"

#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>

class QGraphicsView;
class QPagedPaintDevice;
class QTableView;
class QWidget;
namespace Layout { class Content; }

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

// The font of every PDF the program writes (Layout::pdfFont).
QFont pdfFont(qreal pointSize = 10);

// The job laid out on pages: its table or its chart.
std::unique_ptr<Layout::Content> contentOf(const Job& job);
// Lays the job out on a printer or PDF writer; the number of pages, or -1
// when the device cannot be painted on.
int paint(QPagedPaintDevice* device, const Job& job, const Export::Progress& progress = {});
// A4, landscape for a chart or a table too wide for a portrait page.
bool landscape(const Job& job);

// The job as a PDF file, through a temporary file (Db::Error on failure,
// Export::Cancelled when the progress stops it).
void toPdf(const QString& path, const Job& job, const Export::Progress& progress = {});
// The chart as a PNG picture, through a temporary file.
void chartToPng(const QString& path, QGraphicsView* chart);

// The print preview dialog, from which the teacher prints; tests replace it.
// A table of more pages than kPreviewPages is previewed only when the
// teacher confirms (the PDF is the way for it).
inline constexpr int kPreviewPages = 300;
void preview(QWidget* parent, const Job& job);
using PreviewSeam = std::function<void(const Job&)>;
void setPreviewSeam(PreviewSeam seam);
// The preview's size on a screen with this available area: as large as is
// comfortable, never beyond the screen (1366 x 768 included).
QSize previewSize(const QRect& available);

// The visible columns of grids over one model, in the order they show
// (a frozen left grid first), with their titles and their stored values:
// what the window shows. A result table's unused stock rows are left out.
Export::Sheet sheetOf(const QList<QTableView*>& views, const QString& name);

// Adds 导出为Excel… (Ctrl+E), 打印… (Ctrl+P) and 另存为PDF… to the grids'
// context menu; `job` says what is printed and exported.
void addGridActions(const QList<QTableView*>& views, QWidget* window, std::function<Job()> job);
// Adds 保存图表… (Ctrl+S: PNG or PDF) and 打印… (Ctrl+P) to a chart's context menu.
void addChartActions(QGraphicsView* chart, QWidget* window, std::function<Job()> job);

// Where export dialogs start: the documents folder, else the home folder
// (never the program's folder).
QString startFolder();
// The file the teacher chooses for a job (start folder, the examination
// name as the default name); empty when cancelled.
QString chooseFile(const QString& caption, const QString& baseName, const QString& suffix, const QString& filter);

// A window with a progress bar and 取消 for a write of more than a moment;
// its callback throws Export::Cancelled once 取消 is pressed. Under a test's
// message recorder no window is shown, and the recorder may cancel.
class WriteProgress {
public:
    explicit WriteProgress(const QString& text);
    ~WriteProgress();
    Export::Progress callback();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// Runs a write with a progress window: true when it was done, false when
// the teacher cancelled it (then a message says nothing was written).
bool runWrite(const QString& text, const std::function<void(const Export::Progress&)>& write,
              const QString& cancelled = QStringLiteral("已取消，没有写出文件"));

} // namespace Print
