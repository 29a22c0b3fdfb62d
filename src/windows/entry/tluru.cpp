#include "windows/entry/tluru.h"
#include "windows/reports/tchaxun.h"
#include "windows/entry/tluruxianshi.h"
#include "windows/processing/tc1p.h"
#include "windows/entry/tgai.h"
#include "windows/entry/tzuge.h"
#include "windows/reports/tslips.h"

#include "windows/app/forms.h"
#include "windows/entry/entrytext.h"
#include "windows/app/messages.h"
#include "windows/app/tform2.h"
#include "windows/app/tform6.h"
#include "engine/db/gridmodel.h"
#include "windows/entry/picturebutton.h"
#include "engine/entry/setup.h"
#include "engine/processing/saves.h"
#include "engine/db/database.h"
#include "engine/rules/subjects.h"
#include "engine/actions/processing.h"
#include "engine/session/session.h"
#include "engine/session/settings.h"
#include "windows/processing/tform1.h"
#include "windows/processing/tform8.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kSaved = QStringLiteral("该处理过程已完成，结果已永久保存");
const QColor kBlue(0, 0, 160);

QLabel* statusPanel(QWidget* parent, const QString& name)
{
    auto* p = new QLabel(kSaved, parent);
    p->setObjectName(name);
    p->setWordWrap(true);
    p->setAlignment(Qt::AlignCenter);
    p->setFrameShape(QFrame::Panel);
    p->setFrameShadow(QFrame::Raised);
    QPalette pal = p->palette();
    pal.setColor(QPalette::Window, kBlue);
    pal.setColor(QPalette::WindowText, Qt::white);
    p->setPalette(pal);
    p->setAutoFillBackground(true);
    p->setFixedSize(96, 66);
    p->hide();
    return p;
}

// The grid's design font: 宋体 of 19 pixels, the serif CJK face where 宋体 is missing.
QFont gridFont(const QFont& base)
{
    QFont f = base;
    f.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC"),
                   QStringLiteral("Noto Sans CJK SC")});
    f.setPixelSize(19);
    return f;
}

} // namespace

Tluru::Tluru(Session& session) : Form(QStringLiteral("临时成绩处理库")), m_session(session)
{
    Query1 = new Db::GridModel(this);
    Query1->setAbsencesShown(true);
    Query1->setObjectName("Query1");
    // At least the designed size; wider when the grid's columns need it.
    setMinimumSize(800, 599);
    resize(800, 599);
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 8);
    root->setSpacing(6);
    buildHeader(root);

    auto* body = new QHBoxLayout;
    body->setContentsMargins(12, 0, 12, 0);
    body->setSpacing(10);
    root->addLayout(body, 1);
    buildSteps(body);

    // The grid takes the window's free width.
    auto* right = new QVBoxLayout;
    right->setSpacing(6);
    body->addLayout(right, 1);
    buildFilterGroup(right);
    buildGrid(right);
    buildNavigator(right);
    buildSaveButtons(right);
    connectHandlers();
}

void Tluru::buildHeader(QVBoxLayout* root)
{
    Image7 = new QLabel(this);
    Image7->setObjectName("Image7");
    Image7->setFixedHeight(28);
    Ui::setColour(Image7, QColor(30, 70, 170));
    root->addWidget(Image7);

    auto* exam = new QHBoxLayout;
    exam->setContentsMargins(12, 0, 12, 0);
    Label2 = Ui::label("考试名称为", this, "Label2");
    mingc = Ui::edit("在这里输入考试名称（非常必要）", this, "mingc");
    Label1 = Ui::label("编号为", this, "Label1");
    bianh = Ui::edit("考试编号", this, "bianh");
    bianh->setFixedWidth(90);
    exam->addWidget(Label2);
    exam->addWidget(mingc, 1);
    exam->addSpacing(12);
    exam->addWidget(Label1);
    exam->addWidget(bianh);
    root->addLayout(exam);
}

void Tluru::buildSteps(QHBoxLayout* body)
{
    // The steps at the left, each with its status panel beside it.
    auto* steps = new QGridLayout;
    steps->setVerticalSpacing(14);
    steps->setHorizontalSpacing(6);
    Image5 = new PictureButton("计算排名以及三总总分", QColor(90, 140, 220), this, "Image5");
    Image2 = new PictureButton("计算综合成绩分析表", QColor(90, 170, 120), this, "Image2");
    Image6 = new PictureButton("计算总分分段及平均分", QColor(220, 160, 70), this, "Image6");
    Image1 = new PictureButton("返回主界面", QColor(150, 150, 170), this, "Image1");
    Panel3 = statusPanel(this, "Panel3");
    Panel4 = statusPanel(this, "Panel4");
    Panel5 = statusPanel(this, "Panel5");
    const QList<std::pair<PictureButton*, QLabel*>> rows{{Image5, Panel3}, {Image2, Panel4}, {Image6, Panel5}};
    int r = 0;
    for (const auto& [picture, panel] : rows) {
        picture->setFixedSize(120, 74);
        steps->addWidget(picture, r, 0);
        steps->addWidget(panel, r, 1);
        ++r;
    }
    Image1->setFixedSize(120, 74);
    steps->addWidget(Image1, r, 0);
    steps->setRowStretch(r + 1, 1);
    steps->setColumnMinimumWidth(1, 96);
    body->addLayout(steps);
}

void Tluru::buildFilterGroup(QVBoxLayout* right)
{
    GroupBox1 = new QGroupBox("筛选录入项目", this);
    GroupBox1->setObjectName("GroupBox1");
    auto* filter = new QVBoxLayout(GroupBox1);
    filter->setSpacing(4);
    cx = Ui::check("我想只录入一个班(以黄色框为准)", false, GroupBox1, "cx");
    auto* classes = new QHBoxLayout;
    Edit2 = Ui::edit("1", GroupBox1, "Edit2");
    QPalette yellow = Edit2->palette();
    yellow.setColor(QPalette::Base, QColor(255, 255, 0));
    Edit2->setPalette(yellow);
    Label4 = Ui::label("班到", GroupBox1, "Label4");
    Edit3 = Ui::edit("2", GroupBox1, "Edit3");
    Label11 = Ui::label("班", GroupBox1, "Label11");
    Edit2->setFixedWidth(44);
    Edit3->setFixedWidth(44);
    classes->addWidget(Edit2);
    classes->addWidget(Label4);
    classes->addWidget(Edit3);
    classes->addWidget(Label11);
    classes->addSpacing(16);
    classes->addWidget(cx);
    classes->addStretch(1);
    filter->addLayout(classes);
    auto* subjects = new QHBoxLayout;
    ca = Ui::check("语文", true, GroupBox1, "ca");
    cb = Ui::check("数学", true, GroupBox1, "cb");
    cc = Ui::check("英语", true, GroupBox1, "cc");
    cd = Ui::check("政治", true, GroupBox1, "cd");
    ce = Ui::check("物理", true, GroupBox1, "ce");
    cf = Ui::check("化学", true, GroupBox1, "cf");
    cg = Ui::check("综合", false, GroupBox1, "cg");
    for (QCheckBox* c : {ca, cb, cc, cd, ce, cf, cg})
        subjects->addWidget(c);
    subjects->addStretch(1);
    SpeedButton1 = Ui::button("确定", GroupBox1, "SpeedButton1");
    subjects->addWidget(SpeedButton1);
    filter->addLayout(subjects);
    GroupBox1->setMinimumWidth(kGridWidth);
    right->addWidget(GroupBox1);
}

void Tluru::buildGrid(QVBoxLayout* right)
{
    luru_dg = new EntryGrid(this);
    luru_dg->setObjectName("luru_dg");
    luru_dg->setFont(gridFont(luru_dg->font()));
    luru_dg->setMinimumWidth(kGridWidth);
    Print::addGridActions({luru_dg}, this, [this] { return printJob(); });
    right->addWidget(luru_dg, 1);
}

void Tluru::buildNavigator(QVBoxLayout* right)
{
    auto* below = new QHBoxLayout;
    DBNavigator1 = new QWidget(this);
    DBNavigator1->setObjectName("DBNavigator1");
    auto* nav = new QHBoxLayout(DBNavigator1);
    nav->setContentsMargins(0, 0, 0, 0);
    nav->setSpacing(1);
    auto navButton = [this, nav](const QString& glyph, const QString& tip, const QString& name) {
        auto* b = new QToolButton(DBNavigator1);
        b->setObjectName(name);
        b->setText(glyph);
        b->setToolTip(tip);
        b->setFixedSize(30, 26);
        nav->addWidget(b);
        return b;
    };
    navFirst = navButton("|◀", "首记录", "navFirst");
    navPrior = navButton("◀", "上一条记录", "navPrior");
    navNext = navButton("▶", "下一条记录", "navNext");
    navLast = navButton("▶|", "尾记录", "navLast");
    navCancel = navButton("✕", "取消正在输入的内容", "navCancel");
    below->addWidget(DBNavigator1);
    below->addStretch(1);
    SpeedButton3 = Ui::button("显示设置", this, "SpeedButton3");
    SpeedButton2 = Ui::button("插入或删除记录", this, "SpeedButton2");
    below->addWidget(SpeedButton3);
    below->addWidget(SpeedButton2);
    right->addLayout(below);
}

void Tluru::buildSaveButtons(QVBoxLayout* right)
{
    Button1 = Ui::button("排名及总分计算完毕，核准后按这里永久保存", this, "Button1");
    QPalette save = Button1->palette();
    save.setColor(QPalette::ButtonText, QColor(170, 0, 0));
    Button1->setPalette(save);
    Button1->hide();
    right->addWidget(Button1);
    // Once the marks are saved, the slips to hand out are one step away.
    SlipsButton = Ui::button("成绩条与等级…", this, "SlipsButton");
    right->addWidget(SlipsButton);
}

void Tluru::connectHandlers()
{
    Ui::connectHandler(SpeedButton1, &QPushButton::clicked, this, &Tluru::SpeedButton1Click);
    Ui::connectHandler(Button1, &QPushButton::clicked, this, &Tluru::saveGrades);
    Ui::connectHandler(Image5, &QAbstractButton::clicked, this, &Tluru::Image5Click);
    Ui::connectHandler(Image2, &QAbstractButton::clicked, this, &Tluru::Image2Click);
    Ui::connectHandler(Image6, &QAbstractButton::clicked, this, &Tluru::Image6Click);
    Ui::connectHandler(Image1, &QAbstractButton::clicked, this, &Tluru::Image1Click);
    Ui::connectHandler(SpeedButton2, &QPushButton::clicked, this, &Tluru::SpeedButton2Click);
    Ui::connectHandler(SpeedButton3, &QPushButton::clicked, this, &Tluru::SpeedButton3Click);
    Ui::connectHandler(SlipsButton, &QPushButton::clicked, this, [] { Forms::showWindow(Forms::slips); });
    connect(navFirst, &QToolButton::clicked, this, [this] { luru_dg->goToRow(0); });
    connect(navPrior, &QToolButton::clicked, this, [this] { luru_dg->goToRow(luru_dg->currentIndex().row() - 1); });
    connect(navNext, &QToolButton::clicked, this, [this] { luru_dg->goToRow(luru_dg->currentIndex().row() + 1); });
    connect(navLast, &QToolButton::clicked, this, [this] { luru_dg->goToRow(INT_MAX); });
    connect(navCancel, &QToolButton::clicked, luru_dg, &EntryGrid::cancelEdit);
}

void Tluru::FormCreate()
{
    // A refused cell (a word in a mark column) is told once, however the
    // grid is reached.
    connect(Query1, &Db::GridModel::editRejected, this, [](const QString& m) { Msg::warning(m); });
    Query1->setFullMarks([this](const QString& column) -> std::optional<double> {
        // Only the mark columns themselves ("语文1"), not their ranks or totals.
        if (!column.endsWith(QLatin1Char('1')) || !Rules::gradeSubjects().contains(column.chopped(1)))
            return std::nullopt;
        return double(m_session.fullMark(column.chopped(1)));
    });
    connect(Query1, &QAbstractItemModel::dataChanged, this, [this] { Msg::guard([this] { markEdited(); }); });
    // The window follows the session: another examination, another table,
    // students added or removed by another window.
    connect(&m_session, &Session::examChanged, this, [this] { showExam(); });
    connect(&m_session, &Session::workingTableChanged, this, [this] {
        if (isVisible())
            Msg::guard([this] { reopen(); });
    });
    connect(&m_session, &Session::gradesChanged, this, [this] {
        if (isVisible())
            Msg::guard([this] { reloadGrid(); });
    });
}

void Tluru::setGridFontSize(int pointSize)
{
    QFont f = luru_dg->font();
    f.setPointSize(pointSize);
    luru_dg->setFont(f);
}

void Tluru::setGridColour(QPalette::ColorRole role, const QColor& colour)
{
    QPalette pal = luru_dg->palette();
    pal.setColor(role, colour);
    luru_dg->setPalette(pal);
}

QStringList Tluru::chosenSubjects() const
{
    QStringList out;
    for (QCheckBox* c : {ca, cb, cc, cd, ce, cf, cg})
        if (c->isChecked())
            out << c->text();
    return out;
}

QString Tluru::workTable() const
{
    return m_session.workingTable();
}

void Tluru::FormShow()
{
    reopen();
}

void Tluru::showFresh()
{
    if (!Forms::luru)
        return;
    if (Forms::luru->isVisible())
        Forms::luru->reopen(); // showing a visible window runs no FormShow
    Forms::showWindow(Forms::luru);
}

void Tluru::showExam()
{
    const Session::Exam& exam = m_session.exam();
    Panel3->setVisible(exam.marksSaved);
    showSavedState();
    Panel4->setVisible(exam.analysisSaved);
    Panel5->setVisible(exam.bandsSaved);
    mingc->setText(exam.name);
    bianh->setText(exam.number);
}

void Tluru::reopen()
{
    if (m_reopening)
        return;
    m_reopening = true;
    const auto done = qScopeGuard([this] { m_reopening = false; });
    // Another program may have moved the current examination or the working
    // table meanwhile.
    m_session.refresh();
    showExam();
    const QString table = m_session.workingTable();
    // Every class of the roster is shown until the teacher narrows it; a
    // new roster of other classes shows all of them again.
    const auto range = Entry::classRange(table);
    const QPair<qint64, qint64> shown = range ? qMakePair(range->first, range->last) : qMakePair(qint64(1), qint64(2));
    if (range && shown != m_rosterRange) {
        Edit2->setText(QString::number(range->first));
        Edit3->setText(QString::number(range->last));
    }
    m_rosterRange = shown;
    openGrid();
}

void Tluru::showSavedState()
{
    // A mark corrected after the save: the saved copy is no longer what the
    // grid shows until the ranking is run and saved again.
    const bool differs = Settings::value(kEditedAfterSave) == QStringLiteral("1");
    Panel3->setText(differs ? kSavedDiffers : kSaved);
    QPalette pal = Panel3->palette();
    pal.setColor(QPalette::Window, differs ? QColor(190, 60, 20) : kBlue);
    Panel3->setPalette(pal);
    SlipsButton->setVisible(Entry::examState().marksSaved);
}

void Tluru::markEdited()
{
    if (!m_session.exam().marksSaved || Settings::value(kEditedAfterSave) == QStringLiteral("1"))
        return;
    Settings::setValue(kEditedAfterSave, QStringLiteral("1"));
    showSavedState();
}

void Tluru::FormClose()
{
    if (Forms::Form6)
        Forms::Form6->show();
}

void Tluru::openGrid()
{
    const bool one = cx->isChecked();
    // The class edits are checked before the grid lets go of what it shows.
    const qint64 b1 = Ui::intOf(Edit2, one ? "班号" : "起始班号");
    const qint64 b2 = one ? b1 : Ui::intOf(Edit3, "最后班号");
    Query1->setQuery(Entry::entryQuery(workTable(), chosenSubjects(), one, b1, b2));
    if (luru_dg->model() != Query1)
        luru_dg->setModel(Query1);
    Query1->open();
    luru_dg->goToRow(0);
    layOutGrid();
}

void Tluru::layOutGrid()
{
    QFont title = luru_dg->horizontalHeader()->font();
    title.setPointSize(12);
    luru_dg->horizontalHeader()->setFont(title);
    // 学号 and 姓名 at least 80, every further column at least 55, each wide
    // enough for its title and its longest value.
    Ui::fitColumns(luru_dg, {80, 80}, 55);
    fitWidth();
}

void Tluru::fitWidth()
{
    // Wide enough to show every column, as far as the screen allows.
    if (!luru_dg->model())
        return;
    int needed = luru_dg->verticalHeader()->width() + 2 * luru_dg->frameWidth() + 24;
    for (int c = 0; c < luru_dg->model()->columnCount(); ++c)
        needed += luru_dg->columnWidth(c);
    const int missing = needed - luru_dg->width();
    if (missing <= 0)
        return;
    int most = width() + missing;
    if (QScreen* sc = screen())
        most = qMin(most, sc->availableGeometry().width() - 20);
    if (most > width())
        resize(most, height());
}

void Tluru::layOutResult()
{
    Ui::fitColumns(luru_dg, {50, 80, 60, 70, 60}, 55);
    fitWidth();
}

void Tluru::reloadGrid()
{
    if (!Query1->isActive() || luru_dg->model() != Query1)
        return;
    QList<int> widths;
    for (int i = 0; i < Query1->columnCount(); ++i)
        widths << luru_dg->columnWidth(i);
    const int row = luru_dg->currentIndex().row();
    Query1->open();
    if (widths.size() == Query1->columnCount())
        for (int i = 0; i < widths.size(); ++i)
            luru_dg->setColumnWidth(i, widths.at(i));
    luru_dg->goToRow(qMax(row, 0));
}

void Tluru::SpeedButton1Click()
{
    openGrid();
}

void Tluru::showRankingResult(const Db::SelectSpec& query)
{
    Forms::showWindow(this);
    Query1->setQuery(query);
    if (luru_dg->model() != Query1)
        luru_dg->setModel(Query1);
    Query1->open();
    Button1->setVisible(true);
    layOutResult();
}

Print::Job Tluru::printJob() const
{
    return {QStringLiteral("临时成绩处理库"), mingc->text(), Print::sheetOf({luru_dg}, QStringLiteral("成绩")), nullptr};
}

QString Tluru::examName() const
{
    return mingc->text();
}

void Tluru::saveGrades()
{
    // The number is checked before anything is written. The save makes the
    // name and number it uses the current examination's.
    Save::Exam exam{mingc->text(), Save::examNumber(bianh->text())};
    const Actions::SaveCheck check = Actions::checkSave(m_session, Save::Kind::Grades, exam);
    if (check.askReplace()) {
        if (!Msg::actOrCancel(replaceQuestion(QStringLiteral("成绩"), exam, check.earlierRows), QStringLiteral("替换")))
            return;
        exam.replace = true;
    } else if (check.askSameName() && !Msg::yesNo(EntryText::sameNameQuestion(exam.name, check.sameName))) {
        return;
    }
    {
        PleaseWait wait;
        Actions::save(m_session, Save::Kind::Grades, exam);
    }
    Settings::setValue(kEditedAfterSave, QStringLiteral("0"));
    if (Forms::chaxun)
        Forms::chaxun->addExam(exam.name);
    Button1->hide();
    Msg::info("成功保存到永久数据库，到主界面可以查看结果！！！");
    showExam();
    layOutResult();
}

void Tluru::Button2Click()
{
    saveGrades();
}

QString Tluru::replaceQuestion(const QString& what, const Save::Exam& exam, qint64 rows)
{
    return QStringLiteral("“%1”（编号%2）的%3已经永久保存过（%4行）。\n\n"
                          "替换：删去原来保存的%3，换成现在这份，以后的查询和图表里这次考试只出现一次；\n"
                          "取消：这次不保存，原来保存的不变。")
        .arg(exam.name)
        .arg(exam.number)
        .arg(what)
        .arg(rows);
}

void Tluru::Image5Click()
{
    // Saved marks are not processed again without asking first.
    if (m_session.exam().marksSaved)
        Forms::showWindow(Forms::c1p);
    else if (Forms::Form1)
        Forms::Form1->showMode(TForm1::Mode::Ranking);
}

void Tluru::Image2Click()
{
    if (Forms::Form1)
        Forms::Form1->showMode(TForm1::Mode::Analysis);
}

void Tluru::Image6Click()
{
    if (Forms::Form1)
        Forms::Form1->showMode(TForm1::Mode::Bands);
}

void Tluru::Image1Click()
{
    if (Forms::Form6)
        Forms::Form6->show();
    close();
}

void Tluru::SpeedButton2Click()
{
    Forms::showWindow(Forms::gai);
}

void Tluru::SpeedButton3Click()
{
    Forms::showWindow(Forms::luruxianshi);
}
