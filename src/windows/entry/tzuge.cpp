#include "windows/entry/tzuge.h"

#include "windows/app/forms.h"
#include "windows/app/messages.h"
#include "engine/db/gridmodel.h"
#include "engine/entry/setup.h"
#include "windows/entry/tformin.h"
#include "engine/actions/exam.h"
#include "engine/session/session.h"
#include "windows/entry/tluru.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

Tzuge::Tzuge(Session& session) : Form(QStringLiteral("逐个增加学生基本资料")), m_session(session)
{
    // Students added or removed elsewhere: the rows are read again.
    connect(&m_session, &Session::gradesChanged, this, [this] {
        if (isVisible())
            Msg::guard([this] { refresh(); });
    });
    m_rows = new Db::GridModel(this);
    auto* lay = new QHBoxLayout(this);

    auto* left = new QVBoxLayout;
    auto* fields = new QFormLayout;
    name = Ui::edit("张三", this, "name");
    ban = Ui::edit("1", this, "ban");
    xue = Ui::edit("0101", this, "xue");
    fields->addRow("姓名", name);
    fields->addRow("班号", ban);
    fields->addRow("学号", xue);
    left->addLayout(fields);
    Button1 = Ui::button("增加一个记录", this, "Button1");
    left->addWidget(Button1);
    left->addSpacing(12);
    Button3 = Ui::button("删除一个", this, "Button3");
    Button4 = Ui::button("首记录", this, "Button4");
    Button5 = Ui::button("尾记录", this, "Button5");
    left->addWidget(Button3);
    auto* moves = new QHBoxLayout;
    moves->addWidget(Button4);
    moves->addWidget(Button5);
    left->addLayout(moves);
    left->addStretch(1);
    Button2 = Ui::button("完成输入，进入临时成绩库输入成绩", this, "Button2");
    Button2->setMinimumWidth(Button2->fontMetrics().horizontalAdvance(Button2->text()) + 24);
    left->addWidget(Button2);
    lay->addLayout(left);

    db1 = new QTableView(this);
    db1->setObjectName("db1");
    db1->setModel(m_rows);
    db1->setSelectionMode(QAbstractItemView::SingleSelection);
    db1->setMinimumWidth(330);
    lay->addWidget(db1, 1);
    resize(700, 420);

    // A refused cell (a word as 班号) is told, and the cell keeps its value.
    connect(m_rows, &Db::GridModel::editRejected, this, [](const QString& m) { Msg::warning(m); });
    Ui::connectHandler(Button1, &QPushButton::clicked, this, &Tzuge::Button1Click);
    Ui::connectHandler(Button3, &QPushButton::clicked, this, &Tzuge::Button3Click);
    Ui::connectHandler(Button4, &QPushButton::clicked, this, &Tzuge::Button4Click);
    Ui::connectHandler(Button5, &QPushButton::clicked, this, &Tzuge::Button5Click);
    Ui::connectHandler(Button2, &QPushButton::clicked, this, &Tzuge::Button2Click);
}

QString Tzuge::tableName() const
{
    return Forms::formin ? Forms::formin->tableName() : QStringLiteral("cjn");
}

void Tzuge::reload(int currentRow)
{
    Db::SelectSpec q;
    q.table = tableName();
    q.columns = QStringList{"姓名", "班号", "学号"};
    m_rows->setQuery(q);
    m_rows->open();
    Ui::fitColumns(db1, {100, 80, 80});
    if (m_rows->rowCount() > 0) {
        const int row = qBound(0, currentRow, m_rows->rowCount() - 1);
        db1->setCurrentIndex(m_rows->index(row, 0));
        db1->scrollTo(db1->currentIndex());
    }
}

void Tzuge::refresh()
{
    reload(db1->currentIndex().isValid() ? db1->currentIndex().row() : 0);
}

void Tzuge::FormShow()
{
    reload(0);
}

void Tzuge::Button1Click()
{
    const qint64 cls = Ui::intOf(ban, "班号");
    Actions::addStudent(m_session, tableName(), xue->text(), cls, name->text());
    // The new student stands in his class, in 学号 order: he becomes current there.
    reload(0);
    for (int r = 0; r < m_rows->rowCount(); ++r)
        if (m_rows->value(r, "学号").toString() == xue->text()) {
            db1->setCurrentIndex(m_rows->index(r, 0));
            db1->scrollTo(db1->currentIndex());
        }
}

void Tzuge::Button3Click()
{
    const int row = db1->currentIndex().isValid() ? db1->currentIndex().row() : 0;
    const qint64 id = m_rows->rowid(row);
    if (id < 0)
        return; // an empty table: nothing to delete
    const QString number = m_rows->value(row, "学号").toString();
    if (!Msg::yesNo(QStringLiteral("要删除这名学生吗？\n\n学号%1  %2班  %3")
                        .arg(number, m_rows->value(row, "班号").toString(), m_rows->value(row, "姓名").toString())))
        return;
    Actions::deleteStudent(m_session, tableName(), id, number);
    // The row after the deleted one becomes current, or the new last row.
    reload(row);
}

void Tzuge::Button4Click()
{
    if (m_rows->rowCount() > 0)
        db1->setCurrentIndex(m_rows->index(0, qMax(0, db1->currentIndex().column())));
}

void Tzuge::Button5Click()
{
    if (m_rows->rowCount() > 0) {
        db1->setCurrentIndex(m_rows->index(m_rows->rowCount() - 1, qMax(0, db1->currentIndex().column())));
        db1->scrollTo(db1->currentIndex());
    }
}

void Tzuge::Button2Click()
{
    close();
    Tluru::showFresh();
}
