#pragma once
// Per-student slips on A4 pages: several slips a page with dashed cut lines
// between them (a slip is never split across two pages, and each class starts
// on a page of its own, so that a class's stack can be handed to its class
// teacher), or one letter to the family a page (家长通知书) with lines for the
// class teacher's remark and the signatures. Black on white, legible on any
// printer; each slip holds its own student's data only.

#include "engine/reports/slips.h"
#include "layout/pages.h"

#include <QImage>
#include <QList>

namespace Layout {

class SlipPages : public Content {
public:
    enum class Form { Slips, Notice };

    SlipPages(Slips::Set set, Form form);

    bool landscape() const override { return false; }
    int layout(QPaintDevice* device, const QSizeF& body, const Export::Progress& progress) override;
    void paint(QPainter& painter, int page, const QRectF& body) override;
    // The class of the page ("3班").
    QString pageNote(int page) const override;

    const Slips::Set& set() const { return m_set; }
    Form form() const { return m_form; }
    // After layout(): how many slips a page holds, and the slips (indexes
    // into set().slips) on a page.
    int slipsPerPage() const { return m_perPage; }
    QList<int> slipsOn(int page) const;
    int pageCount() const { return int(m_pages.size()); }
    // The height of one slip in the device's units.
    qreal slipHeight() const { return m_slipHeight; }

private:
    qreal pt(qreal points) const { return points * m_scale; }
    void paintSlip(QPainter& p, const Slips::Slip& slip, const QRectF& box);
    void paintNotice(QPainter& p, const Slips::Slip& slip, const QRectF& body);
    qreal slipContentHeight(QPaintDevice* device, qreal width) const;

    Slips::Set m_set;
    Form m_form;
    qreal m_scale = 1; // device units per point
    qreal m_width = 0;
    qreal m_slipHeight = 0;
    qreal m_gap = 0;
    int m_perPage = 1;
    struct Page {
        int first = 0, count = 0;
    };
    QList<Page> m_pages;
};

// The head of every page: 成绩条 or 家长通知书, and the examination.
Furniture furnitureOf(const Slips::Set& set, SlipPages::Form form);

// The slips as a PDF file (through a temporary file, as Layout::writePdf);
// the number of pages.
int writeSlips(const QString& path, const Slips::Set& set, SlipPages::Form form, const Export::Progress& progress = {});

// A page as a picture, for a window's preview: the page of the PDF at `dpi`.
QImage pageImage(Content& content, const Furniture& furniture, int page, qreal dpi = 60);

} // namespace Layout
