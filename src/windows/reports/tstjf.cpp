#include "windows/reports/tstjf.h"

#include "engine/db/gridmodel.h"
#include "engine/reports/chartdata.h"
#include "engine/reports/history.h"
#include "engine/reports/savedtables.h"
#include "windows/app/forms.h"
#include "windows/app/messages.h"
#include "windows/charts/tp5.h"
#include "windows/reports/frozengrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

Tstjf::Tstjf() : Form(QStringLiteral("查询以往保存的总分统计表"))
{
    setBackground(Ui::kSkyBlue);
    resize(980, 620);
    setMinimumSize(720, 420);
    auto* root = new QVBoxLayout(this);
    buildQueryBar(root);
    buildGrid(root);
    buildChartGroup(root);
    buildModel();
    connectHandlers();
}

void Tstjf::buildQueryBar(QVBoxLayout* root)
{
    Panel1 = Ui::panel(this, "Panel1");
    Ui::setColour(Panel1, Ui::kMoneyGreen);
    auto* bar = new QHBoxLayout(Panel1);
    Label5 = Ui::label("我要查", Panel1, "Label5");
    c1 = Ui::editableCombo(Panel1, "c1", 280);
    c1->setEditText(QStringLiteral("c1"));
    Button1 = Ui::button("查找纯数据", Panel1, "Button1");
    Button4 = Ui::button("快速查找总分的平均分", Panel1, "Button4");
    bar->addWidget(Label5);
    bar->addWidget(c1, 1);
    bar->addSpacing(12);
    bar->addWidget(Button1);
    bar->addWidget(Button4);
    bar->addStretch(1);
    root->addWidget(Panel1);
}

void Tstjf::buildGrid(QVBoxLayout* root)
{
    grid = new FrozenGrid(this);
    grid->setObjectName("grid");
    DBGrid1 = grid->wide();
    DBGrid1->setObjectName("DBGrid1");
    DBGrid2 = grid->narrow();
    DBGrid2->setObjectName("DBGrid2");
    Panel2 = grid->corner();
    Panel2->setObjectName("Panel2");
    root->addWidget(grid, 1);
}

void Tstjf::buildChartGroup(QVBoxLayout* root)
{
    GroupBox1 = new QGroupBox("用图表演示总分分段情况", this);
    GroupBox1->setObjectName("GroupBox1");
    auto* chart = new QHBoxLayout(GroupBox1);
    Label6 = Ui::label("我要演示", GroupBox1, "Label6");
    Edit1 = Ui::edit("1", GroupBox1, "Edit1");
    Edit1->setFixedWidth(44);
    Label1 = Ui::label("班的情况", GroupBox1, "Label1");
    Label2 = Ui::label("图表段数", GroupBox1, "Label2");
    duanshu = Ui::edit("13", GroupBox1, "duanshu");
    duanshu->setFixedWidth(44);
    Label3 = Ui::label("每一段间隔", GroupBox1, "Label3");
    jiange = Ui::edit("2", GroupBox1, "jiange");
    jiange->setFixedWidth(44);
    Label4 = Ui::label("0分", GroupBox1, "Label4");
    ch = Ui::check("查级的情况", false, GroupBox1, "ch");
    qita = Ui::check("其余的学生也画成一块", true, GroupBox1, "qita");
    qita->setToolTip(QStringLiteral("不在所画分数段里的学生（更高、更低或没合并进来的段）画成“其余”一块；"
                                    "不勾时图的标题下说明有多少人没有画"));
    Button2 = Ui::button("生成饼图", GroupBox1, "Button2");
    chart->addWidget(Label6);
    chart->addWidget(Edit1);
    chart->addWidget(Label1);
    chart->addSpacing(16);
    chart->addWidget(Label2);
    chart->addWidget(duanshu);
    chart->addSpacing(16);
    chart->addWidget(Label3);
    // jiange and "0分" read as one figure: "2" "0分" is a slice of 20 marks.
    auto* interval = new QHBoxLayout;
    interval->setSpacing(1);
    interval->addWidget(jiange);
    interval->addWidget(Label4);
    chart->addLayout(interval);
    chart->addSpacing(16);
    chart->addWidget(ch);
    chart->addWidget(qita);
    chart->addStretch(1);
    chart->addWidget(Button2);
    root->addWidget(GroupBox1);
}

void Tstjf::buildModel()
{
    // Saved tables are looked at, never edited.
    Query1 = new Db::GridModel(this);
    Query1->setObjectName("Query1");
    Query1->setReadOnly(true);
    grid->setFrozenColumns(kFrozen);
    grid->setModel(Query1);
    Print::addGridActions({DBGrid2, DBGrid1}, this, [this] { return printJob(); });
}

void Tstjf::connectHandlers()
{
    Ui::connectHandler(Button1, &QPushButton::clicked, this, &Tstjf::Button1Click);
    Ui::connectHandler(Button4, &QPushButton::clicked, this, &Tstjf::Button4Click);
    Ui::connectHandler(Button2, &QPushButton::clicked, this, &Tstjf::Button3Click);
}

QString Tstjf::savedTable() const
{
    return Reports::kSavedBands;
}

Reports::ChartData Tstjf::pieData() const
{
    Reports::TotalPieSettings s;
    s.wholeGrade = ch->isChecked();
    s.slices = Ui::intOf(duanshu, QStringLiteral("图表段数"));
    s.perSlice = Ui::intOf(jiange, QStringLiteral("每一段间隔"));
    if (!s.wholeGrade)
        s.classNumber = Reports::classNumber(Edit1->text(), QStringLiteral("我要演示几班的情况"));
    const QString column = Reports::bandCountColumn(s.wholeGrade, s.classNumber);
    QList<QVariantList> rows;
    for (int r = 0; r < Query1->rowCount(); ++r) {
        QVariantList row;
        for (const QString& c : Query1->columnNames())
            row << Query1->value(r, c);
        rows << row;
    }
    const Reports::BandWalk walk = Reports::bandWalk(Query1->columnNames(), rows, column);
    if (walk.rows.isEmpty())
        throw Db::InputError(QStringLiteral("没有找到考试名称以“%1”开头的总分分段，画不出饼图").arg(c1->currentText()));
    s.classSize = Reports::savedStudentsWithTotal(walk.exam, s.wholeGrade, s.classNumber, History::kSavedGrades);
    s.restSlice = qita->isChecked();
    return Reports::totalPie(walk, s);
}

void Tstjf::FormShow()
{
    const QStringList names = Reports::examNames(QStringLiteral("ksmcfd"));
    c1->clear();
    c1->addItems(names);
    c1->setEditText(names.isEmpty() ? QString() : names.last());
}

void Tstjf::run(const Db::SelectSpec& query)
{
    Query1->setQuery(query);
    Query1->open();
    QList<int> widths{40, 40};
    for (int c = 3; c <= 21; ++c)
        widths << 64;
    grid->setColumnWidths(widths);
    grid->setCurrentRow(0);
}

void Tstjf::Button1Click()
{
    run(Reports::savedBandsQuery(savedTable(), c1->currentText()));
}

void Tstjf::Button4Click()
{
    run(Reports::savedBandAveragesQuery(savedTable(), c1->currentText()));
}

void Tstjf::Button3Click()
{
    Button1Click();
    if (Query1->rowCount() == 0) {
        Msg::warning(QStringLiteral("没有找到考试名称以“%1”开头的总分统计表，画不出饼图").arg(c1->currentText()));
        return;
    }
    if (Forms::p5)
        Forms::p5->showChart(pieData());
}

Print::Job Tstjf::printJob() const
{
    return {QStringLiteral("总分统计表"), c1->currentText(), Print::sheetOf({DBGrid2, DBGrid1}, QStringLiteral("总分统计表")),
            nullptr};
}
