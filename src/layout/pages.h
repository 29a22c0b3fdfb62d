#pragma once
// Pages the program hands on: A4 with the same furniture on every page (the
// title, the examination's name and the date at the top, "第 N 页 / 共 M 页"
// at the foot) around a content that lays itself out on them: a table, a
// chart, and whatever else is printed later. Pages are painted one after the
// other and forgotten once painted, so that a table of any length is written
// with the memory of one page; a long write reports its progress and can be
// stopped, and a stopped or failed PDF leaves no file behind.

#include "engine/export/sheet.h"

#include <QDate>
#include <QPageLayout>
#include <QRectF>
#include <QString>

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;

namespace Layout {

// What every page carries besides its content.
struct Furniture {
    QString title;    // 成绩分析表, 总分分段饼图, ...
    QString examName; // the examination it belongs to
    QDate date = QDate::currentDate();
};

// Something laid out on pages.
class Content {
public:
    virtual ~Content() = default;
    // Work that comes before anything else (measuring a long table), with
    // its progress; run once, before landscape() and layout().
    virtual void prepare(const Export::Progress& progress) { Q_UNUSED(progress); }
    // Whether it wants landscape pages.
    virtual bool landscape() const = 0;
    // Lays it out for pages whose body (the page inside its furniture) has
    // this size in the device's units; returns the number of pages. Long
    // work reports progress (done of total) and may be stopped by it.
    virtual int layout(QPaintDevice* device, const QSizeF& body, const Export::Progress& progress) = 0;
    // Paints one page (from 0) into the body.
    virtual void paint(QPainter& painter, int page, const QRectF& body) = 0;
    // A line for the head of a page besides the title (which part of a
    // table continued sideways it shows); empty when there is none.
    virtual QString pageNote(int page) const
    {
        Q_UNUSED(page);
        return {};
    }
};

// A4 with the program's margins.
QPageLayout pageLayout(bool landscape);

// The head and foot of a page on a device, and the body between them.
struct PageFrame {
    QRectF page, head, body, foot;
};
PageFrame frameOf(QPaintDevice* device);

// Paints one page of content laid out already (of `pages`) with its
// furniture, on the painter's device.
void paintPage(QPainter& painter, Content& content, const Furniture& furniture, int page, int pages);

// Paints every page of the content on a printer or PDF writer whose page
// layout is set. Progress goes from 0 to 1000: the layout's work first, then
// a step per page. Returns the number of pages, or -1 when the device cannot
// be painted on. Export::Cancelled from the progress ends the painting.
int paint(QPagedPaintDevice* device, Content& content, const Furniture& furniture,
          const Export::Progress& progress = {});

// The content as a PDF file at `path`, written through a temporary file:
// Db::Error (a Chinese message naming the file) when it cannot be written,
// Export::Cancelled when stopped; either way the previous file stays as it
// was and nothing else is left. Returns the number of pages.
int writePdf(const QString& path, Content& content, const Furniture& furniture, const Export::Progress& progress = {});

} // namespace Layout
