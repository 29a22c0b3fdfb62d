#include "windows/entry/tformin.h"
#include "engine/rules/subjects.h"

#include "windows/app/forms.h"
#include "windows/app/messages.h"
#include "windows/app/tform2.h"
#include "windows/app/tform6.h"
#include "engine/db/database.h"
#include "engine/entry/roster.h"
#include "engine/entry/setup.h"
#include "windows/entry/tluru.h"
#include "windows/processing/tform1.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPlainTextEdit* box(QWidget* parent, const QString& name)
{
    auto* m = new QPlainTextEdit(parent);
    m->setObjectName(name);
    // One student per line: a long line must not look like two.
    m->setLineWrapMode(QPlainTextEdit::NoWrap);
    m->setTabChangesFocus(true);
    return m;
}

} // namespace

Tformin::Tformin() : Form(QStringLiteral("Form-in"))
{
    resize(900, 560);
    auto* lay = new QVBoxLayout(this);
    auto* boxes = new QHBoxLayout;
    lay->addLayout(boxes, 1);

    GroupBox1 = new QGroupBox("初始输入", this);
    GroupBox1->setObjectName("GroupBox1");
    auto* roster = new QGridLayout(GroupBox1);
    Memo4 = box(GroupBox1, "Memo4");
    Memo2 = box(GroupBox1, "Memo2");
    Memo1 = box(GroupBox1, "Memo1");
    const QList<std::pair<QString, QPlainTextEdit*>> rosterBoxes{{"学号", Memo4}, {"班号", Memo2}, {"姓名", Memo1}};
    for (int i = 0; i < rosterBoxes.size(); ++i) {
        roster->addWidget(Ui::label(rosterBoxes.at(i).first, GroupBox1), 0, i);
        roster->addWidget(rosterBoxes.at(i).second, 1, i);
        rosterBoxes.at(i).second->setMinimumWidth(70);
    }
    CheckBox2 = Ui::check("跳过初始输入", false, GroupBox1, "CheckBox2");
    roster->addWidget(CheckBox2, 2, 0, 1, 3);
    roster->setRowStretch(1, 1);
    boxes->addWidget(GroupBox1, 3);

    GroupBox2 = new QGroupBox("成绩输入", this);
    GroupBox2->setObjectName("GroupBox2");
    auto* marks = new QGridLayout(GroupBox2);
    CheckBox1 = Ui::check("批量录入成绩", false, GroupBox2, "CheckBox1");
    marks->addWidget(CheckBox1, 0, 0, 1, 7);
    const QStringList subjects = Rules::gradeSubjects();
    const QStringList boxNames{"Memo3", "Memo6", "Memo7", "Memo8", "Memo9", "Memo10", "Memo11"};
    QList<QCheckBox*> ticks;
    QList<QPlainTextEdit*> memos;
    for (int i = 0; i < subjects.size(); ++i) {
        ticks << Ui::check(subjects.at(i), false, GroupBox2, QStringLiteral("CheckBox%1").arg(i + 3));
        memos << box(GroupBox2, boxNames.at(i));
        memos.last()->setMinimumWidth(56);
        marks->addWidget(ticks.last(), 1, i);
        marks->addWidget(memos.last(), 2, i);
    }
    marks->setRowStretch(2, 1);
    CheckBox3 = ticks[0], CheckBox4 = ticks[1], CheckBox5 = ticks[2], CheckBox6 = ticks[3];
    CheckBox7 = ticks[4], CheckBox8 = ticks[5], CheckBox9 = ticks[6];
    Memo3 = memos[0], Memo6 = memos[1], Memo7 = memos[2], Memo8 = memos[3];
    Memo9 = memos[4], Memo10 = memos[5], Memo11 = memos[6];
    boxes->addWidget(GroupBox2, 7);

    Label5 = Ui::label("次数", this, "Label5");
    Edit3 = Ui::edit("1", this, "Edit3");
    Label5->hide();
    Edit3->hide();
    Edit3->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    Button1 = Ui::button("确定", this, "Button1");
    Button3 = Ui::button("清空所有输入栏", this, "Button3");
    Button2 = Ui::button("关闭窗口", this, "Button2");
    for (QPushButton* b : {Button1, Button3, Button2}) {
        b->setMinimumWidth(110);
        buttons->addWidget(b);
    }
    lay->addLayout(buttons);

    Ui::connectHandler(Button1, &QPushButton::clicked, this, &Tformin::Button1Click);
    Ui::connectHandler(Button3, &QPushButton::clicked, this, &Tformin::Button3Click);
    Ui::connectHandler(Button2, &QPushButton::clicked, this, &Tformin::Button2Click);
}

QList<std::pair<QCheckBox*, QPlainTextEdit*>> Tformin::subjectBoxes() const
{
    return {{CheckBox3, Memo3}, {CheckBox4, Memo6}, {CheckBox5, Memo7}, {CheckBox6, Memo8},
            {CheckBox7, Memo9}, {CheckBox8, Memo10}, {CheckBox9, Memo11}};
}

void Tformin::FormCreate()
{
    // The class range of the working settings starts as the roster's own; an
    // empty roster keeps the defaults.
    Table1.close();
    if (!Form2)
        return;
    if (const auto range = Entry::classRange(Table1.tableName())) {
        Form2->banshu2->setText(QString::number(range->last));
        Form2->banshu1->setText(QString::number(range->first));
    }
}

void Tformin::Button1Click()
{
    QElapsedTimer clock;
    clock.start();
    Roster::BulkInput in;
    in.roster = !CheckBox2->isChecked();
    in.marks = CheckBox1->isChecked();
    // Nothing to write: the table stays as it is.
    if (!in.roster && !in.marks)
        return;
    in.numbers = Memo4->toPlainText();
    in.classes = Memo2->toPlainText();
    in.names = Memo1->toPlainText();
    for (const auto& [tick, memo] : subjectBoxes()) {
        in.markBoxes.insert(tick->text(), memo->toPlainText());
        if (tick->isChecked())
            in.ticked << tick->text();
    }
    if (in.roster && !Msg::okCancel(kConfirm))
        return;

    Table1.close();
    const QString table = Table1.tableName();
    Roster::BulkResult result;
    Db::inTransaction([&] {
        result = Roster::bulkInput(table, in);
        // The working table from now on is the one just filled.
        Entry::setRosterMode(table == QLatin1String("cjn") ? 0 : 1);
    });
    if (Form2 && result.students > 0) {
        Form2->banshu2->setText(QString::number(result.lastClass));
        Form2->banshu1->setText(QString::number(result.firstClass));
    }
    const QString took = Ui::clockText(clock.elapsed());
    Msg::info("我们用了" + took + "的时间," + "输入成功！");

    Tluru::useWorkingTable(table);
    // An entry window already on screen shows the new table at once.
    if (luru && luru->isVisible())
        luru->reopen();
    Forms::showWindow(luru);
    close();
}

void Tformin::Button3Click()
{
    // Every box but the 综合 one.
    for (QPlainTextEdit* m : {Memo1, Memo2, Memo3, Memo4, Memo6, Memo7, Memo8, Memo9, Memo10})
        m->clear();
}

void Tformin::Button2Click()
{
    close();
}
