#pragma once
// A picture button of the entry window: a drawn plate with an emblem and its
// caption, the caption wrapped to the plate.

#include <QAbstractButton>
#include <QColor>

class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    PictureButton(const QString& text, const QColor& colour, QWidget* parent, const QString& name);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;

private:
    QColor m_colour;
    bool m_hover = false;
};
