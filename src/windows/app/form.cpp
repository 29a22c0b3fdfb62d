#include "windows/app/form.h"

#include "windows/app/messages.h"
#include "engine/db/database.h"
#include "engine/rules/numbers.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTime>

Form::Form(const QString& caption, QWidget* parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(caption);
}

void Form::setBackground(const QColor& colour)
{
    Ui::setColour(this, colour);
}

void Form::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_centre && !m_placed) {
        m_placed = true;
        if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
            QRect r = frameGeometry();
            r.moveCenter(s->availableGeometry().center());
            move(r.topLeft());
        }
    }
    if (!event->spontaneous())
        Msg::guard([this] { FormShow(); });
}

void Form::closeEvent(QCloseEvent* event)
{
    Msg::guard([this] { FormClose(); });
    QWidget::closeEvent(event);
}

void Form::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        Msg::guard([this] { FormHide(); });
}

namespace Ui {

QLabel* label(const QString& text, QWidget* parent, const QString& name)
{
    auto* l = new QLabel(text, parent);
    if (!name.isEmpty())
        l->setObjectName(name);
    return l;
}

QLineEdit* edit(const QString& text, QWidget* parent, const QString& name)
{
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(name);
    return e;
}

QPushButton* button(const QString& text, QWidget* parent, const QString& name)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

QCheckBox* check(const QString& text, bool checked, QWidget* parent, const QString& name)
{
    auto* c = new QCheckBox(text, parent);
    c->setObjectName(name);
    c->setChecked(checked);
    return c;
}

void setColour(QWidget* w, const QColor& colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

QString clockText(qint64 ms)
{
    return QTime(0, 0).addMSecs(int(ms)).toString("H:mm:ss");
}

qint64 intOf(const QLineEdit* field, const QString& fieldName)
{
    const auto v = Num::parseInteger(field->text());
    if (!v)
        throw Db::InputError(QStringLiteral("“%1”必须是整数，现在是“%2”").arg(fieldName, field->text()));
    return *v;
}

} // namespace Ui
