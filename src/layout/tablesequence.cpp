#include "layout/tablesequence.h"

namespace Layout {

void TableSequence::add(const QString& heading, Export::Sheet sheet)
{
    if (sheet.rows.isEmpty())
        return;
    m_parts.push_back({heading, std::make_unique<TablePages>(std::move(sheet)), 0, 0});
}

void TableSequence::prepare(const Export::Progress& progress)
{
    const qint64 n = qint64(m_parts.size());
    for (qint64 i = 0; i < n; ++i)
        m_parts[size_t(i)].pages->prepare(Export::phase(progress, int(1000 * i / n), int(1000 * (i + 1) / n)));
}

bool TableSequence::landscape() const
{
    for (const Part& p : m_parts)
        if (p.pages->landscape())
            return true;
    return false;
}

int TableSequence::layout(QPaintDevice* device, const QSizeF& body, const Export::Progress& progress)
{
    int pages = 0;
    const qint64 n = qint64(m_parts.size());
    for (qint64 i = 0; i < n; ++i) {
        Part& p = m_parts[size_t(i)];
        p.first = pages;
        p.count = p.pages->layout(device, body, Export::phase(progress, int(1000 * i / n), int(1000 * (i + 1) / n)));
        pages += p.count;
    }
    return pages;
}

const TableSequence::Part* TableSequence::partOf(int page) const
{
    for (const Part& p : m_parts)
        if (page >= p.first && page < p.first + p.count)
            return &p;
    return nullptr;
}

void TableSequence::paint(QPainter& painter, int page, const QRectF& body)
{
    if (const Part* p = partOf(page))
        p->pages->paint(painter, page - p->first, body);
}

QString TableSequence::pageNote(int page) const
{
    const Part* p = partOf(page);
    if (!p)
        return {};
    const QString inner = p->pages->pageNote(page - p->first);
    return inner.isEmpty() ? p->heading : p->heading + QStringLiteral(" · ") + inner;
}

} // namespace Layout
