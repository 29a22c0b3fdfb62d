#pragma once
// Every message box of the program goes through here. Tests install a
// Recorder that keeps the texts and answers the questions, so no test ever
// waits on a modal box.

#include <QList>
#include <QString>
#include <QStringList>
#include <exception>

class QWidget;

namespace Msg {

enum class Kind { Info, Warning, Error, Question, SaveFile, OpenFile };

struct Record {
    Kind kind;
    QString caption;
    QString text;
    // For a question: the answer its box gives when the user just presses
    // Enter. Every question of the program defaults to the answer that
    // changes nothing (否, 取消), but for actOrCancel.
    bool defaultYes = false;
};

class Recorder {
public:
    QList<Record> records;
    // Answers for the next questions, first one first; true is OK / Yes.
    // When the list runs out every question is answered true (not its
    // default, which the record keeps).
    QList<bool> answers;
    // Answers for the next save-file and open-file dialogs: the path chosen,
    // or empty for 取消. When the list runs out the dialog is cancelled. A
    // dialog is recorded with its caption and the path it proposed.
    QStringList files;
    // Long writes report their progress here instead of showing a window;
    // with cancelWrites the first report cancels the write, as 取消 would.
    bool cancelWrites = false;
    int progressReports = 0;

    QStringList texts() const;
    QString last() const { return records.isEmpty() ? QString() : records.last().text; }
    bool contains(const QString& text) const { return texts().contains(text); }
    void clear() { records.clear(); }
};

// nullptr restores the real message boxes.
void install(Recorder* recorder);
Recorder* recorder();

void info(const QString& text, const QString& caption = QString());
void warning(const QString& text, const QString& caption = QString());
void error(const QString& text, const QString& caption = QString());
// An OK / Cancel question, Cancel by default; true when the user chose OK.
bool okCancel(const QString& text, const QString& caption = QString());
// A Yes / No question, 否 by default; true for Yes.
bool yesNo(const QString& text, const QString& caption = QString());
// A question whose buttons say what they do: `act` (the default, what
// Enter chooses) and 取消. True when the user chose `act`. For the few
// questions where doing the thing is what the teacher almost always wants
// and cannot lose anything (替换 an examination saved before by its new result).
bool actOrCancel(const QString& text, const QString& act, const QString& caption = QString());
// A save-file dialog proposing a path; the path chosen, or empty when cancelled.
QString saveFileName(const QString& caption, const QString& proposed, const QString& filter);
// An open-file dialog starting in a folder; the file chosen, or empty when cancelled.
QString openFileName(const QString& caption, const QString& folder, const QString& filter);

// The error boundary of one handler: a data-layer error or bad input ends the
// action and is shown with its text; the program goes on.
void showException(std::exception_ptr e);
template <class F>
bool guard(F&& action)
{
    try {
        action();
        return true;
    } catch (...) {
        showException(std::current_exception());
        return false;
    }
}

} // namespace Msg
