#include "windows/processing/tform1.h"
#include "windows/entry/tluru.h"

#include "windows/app/forms.h"
#include "windows/app/messages.h"
#include "windows/app/tform2.h"
#include "windows/app/tform6.h"
#include "engine/processing/runs.h"
#include "engine/rules/numbers.h"
#include "engine/rules/subjects.h"
#include "engine/actions/processing.h"
#include "engine/session/session.h"
#include "windows/processing/tform8.h"
#include "windows/reports/tform5.h"
#include "windows/reports/tformfx.h"

#include <QApplication>
#include <QCheckBox>
#include <algorithm>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QScopedValueRollback>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString kDone = QStringLiteral("处理完毕！！！按确定后可查看处理结果");
const QString kHello = QStringLiteral("你好");

QProgressBar* gauge(QWidget* parent, const QString& name, Qt::Orientation o = Qt::Horizontal)
{
    auto* g = new QProgressBar(parent);
    g->setObjectName(name);
    g->setOrientation(o);
    g->setRange(0, 100);
    g->setValue(0);
    return g;
}

void setGauge(QProgressBar* g, qint64 done, qint64 total)
{
    g->setValue(total > 0 ? int(std::clamp<qint64>(done * 100 / total, 0, 100)) : 0);
    // Keep the window painted without taking the user's clicks mid-run.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

TForm1::TForm1(Session& session) : Form(QStringLiteral("成绩处理面板")), m_session(session)
{
    setWindowFlags(Qt::Tool);
    setBackground(Ui::kMoneyGreen);
    setFixedWidth(620);

    buildHiddenMirrors();
    auto* outer = new QVBoxLayout(this);
    buildSummaryStrip(outer);
    buildRankingGroup(outer);
    buildAnalysisGroup(outer);
    buildBandGroup(outer);
    buildBottomRow(outer);
    connectHandlers();

    setMode(Mode::Ranking);

    connectSettings();
}

void TForm1::buildHiddenMirrors()
{
    dbs = Ui::edit("cj", this, "dbs");
    fxs = Ui::edit("fx", this, "fxs");
    tjs = Ui::edit("tj", this, "tjs");
    banshu0 = Ui::edit("1", this, "banshu0");
    cishuk = Ui::edit("1", this, "cishuk");
    Edit2 = Ui::edit("1", this, "Edit2");
    for (QLineEdit* e : {dbs, fxs, tjs, banshu0, cishuk, Edit2})
        e->hide();
}

void TForm1::buildSummaryStrip(QVBoxLayout* outer)
{
    // Summary strip: which classes and subjects the run covers.
    Panel3 = Ui::panel(this, "Panel3");
    auto* strip = new QHBoxLayout(Panel3);
    Label36 = Ui::label("系统将会处理", Panel3, "Label36");
    Label24 = Ui::label("从", Panel3, "Label24");
    banshu1 = Ui::edit("1", Panel3, "banshu1");
    Label29 = Ui::label("到", Panel3, "Label29");
    Edit1 = Ui::edit("5", Panel3, "Edit1");
    Label22 = Ui::label("班", Panel3, "Label22");
    for (QLineEdit* e : {banshu1, Edit1}) {
        e->setReadOnly(true);
        e->setFixedWidth(36);
    }
    aa = Ui::label(QString(), Panel3, "aa");
    bb = Ui::label(QString(), Panel3, "bb");
    cc = Ui::label(QString(), Panel3, "cc");
    dd = Ui::label(QString(), Panel3, "dd");
    Label37 = Ui::label(QString(), Panel3, "Label37");
    Label38 = Ui::label(QString(), Panel3, "Label38");
    Label30 = Ui::label("科的成绩", Panel3, "Label30");
    for (QWidget* w : std::initializer_list<QWidget*>{Label36, Label24, banshu1, Label29, Edit1, Label22, aa, bb, cc,
                                                      dd, Label37, Label38, Label30})
        strip->addWidget(w);
    strip->addStretch();
    outer->addWidget(Panel3);
}

void TForm1::buildRankingGroup(QVBoxLayout* outer)
{
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName("GroupBox1");
    auto* g1 = new QGridLayout(GroupBox1);
    Button6 = Ui::button("我要修改处理参数", GroupBox1, "Button6");
    Button1 = Ui::button("我对参数满意了，开始排名", GroupBox1, "Button1");
    Label19 = Ui::label("统计总分及三总", GroupBox1, "Label19");
    Label20 = Ui::label("统计各科班内排名", GroupBox1, "Label20");
    Label21 = Ui::label("统计各科级排名", GroupBox1, "Label21");
    Gauge1 = gauge(GroupBox1, "Gauge1");
    Gauge2 = gauge(GroupBox1, "Gauge2");
    Gauge3 = gauge(GroupBox1, "Gauge3");
    Label23 = Ui::label(QString(), GroupBox1, "Label23");
    Label23->setWordWrap(true);
    g1->addWidget(Button6, 0, 0);
    g1->addWidget(Button1, 0, 1);
    g1->addWidget(Label19, 1, 0);
    g1->addWidget(Gauge1, 1, 1);
    g1->addWidget(Label20, 2, 0);
    g1->addWidget(Gauge2, 2, 1);
    g1->addWidget(Label21, 3, 0);
    g1->addWidget(Gauge3, 3, 1);
    g1->addWidget(Label23, 4, 0, 1, 2);
    g1->setRowStretch(5, 1);
    outer->addWidget(GroupBox1);
}

void TForm1::buildAnalysisGroup(QVBoxLayout* outer)
{
    GroupBox2 = new QGroupBox(this);
    GroupBox2->setObjectName("GroupBox2");
    auto* g2 = new QGridLayout(GroupBox2);
    Label11 = Ui::label("分数满分值", GroupBox2, "Label11");
    g2->addWidget(Label11, 0, 0, 1, 6);
    // 综合 has its full mark beside the others: out of 50 it must not be
    // counted against 100.
    const QStringList names{"语文", "数学", "英语", "政治", "物理", "化学", "历史", "地理", "生物", "综合"};
    QList<QLineEdit**> kemu{&kemu1, &kemu2, &kemu3, &kemu4, &kemu5, &kemu6, &kemu7, &kemu8, &kemu9, &kemu10};
    for (int i = 0; i < 10; ++i) {
        *kemu[i] = Ui::edit("100", GroupBox2, QStringLiteral("kemu%1").arg(i + 1));
        (*kemu[i])->setFixedWidth(50);
        g2->addWidget(Ui::label(names[i], GroupBox2), 1 + i / 3, (i % 3) * 2);
        g2->addWidget(*kemu[i], 1 + i / 3, (i % 3) * 2 + 1);
    }
    g2->setVerticalSpacing(4);
    GroupBox4 = new QGroupBox("单科分数段", GroupBox2);
    GroupBox4->setObjectName("GroupBox4");
    auto* g4 = new QHBoxLayout(GroupBox4);
    edit3 = Ui::edit("100", GroupBox4, "edit3");
    Edit4 = Ui::edit("200", GroupBox4, "Edit4");
    Edit5 = Ui::edit("300", GroupBox4, "Edit5");
    Edit6 = Ui::edit("400", GroupBox4, "Edit6");
    for (QLineEdit* e : {edit3, Edit4, Edit5, Edit6}) {
        e->setFixedWidth(50);
        g4->addWidget(Ui::label("前", GroupBox4));
        g4->addWidget(e);
    }
    g2->addWidget(GroupBox4, 5, 0, 1, 6);
    Button5 = Ui::button("我要修改处理参数", GroupBox2, "Button5");
    fenxi = Ui::button("我对参数满意了，开始分析", GroupBox2, "fenxi");
    g2->addWidget(Button5, 6, 0, 1, 3);
    g2->addWidget(fenxi, 6, 3, 1, 3);
    Gauge4 = gauge(GroupBox2, "Gauge4", Qt::Vertical);
    g2->addWidget(Gauge4, 0, 6, 7, 1);
    outer->addWidget(GroupBox2);
}

void TForm1::buildBandGroup(QVBoxLayout* outer)
{
    GroupBox3 = new QGroupBox("分段表生成", this);
    GroupBox3->setObjectName("GroupBox3");
    auto* g3 = new QGridLayout(GroupBox3);
    Label1 = Ui::label("分段上限", GroupBox3, "Label1");
    sx = Ui::edit("399", GroupBox3, "sx");
    Label2 = Ui::label("分段数", GroupBox3, "Label2");
    shumus = Ui::edit("30", GroupBox3, "shumus");
    fenduan = Ui::button("按这里开始处理", GroupBox3, "fenduan");
    Button7 = Ui::button("关闭窗口", GroupBox3, "Button7");
    Label25 = Ui::label("统计进度", GroupBox3, "Label25");
    Gauge5 = gauge(GroupBox3, "Gauge5");
    g3->addWidget(Label1, 0, 0);
    g3->addWidget(sx, 0, 1);
    g3->addWidget(Label2, 1, 0);
    g3->addWidget(shumus, 1, 1);
    g3->addWidget(fenduan, 2, 0);
    g3->addWidget(Button7, 2, 1);
    g3->addWidget(Label25, 3, 0);
    g3->addWidget(Gauge5, 3, 1);
    sx->setFixedWidth(80);
    shumus->setFixedWidth(80);
    g3->setColumnStretch(2, 1);
    g3->setRowStretch(4, 1);
    outer->addWidget(GroupBox3);
}

void TForm1::buildBottomRow(QVBoxLayout* outer)
{
    auto* bottom = new QHBoxLayout;
    banshu2Label = Ui::label("处理到第", this, "banshu2Label");
    banshu2 = Ui::edit("18", this, "banshu2");
    banshu2->setReadOnly(true);
    banshu2->setFixedWidth(40);
    banshu2->setToolTip("处理到的最后一个班");
    Button2 = Ui::button("关闭窗口", this, "Button2");
    Button3 = Ui::button("关闭窗口", this, "Button3");
    bottom->addWidget(banshu2Label);
    bottom->addWidget(banshu2);
    banshu2Unit = Ui::label("班", this, "banshu2Unit");
    bottom->addWidget(banshu2Unit);
    bottom->addStretch();
    bottom->addWidget(Button2);
    bottom->addWidget(Button3);
    outer->addLayout(bottom);
}

void TForm1::connectHandlers()
{
    auto bind = [this](QPushButton* b, void (TForm1::*slot)()) {
        Ui::connectHandler(b, &QPushButton::clicked, this, slot);
    };
    bind(Button5, &TForm1::showParameters);
    bind(Button6, &TForm1::showParameters);
    bind(Button2, &TForm1::backToEntry);
    bind(Button3, &TForm1::backToEntry);
    bind(Button7, &TForm1::Button7Click);
    bind(Button1, &TForm1::Button1Click);
    bind(fenxi, &TForm1::fenxiClick);
    bind(fenduan, &TForm1::fenduanClick);
}

void TForm1::connectSettings()
{
    // The panel shows the session's settings; a full mark is handed to the
    // session as soon as it is typed, since entry checks marks against it
    // before any run.
    // A change this window made itself is already shown; redrawing the typed
    // fields then would wipe what the teacher typed in the others.
    connect(&m_session, &Session::settingsChanged, this, [this] { showSettings(!isVisible() && !m_applying); });
    connect(&m_session, &Session::workingTableChanged, this, [this] { showSettings(!isVisible()); });
    for (const auto& [subject, edit] : fullMarkFields())
        connect(edit, &QLineEdit::editingFinished, this, [this, subject = subject, edit = edit] {
            const auto v = Num::parseInteger(edit->text());
            if (v && *v >= 1 && *v <= Proc::kMaxFullMark) {
                const QScopedValueRollback applying(m_applying, true);
                m_session.setFullMark(subject, *v);
            }
        });
}

QList<std::pair<QString, QLineEdit*>> TForm1::fullMarkFields() const
{
    return {{"语文", kemu1}, {"数学", kemu2}, {"英语", kemu3}, {"政治", kemu4}, {"物理", kemu5},
            {"化学", kemu6}, {"历史", kemu7}, {"地理", kemu8}, {"生物", kemu9}, {"综合", kemu10}};
}

void TForm1::FormCreate()
{
    showSettings(true);
    cj.close();
    fx.close();
    t1.close();
    t2.close();
    cj.setTableName(dbs->text());
    t1.setTableName(dbs->text());
    fx.setTableName(fxs->text());
    t2.setTableName(tjs->text());
    cj.open();
}

void TForm1::showSettings(bool typedFieldsToo)
{
    dbs->setText(m_session.workingTable());
    fxs->setText(m_session.analysisTable());
    tjs->setText(m_session.bandTable());
    cishuk->setText(m_session.suffix());
    Edit2->setText(m_session.suffix());
    const QString first = QString::number(m_session.firstClass());
    const QString last = QString::number(m_session.lastClass());
    banshu0->setText(first);
    banshu1->setText(first);
    banshu2->setText(last);
    Edit1->setText(last);
    // One label per subject: sharing three labels among six subjects named
    // 化学 and 政治 twice and 语文 not at all.
    showSubjects(m_session.subjects());
    // Fields the teacher may be typing in are left alone while shown.
    if (!typedFieldsToo)
        return;
    for (const auto& [subject, edit] : fullMarkFields())
        edit->setText(QString::number(m_session.fullMark(subject)));
    const QList<QLineEdit*> tops{edit3, Edit4, Edit5, Edit6};
    for (int i = 0; i < tops.size(); ++i)
        tops.at(i)->setText(QString::number(m_session.top()[size_t(i)]));
    sx->setText(QString::number(m_session.bandUpper()));
    shumus->setText(QString::number(m_session.bandCount()));
}

void TForm1::setMode(Mode mode)
{
    m_mode = mode;
    const QColor tooltip = QApplication::palette().color(QPalette::ToolTipBase);
    const QColor caption = QApplication::palette().color(QPalette::Highlight);
    GroupBox1->setVisible(mode == Mode::Ranking);
    GroupBox2->setVisible(mode == Mode::Analysis);
    GroupBox3->setVisible(mode == Mode::Bands);
    Panel3->setVisible(mode != Mode::Bands);
    Button2->setVisible(mode == Mode::Ranking);
    Button3->setVisible(mode == Mode::Analysis);
    banshu2->setVisible(mode != Mode::Bands);
    banshu2Label->setVisible(mode != Mode::Bands);
    banshu2Unit->setVisible(mode != Mode::Bands);
    Ui::setColour(GroupBox3, mode == Mode::Bands ? tooltip : Ui::kMoneyGreen);
    if (mode == Mode::Analysis)
        Ui::setColour(GroupBox2, caption.lighter(170));
    setFixedHeight(mode == Mode::Ranking ? 425 : mode == Mode::Analysis ? 428 : 363);
}

void TForm1::showMode(Mode mode)
{
    setMode(mode);
    show();
    raise();
    showParameters();
}

void TForm1::FormShow()
{
    // Each showing starts with empty bars: a full one tells of this run only.
    for (QProgressBar* g : {Gauge1, Gauge2, Gauge3, Gauge4, Gauge5})
        g->setValue(0);
    // The fields a teacher types in are filled as the panel comes up, for
    // the working table the database names now.
    m_session.refresh();
    showSettings(true);
}

void TForm1::showSubjects(const QStringList& ticked)
{
    const QList<std::pair<QLabel*, QString>> labels{{aa, "语文"}, {bb, "数学"},      {cc, "英语"},
                                                    {dd, "政治"}, {Label37, "物理"}, {Label38, "化学"}};
    for (const auto& [label, subject] : labels)
        label->setText(ticked.contains(subject) ? subject : QString());
}

void TForm1::showParameters()
{
    if (Forms::Form2) {
        Forms::Form2->show();
        Forms::Form2->raise();
    }
}

void TForm1::backToEntry()
{
    close();
    Forms::showWindow(Forms::luru);
}

void TForm1::Button2Click()
{
    showParameters();
}

void TForm1::Button3Click()
{
    backToEntry();
}

void TForm1::Button7Click()
{
    backToEntry();
}

void TForm1::FormClose()
{
    if (Forms::Form6)
        Forms::Form6->show();
}

void TForm1::applyAnalysisFields()
{
    QMap<QString, qint64> full;
    for (const auto& [subject, edit] : fullMarkFields())
        full.insert(subject, Ui::intOf(edit, subject + "满分值"));
    const std::array<qint64, 4> top{Ui::intOf(edit3, "前100名"), Ui::intOf(Edit4, "前200名"), Ui::intOf(Edit5, "前300名"),
                                    Ui::intOf(Edit6, "前400名")};
    m_session.setFullMarks(full);
    m_session.setTop(top);
}

void TForm1::Button1Click()
{
    for (QProgressBar* g : {Gauge1, Gauge2, Gauge3})
        g->setValue(0);
    const Proc::RankResult res = Actions::rank(m_session, [this](int stage, qint64 done, qint64 total) {
        setGauge(stage == 1 ? Gauge1 : stage == 2 ? Gauge2 : Gauge3, done, total);
    });
    // Full bars tell the run went through to its end.
    for (QProgressBar* g : {Gauge1, Gauge2, Gauge3})
        g->setValue(100);
    cj.close();
    cj.setTableName(m_session.workingTable());
    Label23->setAutoFillBackground(true);
    Label23->setStyleSheet("background: white; color: red;");
    lastReport = QStringLiteral("在%1的时间里，我们已经处理了%2个数据").arg(Ui::clockText(res.elapsedMs)).arg(res.processed);
    Label23->setText(lastReport);
    Msg::info(kDone, kHello);
    hide();
    Label23->clear();

    // Hand the result to the entry window, with its save button.
    if (Forms::luru)
        Forms::luru->showRankingResult(Proc::rankDisplayQuery(m_session.workingTable(), m_session.subjects(),
                                                              m_session.suffix(), m_session.firstClass(),
                                                              m_session.lastClass()));
}

void TForm1::fenxiClick()
{
    // Every field is checked and taken before anything is written; the full
    // marks taken are the ones entry checks marks against from now on.
    applyAnalysisFields();
    if (Proc::analysisTableInUse(m_session.analysisTable()))
        Msg::info("上次的结果尚未清零，按确定将进行清零，这将增加一定的处理时间！", kHello);
    Gauge4->setValue(0);
    Actions::analyze(m_session, [this](int, qint64 done, qint64 total) { setGauge(Gauge4, done, total); });
    Gauge4->setValue(100);
    Msg::info(kDone, kHello);
    // The result on screen, read from the table the run has just written.
    if (Forms::Formfx)
        Forms::Formfx->showResult(m_session.analysisTable());
}

void TForm1::fenduanClick()
{
    const qint64 upper = Ui::intOf(sx, "分段上限");
    const qint64 count = Ui::intOf(shumus, "分段数");
    // A limit left as proposed keeps following the subjects' full marks.
    if (m_session.bandUpperChosen() || upper != m_session.bandUpper())
        m_session.setBands(upper, count);
    else
        m_session.setBandCount(count);
    Gauge5->setValue(0);
    Proc::BandResult res;
    {
        PleaseWait wait;
        res = Actions::bands(m_session, [this](int, qint64 done, qint64 total) { setGauge(Gauge5, done, total); });
        Gauge5->setValue(100);
    }
    // Totals above the first band are in no band: the teacher should know
    // to raise the upper limit rather than trust counts that do not add up.
    QString done = kDone;
    if (res.aboveFirst > 0)
        done += QStringLiteral("\n\n有%1名学生的总分高于分段上限%2，未计入任何分段").arg(res.aboveFirst).arg(upper);
    Msg::info(done, kHello);
    close();
    if (Forms::Form5)
        Forms::Form5->showResult(m_session.bandTable());
}
