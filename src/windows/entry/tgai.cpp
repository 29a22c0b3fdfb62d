#include "windows/entry/tgai.h"

#include "windows/app/forms.h"
#include "windows/app/messages.h"
#include "engine/db/gridmodel.h"
#include "engine/actions/exam.h"
#include "engine/entry/setup.h"
#include "engine/rules/subjects.h"
#include "engine/session/session.h"
#include "windows/entry/tluru.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace {

QPlainTextEdit* note(const QStringList& lines, QWidget* parent, const QString& name)
{
    auto* m = new QPlainTextEdit(lines.join('\n'), parent);
    m->setObjectName(name);
    m->setReadOnly(true);
    m->setFixedHeight(m->fontMetrics().lineSpacing() * int(lines.size()) + 14);
    return m;
}

} // namespace

Tgai::Tgai(Session& session) : Form(QStringLiteral("修改临时成绩数据库资料")), m_session(session)
{
    m_cjn = new Db::GridModel(this);
    m_cjn->setAbsencesShown(true);
    auto* lay = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    auto* fields = new QGridLayout;
    Label1 = Ui::label("姓名", this, "Label1");
    Edit2 = Ui::edit("姓名", this, "Edit2");
    Label2 = Ui::label("班号", this, "Label2");
    Edit1 = Ui::edit("1", this, "Edit1");
    Label3 = Ui::label("学号", this, "Label3");
    Edit3 = Ui::edit("101", this, "Edit3");
    fields->addWidget(Label1, 0, 0);
    fields->addWidget(Edit2, 0, 1);
    fields->addWidget(Label2, 1, 0);
    fields->addWidget(Edit1, 1, 1);
    fields->addWidget(Label3, 2, 0);
    fields->addWidget(Edit3, 2, 1);
    left->addLayout(fields);
    Memo1 = note({"请按照原有的班号", "以及学号规则为新", "插入的学生编号", "否则会造成统计", "混乱"}, this, "Memo1");
    QPalette warn = Memo1->palette();
    warn.setColor(QPalette::Text, QColor(180, 0, 0));
    Memo1->setPalette(warn);
    left->addWidget(Memo1);
    Memo2 = note({"点击下面表格任意一个记录", "记录左边跟随有黑色三角块", "的就是当前记录", ""}, this, "Memo2");
    left->addWidget(Memo2);
    Button1 = Ui::button("插入记录", this, "Button1");
    Button2 = Ui::button("删除当前记录", this, "Button2");
    Button3 = Ui::button("关闭窗口", this, "Button3");
    left->addWidget(Button1);
    left->addWidget(Button2);
    left->addStretch(1);
    left->addWidget(Button3);
    lay->addLayout(left);

    DBGrid1 = new EntryGrid(this);
    DBGrid1->setObjectName("DBGrid1");
    DBGrid1->setModel(m_cjn);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->horizontalHeader()->setMinimumSectionSize(0);
    lay->addWidget(DBGrid1, 1);
    resize(860, 480);

    connect(m_cjn, &Db::GridModel::editRejected, this, [](const QString& m) { Msg::warning(m); });
    m_cjn->setFullMarks([this](const QString& column) -> std::optional<double> {
        if (!column.endsWith(QLatin1Char('1')) || !Rules::gradeSubjects().contains(column.chopped(1)))
            return std::nullopt;
        return double(m_session.fullMark(column.chopped(1)));
    });
    // Students added or removed elsewhere: the rows are read again.
    connect(&m_session, &Session::gradesChanged, this, [this] {
        if (isVisible())
            Msg::guard([this] { refresh(); });
    });
    Ui::connectHandler(Button1, &QPushButton::clicked, this, &Tgai::Button1Click);
    Ui::connectHandler(Button2, &QPushButton::clicked, this, &Tgai::Button2Click);
    Ui::connectHandler(Button3, &QPushButton::clicked, this, &Tgai::Button3Click);
}

void Tgai::reload(qint64 currentRowid, int fallbackRow)
{
    Db::SelectSpec q;
    q.table = kTable;
    m_cjn->setQuery(q);
    m_cjn->open();
    // The first eleven columns at least 50, the rest as wide as they were;
    // each widened to fit its title and its longest value.
    Ui::fitColumns(DBGrid1, QList<int>(11, 50));
    if (m_cjn->rowCount() == 0)
        return;
    int row = qBound(0, fallbackRow, m_cjn->rowCount() - 1);
    for (int r = 0; r < m_cjn->rowCount(); ++r)
        if (m_cjn->rowid(r) == currentRowid)
            row = r;
    DBGrid1->setCurrentIndex(m_cjn->index(row, 0));
    DBGrid1->scrollTo(DBGrid1->currentIndex());
}

void Tgai::refresh()
{
    reload(-1, DBGrid1->currentIndex().isValid() ? DBGrid1->currentIndex().row() : 0);
}

void Tgai::FormShow()
{
    reload(-1, 0);
}

void Tgai::Button1Click()
{
    // The class is checked before anything is written.
    const qint64 cls = Ui::intOf(Edit1, "班号");
    const qint64 id = Actions::insertStudent(m_session, kTable, Edit3->text(), cls, Edit2->text());
    reload(id, 0);
}

void Tgai::Button2Click()
{
    if (!m_cjn->isActive())
        reload(-1, 0);
    const int row = DBGrid1->currentIndex().isValid() ? DBGrid1->currentIndex().row() : 0;
    const qint64 id = m_cjn->rowid(row);
    if (id < 0)
        return; // an empty table: nothing to delete
    const QString number = m_cjn->value(row, "学号").toString();
    const QString name = m_cjn->value(row, "姓名").toString();
    const QVariant cls = m_cjn->value(row, "班号");
    if (!Msg::yesNo(QStringLiteral("要删除这名学生吗？\n\n学号%1  %2班  %3\n\n他在这次考试中的成绩也一起删除。")
                        .arg(number, cls.toString(), name)))
        return;
    // The selection stays in the class worked in: the next student of the
    // class, else the one before him, else whatever follows.
    qint64 next = -1;
    for (int r = row + 1; r < m_cjn->rowCount() && next < 0; ++r)
        if (m_cjn->value(r, "班号") == cls)
            next = m_cjn->rowid(r);
    for (int r = row - 1; r >= 0 && next < 0; --r)
        if (m_cjn->value(r, "班号") == cls)
            next = m_cjn->rowid(r);
    try {
        Actions::deleteStudent(m_session, kTable, id, number);
    } catch (...) {
        reload(-1, row);
        throw;
    }
    reload(next, row);
}

void Tgai::Button3Click()
{
    close();
}

void Tgai::FormClose()
{
    m_cjn->close();
}

void Tgai::FormHide()
{
    m_cjn->close();
}
