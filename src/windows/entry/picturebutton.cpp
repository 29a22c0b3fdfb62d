#include "windows/entry/picturebutton.h"

#include <QPainter>
#include <QPainterPath>

PictureButton::PictureButton(const QString& text, const QColor& colour, QWidget* parent,
                             const QString& name)
    : QAbstractButton(parent), m_colour(colour)
{
    setObjectName(name);
    setText(text);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
}

QSize PictureButton::sizeHint() const
{
    return {120, 74};
}

void PictureButton::enterEvent(QEnterEvent* e)
{
    m_hover = true;
    update();
    QAbstractButton::enterEvent(e);
}

void PictureButton::leaveEvent(QEvent* e)
{
    m_hover = false;
    update();
    QAbstractButton::leaveEvent(e);
}

void PictureButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF plate = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    const QColor base = isEnabled() ? m_colour : QColor(190, 190, 190);
    QLinearGradient g(plate.topLeft(), plate.bottomLeft());
    g.setColorAt(0, base.lighter(m_hover ? 175 : 160));
    g.setColorAt(1, isDown() ? base.darker(120) : base);
    p.setBrush(g);
    p.setPen(QPen(base.darker(160), 1.5));
    p.drawRoundedRect(plate, 10, 10);

    // The emblem: a small sheet with ruled lines, the mark of a grade list.
    const QRectF sheet(plate.left() + 8, plate.top() + 10, 22, 28);
    p.setBrush(QColor(255, 255, 255, 230));
    p.setPen(QPen(base.darker(170), 1));
    p.drawRoundedRect(sheet, 2, 2);
    for (int i = 1; i <= 4; ++i) {
        const qreal y = sheet.top() + i * sheet.height() / 5;
        p.drawLine(QPointF(sheet.left() + 4, y), QPointF(sheet.right() - 4, y));
    }

    QFont f = font();
    f.setBold(true);
    p.setFont(f);
    p.setPen(isEnabled() ? QColor(15, 30, 90) : QColor(120, 120, 120));
    const QRectF textArea = plate.adjusted(36, 4, -6, -4);
    p.drawText(textArea, Qt::AlignCenter | Qt::TextWrapAnywhere, text());
    if (hasFocus()) {
        p.setPen(QPen(QColor(15, 30, 90), 1, Qt::DotLine));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(plate.adjusted(3, 3, -3, -3), 8, 8);
    }
}
