#pragma once
// Base of every window but the main one: a top-level window that is built
// once, hidden when closed, and runs FormShow each time it becomes visible.

#include "windows/app/messages.h"

#include <QColor>
#include <QWidget>
#include <type_traits>

class QLabel;
class QLineEdit;
class QPushButton;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QTableView;

class Form : public QWidget {
    Q_OBJECT
public:
    explicit Form(const QString& caption, QWidget* parent = nullptr);
    // Centre on the desktop the first time the window is shown.
    void setCentred(bool centred) { m_centre = centred; }
    void setBackground(const QColor& colour);
    // The window's on-create step, run once by start-up right after building it.
    virtual void FormCreate() {}

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    virtual void FormShow() {}
    virtual void FormClose() {}
    virtual void FormHide() {}

private:
    bool m_centre = true;
    bool m_placed = false;
};

// Small builders shared by the windows.
namespace Ui {
// Connects a control's signal to a window's handler through the program's one
// error boundary: a data-layer error or bad input raised anywhere in the
// handler ends the action and is shown with its text; the program goes on.
// The handler is a member function of the receiver or a callable; signal
// arguments are not passed on (handlers read their controls).
template <class Sender, class Signal, class Receiver, class Handler>
QMetaObject::Connection connectHandler(Sender* sender, Signal signal, Receiver* receiver, Handler handler)
{
    return QObject::connect(sender, signal, receiver, [receiver, handler] {
        Msg::guard([&] {
            if constexpr (std::is_member_function_pointer_v<Handler>)
                (receiver->*handler)();
            else
                handler();
        });
    });
}

QLabel* label(const QString& text, QWidget* parent, const QString& name = QString());
QLineEdit* edit(const QString& text, QWidget* parent, const QString& name);
QPushButton* button(const QString& text, QWidget* parent, const QString& name);
QCheckBox* check(const QString& text, bool checked, QWidget* parent, const QString& name);
// A combo box the teacher may also type into; typing adds no item to its list.
QComboBox* editableCombo(QWidget* parent, const QString& name, int minimumWidth);
// A framed panel that groups a line or block of controls.
QFrame* panel(QWidget* parent, const QString& name);
void setColour(QWidget* w, const QColor& colour);
// Elapsed time the way a clock shows a time of day: 0:00:03.
QString clockText(qint64 ms);
// Integer typed into a field; a clear message names the field when it is not one.
qint64 intOf(const QLineEdit* field, const QString& fieldName);
// Column widths as minimums: each column of the view gets at least its given
// width, widened to fit its title and its widest value so that a student
// number or a name is never cut. A width of 0 hides the column; columns past
// the list keep `others` as their minimum (or their present width when
// `others` is negative).
void fitColumns(QTableView* view, const QList<int>& widths, int others = -1);
// The standard colours the windows use.
inline const QColor kSkyBlue{166, 202, 240};
inline const QColor kMoneyGreen{192, 220, 192};
inline const QColor kCream{255, 251, 240};
inline const QColor kSilver{192, 192, 192};
inline const QColor kNavy{0, 0, 128};
inline const QColor kTeal{0, 128, 128};
} // namespace Ui
