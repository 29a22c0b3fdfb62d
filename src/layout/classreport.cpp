#include "layout/classreport.h"

#include "engine/rules/numbers.h"
#include "layout/pdffont.h"
#include "layout/tablepages.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <cmath>

namespace Layout {

namespace {

// Heights of the page's parts, in millimetres.
constexpr qreal kGap = 3;
constexpr qreal kChartHeight = 52;
constexpr qreal kSmallestChart = 34;

QString shownNumber(const QVariant& v)
{
    return Export::displayText(v, Export::Format::General);
}

// A table with its header row painted from `top` in a column of the page;
// returns the height it took. Rows that do not fit are left out and counted.
struct TableOut {
    qreal height = 0;
    qsizetype leftOut = 0;
};
TableOut paintTable(QPainter& p, const Export::Sheet& sheet, const QRectF& area)
{
    TablePages t(sheet);
    t.prepare({});
    t.layout(p.device(), area.size(), {});
    const qsizetype shown = std::min<qsizetype>(sheet.rowCount(), t.rowsPerPage());
    t.paint(p, 0, area);
    const qreal row = QFontMetricsF(pdfFont(t.pointSize()), p.device()).height() * 1.55;
    TableOut out;
    out.height = row * qreal(shown + 1);
    out.leftOut = sheet.rowCount() - shown;
    return out;
}

} // namespace

ClassReportPage::ClassReportPage(ClassReport::Data data) : m_data(std::move(data)) {}

Furniture ClassReportPage::furniture() const
{
    return {QStringLiteral("%1班成绩报告").arg(m_data.cls), m_data.examLabel};
}

QString ClassReportPage::pageNote(int) const
{
    return QStringLiteral("内部资料 · 供本班任课教师使用，请勿发给学生和家长");
}

int ClassReportPage::layout(QPaintDevice*, const QSizeF&, const Export::Progress& progress)
{
    if (progress)
        progress(1, 1);
    return 1;
}

qreal ClassReportPage::paintBands(QPainter& p, const QRectF& area) const
{
    const qreal mm = p.device()->logicalDpiY() / 25.4;
    const QFont small = pdfFont(7.5), axis = pdfFont(8);
    const QFontMetricsF sm(small, p.device()), am(axis, p.device());
    // The bands from the highest one the class reaches to the lowest.
    qsizetype first = 0, last = m_data.bands.size() - 1;
    while (first <= last && m_data.bands.at(first).count == 0)
        ++first;
    while (last >= first && m_data.bands.at(last).count == 0)
        --last;
    if (first > last) {
        p.setFont(pdfFont(9));
        p.drawText(area, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("本班没有学生的总分落在分段表的各段里。"));
        return am.height() * 1.5;
    }
    // Lowest band at the left, as marks grow along an axis.
    QList<ClassReport::Band> bands;
    for (qsizetype i = last; i >= first; --i)
        bands << m_data.bands.at(i);
    qint64 most = 1;
    for (const auto& b : bands)
        most = std::max(most, b.count);
    // A step of 1, 2 or 5 times a power of ten giving at most six lines.
    qint64 step = 1;
    for (qint64 base = 1;; base *= 10) {
        if (most / base <= 5) { step = base; break; }
        if (most / (2 * base) <= 5) { step = 2 * base; break; }
        if (most / (5 * base) <= 5) { step = 5 * base; break; }
    }
    const qint64 top = (most + step - 1) / step * step;

    const qreal yLabelW = am.horizontalAdvance(QString::number(top)) + 2 * mm;
    qreal labelH = sm.height() * 1.2;
    const qreal slot = (area.width() - yLabelW - 2 * mm) / qreal(bands.size());
    qreal widestLabel = 0;
    for (const auto& b : bands)
        widestLabel = std::max(widestLabel, sm.horizontalAdvance(b.lower));
    const bool upright = widestLabel > slot * 0.95;
    if (upright)
        labelH = widestLabel + sm.height() * 0.4;
    const QRectF plot(area.left() + yLabelW, area.top() + sm.height() * 1.3, area.width() - yLabelW - 2 * mm,
                      area.height() - sm.height() * 1.3 - labelH - am.height() * 1.3);

    QPen grid(QColor(0xB0, 0xB0, 0xB0));
    grid.setWidthF(0.2 * mm);
    grid.setStyle(Qt::DotLine);
    p.setFont(axis);
    for (qint64 v = 0; v <= top; v += step) {
        const qreal y = plot.bottom() - plot.height() * qreal(v) / qreal(top);
        p.setPen(grid);
        if (v > 0)
            p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        p.setPen(Qt::black);
        p.drawText(QRectF(area.left(), y - am.height() / 2, yLabelW - 1 * mm, am.height()),
                   Qt::AlignRight | Qt::AlignVCenter, QString::number(v));
    }
    QPen outline(Qt::black);
    outline.setWidthF(0.25 * mm);
    for (int i = 0; i < bands.size(); ++i) {
        const auto& b = bands.at(i);
        const qreal x = plot.left() + slot * i;
        const qreal h = plot.height() * qreal(b.count) / qreal(top);
        const QRectF bar(x + slot * 0.15, plot.bottom() - h, slot * 0.7, h);
        p.setPen(outline);
        p.setBrush(QColor(0xC8, 0xC8, 0xC8));
        if (b.count > 0)
            p.drawRect(bar);
        p.setBrush(Qt::NoBrush);
        p.setFont(small);
        p.drawText(QRectF(x, bar.top() - sm.height() * 1.2, slot, sm.height() * 1.2), Qt::AlignHCenter | Qt::AlignBottom,
                   QString::number(b.count));
        if (upright) {
            p.save();
            p.translate(x + slot / 2 + sm.height() / 2, plot.bottom() + sm.height() * 0.2);
            p.rotate(90);
            p.drawText(QRectF(0, 0, widestLabel, sm.height()), Qt::AlignLeft | Qt::AlignVCenter, b.lower);
            p.restore();
        } else {
            p.drawText(QRectF(x, plot.bottom(), slot, labelH), Qt::AlignHCenter | Qt::AlignVCenter, b.lower);
        }
    }
    p.setPen(outline);
    p.drawLine(plot.bottomLeft(), plot.bottomRight());
    p.drawLine(plot.bottomLeft(), plot.topLeft());
    p.setFont(axis);
    p.drawText(QRectF(plot.left(), plot.bottom() + labelH, plot.width(), am.height() * 1.3),
               Qt::AlignHCenter | Qt::AlignVCenter,
               QStringLiteral("总分段（每段的下限，一段10分）  纵轴：人数"));
    return area.height();
}

void ClassReportPage::paint(QPainter& p, int, const QRectF& body)
{
    m_fitted = true;
    const qreal mm = p.device()->logicalDpiY() / 25.4;
    const QFont text = pdfFont(9.5), heading = pdfFont(11, true), note = pdfFont(8);
    const QFontMetricsF tm(text, p.device()), hm(heading, p.device()), nm(note, p.device());
    qreal y = body.top();
    p.setPen(Qt::black);

    // A paragraph: one line, or several when it is wider than the page.
    auto line = [&](const QString& s, const QFont& f, const QFontMetricsF& m, qreal indent = 0) {
        p.setFont(f);
        const qreal width = body.width() - indent;
        const QRectF need = m.boundingRect(QRectF(0, 0, width, 1e6), Qt::TextWordWrap, s);
        const qreal pad = m.height() * 0.35;
        const QRectF r(body.left() + indent, y + pad / 2, width, need.height());
        p.drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, s);
        y += need.height() + pad;
    };
    auto section = [&](const QString& title) {
        y += kGap * mm;
        line(title, heading, hm);
        y += 0.8 * mm;
    };
    auto room = [&] { return body.bottom() - y; };

    // Who and how many.
    QStringList head{QStringLiteral("班级：%1班").arg(m_data.cls)};
    head << (m_data.students ? QStringLiteral("保存的成绩中本班%1人").arg(*m_data.students)
                             : QStringLiteral("这次考试的成绩没有永久保存，应考人数不详"));
    if (m_data.bandsSaved && !m_data.totalAverage.isNull())
        head << QStringLiteral("总分平均分 %1（全级 %2）")
                    .arg(shownNumber(m_data.totalAverage), shownNumber(m_data.gradeTotalAverage));
    line(head.join(QStringLiteral("    ")), text, tm);

    section(QStringLiteral("一、各科成绩"));
    const TableOut subjects = paintTable(p, ClassReport::subjectSheet(m_data), QRectF(body.left(), y, body.width(), room()));
    y += subjects.height;
    m_fitted = m_fitted && subjects.leftOut == 0;
    p.setPen(Qt::black);
    line(QStringLiteral("应考：保存的成绩中本班人数；参考：分析表中有成绩的人数；均分名次：本班平均分在各班中的名次/有名次的班数；"
                        "级前N：全级前N名中本班的人数。"),
         note, nm);

    section(QStringLiteral("二、总分分段"));
    if (!m_data.bandsSaved) {
        line(QStringLiteral("这次考试的总分分段表没有永久保存，没有分段人数。"), text, tm, 2 * mm);
    } else {
        // The later sections need about 95 mm; the chart takes what is left, within limits.
        const qreal h = std::clamp(room() - 95 * mm, kSmallestChart * mm, kChartHeight * mm);
        y += paintBands(p, QRectF(body.left(), y, body.width(), h));
    }

    section(QStringLiteral("三、各科等级分布"));
    if (m_data.levels.isEmpty()) {
        line(QStringLiteral("还没有设定等级方案，这里暂不列出各等级人数。"), text, tm, 2 * mm);
    } else {
        Export::Sheet levels;
        levels.columns << QStringLiteral("科目");
        for (const auto& s : m_data.levels)
            for (const auto& c : s.counts)
                if (!levels.columns.contains(c.level))
                    levels.columns << c.level;
        levels.headers = levels.columns;
        for (const auto& s : m_data.levels) {
            QVariantList row(levels.columns.size());
            row[0] = s.subject;
            for (const auto& c : s.counts)
                row[levels.columns.indexOf(c.level)] = c.count;
            levels.rows << row;
        }
        levels.formatsFromNames();
        const TableOut t = paintTable(p, levels, QRectF(body.left(), y, body.width(), room()));
        y += t.height;
        m_fitted = m_fitted && t.leftOut == 0;
    }

    if (!m_data.previous) {
        section(QStringLiteral("四、进退步"));
        line(m_data.students ? QStringLiteral("这是最早永久保存的一次考试，没有可以比较的上一次考试。")
                             : QStringLiteral("这次考试的成绩没有永久保存，无法比较进退步。"),
             text, tm, 2 * mm);
        return;
    }
    section(QStringLiteral("四、进退步（与上一次考试“%1”相比，按年级总分名次；并列的一并列出）").arg(m_data.previousLabel));
    const qreal half = (body.width() - 4 * mm) / 2;
    qreal lowest = y;
    const std::pair<const Export::Sheet*, QString> lists[] = {{&m_data.up, QStringLiteral("进步最多")},
                                                              {&m_data.down, QStringLiteral("退步最多")}};
    for (int i = 0; i < 2; ++i) {
        const qreal x = body.left() + i * (half + 4 * mm);
        qreal yy = y;
        p.setFont(text);
        p.setPen(Qt::black);
        p.drawText(QRectF(x, yy, half, tm.height() * 1.3), Qt::AlignLeft | Qt::AlignVCenter, lists[i].second);
        yy += tm.height() * 1.3;
        if (lists[i].first->rows.isEmpty()) {
            p.drawText(QRectF(x, yy, half, tm.height() * 1.3), Qt::AlignLeft | Qt::AlignVCenter,
                       i == 0 ? QStringLiteral("本班没有名次上升的学生。") : QStringLiteral("本班没有名次下降的学生。"));
            yy += tm.height() * 1.3;
        } else {
            const TableOut t = paintTable(p, *lists[i].first, QRectF(x, yy, half, body.bottom() - yy));
            yy += t.height;
            if (t.leftOut > 0) {
                m_fitted = false;
                p.setFont(note);
                p.setPen(Qt::black);
                p.drawText(QRectF(x, yy, half, nm.height() * 1.3), Qt::AlignLeft | Qt::AlignVCenter,
                           QStringLiteral("另有%1人未列出").arg(t.leftOut));
                yy += nm.height() * 1.3;
            }
        }
        lowest = std::max(lowest, yy);
    }
    y = lowest;
    if (y > body.bottom())
        m_fitted = false;
}

} // namespace Layout
