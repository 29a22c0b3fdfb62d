#include "windows/reports/tsinggles.h"

#include "engine/db/gridmodel.h"
#include "engine/reports/history.h"
#include "windows/app/forms.h"
#include "windows/app/messages.h"
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
#include <QTableWidget>
#include <QHeaderView>
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
    buildSearchRow(root);
    buildActionRow(root);
    buildChart();
    buildResultGrid();
    buildStudentList(root);
    buildSplitter(root);
    addPrintActions();
    buildTypingTimer();
    connectHandlers();
}

void Tsinggles::buildSearchRow(QVBoxLayout* root)
{
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
}

void Tsinggles::buildActionRow(QVBoxLayout* root)
{
    auto* actions = new QHBoxLayout;
    Button2 = Ui::button("查所有的考试以及对比曲线", this, "Button2");
    SpeedButton1 = Ui::button("只查选中的考试（表格显示所有科目资料）", this, "SpeedButton1");
    actions->addWidget(Button2);
    actions->addSpacing(16);
    actions->addWidget(ksmc, 1);
    actions->addWidget(SpeedButton1);
    root->addLayout(actions);
}

void Tsinggles::buildChart()
{
    trend = new Charts::TrendChart;
    trend->setTitle(kFirstTitle);
    Series1 = trend->line();
    Chart1 = new QChartView(trend, this);
    Chart1->setObjectName("Chart1");
    Chart1->setRenderHint(QPainter::Antialiasing);
    Chart1->setMinimumHeight(250);
}

void Tsinggles::buildResultGrid()
{
    Query1 = new Db::GridModel(this);
    Query1->setAbsencesShown(true);
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
}

void Tsinggles::buildStudentList(QVBoxLayout* root)
{
    students = new QTableWidget(0, 4, this);
    students->setObjectName("students");
    students->setHorizontalHeaderLabels({"学号", "班号", "姓名", "参加的考试"});
    students->setEditTriggers(QAbstractItemView::NoEditTriggers);
    students->setSelectionBehavior(QAbstractItemView::SelectRows);
    students->setSelectionMode(QAbstractItemView::SingleSelection);
    students->verticalHeader()->hide();
    students->horizontalHeader()->setStretchLastSection(true);
    students->setMinimumHeight(120);
    students->setMaximumHeight(170);
    students->hide();
    root->addWidget(students);
    Ui::connectHandler(students, &QTableWidget::itemSelectionChanged, this, &Tsinggles::studentPicked);
}

void Tsinggles::buildSplitter(QVBoxLayout* root)
{
    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(Chart1);
    split->addWidget(grid);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    root->addWidget(split, 1);
}

void Tsinggles::addPrintActions()
{
    Print::addChartActions(Chart1, this, [this] { return printJob(); });
    Print::addGridActions({DBGrid1, DBGrid2}, this, [this] {
        return Print::Job{QStringLiteral("学生历次成绩"), trend->title(),
                          Print::sheetOf({DBGrid1, DBGrid2}, QStringLiteral("学生历次成绩")), nullptr};
    });
}

void Tsinggles::buildTypingTimer()
{
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
}

void Tsinggles::connectHandlers()
{
    // The subject redraws when one is picked or confirmed with Enter, not on
    // every letter of a subject being typed.
    Ui::connectHandler(c1, &QComboBox::activated, this, &Tsinggles::Button2Click);
    Ui::connectHandler(c1->lineEdit(), &QLineEdit::returnPressed, this, &Tsinggles::Button2Click);
    Ui::connectHandler(Button2, &QPushButton::clicked, this, &Tsinggles::Button2Click);
    // A name and a number of the same text are different students.
    connect(cv, &QCheckBox::toggled, this, [this] { m_typedText.clear(); });
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
    const QString table = History::kSavedGrades;
    History::checkedSubject(c1->currentText(), table);
    trend->setBackgroundBrush(Qt::white);
    const QString typed = History::trimEnd(edit2->currentText());
    if (typed.isEmpty()) {
        // An emptied box names no student (its beginning would match everyone).
        student.reset();
        listStudents({});
        Query1->close();
        trend->clearPoints();
        trend->setTitle(QString());
        return;
    }
    // The same text again (another subject, another kind): the student
    // picked from the list stays.
    if (typed != m_typedText || !student) {
        const History::StudentSearch found = History::findStudents(typed, cv->isChecked(), kListed, table);
        m_typedText = typed;
        student.reset();
        // One student, or one whose name (number) is exactly the text, is
        // shown at once; others are listed to pick from.
        QList<History::SavedStudent> exact;
        for (const History::SavedStudent& s : found.students)
            if ((cv->isChecked() ? s.number : s.name) == typed)
                exact << s;
        if (found.students.size() == 1)
            student = found.students.first();
        else if (exact.size() == 1)
            student = exact.first();
        listStudents(found);
        if (!student) {
            Query1->close();
            trend->clearPoints();
            trend->setTitle(found.students.isEmpty()
                                ? QStringLiteral("没有找到%1以“%2”开头的学生").arg(cv->isChecked() ? "学号" : "姓名", typed)
                                : QStringLiteral("有%1%2名学生的%3以“%4”开头，请在上面的名单中选一名")
                                      .arg(found.more ? QStringLiteral("超过") : QString())
                                      .arg(found.students.size())
                                      .arg(cv->isChecked() ? "学号" : "姓名", typed));
            return;
        }
    }
    showStudent();
}

void Tsinggles::listStudents(const History::StudentSearch& found)
{
    const QSignalBlocker block(students);
    students->clearContents();
    const bool several = found.students.size() > 1;
    students->setRowCount(int(found.students.size()) + (found.more ? 1 : 0));
    for (int r = 0; r < found.students.size(); ++r) {
        const History::SavedStudent& s = found.students.at(r);
        QStringList classes;
        for (qint64 cls : s.classes)
            classes << QString::number(cls);
        const QStringList cells{s.number, classes.join(QStringLiteral("、")), s.name,
                                QStringLiteral("%1次：%2").arg(s.exams.size()).arg(s.exams.join(QStringLiteral("、")))};
        for (int col = 0; col < cells.size(); ++col) {
            auto* item = new QTableWidgetItem(cells.at(col));
            item->setToolTip(cells.at(col));
            students->setItem(r, col, item);
        }
        if (student && s.number == student->number && s.name == student->name)
            students->selectRow(r);
    }
    if (found.more) {
        auto* more = new QTableWidgetItem(QStringLiteral("……还有更多学生，请多输入几个字"));
        more->setFlags(Qt::ItemIsEnabled);
        students->setItem(int(found.students.size()), 0, more);
        students->setSpan(int(found.students.size()), 0, 1, 4);
    }
    m_listed = found.students;
    students->setVisible(several);
    if (several)
        students->resizeColumnsToContents();
}

void Tsinggles::studentPicked()
{
    const QList<QTableWidgetItem*> picked = students->selectedItems();
    if (picked.isEmpty())
        return;
    const int row = picked.first()->row();
    if (row < 0 || row >= m_listed.size())
        return;
    student = m_listed.at(row);
    showStudent();
}

void Tsinggles::showStudent()
{
    const QString table = History::kSavedGrades;
    const QString subject = History::checkedSubject(c1->currentText(), table);
    const History::Kind kind = SavedLists::kindOf(a, b, c);
    trend->setBackgroundBrush(Qt::white);
    Query1->setQuery(History::studentRows(*student, table));
    Query1->open();
    m_oneExam = false;
    showRows(Qt::red);
    // Two students of one name are told apart by their 学号 in the title.
    bool shared = false;
    for (const History::SavedStudent& s : m_listed)
        shared = shared || (s.name == student->name && s.number != student->number);
    const QString who = student->name + (shared ? QStringLiteral("（学号%1）").arg(student->number) : QString());
    trend->setTitle(Query1->rowCount() == 0 ? QString()
                                            : who + "同学" + "历次考试 " + subject + History::kindWord(kind) + " 成绩波动图");
}

void Tsinggles::SpeedButton1Click()
{
    typing->stop();
    const QString table = History::kSavedGrades;
    const QString subject = History::checkedSubject(c1->currentText(), table);
    const History::Kind kind = SavedLists::kindOf(a, b, c);
    if (!student || History::trimEnd(edit2->currentText()) != m_typedText)
        Button2Click();
    if (!student) {
        if (!m_listed.isEmpty())
            Msg::warning(QStringLiteral("有几名学生都以“%1”开头，请先在名单中选一名").arg(m_typedText));
        return;
    }
    trend->setBackgroundBrush(Qt::white);
    Query1->setQuery(History::studentRowsInExam(*student, ksmc->currentText(), table));
    Query1->open();
    m_oneExam = true;
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
    // The chart of every examination belongs to none of them: its title says whose it is.
    return {QStringLiteral("学生成绩追踪图表"), m_oneExam ? ksmc->currentText() : trend->title(), {}, Chart1};
}
