#include "windows/reports/tsinggles.h"

#include "engine/db/gridmodel.h"
#include "engine/reports/history.h"
#include "windows/app/forms.h"
#include "windows/app/tformxxx.h"
#include "windows/charts/trendchart.h"
#include "windows/reports/frozengrid.h"
#include "windows/reports/savedlists.h"

#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kFirstTitle = QStringLiteral("该学生各科水平图---水平数值为级总人数减去级排名");


} // namespace

Tsinggles::Tsinggles() : Form(QStringLiteral("singgles"))
{
    setBackground(Ui::kNavy);
    resize(794, 548);
    setMinimumSize(700, 480);
    // White writing on the navy ground; the boxes keep their own colours.
    setStyleSheet(QStringLiteral("Tsinggles > QLabel, Tsinggles > QCheckBox { color: white; }"));
    auto* root = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    Label1 = Ui::label("我要查", this, "Label1");
    cv = Ui::check("我要按学号查找", false, this, "cv");
    edit2 = Ui::editableCombo(this, "edit2", 110);
    ksmc = Ui::editableCombo(this, "ksmc", 200);
    ksmc->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c1 = Ui::editableCombo(this, "c1", 70);
    c1->setEditText("总分");
    Panel1 = Ui::panel(this, "Panel1");
    Panel1->setAutoFillBackground(true);
    auto* kinds = new QHBoxLayout(Panel1);
    kinds->setContentsMargins(6, 2, 6, 2);
    a = new QRadioButton("原始成绩", Panel1);
    a->setObjectName("a");
    b = new QRadioButton("班的排名", Panel1);
    b->setObjectName("b");
    c = new QRadioButton("级的排名", Panel1);
    c->setObjectName("c");
    c->setChecked(true);
    for (QRadioButton* r : {a, b, c})
        kinds->addWidget(r);
    top->addWidget(Label1);
    top->addWidget(cv);
    top->addWidget(edit2);
    top->addWidget(c1);
    top->addWidget(Panel1);
    top->addStretch(1);
    root->addLayout(top);

    auto* actions = new QHBoxLayout;
    Button2 = Ui::button("查所有的考试以及对比曲线", this, "Button2");
    SpeedButton1 = Ui::button("只查选中的考试（表格显示所有科目资料）", this, "SpeedButton1");
    actions->addWidget(Button2);
    actions->addSpacing(16);
    actions->addWidget(ksmc, 1);
    actions->addWidget(SpeedButton1);
    root->addLayout(actions);

    trend = new Charts::TrendChart;
    trend->setTitle(kFirstTitle);
    Series1 = trend->line();
    Chart1 = new QChartView(trend, this);
    Chart1->setObjectName("Chart1");
    Chart1->setRenderHint(QPainter::Antialiasing);
    Chart1->setMinimumHeight(250);

    Query1 = new Db::GridModel(this);
    Query1->setObjectName("Query1");
    Query1->setReadOnly(true);
    grid = new FrozenGrid(this);
    grid->setObjectName("grid");
    DBGrid1 = grid->narrow();
    DBGrid1->setObjectName("DBGrid1");
    DBGrid2 = grid->wide();
    DBGrid2->setObjectName("DBGrid2");
    for (ResultView* v : {DBGrid1, DBGrid2}) {
        v->setEditTriggers(QAbstractItemView::NoEditTriggers);
        QPalette p = v->palette();
        p.setColor(QPalette::Base, Ui::kMoneyGreen);
        p.setColor(QPalette::AlternateBase, Ui::kMoneyGreen.lighter(110));
        v->setPalette(p);
    }
    grid->setFrozenColumns(4); // ID, saved at, exam number hidden; 考试名称 stays in view
    grid->setModel(Query1);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(Chart1);
    split->addWidget(grid);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    root->addWidget(split, 1);

    Print::addChartActions(Chart1, this, [this] { return printJob(); });
    Print::addGridActions({DBGrid1, DBGrid2}, this, [this] {
        return Print::Job{QStringLiteral("学生历次成绩"), trend->title(),
                          Print::sheetOf({DBGrid1, DBGrid2}, QStringLiteral("学生历次成绩")), nullptr};
    });

    // A name typed letter by letter is looked up once the typing pauses; a
    // name picked from the list at once.
    typing = new QTimer(this);
    typing->setObjectName("typing");
    typing->setSingleShot(true);
    typing->setInterval(kTypingDelayMs);
    connect(edit2, &QComboBox::editTextChanged, typing, qOverload<>(&QTimer::start));
    Ui::connectHandler(typing, &QTimer::timeout, this, &Tsinggles::Button2Click);
    Ui::connectHandler(edit2, &QComboBox::activated, this, [this] {
        typing->stop();
        Button2Click();
    });
    // The subject redraws when one is picked or confirmed with Enter, not on
    // every letter of a subject being typed.
    Ui::connectHandler(c1, &QComboBox::activated, this, &Tsinggles::Button2Click);
    Ui::connectHandler(c1->lineEdit(), &QLineEdit::returnPressed, this, &Tsinggles::Button2Click);
    Ui::connectHandler(Button2, &QPushButton::clicked, this, &Tsinggles::Button2Click);
    Ui::connectHandler(SpeedButton1, &QPushButton::clicked, this, &Tsinggles::SpeedButton1Click);
}

void Tsinggles::FormShow()
{
    SavedLists::fillExams(ksmc);
    SavedLists::fillItems(c1, History::studentSubjects());
    const History::NameList names = History::firstNames(15);
    {
        const QSignalBlocker block(edit2);
        edit2->clear();
        edit2->addItems(names.items);
        edit2->setEditText(names.current);
    }
    typing->stop();
}

void Tsinggles::Button2Click()
{
    typing->stop();
    const QString table = Formxxx ? Formxxx->maincjsave->text() : History::kSavedGrades;
    const QString subject = History::checkedSubject(c1->currentText(), table);
    const History::Kind kind = SavedLists::kindOf(a, b, c);
    trend->setBackgroundBrush(Qt::white);
    if (History::trimEnd(edit2->currentText()).isEmpty()) {
        // An emptied box names no student (its prefix would match everyone).
        Query1->close();
        trend->clearPoints();
        trend->setTitle(QString());
        return;
    }
    Query1->setQuery(History::studentHistory(edit2->currentText(), cv->isChecked(), table));
    Query1->open();
    showRows(Qt::red);
    const int n = Query1->rowCount();
    trend->setTitle(n == 0 ? QString()
                           : Query1->value(n - 1, "姓名").toString() + "同学" + "历次考试 " + subject
                               + History::kindWord(kind) + " 成绩波动图");
}

void Tsinggles::SpeedButton1Click()
{
    typing->stop();
    const QString table = Formxxx ? Formxxx->maincjsave->text() : History::kSavedGrades;
    const QString subject = History::checkedSubject(c1->currentText(), table);
    const History::Kind kind = SavedLists::kindOf(a, b, c);
    trend->setBackgroundBrush(Qt::white);
    Query1->setQuery(History::studentExam(edit2->currentText(), cv->isChecked(), ksmc->currentText(), table));
    Query1->open();
    showRows(Ui::kMoneyGreen);
    const int n = Query1->rowCount();
    trend->setTitle("该学生" + (n ? Query1->value(n - 1, "考试名称").toString() : QString()) + "  " + subject
                    + History::kindWord(kind) + "成绩示意图");
}

void Tsinggles::showRows(const QColor& colour)
{
    const History::Kind kind = SavedLists::kindOf(a, b, c);
    const QString column = c1->currentText() + History::kindSuffix(kind);
    QList<Charts::TrendPoint> points;
    for (const History::Point& p : History::points(*Query1, column, "考试名称"))
        points.append({p.label, p.value, colour});
    trend->setRanks(kind != History::Kind::Raw);
    trend->setPoints(points);
    grid->setColumnWidths({0, 0, 0, 170, 60, 30, 60});
    grid->setCurrentRow(0);
}

Print::Job Tsinggles::printJob() const
{
    return {QStringLiteral("学生成绩追踪图表"), ksmc->currentText(), {}, Chart1};
}
