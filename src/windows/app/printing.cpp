#include "windows/app/printing.h"

#include "engine/app/safefile.h"
#include "engine/db/database.h"
#include "engine/db/gridmodel.h"
#include "engine/export/xlsx.h"
#include "layout/pages.h"
#include "layout/pdffont.h"
#include "layout/tablepages.h"
#include "windows/app/form.h"
#include "windows/app/messages.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsView>
#include <QGuiApplication>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QScreen>
#include <QStandardPaths>
#include <QTableView>

namespace Print {

namespace {

PreviewSeam& previewSeam()
{
    static PreviewSeam s;
    return s;
}

// A chart on one landscape page, scaled to the page's body.
class ChartContent : public Layout::Content {
public:
    explicit ChartContent(QGraphicsView* view) : m_view(view) {}
    bool landscape() const override { return true; }
    int layout(QPaintDevice*, const QSizeF&, const Export::Progress&) override
    {
        if (!m_view->isVisible() && !m_view->window()->isVisible()) {
            // A chart never shown has not laid itself out yet.
            m_view->setAttribute(Qt::WA_DontShowOnScreen);
            m_view->show();
        }
        return 1;
    }
    void paint(QPainter& p, int, const QRectF& body) override
    {
        const QSizeF size = m_view->viewport()->size();
        const qreal k = std::min(body.width() / size.width(), body.height() / size.height());
        const QRectF target(body.left() + (body.width() - size.width() * k) / 2, body.top(), size.width() * k,
                            size.height() * k);
        // Painted as the scene's items: lines stay sharp and the text stays text.
        m_view->render(&p, target, m_view->viewport()->rect());
    }

private:
    QGraphicsView* m_view;
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

Layout::Furniture furnitureOf(const Job& job)
{
    return {job.title, job.examName};
}

} // namespace

QFont pdfFont(qreal pointSize)
{
    return Layout::pdfFont(pointSize);
}

std::unique_ptr<Layout::Content> contentOf(const Job& job)
{
    if (job.chart)
        return std::make_unique<ChartContent>(job.chart);
    return std::make_unique<Layout::TablePages>(job.table);
}

bool landscape(const Job& job)
{
    return contentOf(job)->landscape();
}

int paint(QPagedPaintDevice* dev, const Job& job, const Export::Progress& progress)
{
    const auto content = contentOf(job);
    return Layout::paint(dev, *content, furnitureOf(job), progress);
}

void toPdf(const QString& path, const Job& job, const Export::Progress& progress)
{
    const auto content = contentOf(job);
    Layout::writePdf(path, *content, furnitureOf(job), progress);
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

QSize previewSize(const QRect& available)
{
    // Room for the window's frame and title bar inside the available area.
    constexpr int kFrame = 48;
    const int w = std::min(1000, available.width() - kFrame);
    const int h = std::min(760, available.height() - kFrame);
    return QSize(std::max(480, w), std::max(360, h));
}

void preview(QWidget* parent, const Job& job)
{
    if (job.isEmpty())
        throw Db::InputError(QStringLiteral("这个窗口现在没有可以打印的内容，请先查询或生成图表"));
    if (previewSeam()) {
        previewSeam()(job);
        return;
    }
    const auto content = contentOf(job);
    QPrinter printer(QPrinter::HighResolution);
    printer.setResolution(1200);
    printer.setDocName(jobBaseName(job));
    // A long table is measured once, with its progress, before the preview.
    int pages = 0;
    if (!runWrite(QStringLiteral("正在排版……"), [&](const Export::Progress& p) {
            content->prepare(p);
            printer.setPageLayout(Layout::pageLayout(content->landscape()));
            pages = content->layout(&printer, Layout::frameOf(&printer).body.size(), {});
        }, QStringLiteral("已取消打印预览")))
        return;
    // The preview lays out every page at once and keeps them all: for a very
    // long table the PDF, written page by page, is the way to paper.
    if (pages > kPreviewPages
        && !Msg::okCancel(QStringLiteral("这张表有%1页。打印预览要先把每一页都排好放在内存里，会很慢。\n"
                                         "建议改用“另存为PDF…”，再打印那个PDF文件。仍然要打开打印预览吗？")
                              .arg(pages)))
        return;
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("打印预览 - ") + job.title);
    const Layout::Furniture furniture = furnitureOf(job);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&](QPrinter* pr) { Layout::paint(pr, *content, furniture); });
    const QScreen* screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1366, 728);
    dialog.resize(previewSize(available));
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
    // With a frozen left grid first, its columns stay in view in the workbook too.
    if (views.size() > 1) {
        QTableView* left = views.first();
        for (int c : columns)
            s.frozenColumns += !left->isColumnHidden(c) && left->columnWidth(c) > 0;
    }
    if (auto* grid = qobject_cast<Db::GridModel*>(model)) {
        // The stored values, not the text on screen: numbers stay numbers.
        for (int c : columns) {
            s.columns << grid->columnNames().value(c);
            s.numeric << grid->isNumeric(c);
        }
        s.picks = columns;
        s.rows = grid->rows();
        s.absences = grid->absencesShown();
    } else {
        s.columns = s.headers;
        for (int r = 0; r < model->rowCount(); ++r) {
            QVariantList row;
            for (int c : columns)
                row << model->index(r, c).data(Qt::EditRole);
            s.rows << row;
        }
    }
    s.formatsFromNames();
    Export::dropStockRows(s);
    return s;
}

QString startFolder()
{
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!docs.isEmpty() && QFileInfo(docs).isDir() && QFileInfo(docs).isWritable())
        return docs;
    return QDir::homePath();
}

QString chooseFile(const QString& caption, const QString& baseName, const QString& suffix, const QString& filter)
{
    const QString proposed = QDir(startFolder()).filePath(safeFileName(baseName) + suffix);
    QString chosen = Msg::saveFileName(caption, proposed, filter);
    if (!chosen.isEmpty() && !chosen.endsWith(suffix, Qt::CaseInsensitive) && !suffix.isEmpty()
        && QFileInfo(chosen).suffix().isEmpty())
        chosen += suffix;
    // The dialog is gone before the work starts: the window behind it is painted again.
    QApplication::processEvents();
    return chosen;
}

struct WriteProgress::Private {
    std::unique_ptr<QProgressDialog> dialog;
    Msg::Recorder* recorder = nullptr;
};

WriteProgress::WriteProgress(const QString& text) : d(std::make_unique<Private>())
{
    d->recorder = Msg::recorder();
    // Tests run without anyone to look at a dialog.
    if (d->recorder)
        return;
    d->dialog = std::make_unique<QProgressDialog>(text, QStringLiteral("取消"), 0, 1000, QApplication::activeWindow());
    d->dialog->setWindowTitle(QStringLiteral("请稍候"));
    d->dialog->setMinimumDuration(300);
    d->dialog->setWindowModality(Qt::WindowModal);
    d->dialog->setAutoClose(false);
    d->dialog->setAutoReset(false);
    d->dialog->setValue(0);
}

WriteProgress::~WriteProgress() = default;

Export::Progress WriteProgress::callback()
{
    return [state = d.get()](qint64 done, qint64 total) {
        if (state->recorder) {
            ++state->recorder->progressReports;
            if (state->recorder->cancelWrites)
                throw Export::Cancelled();
            return;
        }
        if (total > 0)
            state->dialog->setValue(int(std::clamp<qint64>(done * 1000 / total, 0, 999)));
        QApplication::processEvents();
        if (state->dialog->wasCanceled())
            throw Export::Cancelled();
    };
}

bool runWrite(const QString& text, const std::function<void(const Export::Progress&)>& write, const QString& cancelled)
{
    try {
        WriteProgress progress(text);
        const Export::Progress report = progress.callback();
        report(0, 1);
        write(report);
    } catch (const Export::Cancelled&) {
        Msg::info(cancelled);
        return false;
    }
    return true;
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
    if (runWrite(QStringLiteral("正在写入 Excel 文件……"),
                 [&](const Export::Progress& p) { Export::writeXlsx(path, {sheet}, p); }))
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
    if (runWrite(QStringLiteral("正在生成 PDF……"), [&](const Export::Progress& p) { toPdf(path, job, p); }))
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
