#include "windows/reports/tsearch.h"

#include "engine/reports/attendance.h"

#include "engine/db/gridmodel.h"
#include "engine/reports/savedtables.h"
#include "windows/app/forms.h"
#include "windows/app/messages.h"
#include "windows/charts/tp.h"
#include "windows/charts/tp4.h"
#include "windows/reports/frozengrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QList<int> kWidths{45, 30, 63, 70, 70, 70, 70};
}

Tsearch::Tsearch() : Form(QStringLiteral("各科成绩分析表查询"))
{
    setBackground(Ui::kSkyBlue);
    resize(800, 602);
    setMinimumSize(640, 420);
    auto* root = new QVBoxLayout(this);
    buildQueryPanel(root);
    buildGrid(root);
    buildModel();
    connectHandlers();
}

void Tsearch::buildQueryPanel(QVBoxLayout* root)
{
    Panel1 = Ui::panel(this, "Panel1");
    Ui::setColour(Panel1, Ui::kMoneyGreen);
    auto* panel = new QVBoxLayout(Panel1);
    buildConditions(panel);
    buildButtons(panel);
    root->addWidget(Panel1);
}

void Tsearch::buildConditions(QVBoxLayout* panel)
{
    auto* line = new QHBoxLayout;
    Label5 = Ui::label("我要查", Panel1, "Label5");
    ComboBox1 = Ui::editableCombo(Panel1, "ComboBox1", 220);
    c1 = Ui::editableCombo(Panel1, "c1", 0);
    c1->addItems({"语文", "数学", "英语", "物理", "政治", "化学", "生物", "历史", "地理"});
    c1->setEditText(QStringLiteral("语文"));
    c1->setFixedWidth(80);
    Label3 = Ui::label("第", Panel1, "Label3");
    banhao = Ui::edit("1", Panel1, "banhao");
    banhao->setFixedWidth(44);
    QPalette yellow = banhao->palette();
    yellow.setColor(QPalette::Base, QColor(255, 255, 0));
    banhao->setPalette(yellow);
    Label7 = Ui::label("到", Panel1, "Label7");
    banhao2 = Ui::edit("2", Panel1, "banhao2");
    banhao2->setFixedWidth(44);
    Label4 = Ui::label("个班的成绩分析表", Panel1, "Label4");
    line->addWidget(Label5);
    line->addWidget(ComboBox1, 1);
    line->addWidget(c1);
    line->addSpacing(8);
    line->addWidget(Label3);
    line->addWidget(banhao);
    line->addWidget(Label7);
    line->addWidget(banhao2);
    line->addWidget(Label4);
    panel->addLayout(line);
    auto* second = new QHBoxLayout;
    cx = Ui::check("只查一个班的资料（以黄色框为准）", false, Panel1, "cx");
    second->addWidget(cx);
    second->addStretch(1);
    panel->addLayout(second);
}

void Tsearch::buildButtons(QVBoxLayout* panel)
{
    auto* buttons = new QHBoxLayout;
    Button1 = Ui::button("查找纯数据", Panel1, "Button1");
    Button4 = Ui::button("显示分数段饼图", Panel1, "Button4");
    Button7 = Ui::button("显示级排前若干名柱形图", Panel1, "Button7");
    Button2 = Ui::button("查找全部", Panel1, "Button2");
    Button3 = Ui::button("关闭窗口", Panel1, "Button3");
    for (QPushButton* b : {Button1, Button4, Button7, Button2})
        buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(Button3);
    panel->addLayout(buttons);
}

void Tsearch::buildGrid(QVBoxLayout* root)
{
    grid = new FrozenGrid(this);
    grid->setObjectName("grid");
    DBGrid1 = grid->wide();
    DBGrid1->setObjectName("DBGrid1");
    DBGrid2 = grid->narrow();
    DBGrid2->setObjectName("DBGrid2");
    root->addWidget(grid, 1);
}

void Tsearch::buildModel()
{
    // Saved rows are looked at, never edited.
    Query1 = new Db::GridModel(this);
    Query1->setObjectName("Query1");
    Query1->setReadOnly(true);
    grid->setFrozenColumns(kFrozen);
    grid->setModel(Query1);
    Print::addGridActions({DBGrid2, DBGrid1}, this, [this] { return printJob(); });
}

void Tsearch::connectHandlers()
{
    Ui::connectHandler(Button1, &QPushButton::clicked, this, &Tsearch::Button1Click);
    Ui::connectHandler(Button4, &QPushButton::clicked, this, &Tsearch::Button4Click);
    Ui::connectHandler(Button7, &QPushButton::clicked, this, &Tsearch::Button7Click);
    Ui::connectHandler(Button2, &QPushButton::clicked, this, &Tsearch::Button2Click);
    Ui::connectHandler(Button3, &QPushButton::clicked, this, &Tsearch::Button3Click);
}

void Tsearch::FormShow()
{
    const QStringList names = Reports::examNames(QStringLiteral("ksmcfx"));
    ComboBox1->clear();
    ComboBox1->addItems(names);
    ComboBox1->setEditText(names.isEmpty() ? QString() : names.last());
    // A grid left from another examination would be read as this one's.
    if (Query1->isActive() && m_shownExam != ComboBox1->currentText())
        Query1->close();
}

void Tsearch::conditionalQuery()
{
    Reports::AnalysisFilter f;
    f.exam = ComboBox1->currentText();
    f.subject = c1->currentText();
    f.oneClass = cx->isChecked();
    // Checked before anything runs: the grids keep what they showed.
    f.firstClass = Reports::classNumber(banhao->text(), QStringLiteral("第几班（黄色框）"));
    if (!f.oneClass)
        f.lastClass = Reports::classNumber(banhao2->text(), QStringLiteral("到几班"));
    Query1->setQuery(Reports::savedAnalysisQuery(f));
    Query1->setDerived(Reports::savedAttendance());
    Query1->open();
    m_shownExam = f.exam;
    grid->setFrozenRepeated(false);
    grid->setColumnWidths(kWidths);
    grid->setCurrentRow(0);
}

bool Tsearch::firstRow(QVariantMap& row)
{
    conditionalQuery();
    if (Query1->rowCount() == 0) {
        const QString classes = cx->isChecked() ? QStringLiteral("第%1班").arg(banhao->text().trimmed())
                                                : QStringLiteral("第%1到%2班").arg(banhao->text().trimmed(),
                                                                                  banhao2->text().trimmed());
        Msg::warning(QStringLiteral("没有找到“%1”%2%3科的成绩分析表，画不出图表")
                         .arg(ComboBox1->currentText(), classes, c1->currentText()));
        return false;
    }
    // With a range of classes the charts show the first row found.
    for (const QString& c : Query1->columnNames())
        row.insert(c, Query1->value(0, c));
    m_chartTitle = {ComboBox1->currentText(), Reports::classTitle(row.value(QStringLiteral("班号")).toLongLong()),
                    c1->currentText()};
    return true;
}

void Tsearch::Button1Click()
{
    conditionalQuery();
}

void Tsearch::Button4Click()
{
    QVariantMap row;
    if (!firstRow(row) || !Forms::p)
        return;
    Forms::p->showChart(Reports::bandPieOf(row, m_chartTitle));
}

void Tsearch::Button7Click()
{
    QVariantMap row;
    if (!firstRow(row) || !Forms::p4)
        return;
    Forms::p4->showChart(Reports::topBarsOf(row, m_chartTitle));
}

void Tsearch::Button2Click()
{
    Query1->setQuery(Reports::allSavedAnalysisQuery());
    Query1->setDerived(Reports::savedAttendance());
    Query1->open();
    m_shownExam.clear(); // every examination
    // The whole list shows 科目, 班号 and 科任教师 in the wide grid too.
    grid->setFrozenRepeated(true);
    grid->setColumnWidths(kWidths);
    grid->setCurrentRow(0);
}

void Tsearch::Button3Click()
{
    close();
}

Print::Job Tsearch::printJob() const
{
    return {QStringLiteral("成绩分析表"), ComboBox1->currentText(),
            Print::sheetOf({DBGrid2, DBGrid1}, QStringLiteral("成绩分析表")), nullptr};
}
