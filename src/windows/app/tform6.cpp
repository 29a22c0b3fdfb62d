#include "windows/app/tform6.h"
#include "engine/session/session.h"

#include "engine/app/datasource.h"
#include "windows/app/forms.h"
#include "windows/app/help.h"
#include "windows/app/messages.h"
#include "windows/app/printing.h"
#include "windows/processing/tform8.h"
#include "engine/entry/setup.h"
#include "engine/export/examexport.h"
#include "engine/db/database.h"
#include "windows/app/tbk.h"
#include "windows/app/tformnnn.h"
#include "windows/app/tmen1.h"
#include "windows/entry/tformin.h"
#include "windows/entry/timport.h"
#include "windows/entry/tkaoshimc.h"
#include "windows/entry/tluru.h"
#include "windows/reports/tsearch.h"
#include "windows/reports/tstjf.h"
#include "windows/charts/tsppict1.h"
#include "windows/reports/tchaxun.h"
#include "windows/reports/tsinggles.h"
#include "windows/reports/tjintui.h"
#include "windows/reports/tslips.h"
#include "engine/app/paths.h"

#include <QApplication>
#include <QDir>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>

namespace {

const QString kNotYet = QStringLiteral("请先进入临时成绩库，或者先增加考试！！");

} // namespace

MenuPicture::MenuPicture(QWidget* parent) : QWidget(parent)
{
    setObjectName("picture");
    setMouseTracking(true);
    setFixedSize(TForm6::kClientWidth, TForm6::kClientHeight);
}

void MenuPicture::setAreas(QList<Area> areas)
{
    m_areas = std::move(areas);
    m_picture = draw(m_areas);
    update();
}

int MenuPicture::areaAt(const QPoint& p) const
{
    for (int i = 0; i < m_areas.size(); ++i)
        if (m_areas.at(i).rect.contains(p))
            return i;
    return -1;
}

QPixmap MenuPicture::draw(const QList<Area>& areas)
{
    QPixmap pix(750, 283);
    pix.fill(Qt::white);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // The blue oval with the emblem, between the two columns of buttons.
    const QRectF oval(300, 30, 152, 118);
    QRadialGradient glow(oval.center(), oval.width() / 1.6);
    glow.setColorAt(0, QColor(90, 150, 235));
    glow.setColorAt(1, QColor(20, 60, 170));
    p.setPen(QPen(QColor(10, 40, 120), 2));
    p.setBrush(glow);
    p.drawEllipse(oval);
    QFont emblem = QApplication::font();
    emblem.setPixelSize(50);
    emblem.setBold(true);
    emblem.setItalic(true);
    p.setFont(emblem);
    p.setPen(Qt::white);
    p.drawText(oval, Qt::AlignCenter, "2.1");

    QFont font = QApplication::font();
    font.setPixelSize(17);
    font.setBold(true);
    p.setFont(font);
    for (const auto& a : areas) {
        // The drawn button keeps to the visible part of its area.
        QRectF r = QRectF(a.rect).adjusted(2, 2, -2, -2);
        if (r.bottom() > 275)
            r.setBottom(275);
        const bool ready = !a.target || a.target();
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, ready ? QColor(235, 244, 255) : QColor(240, 240, 240));
        g.setColorAt(1, ready ? QColor(150, 190, 240) : QColor(205, 205, 205));
        p.setBrush(g);
        p.setPen(QPen(ready ? QColor(40, 80, 160) : QColor(160, 160, 160), 1.5));
        p.drawRoundedRect(r, 12, 12);
        p.setPen(ready ? QColor(10, 30, 100) : QColor(150, 150, 150));
        p.drawText(r, Qt::AlignCenter, a.label);
    }
    return pix;
}

void MenuPicture::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawPixmap(0, 0, m_picture);
}

void MenuPicture::mousePressEvent(QMouseEvent* e)
{
    const int i = areaAt(e->position().toPoint());
    if (i >= 0 && e->button() == Qt::LeftButton && m_areas.at(i).action)
        m_areas.at(i).action->trigger();
}

void MenuPicture::mouseMoveEvent(QMouseEvent* e)
{
    setCursor(areaAt(e->position().toPoint()) >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

TForm6::TForm6(Session& session) : m_session(session)
{
    // The table component follows the working table the session names.
    connect(&m_session, &Session::workingTableChanged, this, [this](const QString& table) {
        Table1.close();
        Table1.setTableName(table);
    });
    setWindowTitle(QStringLiteral("墨竹成绩册v2.1"));
    Query1 = new Db::GridModel(this);
    Query1->setObjectName("Query1");
    Db::SelectSpec start;
    start.table = "cj";
    Query1->setQuery(start);

    picture = new MenuPicture(this);
    setCentralWidget(picture);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    // Each area opens its window through the registry's typed pointer.
    auto area = [this](const QString& label, QRect rect, std::function<QWidget*()> target) {
        return MenuPicture::Area{label, rect, target, handler(label, [target] { Forms::showWindow(target()); })};
    };
    picture->setAreas({
        area("学生成绩追踪图表", {72, 48, 217, 49}, [] { return static_cast<QWidget*>(Forms::sinngles); }),
        area("教师成绩追踪图表", {72, 112, 217, 33}, [] { return static_cast<QWidget*>(Forms::men1); }),
        area("各科分析图表", {136, 160, 201, 41}, [] { return static_cast<QWidget*>(Forms::search); }),
        area("增加新的考试", {184, 216, 185, 49}, [] { return static_cast<QWidget*>(Forms::kaoshimc); }),
        area("总分图表", {464, 48, 209, 41}, [] { return static_cast<QWidget*>(Forms::stjf); }),
        area("班成绩分布曲线对比", {464, 104, 209, 41}, [] { return static_cast<QWidget*>(Forms::sppict1); }),
        area("班成绩查询", {440, 160, 209, 41}, [] { return static_cast<QWidget*>(Forms::chaxun); }),
        {"进入成绩处理库", {392, 216, 177, 113}, {}, handler("进入成绩处理库", [this] { enterGradeEntry(); })},
    });
    buildMenu();
    // A single fixed border: the client area keeps its size.
    setFixedSize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
}

void TForm6::FormCreate()
{
    // The data source is declared at every start, before the connection opens.
    switch (DataSource::declare(Paths::databaseFile())) {
    case DataSource::Step::Done:
        break;
    case DataSource::Step::SourceList:
    case DataSource::Step::Source:
        Msg::error("增加ODBC数据源失败");
        break;
    case DataSource::Step::Engine:
        Msg::error("增加ODBC数据源失败，可能是数据库位置错误，请放到D盘根目录下");
        break;
    case DataSource::Step::NotUtf8:
        Msg::warning(DataSource::notUtf8Message());
        break;
    case DataSource::Step::NotUtf8Again:
        break;
    }
}

QAction* TForm6::handler(const QString& caption, std::function<void()> action)
{
    auto* a = new QAction(caption, this);
    Ui::connectHandler(a, &QAction::triggered, this, std::move(action));
    return a;
}

void TForm6::buildMenu()
{
    QMenuBar* bar = menuBar();
    // An item that opens a window is greyed while that window is not built.
    auto add = [this](QMenu* menu, const QString& caption, std::function<QWidget*()> target,
                      std::function<void()> action) {
        QAction* a = action ? handler(caption, std::move(action)) : new QAction(caption, this);
        menu->addAction(a);
        if (target)
            m_targets.append({a, target});
        m_items << a;
        return a;
    };
    auto open = [&add](QMenu* menu, const QString& caption, std::function<QWidget*()> target) {
        return add(menu, caption, target, [target] { Forms::showWindow(target()); });
    };

    QMenu* file = bar->addMenu("文件");
    add(file, "导入成绩表…", [] { return static_cast<QWidget*>(Forms::daoru); }, [] { Timport::openForWorkingTable(); });
    add(file, "程序启动参数设置", {}, {})->setEnabled(false);
    add(file, "退出", {}, [this] { close(); });

    QMenu* proc = bar->addMenu("成绩处理");
    auto notYet = [] { Msg::info(kNotYet); };
    add(proc, "进行总分三总以班排名及级的排名（处理临时成绩库）", {}, notYet);
    add(proc, "进行成绩分析（处理临时成绩库）", {}, notYet);
    add(proc, "总分分段", {}, notYet);

    QMenu* charts = bar->addMenu("图表查询");
    open(charts, "学生成绩追踪图表", [] { return static_cast<QWidget*>(Forms::stjf); });
    open(charts, "分科分析图表", [] { return static_cast<QWidget*>(Forms::search); });
    open(charts, "总分图表", [] { return static_cast<QWidget*>(Forms::stjf); });
    open(charts, "各班对比曲线", [] { return static_cast<QWidget*>(Forms::formin); });
    open(charts, "查询各班分数及排名", [] { return static_cast<QWidget*>(Forms::chaxun); });
    open(charts, "进退步分析", [] { return static_cast<QWidget*>(Forms::jintui); });

    QMenu* out = bar->addMenu("输出");
    add(out, "输出为Excel格式", {}, [this] { exportWorkbook(); });
    add(out, "输出为dbf格式", {}, [this] { exportDbf(); });
    open(out, "成绩条与等级…", [] { return static_cast<QWidget*>(Forms::slips); });

    QMenu* dbm = bar->addMenu("数据库系统操作");
    auto backup = [] { return static_cast<QWidget*>(Forms::bk); };
    add(dbm, "还原数据库", backup, [this] { showBackup(1); });
    add(dbm, "备份数据库", backup, [this] { showBackup(0); });
    add(dbm, "恢复为空白数据库", backup, [this] { showBackup(2); });

    // What is printed is the table or chart of the window worked in last.
    QMenu* print = bar->addMenu("打印");
    add(print, "打印预览及打印…", {}, [this] { printFront(false); });
    add(print, "另存为PDF…", {}, [this] { printFront(true); });

    QMenu* help = bar->addMenu("使用必读");
    add(help, "墨竹成绩册使用必读(help)", {}, [] { Help::open(); });
    open(help, "关于本软件(about)", [] { return static_cast<QWidget*>(Forms::Formnnn); });
}

void TForm6::windowsBuilt()
{
    for (const auto& [action, target] : m_targets)
        action->setEnabled(target() != nullptr);
    picture->setAreas(picture->areas());
}

QAction* TForm6::item(const QString& caption) const
{
    for (QAction* a : m_items)
        if (a->text() == caption)
            return a;
    return nullptr;
}

void TForm6::enterGradeEntry()
{
    m_session.refresh();
    if (m_session.exam().name != Entry::kNoExam) {
        Msg::info("如果你不是熟练用户，请通过增加新的考试来进入成绩处理库，否则可能会造成统计混乱");
        Forms::showWindow(Forms::luru);
    } else {
        Msg::info("该库中没有任何考试，请先增加考试");
    }
}

void TForm6::exportWorkbook()
{
    m_session.refresh();
    const Session::Exam& exam = m_session.exam();
    const QString path = Print::chooseFile("输出为Excel格式", exam.name == Entry::kNoExam ? QStringLiteral("成绩") : exam.name,
                                           ".xlsx", "Excel 工作簿 (*.xlsx)");
    if (path.isEmpty())
        return;
    Export::ExamTables tables;
    tables.gradeTable = m_session.workingTable();
    QList<Export::Sheet> sheets;
    if (!Print::runWrite(QStringLiteral("正在输出 Excel 工作簿……"),
                         [&](const Export::Progress& p) { sheets = Export::examWorkbook(path, tables, p); }))
        return;
    QStringList names;
    for (const auto& s : sheets)
        names << QStringLiteral("%1（%2行）").arg(s.name).arg(s.rows.size());
    Msg::info(QStringLiteral("已输出到“%1”：%2").arg(QDir::toNativeSeparators(path), names.join("、")));
}

void TForm6::exportDbf()
{
    m_session.refresh();
    const Session::Exam& exam = m_session.exam();
    const QString path = Print::chooseFile("输出为dbf格式", exam.name == Entry::kNoExam ? QStringLiteral("成绩") : exam.name,
                                           ".dbf", "dBASE 文件 (*.dbf)");
    if (path.isEmpty())
        return;
    const QString table = m_session.workingTable();
    Export::DbfResult res;
    if (!Print::runWrite(QStringLiteral("正在输出 dbf 文件……"),
                         [&](const Export::Progress& p) { res = Export::gradeTableDbf(path, table, p); }))
        return;
    QString text = QStringLiteral("已把成绩表的%1名学生输出到“%2”").arg(res.rows).arg(QDir::toNativeSeparators(path));
    if (!res.shortened.isEmpty())
        text += QStringLiteral("。以下内容太长或含有GBK编码没有的字，输出时被截短或替换：")
            + QStringList(res.shortened.mid(0, 5)).join("、") + (res.shortened.size() > 5 ? "……" : "");
    Msg::info(text);
}

void TForm6::printFront(bool pdf)
{
    auto* printable = dynamic_cast<Print::Printable*>(Forms::frontWindow());
    if (!printable)
        throw Db::InputError("请先打开要打印的表格或图表窗口（例如临时成绩处理库、成绩分析表或图表），再选打印");
    const Print::Job job = printable->printJob();
    if (job.isEmpty())
        throw Db::InputError("这个窗口现在没有可以打印的内容，请先查询或生成图表");
    if (!pdf) {
        Print::preview(Forms::frontWindow(), job);
        return;
    }
    const QString path = Print::chooseFile("另存为PDF", job.examName.isEmpty() ? job.title : job.examName + "-" + job.title,
                                           ".pdf", "PDF 文件 (*.pdf)");
    if (path.isEmpty())
        return;
    if (Print::runWrite(QStringLiteral("正在生成 PDF……"), [&](const Export::Progress& p) { Print::toPdf(path, job, p); }))
        Msg::info(QStringLiteral("已保存到“%1”").arg(QDir::toNativeSeparators(path)));
}

void TForm6::showBackup(int mode)
{
    if (Forms::bk)
        Forms::bk->showMode(Tbk::Mode(mode));
}

void TForm6::closeEvent(QCloseEvent* e)
{
    QMainWindow::closeEvent(e);
    // Closing the main window ends the program, whatever else is open.
    if (e->isAccepted())
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

void TForm6::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    if (!m_centred) {
        m_centred = true;
        if (QScreen* s = screen()) {
            QRect r = frameGeometry();
            r.moveCenter(s->availableGeometry().center());
            move(r.topLeft());
        }
    }
}

void TForm6::changeEvent(QEvent* e)
{
    QMainWindow::changeEvent(e);
    if (e->type() != QEvent::WindowStateChange || m_placing)
        return;
    // Maximising does not fill the screen: the window takes its one larger
    // size at a fixed place.
    if (windowState() & Qt::WindowMaximized) {
        m_placing = true;
        m_centred = true;
        setWindowState(windowState() & ~Qt::WindowMaximized);
        // 757 x 322 is the outer size, borders and title included.
        const QSize frame = frameGeometry().size() - geometry().size();
        setFixedSize(kMaximisedGeometry.size() - frame);
        move(kMaximisedGeometry.topLeft());
        m_placing = false;
    }
}
