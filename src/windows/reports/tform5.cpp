#include "windows/reports/tform5.h"
#include "engine/actions/processing.h"
#include "engine/session/session.h"

#include "engine/db/gridmodel.h"
#include "engine/entry/setup.h"
#include "engine/export/tables.h"
#include "engine/processing/saves.h"
#include "windows/app/forms.h"
#include "windows/app/messages.h"
#include "windows/app/tform2.h"
#include "windows/entry/tluru.h"
#include "windows/reports/frozengrid.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm5::TForm5(Session& session) : Form(QStringLiteral("临时总分统计表")), m_session(session)
{
    setBackground(Ui::kMoneyGreen);
    resize(980, 620);
    setMinimumSize(640, 420);

    auto* root = new QVBoxLayout(this);
    buildGrid(root);
    buildBelow(root);
    buildModels();
    connectHandlers();
}

void TForm5::buildGrid(QVBoxLayout* root)
{
    grid = new FrozenGrid(this);
    Print::addGridActions({grid->narrow(), grid->wide()}, this, [this] { return printJob(); });
    grid->setObjectName("grid");
    DBGrid1 = grid->wide();
    DBGrid1->setObjectName("DBGrid1");
    DBGrid2 = grid->narrow();
    DBGrid2->setObjectName("DBGrid2");
    Panel1 = grid->corner();
    Panel1->setObjectName("Panel1");
    root->addWidget(grid, 1);
}

void TForm5::buildBelow(QVBoxLayout* root)
{
    auto* below = new QHBoxLayout;
    auto* views = new QVBoxLayout;
    Button1 = Ui::button("刷新总分分段统计表", this, "Button1");
    Button3 = Ui::button("快速查找总分的平均分", this, "Button3");
    views->addWidget(Button1);
    views->addWidget(Button3);
    below->addLayout(views);
    below->addStretch(1);
    buildSaveGroup(below);
    root->addLayout(below);
}

void TForm5::buildSaveGroup(QHBoxLayout* below)
{
    GroupBox2 = new QGroupBox("保存", this);
    GroupBox2->setObjectName("GroupBox2");
    auto* save = new QHBoxLayout(GroupBox2);
    Label4 = Ui::label("考试名称", GroupBox2, "Label4");
    Edit2 = Ui::edit("在此填入考试名称", GroupBox2, "Edit2");
    Edit2->setMinimumWidth(260);
    Label3 = Ui::label("考试编号", GroupBox2, "Label3");
    Edit3 = Ui::edit("填入编号", GroupBox2, "Edit3");
    Edit3->setFixedWidth(90);
    Button4 = Ui::button("永久保存总分统计表", GroupBox2, "Button4");
    save->addWidget(Label4);
    save->addWidget(Edit2, 1);
    save->addSpacing(12);
    save->addWidget(Label3);
    save->addWidget(Edit3);
    save->addSpacing(12);
    save->addWidget(Button4);
    below->addWidget(GroupBox2, 3);
}

void TForm5::buildModels()
{
    Table1 = new Db::GridModel(this);
    Table1->setObjectName("Table1");
    Table1->setReadOnly(true);
    Query1 = new Db::GridModel(this);
    Query1->setObjectName("Query1");
    Query1->setReadOnly(true);
    // The average row is found in tj by its text, whatever table the working
    // settings name.
    Db::SelectSpec avg;
    avg.table = QStringLiteral("tj");
    avg.fromGap = QStringLiteral(" ");
    avg.where = {{QStringLiteral("下限"), QStringLiteral("="), QStringLiteral("平均分")}};
    Query1->setQuery(avg);
    grid->setFrozenColumns(kFrozen);
    grid->setModel(Table1);
}

void TForm5::connectHandlers()
{
    // It saves under the current examination, whichever window made it so.
    connect(&m_session, &Session::examChanged, this, [this] { setExam(m_session.exam().name, m_session.exam().number); });
    Ui::connectHandler(Button1, &QPushButton::clicked, this, &TForm5::Button1Click);
    Ui::connectHandler(Button3, &QPushButton::clicked, this, &TForm5::Button3Click);
    Ui::connectHandler(Button4, &QPushButton::clicked, this, &TForm5::Button4Click);
}

void TForm5::setExam(const QString& name, const QString& number)
{
    Edit2->setText(name);
    Edit3->setText(number);
}

void TForm5::FormShow()
{
    m_session.refresh();
    setExam(m_session.exam().name, m_session.exam().number);
    Button1Click();
}

void TForm5::openTable(const QString& tjTable)
{
    Db::SelectSpec q;
    q.table = tjTable;
    Table1->setQuery(q);
    m_table = tjTable;
    Table1->open();
    grid->setModel(Table1);
    grid->setColumnWidths({40, 40}, 64);
    grid->setCurrentRow(0);
}

void TForm5::showResult(const QString& tjTable)
{
    Forms::showWindow(this);
    openTable(tjTable);
}

void TForm5::Button1Click()
{
    openTable(m_session.bandTable());
}

void TForm5::Button3Click()
{
    Query1->open();
    grid->setModel(Query1);
    grid->setColumnWidths({50, 50}, 64);
    grid->setCurrentRow(0);
}

void TForm5::Button4Click()
{
    Save::Exam exam{Edit2->text(), Save::examNumber(Edit3->text())};
    const Actions::SaveCheck check = Actions::checkSave(m_session, Save::Kind::Bands, exam);
    if (check.askReplace()) {
        if (!Msg::actOrCancel(Tluru::replaceQuestion(QStringLiteral("总分统计表"), exam, check.earlierRows), QStringLiteral("替换")))
            return;
        exam.replace = true;
    }
    // The whole band table, also while the grids show only its average row.
    Actions::save(m_session, Save::Kind::Bands, exam);
    Msg::info("成功保存到永久数据库, 到主界面可查看结果！！！");
    Forms::showWindow(Forms::luru);
    close();
}

Print::Job TForm5::printJob() const
{
    // Titled as the batch tool titles the table, so that both print the same pages.
    return {Export::tableTitle(QStringLiteral("tj")), Edit2->text(),
            Print::sheetOf({grid->narrow(), grid->wide()}, QStringLiteral("总分分段")), nullptr};
}
