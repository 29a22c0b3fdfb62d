#include "windows/processing/tform8.h"

#include "windows/app/forms.h"

#include <QCoreApplication>
#include <QLabel>
#include <QVBoxLayout>

TForm8::TForm8() : Form(QStringLiteral("处理中，处理过程可能有停顿，请等候。。。"))
{
    setFixedSize(427, 43);
    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(8, 4, 8, 4);
    // The caption says it all; it is repeated inside for desktops that show no title bar.
    auto* text = new QLabel(windowTitle(), this);
    text->setAlignment(Qt::AlignCenter);
    lay->addWidget(text);
}

PleaseWait::PleaseWait()
{
    if (Forms::Form8) {
        Forms::Form8->show();
        Forms::Form8->raise();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

PleaseWait::~PleaseWait()
{
    if (Forms::Form8)
        Forms::Form8->hide();
}
