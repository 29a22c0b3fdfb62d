#include "layout/slippages.h"

#include "layout/pdffont.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPaintDevice>
#include <QPainter>
#include <cmath>
#include <functional>

namespace Layout {

namespace {

// Sizes in points.
constexpr qreal kPad = 6;
constexpr qreal kGap = 16;      // between two slips; the cut line runs in its middle
constexpr qreal kRowLines = 1.6; // a table row, in lines of its font

// The rows of a slip's table: a title and a value per item.
struct Row {
    QString label;
    std::function<QString(const Slips::Item&)> value;
};

QList<Row> tableRows(const Slips::Set& set)
{
    QList<Row> rows;
    if (set.marks) {
        rows << Row{QStringLiteral("满分"), [&set](const Slips::Item& i) { return QString::number(set.fullMarks.value(i.title)); }};
        rows << Row{QStringLiteral("成绩"), [](const Slips::Item& i) { return Slips::markText(i.mark); }};
    }
    if (set.levels)
        rows << Row{QStringLiteral("等级"), [](const Slips::Item& i) { return i.level; }};
    if (set.earlierLevels)
        rows << Row{QStringLiteral("上次等级"), [](const Slips::Item& i) { return i.earlier; }};
    return rows;
}

QString standingLine(const Slips::Slip& slip)
{
    if (slip.standing.isEmpty())
        return {};
    QString s = QStringLiteral("按总分：") + slip.standing;
    if (!slip.earlierStanding.isEmpty())
        s += QStringLiteral("；") + slip.earlierStanding;
    return s;
}

QString noteLine(const Slips::Set& set)
{
    QStringList parts;
    if (!set.legend.isEmpty())
        parts << set.legend;
    if (!set.earlierName.isEmpty())
        parts << QStringLiteral("“上次”指“%1”").arg(set.earlierName);
    return parts.join(QStringLiteral("。"));
}

QString infoLine(const Slips::Slip& slip)
{
    return QStringLiteral("班级：%1　　学号：%2　　姓名：%3").arg(Slips::classText(slip.cls), slip.number, slip.name);
}

qreal wrappedHeight(const QFont& font, QPaintDevice* device, qreal width, const QString& text)
{
    if (text.isEmpty())
        return 0;
    return QFontMetricsF(font, device).boundingRect(QRectF(0, 0, width, 1e9), Qt::TextWordWrap, text).height();
}

// One line of text in a box, shortened only when it cannot fit.
void drawLine(QPainter& p, const QRectF& box, int align, const QString& text)
{
    const QFontMetricsF fm(p.font(), p.device());
    QString t = text;
    if (fm.horizontalAdvance(t) > box.width())
        t = fm.elidedText(t, Qt::ElideRight, box.width());
    p.drawText(box, align | Qt::TextSingleLine, t);
}

// A grid of cells: rows of texts, the first row in bold on light grey.
void drawGrid(QPainter& p, const QRectF& box, const QList<qreal>& widths, const QList<QStringList>& cells, qreal rowHeight,
              const QFont& plain, const QFont& bold, qreal lineWidth)
{
    p.fillRect(QRectF(box.left(), box.top(), box.width(), rowHeight), QColor(0xE8, 0xE8, 0xE8));
    for (int r = 0; r < cells.size(); ++r) {
        p.setFont(r == 0 ? bold : plain);
        qreal x = box.left();
        for (int c = 0; c < cells.at(r).size() && c < widths.size(); ++c) {
            drawLine(p, QRectF(x, box.top() + r * rowHeight, widths.at(c), rowHeight), Qt::AlignCenter, cells.at(r).at(c));
            x += widths.at(c);
        }
    }
    QPen pen(Qt::black);
    pen.setWidthF(lineWidth);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    for (int r = 1; r < cells.size(); ++r)
        p.drawLine(QPointF(box.left(), box.top() + r * rowHeight), QPointF(box.right(), box.top() + r * rowHeight));
    qreal x = box.left();
    for (int c = 0; c + 1 < widths.size(); ++c) {
        x += widths.at(c);
        p.drawLine(QPointF(x, box.top()), QPointF(x, box.bottom()));
    }
    p.drawRect(box);
}

// The examination as the heading names it: the school year, when known,
// and its name.
QStringList examHeading(const Slips::Set& set)
{
    QStringList head;
    if (!set.yearLine.isEmpty())
        head << set.yearLine;
    head << set.examName;
    return head;
}

// A slip's table on its side: a column of row titles, then a column per item.
QList<QStringList> slipCells(const Slips::Set& set, const Slips::Slip& slip)
{
    QList<QStringList> cells;
    QStringList header{QStringLiteral("科目")};
    for (const Slips::Item& item : slip.items)
        header << item.title;
    cells << header;
    for (const Row& r : tableRows(set)) {
        QStringList line{r.label};
        for (const Slips::Item& item : slip.items)
            line << r.value(item);
        cells << line;
    }
    return cells;
}

// The row titles' column as wide as its widest title; the items share the rest.
QList<qreal> slipWidths(const QList<QStringList>& cells, const QFontMetricsF& bold, qreal inner, qreal pad,
                        qsizetype itemCount)
{
    qreal labelW = 0;
    for (const QStringList& line : cells)
        labelW = std::max(labelW, bold.horizontalAdvance(line.first()));
    labelW += 2 * pad;
    QList<qreal> widths{labelW};
    const int items = std::max<int>(1, int(itemCount));
    for (int i = 0; i < items; ++i)
        widths << (inner - labelW) / items;
    return widths;
}

// A letter's table: a row per item.
QList<QStringList> noticeCells(const Slips::Set& set, const Slips::Slip& slip)
{
    QStringList header{QStringLiteral("科目")};
    if (set.marks)
        header << QStringLiteral("满分") << QStringLiteral("成绩");
    if (set.levels)
        header << QStringLiteral("等级");
    if (set.earlierLevels)
        header << QStringLiteral("上次等级");
    QList<QStringList> cells{header};
    for (const Slips::Item& item : slip.items) {
        QStringList r{item.title};
        if (set.marks)
            r << QString::number(set.fullMarks.value(item.title)) << Slips::markText(item.mark);
        if (set.levels)
            r << item.level;
        if (set.earlierLevels)
            r << item.earlier;
        cells << r;
    }
    return cells;
}

// A letter to the family written down its page: y is where the next line
// starts, in a column inset from the page's body.
struct Letter {
    Letter(QPainter& painter, const QRectF& body, qreal unitsPerPoint)
        : p(painter), dev(painter.device()), scale(unitsPerPoint), left(body.left() + pt(18)), width(body.width() - pt(36)),
          y(body.top() + pt(10))
    {
    }
    qreal pt(qreal points) const { return points * scale; }

    // One line, followed by `spacing` times its height.
    void line(const QFont& f, const QString& s, int align = Qt::AlignLeft, qreal spacing = 1.5)
    {
        const qreal h = QFontMetricsF(f, dev).height();
        p.setFont(f);
        drawLine(p, QRectF(left, y, width, h), align | Qt::AlignVCenter, s);
        y += h * spacing;
    }
    // A paragraph wrapped to the column, followed by `after`; nothing when empty.
    void wrapped(const QFont& f, const QString& s, qreal after)
    {
        if (s.isEmpty())
            return;
        p.setFont(f);
        const qreal h = wrappedHeight(f, dev, width, s);
        p.drawText(QRectF(left, y, width, h), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, s);
        y += h + after;
    }

    QPainter& p;
    QPaintDevice* const dev;
    const qreal scale; // device units per point
    const qreal left, width;
    qreal y;
    const QFont heading = pdfFont(13, true), text = pdfFont(12), info = pdfFont(11), cell = pdfFont(11),
                cellBold = pdfFont(11, true), small = pdfFont(9);
};

// The heading, the greeting, the opening paragraph and the student's class,
// 学号 and name.
void paintGreeting(Letter& l, const Slips::Set& set, const Slips::Slip& slip)
{
    l.line(l.heading, examHeading(set).join(QStringLiteral("　")), Qt::AlignHCenter, 2.0);
    l.line(l.text, QStringLiteral("%1同学家长：").arg(slip.name));
    QString opening = QStringLiteral("　　您好！现将%1同学在本次考试中的成绩告知如下。").arg(slip.name);
    if (set.levels && set.rank == Slips::RankMode::None)
        opening += QStringLiteral("考试结果以等级告知学生本人和家长，不排名次，不公布。");
    l.wrapped(l.text, opening, QFontMetricsF(l.text, l.dev).height() * 0.6);
    l.line(l.info, infoLine(slip), Qt::AlignLeft, 1.8);
}

// The table, centred, then the standing and the legend under it.
void paintNoticeTable(Letter& l, const Slips::Set& set, const Slips::Slip& slip)
{
    const QList<QStringList> cells = noticeCells(set, slip);
    const qsizetype columns = cells.first().size();
    const qreal colW = std::min(l.width / columns, l.pt(96));
    const QList<qreal> widths(columns, colW);
    const qreal rowH = QFontMetricsF(l.cell, l.dev).height() * 1.8;
    const qreal tableW = colW * columns;
    const QRectF grid(l.left + (l.width - tableW) / 2, l.y, tableW, rowH * cells.size());
    drawGrid(l.p, grid, widths, cells, rowH, l.cell, l.cellBold, l.pt(0.6));
    l.y = grid.bottom() + QFontMetricsF(l.info, l.dev).height() * 0.8;
    l.p.setPen(Qt::black);

    if (set.rank != Slips::RankMode::None)
        l.line(l.info, standingLine(slip), Qt::AlignLeft, 1.6);
    l.wrapped(l.small, noteLine(set), QFontMetricsF(l.text, l.dev).height() * 1.2);
}

// The class teacher's remark, then the signatures, on ruled lines.
void paintRemarkAndSignatures(Letter& l)
{
    QPainter& p = l.p;
    QPen rule(Qt::black);
    rule.setWidthF(l.pt(0.5));
    l.line(l.text, QStringLiteral("班主任评语："), Qt::AlignLeft, 1.2);
    const qreal ruleGap = l.pt(28);
    for (int k = 0; k < 4; ++k) {
        l.y += ruleGap;
        p.setPen(rule);
        p.drawLine(QPointF(l.left, l.y), QPointF(l.left + l.width, l.y));
    }
    l.y += ruleGap * 1.2;
    p.setPen(Qt::black);
    for (const QString& who : {QStringLiteral("班主任签名："), QStringLiteral("家长签名：")}) {
        const qreal h = QFontMetricsF(l.text, l.dev).height();
        p.setFont(l.text);
        const QFontMetricsF fm(l.text, l.dev);
        p.drawText(QRectF(l.left, l.y, l.width, h), Qt::AlignLeft | Qt::AlignVCenter, who);
        const qreal after = l.left + fm.horizontalAdvance(who);
        p.setPen(rule);
        p.drawLine(QPointF(after, l.y + h), QPointF(after + l.pt(130), l.y + h));
        p.setPen(Qt::black);
        const QString date = QStringLiteral("日期：　　　　年　　月　　日");
        p.drawText(QRectF(l.left, l.y, l.width, h), Qt::AlignRight | Qt::AlignVCenter, date);
        l.y += h * 2.6;
    }
}

} // namespace

SlipPages::SlipPages(Slips::Set set, Form form) : m_set(std::move(set)), m_form(form) {}

qreal SlipPages::slipContentHeight(QPaintDevice* dev, qreal width) const
{
    const QFontMetricsF title(pdfFont(11, true), dev), info(pdfFont(10), dev), table(pdfFont(9.5), dev);
    qreal h = pt(kPad) + title.height() * 1.3 + info.height() * 1.4;
    h += table.height() * kRowLines * (1 + tableRows(m_set).size());
    if (m_set.rank != Slips::RankMode::None)
        h += QFontMetricsF(pdfFont(10, true), dev).height() * 1.4;
    else
        h += pt(kPad) / 2;
    h += wrappedHeight(pdfFont(8), dev, width - 2 * pt(kPad), noteLine(m_set));
    return h + pt(kPad);
}

int SlipPages::layout(QPaintDevice* device, const QSizeF& body, const Export::Progress& progress)
{
    m_scale = device->logicalDpiY() / 72.0;
    m_width = body.width();
    m_pages.clear();
    if (m_form == Form::Notice) {
        m_perPage = 1;
        m_slipHeight = body.height();
        for (int i = 0; i < m_set.slips.size(); ++i)
            m_pages << Page{i, 1};
    } else {
        m_slipHeight = slipContentHeight(device, body.width());
        m_gap = pt(kGap);
        m_perPage = std::max(1, int(std::floor(body.height() / (m_slipHeight + m_gap))));
        // Each class from a page of its own.
        int i = 0;
        while (i < m_set.slips.size()) {
            const qint64 cls = m_set.slips.at(i).cls;
            int end = i;
            while (end < m_set.slips.size() && m_set.slips.at(end).cls == cls)
                ++end;
            for (int first = i; first < end; first += m_perPage)
                m_pages << Page{first, std::min(m_perPage, end - first)};
            i = end;
        }
    }
    if (progress)
        progress(1, 1);
    return std::max<int>(1, int(m_pages.size()));
}

QList<int> SlipPages::slipsOn(int page) const
{
    QList<int> out;
    if (page < 0 || page >= m_pages.size())
        return out;
    for (int k = 0; k < m_pages.at(page).count; ++k)
        out << m_pages.at(page).first + k;
    return out;
}

QString SlipPages::pageNote(int page) const
{
    if (page < 0 || page >= m_pages.size())
        return {};
    return Slips::classText(m_set.slips.at(m_pages.at(page).first).cls);
}

void SlipPages::paint(QPainter& p, int page, const QRectF& body)
{
    if (page < 0 || page >= m_pages.size())
        return;
    const Page& pg = m_pages.at(page);
    if (m_form == Form::Notice) {
        paintNotice(p, m_set.slips.at(pg.first), body);
        return;
    }
    QPen cut(Qt::black);
    cut.setWidthF(pt(0.6));
    cut.setStyle(Qt::DashLine);
    qreal y = body.top();
    auto cutLine = [&](qreal at) {
        p.setPen(cut);
        p.drawLine(QPointF(body.left(), at), QPointF(body.right(), at));
    };
    cutLine(y);
    for (int k = 0; k < pg.count; ++k) {
        const QRectF box(body.left(), y + m_gap / 2, body.width(), m_slipHeight);
        paintSlip(p, m_set.slips.at(pg.first + k), box);
        y += m_slipHeight + m_gap;
        cutLine(y);
    }
}

void SlipPages::paintSlip(QPainter& p, const Slips::Slip& slip, const QRectF& box)
{
    QPaintDevice* dev = p.device();
    const QFont titleFont = pdfFont(11, true), infoFont = pdfFont(10), tableFont = pdfFont(9.5),
                tableBold = pdfFont(9.5, true), standFont = pdfFont(10, true), noteFont = pdfFont(8);
    const qreal pad = pt(kPad);
    const qreal inner = box.width() - 2 * pad;
    qreal y = box.top() + pad;
    p.setPen(Qt::black);

    const qreal th = QFontMetricsF(titleFont, dev).height();
    p.setFont(titleFont);
    const QStringList head = examHeading(m_set) << QStringLiteral("成绩条");
    drawLine(p, QRectF(box.left() + pad, y, inner, th), Qt::AlignHCenter | Qt::AlignVCenter, head.join(QStringLiteral("　")));
    y += th * 1.3;

    const qreal ih = QFontMetricsF(infoFont, dev).height();
    p.setFont(infoFont);
    drawLine(p, QRectF(box.left() + pad, y, inner, ih), Qt::AlignLeft | Qt::AlignVCenter, infoLine(slip));
    y += ih * 1.4;

    const QList<QStringList> cells = slipCells(m_set, slip);
    const QList<qreal> widths = slipWidths(cells, QFontMetricsF(tableBold, dev), inner, pad, slip.items.size());
    const qreal rowH = QFontMetricsF(tableFont, dev).height() * kRowLines;
    const QRectF grid(box.left() + pad, y, inner, rowH * cells.size());
    drawGrid(p, grid, widths, cells, rowH, tableFont, tableBold, pt(0.5));
    y = grid.bottom();

    p.setPen(Qt::black);
    if (m_set.rank != Slips::RankMode::None) {
        const qreal sh = QFontMetricsF(standFont, dev).height();
        p.setFont(standFont);
        drawLine(p, QRectF(box.left() + pad, y + sh * 0.2, inner, sh), Qt::AlignLeft | Qt::AlignVCenter, standingLine(slip));
        y += sh * 1.4;
    } else {
        y += pad / 2;
    }
    const QString note = noteLine(m_set);
    if (!note.isEmpty()) {
        p.setFont(noteFont);
        p.drawText(QRectF(box.left() + pad, y, inner, box.bottom() - y), Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, note);
    }
}

void SlipPages::paintNotice(QPainter& p, const Slips::Slip& slip, const QRectF& body)
{
    Letter letter(p, body, m_scale);
    p.setPen(Qt::black);
    paintGreeting(letter, m_set, slip);
    paintNoticeTable(letter, m_set, slip);
    paintRemarkAndSignatures(letter);
}

Furniture furnitureOf(const Slips::Set& set, SlipPages::Form form)
{
    return {form == SlipPages::Form::Notice ? QStringLiteral("家长通知书") : QStringLiteral("成绩条"), set.examName};
}

int writeSlips(const QString& path, const Slips::Set& set, SlipPages::Form form, const Export::Progress& progress)
{
    SlipPages pages(set, form);
    return writePdf(path, pages, furnitureOf(set, form), progress);
}

QImage pageImage(Content& content, const Furniture& furniture, int page, qreal dpi)
{
    content.prepare({});
    const QPageLayout pl = pageLayout(content.landscape());
    const QRect full = pl.fullRectPixels(int(dpi)), inside = pl.paintRectPixels(int(dpi));
    const int dpm = qRound(dpi / 0.0254);
    QImage body(inside.size(), QImage::Format_RGB32);
    body.setDotsPerMeterX(dpm);
    body.setDotsPerMeterY(dpm);
    body.fill(Qt::white);
    const int pages = content.layout(&body, frameOf(&body).body.size(), {});
    {
        QPainter p(&body);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        paintPage(p, content, furniture, std::clamp(page, 0, std::max(0, pages - 1)), pages);
    }
    QImage sheet(full.size(), QImage::Format_RGB32);
    sheet.setDotsPerMeterX(dpm);
    sheet.setDotsPerMeterY(dpm);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    p.drawImage(inside.topLeft(), body);
    return sheet;
}

} // namespace Layout
