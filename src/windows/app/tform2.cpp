#include "windows/app/tform2.h"

#include "engine/rules/subjects.h"

#include "windows/app/forms.h"
#include "windows/app/messages.h"
#include "engine/entry/setup.h"
#include "engine/rules/numbers.h"
#include "engine/session/session.h"
#include "windows/processing/tform1.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

TForm2::TForm2(Session& session) : Form(QStringLiteral("velmorane")), m_session(session)
{
    // No title bar or frame: the panel is left only by its button.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setBackground(Ui::kNavy);
    setFixedSize(424, 386);
    buildHiddenSettings();

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(14, 14, 14, 14);
    auto* group = new QGroupBox(this);
    group->setObjectName("GroupBox1");
    Ui::setColour(group, Ui::kSkyBlue);
    outer->addWidget(group);
    auto* lay = new QVBoxLayout(group);
    buildTitle(group, lay);
    buildClassRange(group, lay);
    buildSubjectBoxes(group, lay);

    Button1 = Ui::button("修改完毕，回到处理面板", group, "Button1");
    lay->addWidget(Button1);
    connectHandlers();
}

void TForm2::buildHiddenSettings()
{
    dbs = Ui::edit("cj", this, "dbs");
    fxs = Ui::edit("fx", this, "fxs");
    tjs = Ui::edit("tj", this, "tjs");
    cishuk = Ui::edit("1", this, "cishuk");
    for (QLineEdit* e : {dbs, fxs, tjs, cishuk}) {
        e->setReadOnly(true);
        e->hide();
    }
}

void TForm2::buildTitle(QGroupBox* group, QVBoxLayout* lay)
{
    QLabel* title = Ui::label("在这里修改成绩处理参数", group, "Label1");
    QFont tf = title->font();
    tf.setBold(true);
    tf.setPointSize(tf.pointSize() + 4);
    title->setFont(tf);
    title->setStyleSheet("color: rgb(0,128,128);");
    title->setAlignment(Qt::AlignCenter);
    lay->addWidget(title);
    lay->addWidget(Ui::label("处理参数设置如下", group, "Label2"));
}

void TForm2::buildClassRange(QGroupBox* group, QVBoxLayout* lay)
{
    auto* range = new QHBoxLayout;
    banshu1 = Ui::edit("1", group, "banshu1");
    banshu2 = Ui::edit("5", group, "banshu2");
    banshu1->setFixedWidth(50);
    banshu2->setFixedWidth(50);
    range->addWidget(Ui::label("班数", group));
    range->addWidget(Ui::label("从", group));
    range->addWidget(banshu1);
    range->addWidget(Ui::label("到", group));
    range->addWidget(banshu2);
    range->addStretch();
    lay->addLayout(range);
}

void TForm2::buildSubjectBoxes(QGroupBox* group, QVBoxLayout* lay)
{
    lay->addWidget(Ui::label("科目选择", group, "Label5"));
    CheckBox1 = Ui::check("语文", true, group, "CheckBox1");
    CheckBox2 = Ui::check("数学", false, group, "CheckBox2");
    CheckBox3 = Ui::check("英语", false, group, "CheckBox3");
    CheckBox4 = Ui::check("政治", false, group, "CheckBox4");
    CheckBox5 = Ui::check("物理", false, group, "CheckBox5");
    CheckBox6 = Ui::check("化学", false, group, "CheckBox6");
    CheckBox7 = Ui::check("生物", false, group, "CheckBox7");
    CheckBox8 = Ui::check("地理", false, group, "CheckBox8");
    CheckBox9 = Ui::check("历史", false, group, "CheckBox9");
    CheckBox10 = Ui::check("综合", false, group, "CheckBox10");
    QFont bold = CheckBox10->font();
    bold.setBold(true);
    CheckBox10->setFont(bold);
    // The grade tables have no columns for these three.
    for (QCheckBox* c : {CheckBox7, CheckBox8, CheckBox9})
        c->hide();
    auto* row1 = new QHBoxLayout;
    for (QCheckBox* c : {CheckBox1, CheckBox2, CheckBox3})
        row1->addWidget(c);
    row1->addStretch();
    auto* row2 = new QHBoxLayout;
    for (QCheckBox* c : {CheckBox6, CheckBox5, CheckBox4, CheckBox10})
        row2->addWidget(c);
    row2->addStretch();
    lay->addLayout(row1);
    lay->addLayout(row2);
    lay->addStretch();
}

void TForm2::connectHandlers()
{
    Ui::connectHandler(Button1, &QPushButton::clicked, this, &TForm2::Button1Click);
    connect(&m_session, &Session::settingsChanged, this, [this] {
        if (!isVisible())
            showSettings();
    });
    connect(&m_session, &Session::workingTableChanged, dbs, &QLineEdit::setText);
}

QCheckBox* TForm2::subjectBox(const QString& subject) const
{
    const QList<QCheckBox*> boxes{CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5,
                                  CheckBox6, CheckBox7, CheckBox8, CheckBox9, CheckBox10};
    for (QCheckBox* c : boxes)
        if (c->text() == subject)
            return c;
    return nullptr;
}

QStringList TForm2::selectedSubjects() const
{
    QStringList out;
    for (const QString& s : Rules::allSubjects())
        if (QCheckBox* c = subjectBox(s); c && c->isChecked())
            out << s;
    return out;
}

void TForm2::FormCreate()
{
    showSettings();
}

void TForm2::FormShow()
{
    showSettings();
}

void TForm2::showSettings()
{
    dbs->setText(m_session.workingTable());
    fxs->setText(m_session.analysisTable());
    tjs->setText(m_session.bandTable());
    cishuk->setText(m_session.suffix());
    banshu1->setText(QString::number(m_session.firstClass()));
    banshu2->setText(QString::number(m_session.lastClass()));
    for (const QString& s : Rules::allSubjects())
        if (QCheckBox* c = subjectBox(s))
            c->setChecked(m_session.subjects().contains(s));
}

void TForm2::applySettings()
{
    m_session.setClassRange(Ui::intOf(banshu1, "起始班号"), Ui::intOf(banshu2, "最后班号"));
    m_session.setSubjects(selectedSubjects());
}

void TForm2::Button1Click()
{
    // A class or subject the session refuses keeps the panel open, named.
    applySettings();
    if (Forms::Form1)
        Forms::Form1->show();
    close();
}

void TForm2::FormClose()
{
    // Closed another way: what can be taken is taken, and what cannot is said.
    Msg::guard([this] { applySettings(); });
}
