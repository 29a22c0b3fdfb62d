#include "windows/reports/tformfx.h"

#include "engine/reports/attendance.h"
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
#include "windows/processing/tform1.h"
#include "windows/reports/frozengrid.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kTeacher = QStringLiteral("科任教师");
const QStringList kTopN{QStringLiteral("级前100名人数"), QStringLiteral("级前200名人数"),
                        QStringLiteral("级前300名人数"), QStringLiteral("级前400名人数")};

// The band counts carry the titles of the saved analysis table, so that the
// temporary and the saved tables read alike.
const QList<std::pair<const char*, const char*>> kBandTitles{
    {"F130", "120分"},   {"F120", "110到120"}, {"F110", "100到110"}, {"F100", "90到100"}, {"F90", "80到90"},
    {"F80", "70到80"},   {"F70", "60到70"},    {"F60", "50到60"},    {"F50", "40到50"},   {"F40", "30到40"},
    {"F30", "20到30"},   {"F20", "10到20"},    {"F10", "1到9"},      {"F0", "0分"}};

} // namespace

const QStringList& TFormfx::shownColumns()
{
    static const QStringList cols = [] {
        QStringList c{"科目", "班号", "科任教师", "人数", "满分值", "总分", "平均分", "最高分", "最高分名字",
                      "最低分", "最低分名字", "合格人数", "合格率", "高分人数", "高分率", "低分人数", "低分率",
                      "平均分排名", "及格率排名", "高分率排名", "低分率排名"};
        for (const auto& [field, title] : kBandTitles)
            c << QString::fromUtf8(field);
        c << kTopN;
        return c;
    }();
    return cols;
}

TFormfx::TFormfx(Session& session) : Form(QStringLiteral("临时成绩分析表")), m_session(session)
{
    setBackground(Ui::kSkyBlue);
    resize(980, 620);
    setMinimumSize(640, 420);

    auto* root = new QVBoxLayout(this);
    buildExamRow(root);
    buildGrid(root);
    buildButtons(root);
    buildModel();
    connectHandlers();
}

void TFormfx::buildExamRow(QVBoxLayout* root)
{
    auto* exam = new QHBoxLayout;
    Label4 = Ui::label("考试名称", this, "Label4");
    Edit4 = Ui::edit("请在这里填上其它的考试说明", this, "Edit4");
    Label2 = Ui::label("考试编号", this, "Label2");
    Edit1 = Ui::edit("编号", this, "Edit1");
    Edit1->setFixedWidth(90);
    exam->addWidget(Label4);
    exam->addWidget(Edit4, 1);
    exam->addSpacing(16);
    exam->addWidget(Label2);
    exam->addWidget(Edit1);
    root->addLayout(exam);
    Label1 = Ui::label("分析表的统计项目陆续添加中，请期待。。。", this, "Label1");
    root->addWidget(Label1);
}

void TFormfx::buildGrid(QVBoxLayout* root)
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

void TFormfx::buildButtons(QVBoxLayout* root)
{
    auto* buttons = new QHBoxLayout;
    Button1 = Ui::button("刷新临时成绩分析表", this, "Button1");
    Button2 = Ui::button("永久保存分析表结果", this, "Button2");
    Button3 = Ui::button("关闭窗口", this, "Button3");
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addStretch(1);
    buttons->addWidget(Button3);
    root->addLayout(buttons);
}

void TFormfx::buildModel()
{
    Table1 = new Db::GridModel(this);
    Table1->setObjectName("Table1");
    Table1->setEditableColumns({kTeacher});
    for (const auto& [field, title] : kBandTitles)
        Table1->setTitle(QString::fromUtf8(field), QString::fromUtf8(title));
    grid->setFrozenColumns(kFrozen);
    grid->setModel(Table1);
    connect(Table1, &Db::GridModel::editRejected, this, [this](const QString& m) {
        m_editRefused = true;
        Msg::warning(m);
    });
}

void TFormfx::connectHandlers()
{
    // It saves under the current examination, whichever window made it so.
    connect(&m_session, &Session::examChanged, this, [this] { setExam(m_session.exam().name, m_session.exam().number); });
    Ui::connectHandler(Button1, &QPushButton::clicked, this, &TFormfx::Button1Click);
    Ui::connectHandler(Button2, &QPushButton::clicked, this, &TFormfx::Button2Click);
    Ui::connectHandler(Button3, &QPushButton::clicked, this, &TFormfx::Button3Click);
}

void TFormfx::setExam(const QString& name, const QString& number)
{
    Edit4->setText(name);
    Edit1->setText(number);
}

void TFormfx::FormShow()
{
    m_session.refresh();
    setExam(m_session.exam().name, m_session.exam().number);
    // The top-N counts are titled by the limits the run was given.
    for (int i = 0; i < kTopN.size(); ++i)
        Table1->setTitle(kTopN.at(i), QStringLiteral("级前%1名").arg(m_session.top()[size_t(i)]));
}

void TFormfx::openTable(const QString& fxTable)
{
    Db::SelectSpec q;
    q.columns = shownColumns();
    q.table = fxTable;
    // Free rows (科目 "0") are the table's unused stock, not results.
    q.where = {{QStringLiteral("科目"), QStringLiteral("<>"), QStringLiteral("0")}};
    Table1->setQuery(q);
    Table1->setDerived(Reports::attendance(m_session.workingTable()));
    m_table = fxTable;
    Table1->open();
    QList<int> widths;
    for (int i = 0; i < 17; ++i)
        widths << 70;
    grid->setColumnWidths(widths, 40);
    grid->setCurrentRow(0);
}

void TFormfx::showResult(const QString& fxTable)
{
    Forms::showWindow(this);
    openTable(fxTable);
}

void TFormfx::Button1Click()
{
    openTable(m_session.analysisTable());
}

void TFormfx::Button2Click()
{
    // Nothing is written unless the number is one.
    Save::Exam exam{Edit4->text(), Save::examNumber(Edit1->text())};
    // A teacher's name still being typed is part of what is saved.
    m_editRefused = false;
    grid->commitPending();
    if (m_editRefused)
        return;
    // A second save of the same examination replaces the first, so that
    // every later query and chart sees it once.
    const Actions::SaveCheck check = Actions::checkSave(m_session, Save::Kind::Analysis, exam);
    if (check.askReplace()) {
        if (!Msg::actOrCancel(Tluru::replaceQuestion(QStringLiteral("分析表"), exam, check.earlierRows), QStringLiteral("替换")))
            return;
        exam.replace = true;
    }
    // The entry window's panel follows the session's examination.
    Actions::save(m_session, Save::Kind::Analysis, exam);
    Msg::info("成功保存到永久数据库,到主界面可查看结果！！！");
    close();
    Forms::showWindow(Forms::luru);
}

void TFormfx::Button3Click()
{
    close();
}

Print::Job TFormfx::printJob() const
{
    // Titled as the batch tool titles the table, so that both print the same pages.
    return {Export::tableTitle(QStringLiteral("fx")), Edit4->text(),
            Print::sheetOf({grid->narrow(), grid->wide()}, QStringLiteral("成绩分析")), nullptr};
}
