#include "windows/app/tmen1.h"

#include "windows/app/forms.h"
#include "windows/app/messages.h"
#include "windows/reports/tjiaoshigz.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

Tmen1::Tmen1() : Form(QStringLiteral("men1"))
{
    setBackground(Ui::kSilver);
    auto* lay = new QVBoxLayout(this);
    Label1 = Ui::label("请输入查看密码", this, "Label1");
    Label2 = Ui::label(QStringLiteral("（查看密码为%1）").arg(kViewingCode), this, "Label2");
    Edit1 = Ui::edit(QString(), this, "Edit1");
    Edit1->setEchoMode(QLineEdit::Password);
    Button1 = Ui::button("确定", this, "Button1");
    lay->addWidget(Label1);
    lay->addWidget(Label2);
    lay->addWidget(Edit1);
    lay->addWidget(Button1);
    setFixedSize(260, 150);
    Ui::connectHandler(Button1, &QPushButton::clicked, this, &Tmen1::Button1Click);
    Ui::connectHandler(Edit1, &QLineEdit::returnPressed, this, &Tmen1::Button1Click);
}

void Tmen1::Button1Click()
{
    // Compared exactly as typed: a trailing blank is a different code.
    if (Edit1->text() == QLatin1String(kViewingCode)) {
        Forms::showWindow(Forms::jiaoshigz);
        hide();
    } else {
        Msg::warning("密码错误，你无权查看,请联系统管理员 ");
    }
}
