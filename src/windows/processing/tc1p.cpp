#include "windows/processing/tc1p.h"
#include "engine/actions/processing.h"
#include "engine/session/session.h"
#include "windows/entry/tluru.h"

#include "windows/app/forms.h"
#include "windows/app/messages.h"
#include "engine/entry/setup.h"
#include "engine/processing/saves.h"
#include "windows/processing/tform1.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

Tc1p::Tc1p(Session& session) : Form(QStringLiteral("c1p")), m_session(session)
{
    auto* lay = new QVBoxLayout(this);
    Label1 = Ui::label("本次考试的结果已经永久保存，你想删除已经保存的结果重新处理吗", this, "Label1");
    Label1->setWordWrap(true);
    lay->addWidget(Label1);
    auto* row = new QHBoxLayout;
    Button1 = Ui::button("是", this, "Button1");
    Button2 = Ui::button("否", this, "Button2");
    row->addStretch();
    row->addWidget(Button1);
    row->addWidget(Button2);
    row->addStretch();
    lay->addLayout(row);
    setFixedSize(420, 120);
    Ui::connectHandler(Button1, &QPushButton::clicked, this, &Tc1p::Button1Click);
    Ui::connectHandler(Button2, &QPushButton::clicked, this, &Tc1p::Button2Click);
}

void Tc1p::Button1Click()
{
    // The saved marks are those of the current examination: its save wrote
    // its name and number into check. Only rows of that name and number go.
    Actions::reprocess(m_session);
    close();
    if (Forms::Form1)
        Forms::Form1->showMode(TForm1::Mode::Ranking);
}

void Tc1p::Button2Click()
{
    close();
}
