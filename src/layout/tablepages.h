#pragma once
// A table on pages as a teacher reads it: every value on one line in its
// cell (a number, a rate or a date is never broken), columns as wide as their
// widest value or title, the font stepped down from 10 pt to no less than
// 8 pt to fit the page's width, and a table still wider continued sideways
// on following pages with its leading columns (学号, 姓名; 科目, 班号)
// repeated. The header row is on every page; values read as on screen
// (rates as 66.67%, 全级 for the whole grade).

#include "engine/export/sheet.h"
#include "layout/pages.h"

#include <QFont>
#include <QHash>
#include <QList>

namespace Layout {

class TablePages : public Content {
public:
    static constexpr qreal kLargestPoint = 10;
    static constexpr qreal kSmallestPoint = 8;
    static constexpr qreal kPointStep = 0.5;

    explicit TablePages(Export::Sheet sheet);

    const Export::Sheet& sheet() const { return m_sheet; }
    // Measures every value (the widest of each column).
    void prepare(const Export::Progress& progress) override;
    // Portrait when the table fits a portrait page at the largest size.
    bool landscape() const override;
    int layout(QPaintDevice* device, const QSizeF& body, const Export::Progress& progress) override;
    void paint(QPainter& painter, int page, const QRectF& body) override;
    QString pageNote(int page) const override;

    // The layout found (after layout()): the font size, the columns of each
    // part of a table continued sideways (the repeated leading ones first),
    // and the rows a page holds.
    qreal pointSize() const { return m_point; }
    const QList<QList<int>>& parts() const { return m_parts; }
    int repeatedColumns() const { return m_repeated; }
    int rowsPerPage() const { return m_rowsPerPage; }
    // A column's width in points at a font size: its widest value or its
    // title, whichever is wider, with room on both sides.
    qreal columnWidth(int column, qreal point) const;

private:
    void measure(const Export::Progress& progress);
    qreal textWidth(const QString& text, bool bold);
    qreal tableWidth(const QList<int>& columns, qreal point) const;
    struct PageArea;
    PageArea pageArea(int page, const QRectF& body) const;
    void paintHeaderRow(QPainter& p, const PageArea& a) const;
    void paintRows(QPainter& p, const PageArea& a) const;
    void paintRules(QPainter& p, const PageArea& a) const;

    Export::Sheet m_sheet;
    bool m_measured = false;
    QList<qreal> m_widest; // per column, in points at 1 pt
    QHash<char16_t, qreal> m_advance[2];
    QFont m_probe[2];
    qreal m_point = kLargestPoint;
    qreal m_scale = 1; // device units per point
    QList<QList<int>> m_parts;
    QList<QList<qreal>> m_widths; // device units, per part
    int m_repeated = 0;
    int m_rowsPerPage = 1;
    int m_rowBlocks = 1;
    qreal m_rowHeight = 0;
};

} // namespace Layout
