#include "windows/entry/tkaoshimc.h"
#include "engine/actions/exam.h"
#include "engine/session/session.h"
#include "windows/entry/tpf1.h"
#include "windows/entry/tluru.h"
#include "windows/reports/tform5.h"
#include "windows/reports/tformfx.h"

#include "windows/app/forms.h"
#include "windows/entry/entrytext.h"
#include "windows/app/messages.h"
#include "engine/entry/setup.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

Tkaoshimc::Tkaoshimc(Session& session) : Form(QStringLiteral("kaoshimc")), m_session(session)
{
    QFont f = font();
    f.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC"),
                   QStringLiteral("Noto Sans CJK SC")});
    f.setPixelSize(19);
    setFont(f);

    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(24, 20, 24, 20);
    lay->setSpacing(12);
    auto* which = new QHBoxLayout;
    Label2 = Ui::label("你要增加的将是第", this, "Label2");
    Edit2 = Ui::edit(QString(), this, "Edit2");
    Edit2->setFixedWidth(70);
    Edit2->setAlignment(Qt::AlignCenter);
    Label3 = Ui::label("次考试", this, "Label3");
    which->addWidget(Label2);
    which->addWidget(Edit2);
    which->addWidget(Label3);
    which->addStretch(1);
    lay->addLayout(which);
    Label1 = Ui::label("在这里输入你要增加的考试名称", this, "Label1");
    lay->addWidget(Label1);
    ksmc = Ui::edit(kPlaceholder, this, "ksmc");
    ksmc->setMinimumWidth(340);
    lay->addWidget(ksmc);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    SpeedButton1 = Ui::button("继续", this, "SpeedButton1");
    SpeedButton1->setMinimumWidth(100);
    buttons->addWidget(SpeedButton1);
    lay->addLayout(buttons);
    setFixedSize(sizeHint());

    Ui::connectHandler(SpeedButton1, &QPushButton::clicked, this, &Tkaoshimc::SpeedButton1Click);
    Ui::connectHandler(ksmc, &QLineEdit::returnPressed, this, &Tkaoshimc::SpeedButton1Click);
}

void Tkaoshimc::FormShow()
{
    // One more than the highest number saved: re-processing an examination
    // and saving it again does not move the next number on.
    Edit2->setText(QString::number(Entry::proposedExamNumber()));
}

void Tkaoshimc::SpeedButton1Click()
{
    const QString name = ksmc->text();
    if (name == kPlaceholder || name.trimmed().isEmpty()) {
        Msg::warning("你还没填入考试名称！！");
        return;
    }
    const Actions::NewExam exam = Actions::checkNewExam(name, Edit2->text());
    // Queries and charts find an examination by its name: a second one under
    // a saved name would be mixed with it.
    if (exam.sameName.exists() && !Msg::yesNo(EntryText::sameNameQuestion(name, exam.sameName)))
        return;
    // Every window that shows the current examination follows the session.
    Actions::addExam(m_session, exam);
    close();
    Forms::showWindow(Forms::pf1);
}
