#include "windows/entry/linebox.h"

#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>

namespace {

class Gutter : public QWidget {
public:
    explicit Gutter(LineBox* box) : QWidget(box), m_box(box) {}
    QSize sizeHint() const override { return {m_box->gutterWidth(), 0}; }

protected:
    void paintEvent(QPaintEvent* e) override { m_box->paintGutter(e); }

private:
    LineBox* m_box;
};

} // namespace

LineBox::LineBox(QWidget* parent, const QString& name) : QPlainTextEdit(parent), m_gutter(new Gutter(this))
{
    setObjectName(name);
    // One student per line: a long line must not look like two.
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::blockCountChanged, this, [this] { setViewportMargins(gutterWidth(), 0, 0, 0); });
    connect(this, &QPlainTextEdit::updateRequest, this, &LineBox::updateGutter);
    setViewportMargins(gutterWidth(), 0, 0, 0);
}

int LineBox::gutterWidth() const
{
    int digits = 3;
    for (int n = blockCount(); n >= 1000; n /= 10)
        ++digits;
    return 6 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits;
}

void LineBox::fitText(const QString& sample)
{
    const int text = fontMetrics().horizontalAdvance(sample);
    const int margins = 2 * frameWidth() + 2 * int(document()->documentMargin()) + 6;
    const int bar = verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOff ? 0 : verticalScrollBar()->sizeHint().width();
    setMinimumWidth(gutterWidth() + text + margins + bar);
}

void LineBox::updateGutter(const QRect& rect, int dy)
{
    if (dy)
        m_gutter->scroll(0, dy);
    else
        m_gutter->update(0, rect.y(), m_gutter->width(), rect.height());
}

void LineBox::resizeEvent(QResizeEvent* event)
{
    QPlainTextEdit::resizeEvent(event);
    const QRect cr = contentsRect();
    m_gutter->setGeometry(QRect(cr.left(), cr.top(), gutterWidth(), cr.height()));
}

void LineBox::paintGutter(QPaintEvent* event)
{
    QPainter p(m_gutter);
    p.fillRect(event->rect(), palette().color(QPalette::AlternateBase));
    p.setPen(palette().color(QPalette::PlaceholderText));
    QTextBlock block = firstVisibleBlock();
    int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
    while (block.isValid() && top <= event->rect().bottom()) {
        const int height = qRound(blockBoundingRect(block).height());
        if (block.isVisible() && top + height >= event->rect().top())
            p.drawText(0, top, m_gutter->width() - 4, height, Qt::AlignRight | Qt::AlignVCenter,
                       QString::number(block.blockNumber() + 1));
        block = block.next();
        top += height;
    }
}

void LineBox::insertFromMimeData(const QMimeData* source)
{
    // Several columns copied from a spreadsheet: the window decides where they go.
    if (source->hasText() && source->text().contains(QLatin1Char('\t')) && receivers(SIGNAL(tabbedPaste(QString))) > 0) {
        m_pasted = source->text();
        emit tabbedPaste(m_pasted);
        return;
    }
    QPlainTextEdit::insertFromMimeData(source);
}
