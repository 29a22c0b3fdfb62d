#include "windows/entry/tpf1.h"
#include "engine/actions/exam.h"
#include "engine/session/session.h"
#include "windows/entry/tzuge.h"

#include "windows/app/forms.h"
#include "windows/app/messages.h"
#include "engine/entry/setup.h"
#include "windows/entry/tformin.h"
#include "windows/entry/tluru.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The bulk input window's table is the one the roster paths work on.
void pointInputAt(const QString& table)
{
    if (Forms::formin)
        Forms::formin->openOn(table);
}

} // namespace

Tpf1::Tpf1(Session& session) : Form(QStringLiteral("pf1")), m_session(session)
{
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(20, 16, 20, 16);
    lay->setSpacing(12);
    Label1 = Ui::label("你想重新录入学生的基本资料还是想利用以前的数据？", this, "Label1");
    QFont big = Label1->font();
    big.setPointSize(big.pointSize() + 2);
    big.setBold(true);
    Label1->setFont(big);
    lay->addWidget(Label1);

    GroupBox2 = new QGroupBox("重新录入---将会清空原有的临时数据库", this);
    GroupBox2->setObjectName("GroupBox2");
    auto* again = new QHBoxLayout(GroupBox2);
    Button1 = Ui::button("批量录入", GroupBox2, "Button1");
    Button4 = Ui::button("逐个录入", GroupBox2, "Button4");
    again->addWidget(Button1);
    again->addWidget(Button4);
    lay->addWidget(GroupBox2);

    GroupBox3 = new QGroupBox("利用以往数据", this);
    GroupBox3->setObjectName("GroupBox3");
    auto* reuse = new QVBoxLayout(GroupBox3);
    Button2 = Ui::button("利用上次录入的数据库", GroupBox3, "Button2");
    CheckBox1 = Ui::check("将上次录入的成绩数据归零", false, GroupBox3, "CheckBox1");
    reuse->addWidget(Button2);
    reuse->addWidget(CheckBox1);
    lay->addWidget(GroupBox3);
    for (QPushButton* b : {Button1, Button4, Button2})
        b->setMinimumHeight(34);
    setFixedSize(sizeHint().expandedTo(QSize(440, 0)));

    Ui::connectHandler(Button1, &QPushButton::clicked, this, &Tpf1::Button1Click);
    Ui::connectHandler(Button4, &QPushButton::clicked, this, &Tpf1::Button4Click);
    Ui::connectHandler(Button2, &QPushButton::clicked, this, &Tpf1::Button2Click);
}

void Tpf1::Button1Click()
{
    Actions::startBulkRoster(m_session);
    pointInputAt("cjn");
    // The old roster goes only when the bulk input is confirmed there.
    Forms::showWindow(Forms::formin);
    close();
}

void Tpf1::Button4Click()
{
    Actions::startOneByOne(m_session);
    pointInputAt("cjn");
    Forms::showWindow(Forms::zuge);
    close();
}

void Tpf1::Button2Click()
{
    if (CheckBox1->isChecked()) {
        // The marks blanked are those of the table the last roster went into.
        // The table the last roster went into, as the database says now.
        m_session.refresh();
        pointInputAt(m_session.workingTable());
        Actions::reuseRoster(m_session, true);
    }
    // Roster preparation is done once the entry window takes over.
    close();
    Tluru::showFresh();
}
