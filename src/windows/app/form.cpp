#include "windows/app/form.h"

#include "windows/app/messages.h"
#include "engine/db/database.h"
#include "engine/rules/numbers.h"

#include <QFrame>
#include <QCheckBox>
#include <QComboBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QHeaderView>
#include <QTableView>
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

QComboBox* editableCombo(QWidget* parent, const QString& name, int minimumWidth)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMinimumWidth(minimumWidth);
    return box;
}

QFrame* panel(QWidget* parent, const QString& name)
{
    auto* frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setFrameShape(QFrame::StyledPanel);
    return frame;
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

void fitColumns(QTableView* view, const QList<int>& widths, int others)
{
    QAbstractItemModel* model = view->model();
    if (!model)
        return;
    QHeaderView* header = view->horizontalHeader();
    const QFontMetrics title(header->font());
    const QFontMetrics cells(view->font());
    // A grade has about a thousand students; a query over many saved
    // examinations is measured on its first rows only, to stay quick.
    const int rows = qMin(model->rowCount(), 5000);
    for (int c = 0; c < model->columnCount(); ++c) {
        const int minimum = c < widths.size() ? widths.at(c) : others;
        if (minimum == 0) {
            view->setColumnHidden(c, true);
            continue;
        }
        view->setColumnHidden(c, false);
        int need = title.horizontalAdvance(model->headerData(c, Qt::Horizontal).toString()) + 14;
        // Every row of a grade counts: the widest name may be the last student's.
        for (int r = 0; r < rows; ++r)
            need = qMax(need, cells.horizontalAdvance(model->index(r, c).data().toString()) + 12);
        view->setColumnWidth(c, qMax(minimum < 0 ? view->columnWidth(c) : minimum, need));
    }
}

} // namespace Ui
