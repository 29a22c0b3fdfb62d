#include "layout/pages.h"

#include "engine/app/safefile.h"
#include "engine/db/database.h"
#include "layout/pdffont.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

namespace Layout {

namespace {

constexpr int kProgressSteps = 1000;
constexpr int kPrepareSteps = 80; // of kProgressSteps
constexpr int kLayoutSteps = 100;

QFont titleFont()
{
    return pdfFont(15, true);
}

QFont lineFont()
{
    return pdfFont(9);
}

} // namespace

QPageLayout pageLayout(bool landscape)
{
    return QPageLayout(QPageSize(QPageSize::A4), landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(12, 10, 12, 10), QPageLayout::Millimeter);
}

PageFrame frameOf(QPaintDevice* dev)
{
    const QFontMetricsF title(titleFont(), dev), line(lineFont(), dev);
    PageFrame f;
    f.page = QRectF(0, 0, dev->width(), dev->height());
    const qreal headH = title.height() + line.height() * 1.5;
    const qreal footH = line.height() * 1.8;
    f.head = QRectF(0, 0, f.page.width(), headH);
    f.foot = QRectF(0, f.page.height() - footH, f.page.width(), footH);
    f.body = QRectF(0, headH, f.page.width(), f.page.height() - headH - footH);
    return f;
}

void paintPage(QPainter& p, Content& content, const Furniture& furniture, int page, int pages)
{
    QPaintDevice* dev = p.device();
    const PageFrame frame = frameOf(dev);
    const QString date = furniture.date.toString(QStringLiteral("yyyy年M月d日"));
    const QFont title = titleFont(), line = lineFont();
    const QFontMetricsF tm(title, dev), lm(line, dev);
    p.setPen(Qt::black);
    p.setFont(title);
    p.drawText(QRectF(0, 0, frame.page.width(), tm.height()), Qt::AlignHCenter | Qt::AlignTop, furniture.title);
    p.setFont(line);
    const QRectF sub(0, tm.height() + lm.height() * 0.15, frame.page.width(), lm.height());
    p.drawText(sub, Qt::AlignLeft | Qt::AlignVCenter, furniture.examName);
    p.drawText(sub, Qt::AlignHCenter | Qt::AlignVCenter, content.pageNote(page));
    p.drawText(sub, Qt::AlignRight | Qt::AlignVCenter, date);
    p.drawText(QRectF(0, frame.page.height() - lm.height(), frame.page.width(), lm.height()),
               Qt::AlignHCenter | Qt::AlignBottom, QStringLiteral("第 %1 页 / 共 %2 页").arg(page + 1).arg(pages));
    p.save();
    content.paint(p, page, frame.body);
    p.restore();
}

int paint(QPagedPaintDevice* dev, Content& content, const Furniture& furniture, const Export::Progress& progress)
{
    QPainter p;
    if (!p.begin(dev))
        return -1;
    const PageFrame frame = frameOf(dev);
    content.prepare(Export::phase(progress, 0, kPrepareSteps));
    const int pages = content.layout(dev, frame.body.size(), Export::phase(progress, kPrepareSteps, kLayoutSteps));
    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            dev->newPage();
        paintPage(p, content, furniture, i, pages);
        if (progress)
            progress(kLayoutSteps + qint64(i + 1) * (kProgressSteps - kLayoutSteps) / pages, kProgressSteps);
    }
    p.end();
    return pages;
}

int writePdf(const QString& path, Content& content, const Furniture& furniture, const Export::Progress& progress)
{
    Files::SafeTarget target(path, QStringLiteral(".pdf"));
    QFile file(target.tempPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Db::Error(Files::writeFailure(path, file.errorString()));
    int pages = 0;
    {
        QPdfWriter writer(&file);
        writer.setResolution(1200);
        writer.setTitle(furniture.examName.isEmpty() ? furniture.title : furniture.examName + QLatin1Char(' ') + furniture.title);
        writer.setCreator(QStringLiteral("墨竹成绩册"));
        content.prepare(Export::phase(progress, 0, kPrepareSteps));
        writer.setPageLayout(pageLayout(content.landscape()));
        pages = paint(&writer, content, furniture, progress);
        if (pages < 0)
            throw Db::Error(Files::writeFailure(path, QStringLiteral("无法生成PDF")));
    }
    const bool failed = file.error() != QFileDevice::NoError;
    const QString reason = file.errorString();
    file.close();
    if (failed)
        throw Db::Error(Files::writeFailure(path, reason));
    target.commit();
    return pages;
}

} // namespace Layout
