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

// The bands from the highest one the class reaches to the lowest, the lowest
// first (at the left, as marks grow along an axis); none when it reaches none.
QList<ClassReport::Band> reachedBands(const QList<ClassReport::Band>& all)
{
    qsizetype first = 0, last = all.size() - 1;
    while (first <= last && all.at(first).count == 0)
        ++first;
    while (last >= first && all.at(last).count == 0)
        --last;
    QList<ClassReport::Band> bands;
    for (qsizetype i = last; i >= first; --i)
        bands << all.at(i);
    return bands;
}

// A step of 1, 2 or 5 times a power of ten giving at most six lines.
qint64 gridStep(qint64 most)
{
    for (qint64 base = 1;; base *= 10) {
        if (most / base <= 5)
            return base;
        if (most / (2 * base) <= 5)
            return 2 * base;
        if (most / (5 * base) <= 5)
            return 5 * base;
    }
}

// Where the parts of the band chart go: the count axis at the left, a slot
// per band, the bands' labels under the plot (upright when they are wider
// than their slot) and the axis caption under them.
struct BandChart {
    qint64 step = 1, top = 1;
    qreal yLabelW = 0, labelH = 0, slot = 0, widestLabel = 0;
    bool upright = false;
    QRectF plot;
};

BandChart bandChart(const QList<ClassReport::Band>& bands, const QRectF& area, const QFontMetricsF& sm,
                    const QFontMetricsF& am, qreal mm)
{
    BandChart c;
    qint64 most = 1;
    for (const auto& b : bands)
        most = std::max(most, b.count);
    c.step = gridStep(most);
    c.top = (most + c.step - 1) / c.step * c.step;
    c.yLabelW = am.horizontalAdvance(QString::number(c.top)) + 2 * mm;
    c.labelH = sm.height() * 1.2;
    c.slot = (area.width() - c.yLabelW - 2 * mm) / qreal(bands.size());
    for (const auto& b : bands)
        c.widestLabel = std::max(c.widestLabel, sm.horizontalAdvance(b.lower));
    c.upright = c.widestLabel > c.slot * 0.95;
    if (c.upright)
        c.labelH = c.widestLabel + sm.height() * 0.4;
    c.plot = QRectF(area.left() + c.yLabelW, area.top() + sm.height() * 1.3, area.width() - c.yLabelW - 2 * mm,
                    area.height() - sm.height() * 1.3 - c.labelH - am.height() * 1.3);
    return c;
}

// The dotted lines across the plot at each step, numbered at the left.
void paintGridLines(QPainter& p, const BandChart& c, const QRectF& area, const QFont& axis, const QFontMetricsF& am,
                    qreal mm)
{
    QPen grid(QColor(0xB0, 0xB0, 0xB0));
    grid.setWidthF(0.2 * mm);
    grid.setStyle(Qt::DotLine);
    p.setFont(axis);
    for (qint64 v = 0; v <= c.top; v += c.step) {
        const qreal y = c.plot.bottom() - c.plot.height() * qreal(v) / qreal(c.top);
        p.setPen(grid);
        if (v > 0)
            p.drawLine(QPointF(c.plot.left(), y), QPointF(c.plot.right(), y));
        p.setPen(Qt::black);
        p.drawText(QRectF(area.left(), y - am.height() / 2, c.yLabelW - 1 * mm, am.height()),
                   Qt::AlignRight | Qt::AlignVCenter, QString::number(v));
    }
}

// The font of the counts above the bars: the labels' own, smaller when the
// widest count would run into the next bar's.
QFont countFont(const QList<ClassReport::Band>& bands, const BandChart& c, const QFont& small, const QFontMetricsF& sm)
{
    qreal widest = 0;
    for (const auto& b : bands)
        widest = std::max(widest, sm.horizontalAdvance(QString::number(b.count)));
    QFont f = small;
    if (widest > c.slot * 0.95)
        f.setPointSizeF(small.pointSizeF() * c.slot * 0.95 / widest);
    return f;
}

// A grey bar per band with its count above it and its lower bound below.
void paintBars(QPainter& p, const QList<ClassReport::Band>& bands, const BandChart& c, const QFont& small,
               const QFontMetricsF& sm, const QPen& outline)
{
    const QFont counts = countFont(bands, c, small, sm);
    for (int i = 0; i < bands.size(); ++i) {
        const auto& b = bands.at(i);
        const qreal x = c.plot.left() + c.slot * i;
        const qreal h = c.plot.height() * qreal(b.count) / qreal(c.top);
        const QRectF bar(x + c.slot * 0.15, c.plot.bottom() - h, c.slot * 0.7, h);
        p.setPen(outline);
        p.setBrush(QColor(0xC8, 0xC8, 0xC8));
        if (b.count > 0)
            p.drawRect(bar);
        p.setBrush(Qt::NoBrush);
        p.setFont(counts);
        p.drawText(QRectF(x, bar.top() - sm.height() * 1.2, c.slot, sm.height() * 1.2), Qt::AlignHCenter | Qt::AlignBottom,
                   QString::number(b.count));
        p.setFont(small);
        if (c.upright) {
            p.save();
            p.translate(x + c.slot / 2 + sm.height() / 2, c.plot.bottom() + sm.height() * 0.2);
            p.rotate(90);
            p.drawText(QRectF(0, 0, c.widestLabel, sm.height()), Qt::AlignLeft | Qt::AlignVCenter, b.lower);
            p.restore();
        } else {
            p.drawText(QRectF(x, c.plot.bottom(), c.slot, c.labelH), Qt::AlignHCenter | Qt::AlignVCenter, b.lower);
        }
    }
}

// The two axes and the caption under the band labels.
void paintAxes(QPainter& p, const BandChart& c, const QFont& axis, const QFontMetricsF& am, const QPen& outline)
{
    p.setPen(outline);
    p.drawLine(c.plot.bottomLeft(), c.plot.bottomRight());
    p.drawLine(c.plot.bottomLeft(), c.plot.topLeft());
    p.setFont(axis);
    p.drawText(QRectF(c.plot.left(), c.plot.bottom() + c.labelH, c.plot.width(), am.height() * 1.3),
               Qt::AlignHCenter | Qt::AlignVCenter,
               QStringLiteral("总分段（每段的下限，一段10分）  纵轴：人数"));
}

// The level counts as a table: a row per subject, a column per level met.
Export::Sheet levelSheet(const QList<ClassReport::SubjectLevels>& subjects)
{
    Export::Sheet levels;
    levels.columns << QStringLiteral("科目");
    for (const auto& s : subjects)
        for (const auto& c : s.counts)
            if (!levels.columns.contains(c.level))
                levels.columns << c.level;
    levels.headers = levels.columns;
    for (const auto& s : subjects) {
        QVariantList row(levels.columns.size());
        row[0] = s.subject;
        for (const auto& c : s.counts)
            row[levels.columns.indexOf(c.level)] = c.count;
        levels.rows << row;
    }
    levels.formatsFromNames();
    return levels;
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

// The page's body filled from the top, paragraphs and section titles one
// below the other; y is where the next one starts.
struct ClassReportPage::Flow {
    Flow(QPainter& painter, const QRectF& area)
        : p(painter), body(area), mm(painter.device()->logicalDpiY() / 25.4), text(pdfFont(9.5)),
          heading(pdfFont(11, true)), note(pdfFont(8)), tm(text, painter.device()), hm(heading, painter.device()),
          nm(note, painter.device()), y(area.top())
    {
    }

    // A paragraph: one line, or several when it is wider than the page.
    void line(const QString& s, const QFont& f, const QFontMetricsF& m, qreal indent = 0)
    {
        p.setFont(f);
        const qreal width = body.width() - indent;
        const QRectF need = m.boundingRect(QRectF(0, 0, width, 1e6), Qt::TextWordWrap, s);
        const qreal pad = m.height() * 0.35;
        const QRectF r(body.left() + indent, y + pad / 2, width, need.height());
        p.drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, s);
        y += need.height() + pad;
    }
    void section(const QString& title)
    {
        y += kGap * mm;
        line(title, heading, hm);
        y += 0.8 * mm;
    }
    qreal room() const { return body.bottom() - y; }
    // The full width of the body from y down to its bottom.
    QRectF rest() const { return QRectF(body.left(), y, body.width(), room()); }

    QPainter& p;
    const QRectF body;
    const qreal mm;
    const QFont text, heading, note;
    const QFontMetricsF tm, hm, nm;
    qreal y;
};

qreal ClassReportPage::paintBands(QPainter& p, const QRectF& area) const
{
    const qreal mm = p.device()->logicalDpiY() / 25.4;
    const QFont small = pdfFont(7.5), axis = pdfFont(8);
    const QFontMetricsF sm(small, p.device()), am(axis, p.device());
    const QList<ClassReport::Band> bands = reachedBands(m_data.bands);
    if (bands.isEmpty()) {
        p.setFont(pdfFont(9));
        p.drawText(area, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("本班没有学生的总分落在分段表的各段里。"));
        return am.height() * 1.5;
    }
    const BandChart chart = bandChart(bands, area, sm, am, mm);
    paintGridLines(p, chart, area, axis, am, mm);
    QPen outline(Qt::black);
    outline.setWidthF(0.25 * mm);
    paintBars(p, bands, chart, small, sm, outline);
    paintAxes(p, chart, axis, am, outline);
    return area.height();
}

void ClassReportPage::paint(QPainter& p, int, const QRectF& body)
{
    m_fitted = true;
    Flow f(p, body);
    p.setPen(Qt::black);
    paintHead(f);
    paintSubjects(f);
    paintBandSection(f);
    paintLevels(f);
    paintMovers(f);
}

// Who and how many.
void ClassReportPage::paintHead(Flow& f) const
{
    QStringList head{QStringLiteral("班级：%1班").arg(m_data.cls)};
    head << (m_data.students ? QStringLiteral("保存的成绩中本班%1人").arg(*m_data.students)
                             : QStringLiteral("这次考试的成绩没有永久保存，应考人数不详"));
    if (m_data.bandsSaved && !m_data.totalAverage.isNull())
        head << QStringLiteral("总分平均分 %1（全级 %2）")
                    .arg(shownNumber(m_data.totalAverage), shownNumber(m_data.gradeTotalAverage));
    f.line(head.join(QStringLiteral("    ")), f.text, f.tm);
}

void ClassReportPage::paintSubjects(Flow& f)
{
    f.section(QStringLiteral("一、各科成绩"));
    const TableOut subjects = paintTable(f.p, ClassReport::subjectSheet(m_data), f.rest());
    f.y += subjects.height;
    m_fitted = m_fitted && subjects.leftOut == 0;
    f.p.setPen(Qt::black);
    f.line(QStringLiteral("应考：保存的成绩中本班人数；参考：分析表中有成绩的人数；均分名次：本班平均分在各班中的名次/有名次的班数；"
                          "级前N：全级前N名中本班的人数。"),
           f.note, f.nm);
}

void ClassReportPage::paintBandSection(Flow& f) const
{
    f.section(QStringLiteral("二、总分分段"));
    if (!m_data.bandsSaved) {
        f.line(QStringLiteral("这次考试的总分分段表没有永久保存，没有分段人数。"), f.text, f.tm, 2 * f.mm);
        return;
    }
    // The later sections need about 95 mm; the chart takes what is left, within limits.
    const qreal h = std::clamp(f.room() - 95 * f.mm, kSmallestChart * f.mm, kChartHeight * f.mm);
    f.y += paintBands(f.p, QRectF(f.body.left(), f.y, f.body.width(), h));
}

void ClassReportPage::paintLevels(Flow& f)
{
    f.section(QStringLiteral("三、各科等级分布"));
    if (m_data.levels.isEmpty()) {
        f.line(QStringLiteral("还没有设定等级方案，这里暂不列出各等级人数。"), f.text, f.tm, 2 * f.mm);
        return;
    }
    const TableOut t = paintTable(f.p, levelSheet(m_data.levels), f.rest());
    f.y += t.height;
    m_fitted = m_fitted && t.leftOut == 0;
}

// The students who moved up most beside those who moved down most.
void ClassReportPage::paintMovers(Flow& f)
{
    if (!m_data.previous) {
        f.section(QStringLiteral("四、进退步"));
        f.line(m_data.students ? QStringLiteral("这是最早永久保存的一次考试，没有可以比较的上一次考试。")
                               : QStringLiteral("这次考试的成绩没有永久保存，无法比较进退步。"),
               f.text, f.tm, 2 * f.mm);
        return;
    }
    f.section(QStringLiteral("四、进退步（与上一次考试“%1”相比，按年级总分名次；并列的一并列出）").arg(m_data.previousLabel));
    const qreal half = (f.body.width() - 4 * f.mm) / 2;
    qreal lowest = f.y;
    const struct {
        const Export::Sheet* list;
        QString title, none;
    } lists[] = {{&m_data.up, QStringLiteral("进步最多"), QStringLiteral("本班没有名次上升的学生。")},
                 {&m_data.down, QStringLiteral("退步最多"), QStringLiteral("本班没有名次下降的学生。")}};
    for (int i = 0; i < 2; ++i) {
        const qreal x = f.body.left() + i * (half + 4 * f.mm);
        lowest = std::max(lowest, paintMoverList(f, x, half, *lists[i].list, lists[i].title, lists[i].none));
    }
    f.y = lowest;
    if (f.y > f.body.bottom())
        m_fitted = false;
}

// One of the two lists in its half of the page, from f.y down; where it ends.
qreal ClassReportPage::paintMoverList(Flow& f, qreal x, qreal width, const Export::Sheet& list, const QString& title,
                                      const QString& none)
{
    QPainter& p = f.p;
    const qreal lineH = f.tm.height() * 1.3;
    qreal y = f.y;
    p.setFont(f.text);
    p.setPen(Qt::black);
    p.drawText(QRectF(x, y, width, lineH), Qt::AlignLeft | Qt::AlignVCenter, title);
    y += lineH;
    if (list.rows.isEmpty()) {
        p.drawText(QRectF(x, y, width, lineH), Qt::AlignLeft | Qt::AlignVCenter, none);
        return y + lineH;
    }
    const TableOut t = paintTable(p, list, QRectF(x, y, width, f.body.bottom() - y));
    y += t.height;
    if (t.leftOut > 0) {
        m_fitted = false;
        p.setFont(f.note);
        p.setPen(Qt::black);
        p.drawText(QRectF(x, y, width, f.nm.height() * 1.3), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("另有%1人未列出").arg(t.leftOut));
        y += f.nm.height() * 1.3;
    }
    return y;
}

} // namespace Layout
