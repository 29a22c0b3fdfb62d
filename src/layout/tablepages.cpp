#include "layout/tablepages.h"

#include "layout/pdffont.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <cmath>

namespace Layout {

namespace {

// Fonts are measured at a large pixel size, where hinting does not bend the
// advances, and scaled to the size printed.
constexpr int kProbePixels = 1000;
// Room on both sides of a value, in ems, and a margin for what measuring
// character by character does not see (kerning, synthetic bold).
constexpr qreal kPadding = 0.8;
constexpr qreal kSafety = 1.04;
// Leading columns repeated on every part of a wide table take at most this
// share of the page's width; beyond it fewer are repeated.
constexpr qreal kMostRepeated = 0.45;
// A table narrower than the page is widened up to this factor.
constexpr qreal kMostStretch = 1.5;
constexpr qreal kRowHeight = 1.55; // lines

} // namespace

TablePages::TablePages(Export::Sheet sheet) : m_sheet(std::move(sheet))
{
    for (int b = 0; b < 2; ++b) {
        m_probe[b] = pdfFont(10, b == 1);
        m_probe[b].setPixelSize(kProbePixels);
    }
}

qreal TablePages::textWidth(const QString& text, bool bold)
{
    QHash<char16_t, qreal>& cache = m_advance[bold ? 1 : 0];
    qreal w = 0;
    for (QChar ch : text) {
        if (ch.isSurrogate())
            return QFontMetricsF(m_probe[bold ? 1 : 0]).horizontalAdvance(text) / kProbePixels;
        auto it = cache.constFind(ch.unicode());
        if (it == cache.constEnd())
            it = cache.insert(ch.unicode(), QFontMetricsF(m_probe[bold ? 1 : 0]).horizontalAdvance(ch) / kProbePixels);
        w += *it;
    }
    return w;
}

void TablePages::measure(const Export::Progress& progress)
{
    if (m_measured)
        return;
    const int cols = m_sheet.columnCount();
    m_widest = QList<qreal>(cols, 0);
    for (int c = 0; c < cols; ++c)
        m_widest[c] = textWidth(m_sheet.headers.at(c), true);
    const qsizetype rows = m_sheet.rowCount();
    for (qsizetype r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c)
            m_widest[c] = std::max(m_widest[c], textWidth(m_sheet.text(r, c), false));
        if (progress && r % 2048 == 0)
            progress(r, rows);
    }
    m_measured = true;
}

void TablePages::prepare(const Export::Progress& progress)
{
    measure(progress);
}

qreal TablePages::columnWidth(int column, qreal point) const
{
    return (m_widest.value(column) * kSafety + kPadding) * point;
}

qreal TablePages::tableWidth(const QList<int>& columns, qreal point) const
{
    qreal w = 0;
    for (int c : columns)
        w += columnWidth(c, point);
    return w;
}

bool TablePages::landscape() const
{
    // A4 portrait inside its margins: 186 mm.
    constexpr qreal portraitPoints = 186 / 25.4 * 72;
    auto* self = const_cast<TablePages*>(this);
    self->measure({});
    QList<int> all;
    for (int c = 0; c < m_sheet.columnCount(); ++c)
        all << c;
    return tableWidth(all, kLargestPoint) > portraitPoints;
}

int TablePages::layout(QPaintDevice* device, const QSizeF& body, const Export::Progress& progress)
{
    measure(progress);
    if (progress)
        progress(1, 1);
    m_scale = device->logicalDpiX() / 72.0;
    const qreal width = body.width() / m_scale; // points
    const int cols = m_sheet.columnCount();
    QList<int> all;
    for (int c = 0; c < cols; ++c)
        all << c;

    m_parts.clear();
    m_repeated = 0;
    m_point = kSmallestPoint;
    for (qreal pt = kLargestPoint; pt >= kSmallestPoint; pt -= kPointStep) {
        if (tableWidth(all, pt) <= width) {
            m_point = pt;
            m_parts << all;
            break;
        }
    }
    if (m_parts.isEmpty()) {
        // Still too wide at the smallest size: continued sideways, the
        // leading columns repeated on every part while they leave room.
        m_repeated = std::min(m_sheet.frozenColumns, cols);
        QList<int> lead;
        for (int c = 0; c < m_repeated; ++c)
            lead << c;
        while (m_repeated > 0 && tableWidth(lead, m_point) > width * kMostRepeated) {
            --m_repeated;
            lead.removeLast();
        }
        for (int c = m_repeated; c < cols;) {
            QList<int> part = lead;
            qreal w = tableWidth(lead, m_point);
            do {
                w += columnWidth(c, m_point);
                part << c++;
            } while (c < cols && w + columnWidth(c, m_point) <= width);
            m_parts << part;
        }
        if (m_parts.isEmpty())
            m_parts << lead;
    }

    m_widths.clear();
    for (const QList<int>& part : m_parts) {
        const qreal natural = tableWidth(part, m_point);
        const qreal k = natural > 0 ? std::clamp(width / natural, 1.0, kMostStretch) : 1.0;
        QList<qreal> w;
        for (int c : part)
            w << columnWidth(c, m_point) * k * m_scale;
        m_widths << w;
    }
    m_rowHeight = QFontMetricsF(pdfFont(m_point), device).height() * kRowHeight;
    m_rowsPerPage = std::max(1, int(std::floor((body.height() - m_rowHeight) / m_rowHeight)));
    m_rowBlocks = std::max<qsizetype>(1, (m_sheet.rowCount() + m_rowsPerPage - 1) / m_rowsPerPage);
    return int(m_rowBlocks * m_parts.size());
}

QString TablePages::pageNote(int page) const
{
    if (m_parts.size() < 2)
        return {};
    const int block = page / int(m_parts.size());
    const int part = page % int(m_parts.size());
    const qsizetype first = qsizetype(block) * m_rowsPerPage + 1;
    const qsizetype last = std::min<qsizetype>(first + m_rowsPerPage - 1, m_sheet.rowCount());
    return QStringLiteral("第%1–%2行 · 左右第%3部分（共%4部分）").arg(first).arg(last).arg(part + 1).arg(m_parts.size());
}

// What one page shows and where: the part's columns and their widths, the
// block of rows, and the table's place on the page (centred across it).
struct TablePages::PageArea {
    PageArea(const QList<int>& columns, const QList<qreal>& columnWidths) : part(columns), widths(columnWidths) {}
    const QList<int>& part;
    const QList<qreal>& widths;
    qsizetype first = 0, last = 0; // rows, last past the end
    qreal left = 0, top = 0, width = 0, rowH = 0, bottom = 0;
};

TablePages::PageArea TablePages::pageArea(int page, const QRectF& body) const
{
    const int block = page / int(m_parts.size());
    const int partIndex = page % int(m_parts.size());
    PageArea a(m_parts.at(partIndex), m_widths.at(partIndex));
    for (qreal w : a.widths)
        a.width += w;
    a.first = qsizetype(block) * m_rowsPerPage;
    a.last = std::min<qsizetype>(a.first + m_rowsPerPage, m_sheet.rowCount());
    a.left = body.left() + std::max<qreal>(0, (body.width() - a.width) / 2);
    a.top = body.top();
    a.rowH = m_rowHeight;
    a.bottom = a.top + a.rowH * qreal(1 + a.last - a.first);
    return a;
}

void TablePages::paint(QPainter& p, int page, const QRectF& body)
{
    if (m_parts.isEmpty())
        return;
    const PageArea a = pageArea(page, body);
    paintHeaderRow(p, a);
    paintRows(p, a);
    paintRules(p, a);
}

void TablePages::paintHeaderRow(QPainter& p, const PageArea& a) const
{
    p.fillRect(QRectF(a.left, a.top, a.width, a.rowH), QColor(0xE6, 0xE6, 0xE6));
    p.setPen(Qt::black);
    p.setFont(pdfFont(m_point, true));
    qreal x = a.left;
    for (int i = 0; i < a.part.size(); ++i) {
        p.drawText(QRectF(x, a.top, a.widths.at(i), a.rowH), Qt::AlignCenter | Qt::TextSingleLine,
                   m_sheet.headers.at(a.part.at(i)));
        x += a.widths.at(i);
    }
}

void TablePages::paintRows(QPainter& p, const PageArea& a) const
{
    const QFont plain = pdfFont(m_point);
    const qreal pad = kPadding / 2 * m_point * m_scale;
    p.setFont(plain);
    const QFontMetricsF fm(plain, p.device());
    qreal y = a.top + a.rowH;
    for (qsizetype r = a.first; r < a.last; ++r, y += a.rowH) {
        qreal x = a.left;
        for (int i = 0; i < a.part.size(); ++i) {
            QString text = m_sheet.text(r, a.part.at(i));
            const QRectF cell(x, y, a.widths.at(i), a.rowH);
            // Only a text too long for a whole page is shortened; numbers always fit.
            if (fm.horizontalAdvance(text) > cell.width() - pad)
                text = fm.elidedText(text, Qt::ElideRight, cell.width() - pad);
            p.drawText(cell, Qt::AlignCenter | Qt::TextSingleLine, text);
            x += a.widths.at(i);
        }
    }
}

// Thin grey lines between the cells, a black one after the repeated
// columns, and a frame around the whole.
void TablePages::paintRules(QPainter& p, const PageArea& a) const
{
    QPen thin(QColor(0x80, 0x80, 0x80));
    thin.setWidthF(0.4 * m_scale);
    p.setPen(thin);
    for (qsizetype r = 1; r <= a.last - a.first; ++r)
        p.drawLine(QPointF(a.left, a.top + a.rowH * qreal(r)), QPointF(a.left + a.width, a.top + a.rowH * qreal(r)));
    qreal x = a.left;
    for (int i = 0; i + 1 < a.widths.size(); ++i) {
        x += a.widths.at(i);
        p.drawLine(QPointF(x, a.top), QPointF(x, a.bottom));
    }
    if (m_repeated > 0 && m_parts.size() > 1) {
        qreal split = a.left;
        for (int i = 0; i < m_repeated; ++i)
            split += a.widths.at(i);
        QPen mark = thin;
        mark.setColor(Qt::black);
        mark.setWidthF(1.0 * m_scale);
        p.setPen(mark);
        p.drawLine(QPointF(split, a.top), QPointF(split, a.bottom));
    }
    QPen frame(Qt::black);
    frame.setWidthF(0.8 * m_scale);
    p.setPen(frame);
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(a.left, a.top, a.width, a.bottom - a.top));
}

} // namespace Layout
