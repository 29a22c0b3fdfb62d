#include "windows/reports/tchaxun.h"

#include "engine/db/gridmodel.h"
#include "windows/app/forms.h"
#include "windows/app/messages.h"
#include "windows/app/tformxxx.h"
#include "windows/entry/tluruxianshi.h"
#include "windows/reports/frozengrid.h"
#include "windows/reports/savedlists.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QComboBox* combo(const QStringList& items, const QString& text, bool editable, QWidget* parent, const QString& name)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(editable);
    box->addItems(items);
    SavedLists::setText(box, text);
    return box;
}

QLineEdit* shortEdit(const QString& text, QWidget* parent, const QString& name, int width = 44)
{
    QLineEdit* e = Ui::edit(text, parent, name);
    e->setFixedWidth(width);
    return e;
}

} // namespace

Tchaxun::Tchaxun() : Form(QStringLiteral("查询"))
{
    resize(808, 600);
    setMinimumSize(700, 480);
    auto* root = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    buildConditionsGroup(left);
    buildOrderButtons(left);
    buildFilterButtons(left);
    top->addLayout(left, 1);
    buildDisplayGroup(top);
    root->addLayout(top);

    buildHiddenRange();
    buildGrid(root);
    connectHandlers();
}

void Tchaxun::buildConditionsGroup(QVBoxLayout* left)
{
    GroupBox1 = new QGroupBox("查询条件设置", this);
    GroupBox1->setObjectName("GroupBox1");
    auto* conditions = new QVBoxLayout(GroupBox1);
    // The conditions read as one sentence: 我要查 从 1 班到 2 班 总分 <exam> 的 原始成绩.
    auto* sentence = new QHBoxLayout;
    Edit2 = shortEdit("1", GroupBox1, "Edit2");
    Edit3 = shortEdit("2", GroupBox1, "Edit3");
    c1 = combo({}, "总分", true, GroupBox1, "c1");
    c1->setInsertPolicy(QComboBox::NoInsert);
    c1->setFixedWidth(80);
    ksmc = combo({}, "ksmc", true, GroupBox1, "ksmc");
    ksmc->setInsertPolicy(QComboBox::NoInsert);
    ksmc->setMinimumWidth(200);
    ksmc->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    a = new QRadioButton("原始成绩", GroupBox1);
    a->setObjectName("a");
    a->setChecked(true);
    b = new QRadioButton("班的排名", GroupBox1);
    b->setObjectName("b");
    c = new QRadioButton("级的排名", GroupBox1);
    c->setObjectName("c");
    sentence->addWidget(Ui::label("我要查", GroupBox1));
    sentence->addWidget(Ui::label("从", GroupBox1));
    sentence->addWidget(Edit2);
    sentence->addWidget(Ui::label("班到", GroupBox1));
    sentence->addWidget(Edit3);
    sentence->addWidget(Ui::label("班", GroupBox1));
    sentence->addWidget(c1);
    sentence->addWidget(ksmc, 1);
    sentence->addWidget(Ui::label("的", GroupBox1));
    conditions->addLayout(sentence);
    auto* second = new QHBoxLayout;
    for (QRadioButton* r : {a, b, c})
        second->addWidget(r);
    second->addSpacing(24);
    cx = Ui::check("我想只查一个班(以黄色框为准)", false, GroupBox1, "cx");
    // The yellow box of the caption: the first class is the one queried.
    Edit2->setStyleSheet(QStringLiteral("QLineEdit { background: rgb(255,255,0); }"));
    second->addWidget(cx);
    second->addStretch(1);
    conditions->addLayout(second);
    left->addWidget(GroupBox1);
}

void Tchaxun::buildOrderButtons(QVBoxLayout* left)
{
    auto* orders = new QHBoxLayout;
    Button1 = Ui::button("按照学号顺序  排列查询结果", this, "Button1");
    Button3 = Ui::button("按照排名从高到低排列结果", this, "Button3");
    Button4 = Ui::button("按照排名从低到高排列结果", this, "Button4");
    for (QPushButton* p : {Button1, Button3, Button4})
        orders->addWidget(p);
    left->addLayout(orders);
}

void Tchaxun::buildFilterButtons(QVBoxLayout* left)
{
    auto* filters = new QHBoxLayout;
    Button5 = Ui::button("只列出总分级排小于", this, "Button5");
    Edit1 = shortEdit("350", this, "Edit1", 56);
    Button6 = Ui::button("只列出总分级排大于", this, "Button6");
    ming = shortEdit("350", this, "ming", 56);
    Button2 = Ui::button("查询所有科目所有排名", this, "Button2");
    filters->addWidget(Button5);
    filters->addWidget(Edit1);
    filters->addSpacing(8);
    filters->addWidget(Button6);
    filters->addWidget(ming);
    filters->addStretch(1);
    filters->addWidget(Button2);
    left->addLayout(filters);
}

void Tchaxun::buildDisplayGroup(QHBoxLayout* top)
{
    GroupBox2 = new QGroupBox("显示设置", this);
    GroupBox2->setObjectName("GroupBox2");
    auto* display = new QGridLayout(GroupBox2);
    Edit5 = shortEdit("17", GroupBox2, "Edit5", 56);
    ComboBox2 = combo({"黑", "白", "黄", "蓝", "红", "绿", ""}, "黑", false, GroupBox2, "ComboBox2");
    ComboBox1 = combo({"黑", "白", "黄", "蓝", "红", "绿"}, "白", false, GroupBox2, "ComboBox1");
    display->addWidget(Ui::label("字号", GroupBox2), 0, 0);
    display->addWidget(Edit5, 0, 1);
    display->addWidget(Ui::label("字的颜色", GroupBox2), 1, 0);
    display->addWidget(ComboBox2, 1, 1);
    display->addWidget(Ui::label("背景颜色", GroupBox2), 2, 0);
    display->addWidget(ComboBox1, 2, 1);
    top->addWidget(GroupBox2);
}

void Tchaxun::buildHiddenRange()
{
    // The suffix range of the value columns: always the first examination
    // column of a saved row.
    shumu1 = Ui::edit("1", this, "shumu1");
    shumu = Ui::edit("1", this, "shumu");
    shumu1->hide();
    shumu->hide();
}

void Tchaxun::buildGrid(QVBoxLayout* root)
{
    Query1 = new Db::GridModel(this);
    Query1->setAbsencesShown(true);
    Query1->setObjectName("Query1");
    Query1->setReadOnly(true);
    // 班号, 学号 and 姓名 stay in view at the left while the marks scroll.
    grid = new FrozenGrid(this);
    grid->setObjectName("grid");
    DBGrid1 = grid->wide();
    DBGrid1->setObjectName("DBGrid1");
    for (QTableView* v : views()) {
        v->setEditTriggers(QAbstractItemView::NoEditTriggers);
        v->setFont(QFont(QStringList{"宋体", "Noto Serif CJK SC", "Noto Sans CJK SC"}));
    }
    grid->setFrozenColumns(kFrozen);
    grid->setModel(Query1);
    root->addWidget(grid, 1);
    Print::addGridActions(views(), this, [this] { return printJob(); });
}

void Tchaxun::connectHandlers()
{
    Ui::connectHandler(Button1, &QPushButton::clicked, this, &Tchaxun::Button1Click);
    Ui::connectHandler(Button3, &QPushButton::clicked, this, &Tchaxun::Button3Click);
    Ui::connectHandler(Button4, &QPushButton::clicked, this, &Tchaxun::Button4Click);
    Ui::connectHandler(Button5, &QPushButton::clicked, this, &Tchaxun::Button5Click);
    Ui::connectHandler(Button6, &QPushButton::clicked, this, &Tchaxun::Button6Click);
    Ui::connectHandler(Button2, &QPushButton::clicked, this, &Tchaxun::Button2Click);
    Ui::connectHandler(ComboBox2, &QComboBox::currentIndexChanged, this, &Tchaxun::ComboBox2Change);
    Ui::connectHandler(ComboBox1, &QComboBox::currentIndexChanged, this, &Tchaxun::ComboBox1Change);
}

QList<QTableView*> Tchaxun::views() const
{
    return {grid->narrow(), grid->wide()};
}

void Tchaxun::FormShow()
{
    SavedLists::fillExams(ksmc);
    SavedLists::fillItems(c1, History::classSubjects());
}

void Tchaxun::addExam(const QString& name)
{
    const QSignalBlocker block(ksmc);
    ksmc->addItem(name);
    ksmc->setCurrentIndex(ksmc->count() - 1);
}

QString Tchaxun::savedTable() const
{
    return History::kSavedGrades;
}

History::ClassQuery Tchaxun::settings() const
{
    History::ClassQuery q;
    q.table = savedTable();
    q.subject = c1->currentText();
    q.kind = SavedLists::kindOf(a, b, c);
    q.exam = ksmc->currentText();
    q.oneClass = cx->isChecked();
    q.firstClass = Ui::intOf(Edit2, q.oneClass ? "班号" : "第一个班");
    q.lastClass = q.oneClass ? q.firstClass : Ui::intOf(Edit3, "最后一个班");
    q.suffixFrom = int(Ui::intOf(shumu1, "shumu1"));
    q.suffixTo = int(Ui::intOf(shumu, "shumu"));
    return q;
}

void Tchaxun::run(History::ClassOrder order, qint64 threshold)
{
    History::ClassQuery q = settings();
    const int points = SavedLists::fontSize(Edit5->text(), "字号");
    // A beginning that names several examinations shows whose row is whose.
    q.withExam = History::examsMatching(q.exam, q.table).size() > 1;
    const Db::SelectSpec select = History::classQuery(q, order, threshold);
    Query1->setQuery(select);
    grid->setFrozenColumns(kFrozen + (q.withExam ? 1 : 0));
    Query1->open();
    QList<int> widths{-1, 100, 100};
    if (q.withExam)
        widths.prepend(150);
    const bool filtered = order == History::ClassOrder::AtMost || order == History::ClassOrder::AtLeast;
    if (filtered) {
        // The value column next to the names; the running number is no help.
        for (int col = int(widths.size()); col < Query1->columnCount(); ++col)
            widths << (Query1->columnNames().at(col) == "ID" ? 0 : 90);
    }
    for (QTableView* v : views())
        SavedLists::setFontSize(v, points);
    grid->setColumnWidths(widths);
    if (filtered)
        Msg::info(QStringLiteral("符合条件的共有%1个").arg(Query1->rowCount()));
}

void Tchaxun::Button1Click()
{
    run(History::ClassOrder::Stored);
}

void Tchaxun::Button3Click()
{
    run(History::ClassOrder::BestFirst);
}

void Tchaxun::Button4Click()
{
    run(History::ClassOrder::WorstFirst);
}

void Tchaxun::Button5Click()
{
    c->setChecked(true);
    run(History::ClassOrder::AtMost, Ui::intOf(Edit1, "级排小于"));
}

void Tchaxun::Button6Click()
{
    c->setChecked(true);
    run(History::ClassOrder::AtLeast, Ui::intOf(ming, "级排大于"));
}

void Tchaxun::Button2Click()
{
    const qint64 cls = Ui::intOf(Edit2, "班号");
    const int points = SavedLists::fontSize(Edit5->text(), "字号");
    Query1->setQuery(History::classAllColumns(cls, ksmc->currentText(), savedTable()));
    // Through 姓名: the row number, saved-at time, exam number and name are hidden.
    grid->setFrozenColumns(kFrozenAll);
    Query1->open();
    for (QTableView* v : views())
        SavedLists::setFontSize(v, points);
    // Row number, saved-at time and exam number say nothing here; the
    // examination's name does when the beginning names several.
    const bool several = History::examsMatching(ksmc->currentText(), savedTable()).size() > 1;
    grid->setColumnWidths({0, 0, 0, several ? 150 : 0, 60, 60, 72});
}

void Tchaxun::ComboBox2Change()
{
    if (const auto colour = Tluruxianshi::colourOf(ComboBox2->currentText()))
        for (QTableView* v : views()) {
            QPalette p = v->palette();
            p.setColor(QPalette::Text, *colour);
            v->setPalette(p);
        }
}

void Tchaxun::ComboBox1Change()
{
    if (const auto colour = Tluruxianshi::colourOf(ComboBox1->currentText()))
        for (QTableView* v : views()) {
            QPalette p = v->palette();
            p.setColor(QPalette::Base, *colour);
            v->setPalette(p);
        }
}

Print::Job Tchaxun::printJob() const
{
    return {QStringLiteral("各班分数及排名"), ksmc->currentText(), Print::sheetOf(views(), QStringLiteral("查询")), nullptr};
}
