#include "windows/reports/tjintui.h"

#include "engine/db/database.h"
#include "engine/rules/numbers.h"
#include "engine/rules/subjects.h"
#include "engine/session/session.h"
#include "layout/classreport.h"
#include "windows/charts/chartkit.h"
#include "windows/reports/frozengrid.h"
#include "engine/rules/titles.h"

#include <QAbstractTableModel>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChartView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <QValueAxis>
#include <cmath>
#include <limits>

// A table of the comparison as the grids show it: each cell's text as on a
// printed page, its stored value for export, and a key that sorts numbers
// as numbers with 缺考 and blanks after them.
class SheetModel : public QAbstractTableModel {
public:
    static constexpr int kSortRole = Qt::UserRole + 1;
    using QAbstractTableModel::QAbstractTableModel;

    void setSheet(Export::Sheet sheet)
    {
        beginResetModel();
        m_sheet = std::move(sheet);
        endResetModel();
    }
    const Export::Sheet& sheet() const { return m_sheet; }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(m_sheet.rowCount()); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : m_sheet.columnCount(); }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid())
            return {};
        const QVariant v = m_sheet.value(index.row(), index.column());
        switch (role) {
        case Qt::DisplayRole:
            return m_sheet.text(index.row(), index.column());
        case Qt::EditRole:
            return v;
        case Qt::TextAlignmentRole:
            return int((isNumber(v) ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        case kSortRole:
            if (isNumber(v))
                return v.toDouble();
            // Text columns sort as text; 缺考 and blanks in a column of numbers go last.
            return v.isNull() || v.toString() == Rules::kAbsent ? QVariant(std::numeric_limits<double>::max())
                                                                        : QVariant(v.toString());
        default:
            return {};
        }
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        return o == Qt::Horizontal ? QVariant(m_sheet.headers.value(section)) : QVariant(section + 1);
    }

private:
    static bool isNumber(const QVariant& v)
    {
        const int t = v.typeId();
        return t == QMetaType::Int || t == QMetaType::LongLong || t == QMetaType::Double;
    }
    Export::Sheet m_sheet;
};

namespace {

enum Sheets { Students, Up, Down, Classes, Apart };

QTableView* plainView(QWidget* parent, const QString& name)
{
    auto* v = new QTableView(parent);
    v->setObjectName(name);
    v->setEditTriggers(QAbstractItemView::NoEditTriggers);
    v->setSelectionBehavior(QAbstractItemView::SelectRows);
    v->verticalHeader()->setDefaultSectionSize(22);
    return v;
}

// Sorted rows keep their numbers 1, 2, 3 down the side.
class SortedRows : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    QVariant headerData(int section, Qt::Orientation o, int role) const override
    {
        if (o == Qt::Vertical && role == Qt::DisplayRole)
            return section + 1;
        return QSortFilterProxyModel::headerData(section, o, role);
    }
};

QSortFilterProxyModel* sortable(SheetModel* model, QObject* parent)
{
    auto* proxy = new SortedRows(parent);
    proxy->setSourceModel(model);
    proxy->setSortRole(SheetModel::kSortRole);
    return proxy;
}

// Each student as a point: earlier grade rank across, later one up, both
// with rank 1 at the far end, so that points above the diagonal moved up.
QChart* rankScatter(const Progress::Result& r, qint64 cls, const QString& title, const QFont& axisFont)
{
    auto* chart = new QChart;
    Charts::styleTitle(chart, title, Charts::cjkFont(15, true));
    auto* up = new QScatterSeries;
    up->setName(QStringLiteral("进步"));
    up->setMarkerShape(QScatterSeries::MarkerShapeCircle);
    up->setColor(QColor(0x2E, 0x7D, 0x32));
    auto* down = new QScatterSeries;
    down->setName(QStringLiteral("退步或持平"));
    down->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    down->setColor(QColor(0xC6, 0x28, 0x28));
    for (QScatterSeries* s : {up, down}) {
        s->setMarkerSize(7);
        s->setBorderColor(Qt::transparent);
    }
    qint64 most = 1;
    for (const Progress::Pair& p : r.pairs) {
        if ((cls && p.after.cls != cls) || !p.gradeChange)
            continue; // an absence leaves the point out
        (*p.gradeChange > 0 ? up : down)->append(double(*p.before.gradeRank), double(*p.after.gradeRank));
        most = std::max({most, *p.before.gradeRank, *p.after.gradeRank});
    }
    auto* diagonal = new QLineSeries;
    diagonal->setName(QStringLiteral("名次不变"));
    QPen pen(Qt::gray);
    pen.setStyle(Qt::DashLine);
    pen.setWidthF(1.2);
    diagonal->setPen(pen);
    diagonal->append(1, 1);
    diagonal->append(double(most), double(most));
    chart->addSeries(diagonal);
    chart->addSeries(up);
    chart->addSeries(down);
    auto* ax = new QValueAxis;
    auto* ay = new QValueAxis;
    ax->setTitleText(QStringLiteral("上次名次"));
    ay->setTitleText(QStringLiteral("本次名次"));
    for (QValueAxis* axis : {ax, ay}) {
        axis->setRange(1, double(most));
        axis->setReverse(true);
        axis->setLabelFormat(QStringLiteral("%d"));
        axis->setLabelsFont(axisFont);
        axis->setTitleFont(axisFont);
    }
    chart->addAxis(ax, Qt::AlignBottom);
    chart->addAxis(ay, Qt::AlignLeft);
    for (QAbstractSeries* s : chart->series()) {
        s->attachAxis(ax);
        s->attachAxis(ay);
    }
    chart->legend()->setFont(axisFont);
    chart->legend()->setAlignment(Qt::AlignBottom);
    return chart;
}

// The mean change of grade rank of each class's students.
QChart* classChangeBars(const Progress::Result& r, const QFont& axisFont)
{
    auto* bars = new QChart;
    Charts::styleTitle(bars, QStringLiteral("各班学生年级名次平均进退"), Charts::cjkFont(15, true));
    auto* set = new QBarSet(QStringLiteral("平均进退名次"));
    set->setColor(QColor(0x41, 0x69, 0xE1));
    set->setLabelColor(Qt::black);
    set->setLabelFont(axisFont);
    QStringList categories;
    double low = 0, high = 0;
    for (const Progress::ClassRow& c : r.classes) {
        if (!c.meanRankChange)
            continue;
        const double v = Num::fromFixed(*c.meanRankChange);
        categories << QStringLiteral("%1班").arg(c.cls);
        *set << std::round(v * 10) / 10;
        low = std::min(low, v);
        high = std::max(high, v);
    }
    auto* series = new QBarSeries;
    series->append(set);
    series->setLabelsVisible(true);
    series->setLabelsFormat(QStringLiteral("@value"));
    series->setLabelsPrecision(4);
    bars->addSeries(series);
    auto* cx = new QBarCategoryAxis;
    cx->append(categories);
    cx->setLabelsFont(axisFont);
    auto* cy = new QValueAxis;
    const double span = std::max(1.0, high - low);
    cy->setRange(low - span * 0.1, high + span * 0.1);
    cy->applyNiceNumbers();
    // Means of a few places need their decimal; ASCII only (the format goes through printf).
    cy->setLabelFormat(cy->max() - cy->min() < 10 ? QStringLiteral("%.1f") : QStringLiteral("%.0f"));
    cy->setLabelsFont(axisFont);
    cy->setTitleText(QStringLiteral("名次（正数是进步）"));
    cy->setTitleFont(axisFont);
    bars->addAxis(cx, Qt::AlignBottom);
    bars->addAxis(cy, Qt::AlignLeft);
    series->attachAxis(cx);
    series->attachAxis(cy);
    bars->legend()->hide();
    return bars;
}

void replaceChart(QChartView* view, QChart* chart)
{
    QChart* old = view->chart();
    view->setChart(chart);
    delete old;
}

} // namespace

Tjintui::Tjintui(Session& session) : Form(QStringLiteral("进退步分析")), m_session(session)
{
    resize(1000, 640);
    setMinimumSize(760, 480);
    auto* root = new QVBoxLayout(this);
    buildChoices(root);
    buildTableTabs();
    buildChartsTab();
    root->addWidget(tabs, 1);
    enableSorting();
    addPrintActions();
    connectHandlers();
}

void Tjintui::buildChoices(QVBoxLayout* root)
{
    auto* top = new QHBoxLayout;
    beforeBox = new QComboBox(this);
    beforeBox->setObjectName("beforeBox");
    afterBox = new QComboBox(this);
    afterBox->setObjectName("afterBox");
    for (QComboBox* b : {beforeBox, afterBox})
        b->setMinimumWidth(150);
    classBox = new QComboBox(this);
    classBox->setObjectName("classBox");
    classBox->addItem(QStringLiteral("全级"), 0);
    for (qint64 c = Rules::kFirstClass; c <= Rules::kLastClass; ++c)
        classBox->addItem(QStringLiteral("%1班").arg(c), c);
    moversBox = new QSpinBox(this);
    moversBox->setObjectName("moversBox");
    moversBox->setRange(1, Actions::kMaxMovers);
    moversBox->setValue(Actions::kDefaultMovers);
    compareButton = Ui::button("比较", this, "compareButton");
    reportButton = Ui::button("班级报告…", this, "reportButton");
    reportButton->setToolTip(QStringLiteral("本次考试中所选班级的一页报告（PDF，内部资料）"));
    top->addWidget(Ui::label("上次", this));
    top->addWidget(beforeBox);
    top->addWidget(Ui::label("本次", this));
    top->addWidget(afterBox);
    top->addWidget(Ui::label("范围", this));
    top->addWidget(classBox);
    top->addWidget(Ui::label("进退步名单人数", this));
    top->addWidget(moversBox);
    top->addWidget(compareButton);
    top->addStretch(1);
    top->addWidget(reportButton);
    root->addLayout(top);
    status = Ui::label("", this, "status");
    status->setWordWrap(true);
    root->addWidget(status);
}

void Tjintui::buildTableTabs()
{
    for (int i = 0; i < 5; ++i)
        m_models << new SheetModel(this);
    tabs = new QTabWidget(this);
    tabs->setObjectName("tabs");

    studentGrid = new FrozenGrid(this);
    studentGrid->setObjectName("studentGrid");
    studentGrid->setModel(sortable(m_models[Students], this));
    studentGrid->setFrozenColumns(3);
    tabs->addTab(studentGrid, QStringLiteral("学生进退"));

    auto* lists = new QSplitter(Qt::Horizontal, this);
    upView = plainView(lists, "upView");
    downView = plainView(lists, "downView");
    upView->setModel(sortable(m_models[Up], this));
    downView->setModel(sortable(m_models[Down], this));
    lists->addWidget(upView);
    lists->addWidget(downView);
    tabs->addTab(lists, QStringLiteral("进步、退步最多"));

    classGrid = new FrozenGrid(this);
    classGrid->setObjectName("classGrid");
    classGrid->setModel(sortable(m_models[Classes], this));
    classGrid->setFrozenColumns(1);
    tabs->addTab(classGrid, QStringLiteral("各班对比"));

    apartView = plainView(this, "apartView");
    apartView->setModel(sortable(m_models[Apart], this));
    tabs->addTab(apartView, QStringLiteral("未能对应"));
}

void Tjintui::buildChartsTab()
{
    auto* charts = new QSplitter(Qt::Horizontal, this);
    rankChart = new QChartView(new QChart, charts);
    rankChart->setObjectName("rankChart");
    changeChart = new QChartView(new QChart, charts);
    changeChart->setObjectName("changeChart");
    for (QChartView* v : {rankChart, changeChart})
        v->setRenderHint(QPainter::Antialiasing);
    charts->addWidget(rankChart);
    charts->addWidget(changeChart);
    charts->setStretchFactor(0, 3);
    charts->setStretchFactor(1, 2);
    tabs->addTab(charts, QStringLiteral("图表"));
}

void Tjintui::enableSorting()
{
    // Sorting one half of a frozen grid sorts the rows of both: they share the model.
    for (QTableView* v : std::initializer_list<QTableView*>{studentGrid->narrow(), studentGrid->wide(), classGrid->narrow(),
                                                            classGrid->wide(), upView, downView, apartView}) {
        // Rows start in the order the tables give them (class, then 学号).
        v->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
        v->setSortingEnabled(true);
    }
}

void Tjintui::addPrintActions()
{
    Print::addGridActions({studentGrid->narrow(), studentGrid->wide()}, this, [this] { return gridJob(Students); });
    Print::addGridActions({upView}, this, [this] { return gridJob(Up); });
    Print::addGridActions({downView}, this, [this] { return gridJob(Down); });
    Print::addGridActions({classGrid->narrow(), classGrid->wide()}, this, [this] { return gridJob(Classes); });
    Print::addGridActions({apartView}, this, [this] { return gridJob(Apart); });
    Print::addChartActions(rankChart, this, [this] { return Print::Job{QStringLiteral("名次对比图"), m_run ? m_run->caption() : QString(), {}, rankChart}; });
    Print::addChartActions(changeChart, this, [this] { return Print::Job{QStringLiteral("各班名次进退图"), m_run ? m_run->caption() : QString(), {}, changeChart}; });
}

void Tjintui::connectHandlers()
{
    Ui::connectHandler(compareButton, &QPushButton::clicked, this, &Tjintui::compareClick);
    Ui::connectHandler(reportButton, &QPushButton::clicked, this, &Tjintui::reportClick);
    // A new examination saved, or the database changed under the windows.
    for (auto signal : {&Session::examChanged, &Session::gradesChanged})
        connect(&m_session, signal, this, [this] {
            m_stale = true;
            if (isVisible())
                FormShow();
        });
}

void Tjintui::FormShow()
{
    if (m_stale)
        Msg::guard([this] { fillExams(); });
}

void Tjintui::fillExams()
{
    m_stale = false;
    m_exams = Progress::savedExams();
    for (QComboBox* b : {beforeBox, afterBox}) {
        b->clear();
        for (const Progress::ExamId& e : m_exams)
            b->addItem(Progress::label(e, m_exams));
    }
    const qsizetype n = m_exams.size();
    beforeBox->setCurrentIndex(int(std::max<qsizetype>(0, n - 2)));
    afterBox->setCurrentIndex(int(n - 1));
    compareButton->setEnabled(n >= 2);
    if (n < 2)
        status->setText(n == 0 ? QStringLiteral("数据库里还没有永久保存过成绩的考试。保存两次考试的成绩后才能比较进退步。")
                               : QStringLiteral("只永久保存过一次考试的成绩（%1），要保存两次才能比较进退步。")
                                     .arg(Progress::label(m_exams.first(), m_exams)));
    else
        status->setText(QStringLiteral("选好上次和本次考试，按“比较”。"));
}

qint64 Tjintui::chosenClass() const
{
    return classBox->currentData().toLongLong();
}

void Tjintui::compareClick()
{
    const int b = beforeBox->currentIndex(), a = afterBox->currentIndex();
    if (b < 0 || a < 0 || b >= m_exams.size() || a >= m_exams.size())
        throw Db::InputError(QStringLiteral("请先选上次和本次两次考试"));
    Actions::ProgressRun run = Actions::progress(m_exams.at(b), m_exams.at(a));
    m_sheets = Actions::progressSheets(run, chosenClass(), moversBox->value());
    m_run = std::move(run);
    showResult();
}

void Tjintui::showResult()
{
    for (int i = 0; i < m_models.size(); ++i)
        m_models[i]->setSheet(m_sheets.at(i));
    for (QTableView* v : {upView, downView, apartView})
        v->resizeColumnsToContents();
    studentGrid->setColumnWidths({}, 64);
    classGrid->setColumnWidths({}, 64);
    drawCharts();
    const Progress::Result& r = m_run->result;
    const qint64 cls = chosenClass();
    QString text = QStringLiteral("%1：%2，%3名学生两次都在")
                       .arg(m_run->caption(), cls ? QStringLiteral("%1班").arg(cls) : QStringLiteral("全级"))
                       .arg(m_sheets.at(Students).rowCount());
    if (const qsizetype apart = m_sheets.at(Apart).rowCount())
        text += QStringLiteral("；%1名学生只在一次考试中出现或学号无法对应，见“未能对应”").arg(apart);
    text += QStringLiteral("。级排进退为正是进步；缺考的科目不计进退。");
    if (r.rankedBefore == 0 || r.rankedAfter == 0)
        text += QStringLiteral("注意：有一次考试保存时总分没有排名，名次进退无法计算。");
    status->setText(text);
}

void Tjintui::drawCharts()
{
    const Progress::Result& r = m_run->result;
    const qint64 cls = chosenClass();
    const QFont axisFont = Charts::cjkFont(11);
    const QString title = QStringLiteral("年级总分名次：%1（%2）")
                              .arg(m_run->caption(), cls ? QStringLiteral("%1班").arg(cls) : QStringLiteral("全级"));
    replaceChart(rankChart, rankScatter(r, cls, title, axisFont));
    replaceChart(changeChart, classChangeBars(r, axisFont));
}

Print::Job Tjintui::gridJob(int sheet) const
{
    const QList<QTableView*> views[] = {{studentGrid->narrow(), studentGrid->wide()}, {upView}, {downView},
                                        {classGrid->narrow(), classGrid->wide()}, {apartView}};
    const QString title = m_sheets.value(sheet).title;
    Print::Job job{title, m_run ? m_run->caption() : QString(), Print::sheetOf(views[sheet], title), nullptr};
    return job;
}

Print::Job Tjintui::printJob() const
{
    if (!m_run)
        return {};
    switch (tabs->currentIndex()) {
    case 0:
        return gridJob(Students);
    case 1:
        return gridJob(upView->hasFocus() || !downView->hasFocus() ? Up : Down);
    case 2:
        return gridJob(Classes);
    case 3:
        return gridJob(Apart);
    default:
        return {QStringLiteral("名次对比图"), m_run->caption(), {}, rankChart};
    }
}

void Tjintui::reportClick()
{
    const qint64 cls = chosenClass();
    if (cls == 0)
        throw Db::InputError(QStringLiteral("班级报告是一个班的：请在“范围”中选一个班"));
    const int a = afterBox->currentIndex();
    if (a < 0 || a >= m_exams.size())
        throw Db::InputError(QStringLiteral("请先在“本次”中选一次永久保存的考试"));
    const Progress::ExamId exam = m_exams.at(a);
    auto page = std::make_shared<Layout::ClassReportPage>(Actions::classReport(m_session, exam, cls));
    const QString file = Print::chooseFile(QStringLiteral("班级报告另存为PDF"),
                                           QStringLiteral("%1%2班报告").arg(page->data().examLabel).arg(cls),
                                           QStringLiteral("pdf"), QStringLiteral("PDF 文件 (*.pdf)"));
    if (file.isEmpty())
        return;
    if (!Print::runWrite(QStringLiteral("正在写出班级报告…"),
                         [&](const Export::Progress& progress) { Layout::writePdf(file, *page, page->furniture(), progress); }))
        return;
    Msg::info(QStringLiteral("已把%1班的成绩报告写到 %2（1页）%3")
                  .arg(cls)
                  .arg(file, page->fitted() ? QString() : QStringLiteral("。页面放不下全部内容，有的名单没有列全。")));
}
