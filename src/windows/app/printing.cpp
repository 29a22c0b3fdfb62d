#include "windows/app/printing.h"

#include "engine/app/safefile.h"
#include "engine/db/database.h"
#include "engine/export/xlsx.h"
#include "windows/app/form.h"
#include "windows/app/messages.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGraphicsView>
#include <QHeaderView>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QRawFont>
#include <QSet>
#include <QStandardPaths>
#include <QTableView>
#include <QTextDocument>
#include <memory>
#include <vector>

namespace Print {

namespace {

PreviewSeam& previewSeam()
{
    static PreviewSeam s;
    return s;
}

// How many ideographs of the font's face share their glyph with a radical or
// an Extension A character (whose lower code point the PDF would record).
int radicalAliases(const QFont& f)
{
    const QRawFont raw = QRawFont::fromFont(f, QFontDatabase::SimplifiedChinese);
    if (!raw.isValid())
        return -1;
    auto glyphs = [&](char32_t from, char32_t to) {
        QString s;
        for (char32_t c = from; c <= to; ++c)
            s += QChar(char16_t(c));
        return raw.glyphIndexesForString(s);
    };
    QSet<quint32> low;
    for (quint32 g : glyphs(0x2E80, 0x4DFF))
        if (g)
            low.insert(g);
    int n = 0;
    for (quint32 g : glyphs(0x4E00, 0x9FFF))
        if (g && low.contains(g))
            ++n;
    return n;
}

QString tableHtml(const Export::Sheet& s, qsizetype from, qsizetype count)
{
    QString h = QStringLiteral("<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"2\" "
                               "style=\"border-collapse:collapse; border-color:#808080\"><thead><tr>");
    for (const QString& t : s.headers)
        h += QStringLiteral("<th bgcolor=\"#e0e0e0\">") + t.toHtmlEscaped() + QStringLiteral("</th>");
    h += QStringLiteral("</tr></thead><tbody>");
    for (qsizetype r = from; r < from + count && r < s.rows.size(); ++r) {
        h += QStringLiteral("<tr>");
        const QVariantList& row = s.rows.at(r);
        for (int c = 0; c < s.headers.size(); ++c)
            h += QStringLiteral("<td align=\"center\">") + Export::displayText(row.value(c), s.format(c)).toHtmlEscaped()
                + QStringLiteral("</td>");
        h += QStringLiteral("</tr>");
    }
    return h + QStringLiteral("</tbody></table>");
}

class Progress {
public:
    explicit Progress(const QString& text)
    {
        // Tests run without anyone to look at a dialog.
        if (Msg::recorder())
            return;
        m_dialog = std::make_unique<QProgressDialog>(text, QString(), 0, 100, QApplication::activeWindow());
        m_dialog->setWindowTitle(QStringLiteral("请稍候"));
        m_dialog->setMinimumDuration(400);
        m_dialog->setWindowModality(Qt::WindowModal);
    }
    Export::Progress callback()
    {
        return [this](qint64 done, qint64 total) {
            if (m_dialog && total > 0) {
                m_dialog->setValue(int(done * 100 / total));
                QApplication::processEvents();
            }
        };
    }

private:
    std::unique_ptr<QProgressDialog> m_dialog;
};

QString safeFileName(QString name)
{
    for (QChar bad : QStringLiteral("/\\:*?\"<>|"))
        name.replace(bad, QLatin1Char('_'));
    return name.trimmed().isEmpty() ? QStringLiteral("成绩") : name.trimmed();
}

QString jobBaseName(const Job& job)
{
    if (job.examName.isEmpty())
        return job.title;
    return job.title.isEmpty() ? job.examName : job.examName + QLatin1Char('-') + job.title;
}

} // namespace

QFont pdfFont(qreal pointSize)
{
    static const QString family = [] {
        const QStringList installed = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
        for (const QString& f : {QStringLiteral("Droid Sans Fallback"), QStringLiteral("Noto Sans CJK SC"),
                                 QStringLiteral("Noto Serif CJK SC"), QStringLiteral("WenQuanYi Micro Hei"),
                                 QStringLiteral("AR PL UMing CN")}) {
            if (installed.contains(f) && radicalAliases(QFont(f)) == 0)
                return f;
        }
        return QStringLiteral("Droid Sans Fallback");
    }();
    QFont f(family);
    f.setPointSizeF(pointSize);
    return f;
}

bool landscape(const Job& job)
{
    return job.chart || job.table.headers.size() > 8;
}

int paint(QPagedPaintDevice* dev, const Job& job, const Export::Progress& progress)
{
    QPainter p;
    if (!p.begin(dev))
        return -1;
    const QFont font = pdfFont(job.table.headers.size() > 20 ? 7 : job.table.headers.size() > 12 ? 8 : 10);
    const QRectF page(0, 0, dev->width(), dev->height());
    QFont small = font;
    QFont big = font;
    big.setPointSizeF(font.pointSizeF() * 1.6);
    big.setBold(true);
    const QFontMetricsF fmSmall(small, dev), fmBig(big, dev);
    const qreal headH = fmBig.height() + fmSmall.height() * 1.4, footH = fmSmall.height() * 1.6;
    const QRectF body(0, headH, page.width(), page.height() - headH - footH);

    std::vector<std::unique_ptr<QTextDocument>> pages;
    auto document = [&](const QString& html) {
        auto d = std::make_unique<QTextDocument>();
        d->documentLayout()->setPaintDevice(dev); // lay out in device units: point sizes stay points
        d->setDefaultFont(font);
        d->setDocumentMargin(0);
        d->setTextWidth(body.width());
        d->setHtml(html);
        return d;
    };
    const Export::Sheet& s = job.table;
    if (!job.chart && !s.headers.isEmpty()) {
        // One table per page with as many rows as fit, the header row on each.
        auto fits = [&](qsizetype from, qsizetype n) { return document(tableHtml(s, from, n))->size().height() <= body.height(); };
        qsizetype from = 0, n = 25;
        do {
            n = std::clamp<qsizetype>(n, 1, qMax<qsizetype>(1, s.rows.size() - from));
            while (n > 1 && !fits(from, n))
                --n;
            while (from + n < s.rows.size() && fits(from, n + 1))
                ++n;
            pages.push_back(document(tableHtml(s, from, n)));
            from += n;
            if (progress)
                progress(from, s.rows.size());
        } while (from < s.rows.size());
    }
    const int total = job.chart ? 1 : int(pages.size());
    const QString date = QDate::currentDate().toString(QStringLiteral("yyyy年M月d日"));
    auto decorate = [&](int n) {
        p.setPen(Qt::black);
        p.setFont(big);
        p.drawText(QRectF(0, 0, page.width(), fmBig.height()), Qt::AlignHCenter | Qt::AlignTop, job.title);
        p.setFont(small);
        const QRectF line(0, fmBig.height(), page.width(), fmSmall.height());
        p.drawText(line, Qt::AlignLeft, job.examName);
        p.drawText(line, Qt::AlignRight, date);
        p.drawText(QRectF(0, page.height() - fmSmall.height(), page.width(), fmSmall.height()), Qt::AlignHCenter,
                   QStringLiteral("第 %1 页 / 共 %2 页").arg(n).arg(total));
    };
    if (job.chart) {
        QGraphicsView* gv = job.chart;
        if (!gv->isVisible() && !gv->window()->isVisible()) {
            // A chart never shown has not laid itself out yet.
            gv->setAttribute(Qt::WA_DontShowOnScreen);
            gv->show();
        }
        decorate(1);
        const QSizeF size = gv->viewport()->size();
        const qreal k = std::min(body.width() / size.width(), body.height() / size.height());
        const QRectF target(body.left() + (body.width() - size.width() * k) / 2, body.top(), size.width() * k,
                            size.height() * k);
        // Painted as the scene's items: lines stay sharp and the text stays text.
        gv->render(&p, target, gv->viewport()->rect());
        return 1;
    }
    for (int i = 0; i < int(pages.size()); ++i) {
        if (i > 0)
            dev->newPage();
        decorate(i + 1);
        p.save();
        p.translate(body.topLeft());
        pages[size_t(i)]->drawContents(&p, QRectF(0, 0, body.width(), body.height()));
        p.restore();
    }
    return total;
}

void toPdf(const QString& path, const Job& job, const Export::Progress& progress)
{
    Files::SafeTarget target(path, QStringLiteral(".pdf"));
    QFile file(target.tempPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Db::Error(Files::writeFailure(path, file.errorString()));
    {
        QPdfWriter writer(&file);
        writer.setResolution(1200);
        writer.setTitle(job.title);
        writer.setCreator(QStringLiteral("墨竹成绩册"));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                         landscape(job) ? QPageLayout::Landscape : QPageLayout::Portrait,
                                         QMarginsF(12, 10, 12, 10), QPageLayout::Millimeter));
        if (paint(&writer, job, progress) < 0)
            throw Db::Error(Files::writeFailure(path, QStringLiteral("无法生成PDF")));
    }
    const bool failed = file.error() != QFileDevice::NoError;
    const QString reason = file.errorString();
    file.close();
    if (failed)
        throw Db::Error(Files::writeFailure(path, reason));
    target.commit();
}

void chartToPng(const QString& path, QGraphicsView* chart)
{
    Files::SafeTarget target(path, QStringLiteral(".png"));
    const QSize size = chart->viewport()->size();
    QImage img(size * 2, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    {
        QPainter ip(&img);
        ip.setRenderHint(QPainter::Antialiasing);
        chart->render(&ip, QRectF(QPointF(0, 0), QSizeF(size * 2)), chart->viewport()->rect());
    }
    if (!img.save(target.tempPath(), "PNG"))
        throw Db::Error(Files::writeFailure(path, QStringLiteral("图片写不进去，可能是磁盘已满")));
    target.commit();
}

void setPreviewSeam(PreviewSeam seam)
{
    previewSeam() = std::move(seam);
}

void preview(QWidget* parent, const Job& job)
{
    if (job.isEmpty())
        throw Db::InputError(QStringLiteral("这个窗口现在没有可以打印的内容，请先查询或生成图表"));
    if (previewSeam()) {
        previewSeam()(job);
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setResolution(1200);
    printer.setDocName(jobBaseName(job));
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                      landscape(job) ? QPageLayout::Landscape : QPageLayout::Portrait,
                                      QMarginsF(12, 10, 12, 10), QPageLayout::Millimeter));
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("打印预览 - ") + job.title);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&job](QPrinter* pr) { paint(pr, job); });
    dialog.resize(1000, 760);
    dialog.exec();
}

Export::Sheet sheetOf(const QList<QTableView*>& views, const QString& name)
{
    Export::Sheet s;
    s.name = name;
    if (views.isEmpty() || !views.first()->model())
        return s;
    QAbstractItemModel* model = views.first()->model();
    QList<int> columns;
    for (QTableView* v : views) {
        QHeaderView* h = v->horizontalHeader();
        for (int visual = 0; visual < h->count(); ++visual) {
            const int c = h->logicalIndex(visual);
            if (v->isColumnHidden(c) || v->columnWidth(c) == 0 || columns.contains(c))
                continue;
            columns << c;
        }
    }
    for (int c : columns)
        s.headers << model->headerData(c, Qt::Horizontal).toString();
    s.formatsFromNames();
    // With a frozen left grid first, its columns stay in view in the workbook too.
    if (views.size() > 1) {
        QTableView* left = views.first();
        for (int c : columns)
            s.frozenColumns += !left->isColumnHidden(c) && left->columnWidth(c) > 0;
    }
    for (int r = 0; r < model->rowCount(); ++r) {
        QVariantList row;
        for (int c : columns)
            row << model->index(r, c).data(Qt::EditRole);
        s.rows << row;
    }
    return s;
}

QString chooseFile(const QString& caption, const QString& baseName, const QString& suffix, const QString& filter)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString proposed = QDir(folder).filePath(safeFileName(baseName) + suffix);
    QString chosen = Msg::saveFileName(caption, proposed, filter);
    if (!chosen.isEmpty() && !chosen.endsWith(suffix, Qt::CaseInsensitive) && !suffix.isEmpty()
        && QFileInfo(chosen).suffix().isEmpty())
        chosen += suffix;
    return chosen;
}

namespace {

QAction* action(QWidget* on, const QString& text, const QKeySequence& keys, QWidget* window, std::function<void()> run)
{
    auto* a = new QAction(text, on);
    if (!keys.isEmpty()) {
        a->setShortcut(keys);
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    }
    Ui::connectHandler(a, &QAction::triggered, window, std::move(run));
    on->addAction(a);
    on->setContextMenuPolicy(Qt::ActionsContextMenu);
    return a;
}

void saveXlsx(const Job& job)
{
    if (job.table.headers.isEmpty() || job.table.rows.isEmpty())
        throw Db::InputError(QStringLiteral("表格里还没有数据，请先查询"));
    const QString path = chooseFile(QStringLiteral("导出为Excel"), jobBaseName(job), QStringLiteral(".xlsx"),
                                    QStringLiteral("Excel 工作簿 (*.xlsx)"));
    if (path.isEmpty())
        return;
    Export::Sheet sheet = job.table;
    if (sheet.name.isEmpty())
        sheet.name = job.title;
    Progress progress(QStringLiteral("正在写入 Excel 文件……"));
    Export::writeXlsx(path, {sheet}, progress.callback());
    Msg::info(QStringLiteral("已导出%1行到“%2”").arg(sheet.rows.size()).arg(QDir::toNativeSeparators(path)));
}

void savePdf(const Job& job)
{
    if (job.isEmpty())
        throw Db::InputError(QStringLiteral("这个窗口现在没有可以打印的内容，请先查询或生成图表"));
    const QString path = chooseFile(QStringLiteral("另存为PDF"), jobBaseName(job), QStringLiteral(".pdf"),
                                    QStringLiteral("PDF 文件 (*.pdf)"));
    if (path.isEmpty())
        return;
    Progress progress(QStringLiteral("正在生成 PDF……"));
    toPdf(path, job, progress.callback());
    Msg::info(QStringLiteral("已保存到“%1”").arg(QDir::toNativeSeparators(path)));
}

} // namespace

void addGridActions(const QList<QTableView*>& views, QWidget* window, std::function<Job()> job)
{
    for (QTableView* v : views) {
        action(v, QStringLiteral("导出为Excel…"), QKeySequence(Qt::CTRL | Qt::Key_E), window, [job] { saveXlsx(job()); });
        action(v, QStringLiteral("打印…"), QKeySequence::Print, window, [window, job] { preview(window, job()); });
        action(v, QStringLiteral("另存为PDF…"), {}, window, [job] { savePdf(job()); });
    }
}

void addChartActions(QGraphicsView* chart, QWidget* window, std::function<Job()> job)
{
    action(chart, QStringLiteral("保存图表…"), QKeySequence::Save, window, [chart, job] {
        const Job j = job();
        const QString path = chooseFile(QStringLiteral("保存图表"), jobBaseName(j), QStringLiteral(".png"),
                                        QStringLiteral("PNG 图片 (*.png);;PDF 文件 (*.pdf)"));
        if (path.isEmpty())
            return;
        if (path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
            toPdf(path, j);
        else
            chartToPng(path, chart);
        Msg::info(QStringLiteral("已保存到“%1”").arg(QDir::toNativeSeparators(path)));
    });
    action(chart, QStringLiteral("打印…"), QKeySequence::Print, window, [window, job] { preview(window, job()); });
}

} // namespace Print
