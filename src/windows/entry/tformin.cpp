#include "windows/entry/tformin.h"
#include "engine/rules/subjects.h"

#include "windows/app/forms.h"
#include "windows/app/messages.h"
#include "windows/app/tform2.h"
#include "windows/app/tform6.h"
#include "engine/db/database.h"
#include "engine/entry/roster.h"
#include "engine/entry/setup.h"
#include "engine/actions/exam.h"
#include "engine/session/session.h"
#include "windows/entry/entrytext.h"
#include "windows/entry/linebox.h"
#include "windows/entry/timport.h"
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
#include <QScrollBar>
#include <tuple>
#include <QVBoxLayout>

Tformin::Tformin(Session& session) : Form(QStringLiteral("Form-in")), m_session(session)
{
    auto* lay = new QVBoxLayout(this);
    auto* boxes = new QHBoxLayout;
    lay->addLayout(boxes, 1);
    buildRosterGroup(boxes);
    buildMarksGroup(boxes);
    buildHiddenSuffix();
    buildButtons(lay);
    linkBoxes();
    resize(minimumSizeHint().expandedTo(QSize(900, 560)));
    connectHandlers();
}

void Tformin::buildRosterGroup(QHBoxLayout* boxes)
{
    GroupBox1 = new QGroupBox("初始输入", this);
    GroupBox1->setObjectName("GroupBox1");
    auto* roster = new QGridLayout(GroupBox1);
    Memo4 = new LineBox(GroupBox1, "Memo4");
    Memo2 = new LineBox(GroupBox1, "Memo2");
    Memo1 = new LineBox(GroupBox1, "Memo1");
    // Wide enough for a nine-digit student number and a four-character name.
    const QList<std::tuple<QString, LineBox*, QString>> rosterBoxes{
        {"学号", Memo4, "202401018"}, {"班号", Memo2, "班号"}, {"姓名", Memo1, "欧阳小明"}};
    for (int i = 0; i < rosterBoxes.size(); ++i) {
        const auto& [title, memo, sample] = rosterBoxes.at(i);
        QLabel* heading = Ui::label(title, GroupBox1);
        // As tall as the subjects' check boxes, so that the boxes line up.
        heading->setFixedHeight(QCheckBox(title).sizeHint().height());
        roster->addWidget(heading, 1, i);
        roster->addWidget(memo, 2, i);
        // One scroll bar per group: the boxes scroll together.
        if (memo != Memo1)
            memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        memo->fitText(sample);
    }
    CheckBox2 = Ui::check("跳过初始输入", false, GroupBox1, "CheckBox2");
    // Above the boxes, as 批量录入成绩 is above the mark boxes: line i of
    // every box sits at the same height.
    roster->addWidget(CheckBox2, 0, 0, 1, 3);
    roster->setRowStretch(2, 1);
    boxes->addWidget(GroupBox1, 3);
}

void Tformin::buildMarksGroup(QHBoxLayout* boxes)
{
    GroupBox2 = new QGroupBox("成绩输入", this);
    GroupBox2->setObjectName("GroupBox2");
    auto* marks = new QGridLayout(GroupBox2);
    CheckBox1 = Ui::check("批量录入成绩", false, GroupBox2, "CheckBox1");
    marks->addWidget(CheckBox1, 0, 0, 1, 7);
    const QStringList subjects = Rules::gradeSubjects();
    const QStringList boxNames{"Memo3", "Memo6", "Memo7", "Memo8", "Memo9", "Memo10", "Memo11"};
    QList<QCheckBox*> ticks;
    QList<LineBox*> memos;
    for (int i = 0; i < subjects.size(); ++i) {
        ticks << Ui::check(subjects.at(i), false, GroupBox2, QStringLiteral("CheckBox%1").arg(i + 3));
        memos << new LineBox(GroupBox2, boxNames.at(i));
        if (i + 1 < subjects.size())
            memos.last()->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        memos.last()->fitText("100.5 ");
        marks->addWidget(ticks.last(), 1, i);
        marks->addWidget(memos.last(), 2, i);
    }
    marks->setRowStretch(2, 1);
    CheckBox3 = ticks[0], CheckBox4 = ticks[1], CheckBox5 = ticks[2], CheckBox6 = ticks[3];
    CheckBox7 = ticks[4], CheckBox8 = ticks[5], CheckBox9 = ticks[6];
    Memo3 = memos[0], Memo6 = memos[1], Memo7 = memos[2], Memo8 = memos[3];
    Memo9 = memos[4], Memo10 = memos[5], Memo11 = memos[6];
    boxes->addWidget(GroupBox2, 7);
}

void Tformin::buildHiddenSuffix()
{
    Label5 = Ui::label("次数", this, "Label5");
    Edit3 = Ui::edit("1", this, "Edit3");
    Label5->hide();
    Edit3->hide();
    Edit3->setEnabled(false);
}

void Tformin::buildButtons(QVBoxLayout* lay)
{
    auto* buttons = new QHBoxLayout;
    Button4 = Ui::button("从文件导入…", this, "Button4");
    buttons->addWidget(Button4);
    buttons->addStretch(1);
    Button1 = Ui::button("确定", this, "Button1");
    Button3 = Ui::button("清空所有输入栏", this, "Button3");
    Button2 = Ui::button("关闭窗口", this, "Button2");
    for (QPushButton* b : {Button1, Button3, Button2}) {
        b->setMinimumWidth(110);
        buttons->addWidget(b);
    }
    lay->addLayout(buttons);
}

void Tformin::linkBoxes()
{
    // The boxes scroll together, so that line i of every box stays side by side.
    for (const auto& [title, memo] : allBoxes()) {
        connect(memo->verticalScrollBar(), &QScrollBar::valueChanged, this, [this, memo = memo](int value) {
            if (m_scrolling)
                return;
            m_scrolling = true;
            for (const auto& [t, other] : allBoxes())
                if (other != memo)
                    other->verticalScrollBar()->setValue(value);
            m_scrolling = false;
        });
        Ui::connectHandler(memo, &LineBox::tabbedPaste, this,
                           [this, memo = memo] { spreadColumns(memo, memo->pasted()); });
    }
}

void Tformin::connectHandlers()
{
    Ui::connectHandler(Button1, &QPushButton::clicked, this, &Tformin::Button1Click);
    Ui::connectHandler(Button3, &QPushButton::clicked, this, &Tformin::Button3Click);
    Ui::connectHandler(Button2, &QPushButton::clicked, this, &Tformin::Button2Click);
    Ui::connectHandler(Button4, &QPushButton::clicked, this, &Tformin::Button4Click);
}

QList<std::pair<QCheckBox*, QPlainTextEdit*>> Tformin::subjectBoxes() const
{
    return {{CheckBox3, Memo3}, {CheckBox4, Memo6}, {CheckBox5, Memo7}, {CheckBox6, Memo8},
            {CheckBox7, Memo9}, {CheckBox8, Memo10}, {CheckBox9, Memo11}};
}

QList<std::pair<QString, LineBox*>> Tformin::allBoxes() const
{
    return {{"学号", Memo4}, {"班号", Memo2}, {"姓名", Memo1}, {"语文", Memo3}, {"数学", Memo6},
            {"英语", Memo7}, {"政治", Memo8}, {"物理", Memo9}, {"化学", Memo10}, {"综合", Memo11}};
}

void Tformin::spreadColumns(LineBox* into, const QString& text)
{
    const Roster::Pasted block = Roster::pasted(text);
    const auto boxes = allBoxes();
    // Each column's box: by its header when the block has one, else in
    // order from the box pasted into.
    QList<LineBox*> target(block.columns, nullptr);
    QStringList plan, left;
    auto name = [&](qsizetype c) {
        return block.header && !block.headers.value(c).trimmed().isEmpty()
            ? QStringLiteral("第%1列“%2”").arg(c + 1).arg(block.headers.value(c).trimmed())
            : QStringLiteral("第%1列").arg(c + 1);
    };
    if (block.header) {
        for (qsizetype c = 0; c < block.columns; ++c) {
            for (const auto& [title, box] : boxes)
                if (title == block.titles.value(c) && !target.contains(box))
                    target[c] = box;
            if (target.at(c))
                plan << QStringLiteral("%1 → “%2”栏").arg(name(c), block.titles.value(c));
            else
                left << name(c);
        }
    } else {
        qsizetype first = 0;
        while (first < boxes.size() && boxes.at(first).second != into)
            ++first;
        for (qsizetype c = 0; c < block.columns; ++c) {
            if (first + c < boxes.size()) {
                target[c] = boxes.at(first + c).second;
                plan << QStringLiteral("%1 → “%2”栏").arg(name(c), boxes.at(first + c).first);
            } else {
                left << name(c);
            }
        }
    }
    QString question = QStringLiteral("粘贴的内容有%1列，将这样放入：\n%2").arg(block.columns).arg(plan.join('\n'));
    if (block.titleLines > 0)
        question += QStringLiteral("\n表头上面的%1行标题不放入").arg(block.titleLines);
    if (!left.isEmpty())
        question += QStringLiteral("\n不放入（没有对应的栏）：%1").arg(left.join(QStringLiteral("、")));
    question += QStringLiteral("\n\n这些栏原有的内容会被替换，放入成绩的科目会被勾选。要这样放吗？");
    if (plan.isEmpty() || !Msg::yesNo(question)) {
        into->insertPlainText(text);
        return;
    }
    for (qsizetype c = 0; c < block.columns; ++c) {
        LineBox* box = target.at(c);
        if (!box)
            continue;
        QStringList column;
        for (const QStringList& r : block.rows)
            column << r.value(c);
        box->setPlainText(column.join('\n'));
        for (const auto& [tick, memo] : subjectBoxes())
            if (memo == box) {
                tick->setChecked(true);
                CheckBox1->setChecked(true);
            }
    }
}

void Tformin::openOn(const QString& table)
{
    Table1.close();
    Table1.setTableName(table);
}

void Tformin::Button1Click()
{
    QElapsedTimer clock;
    clock.start();
    Roster::BulkInput in;
    in.roster = !CheckBox2->isChecked();
    in.marks = CheckBox1->isChecked();
    if (!in.roster && !in.marks) {
        Msg::warning(kNothing);
        return;
    }
    in.numbers = Memo4->toPlainText();
    in.classes = Memo2->toPlainText();
    in.names = Memo1->toPlainText();
    for (const auto& [tick, memo] : subjectBoxes()) {
        in.markBoxes.insert(tick->text(), memo->toPlainText());
        if (tick->isChecked())
            in.ticked << tick->text();
    }

    Table1.close();
    const QString table = Table1.tableName();
    // Every box is checked before anything is asked or deleted.
    const Roster::BulkPlan plan = Actions::prepareBulk(m_session, table, in);
    if (plan.marksForRoster()) {
        // Marks reach a student only when the teacher has seen which.
        if (plan.match.hasConflicts()) {
            Msg::warning(EntryText::conflicts(plan));
            return;
        }
        if (plan.match.by == Match::By::Position) {
            if (!Msg::yesNo(EntryText::pairingQuestion(plan)))
                return;
        } else if (plan.match.hasGaps() && !Msg::yesNo(EntryText::gapsQuestion(plan))) {
            return;
        }
    }
    if (!plan.aboveFull.isEmpty() && !Msg::yesNo(EntryText::aboveFullQuestion(plan.aboveFull)))
        return;
    if (in.roster && !Msg::okCancel(kConfirm))
        return;
    if (plan.marksForRoster() && plan.match.matched() == 0) {
        Msg::warning(QStringLiteral("没有一行成绩对上名单上的学生，没有输入任何成绩"));
        return;
    }

    // The table becomes the working one and the class range its roster's.
    const Roster::BulkResult result = Actions::writeBulk(m_session, table, plan);
    const QString took = Ui::clockText(clock.elapsed());
    QString done = "我们用了" + took + "的时间," + "输入成功！";
    if (plan.marksForRoster())
        done += QStringLiteral("\n%1名学生的成绩已输入，名单上共%2名学生").arg(result.markRows).arg(result.students);
    Msg::info(done);

    Tluru::showFresh();
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

void Tformin::Button4Click()
{
    Forms::daoru->openFor(Table1.tableName(), !CheckBox2->isChecked());
}
