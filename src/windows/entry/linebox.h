#pragma once
// A box of bulk input: one student per line, with the line numbers beside
// it so that a message's "第N行" can be found, and a pasted block of several
// tab-separated columns handed to the window to spread over the boxes.

#include <QPlainTextEdit>

class LineBox : public QPlainTextEdit {
    Q_OBJECT
public:
    LineBox(QWidget* parent, const QString& name);
    // Wide enough for the sample text beside three-digit line numbers.
    void fitText(const QString& sample);
    int gutterWidth() const;
    void paintGutter(QPaintEvent* event);
    // The text of the last tabbed paste.
    const QString& pasted() const { return m_pasted; }

signals:
    // Text with tabs was pasted; nothing was inserted yet.
    void tabbedPaste(const QString& text);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void updateGutter(const QRect& rect, int dy);
    QWidget* m_gutter;
    QString m_pasted;
};
