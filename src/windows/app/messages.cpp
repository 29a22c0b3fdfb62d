#include "windows/app/messages.h"

#include "engine/db/database.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace Msg {

static Recorder*& current()
{
    static Recorder* r = nullptr;
    return r;
}

QStringList Recorder::texts() const
{
    QStringList out;
    for (const Record& r : records)
        out << r.text;
    return out;
}

void install(Recorder* recorder)
{
    current() = recorder;
}

Recorder* recorder()
{
    return current();
}

static QWidget* owner()
{
    return QApplication::activeWindow();
}

static QString captionOr(const QString& caption, const QString& fallback)
{
    return caption.isEmpty() ? fallback : caption;
}

static bool show(Kind kind, const QString& text, const QString& caption)
{
    if (Recorder* r = current()) {
        r->records.append({kind, caption, text});
        if (kind != Kind::Question)
            return true;
        return r->answers.isEmpty() ? true : r->answers.takeFirst();
    }
    switch (kind) {
    case Kind::Info:
        QMessageBox::information(owner(), captionOr(caption, "提示"), text);
        return true;
    case Kind::Warning:
        QMessageBox::warning(owner(), captionOr(caption, "提示"), text);
        return true;
    case Kind::Error:
        QMessageBox::critical(owner(), captionOr(caption, "错误"), text);
        return true;
    case Kind::Question:
    case Kind::SaveFile:
    case Kind::OpenFile:
        break;
    }
    return false;
}

void info(const QString& text, const QString& caption)
{
    show(Kind::Info, text, caption);
}

void warning(const QString& text, const QString& caption)
{
    show(Kind::Warning, text, caption);
}

void error(const QString& text, const QString& caption)
{
    show(Kind::Error, text, caption);
}

bool okCancel(const QString& text, const QString& caption)
{
    if (current())
        return show(Kind::Question, text, caption);
    return QMessageBox::question(owner(), captionOr(caption, "请确认"), text,
                                 QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel)
        == QMessageBox::Ok;
}

bool yesNo(const QString& text, const QString& caption)
{
    if (current())
        return show(Kind::Question, text, caption);
    return QMessageBox::question(owner(), captionOr(caption, "请确认"), text,
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
        == QMessageBox::Yes;
}

bool actOrCancel(const QString& text, const QString& act, const QString& caption)
{
    if (Recorder* r = current()) {
        r->records.append({Kind::Question, caption, text, true});
        return r->answers.isEmpty() ? true : r->answers.takeFirst();
    }
    QMessageBox box(QMessageBox::Question, captionOr(caption, "请确认"), text, QMessageBox::NoButton, owner());
    QPushButton* yes = box.addButton(act, QMessageBox::AcceptRole);
    box.addButton(QStringLiteral("取消"), QMessageBox::RejectRole);
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == yes;
}

QString saveFileName(const QString& caption, const QString& proposed, const QString& filter)
{
    if (Recorder* r = current()) {
        r->records.append({Kind::SaveFile, caption, proposed});
        return r->files.isEmpty() ? QString() : r->files.takeFirst();
    }
    return QFileDialog::getSaveFileName(owner(), caption, proposed, filter);
}

QString openFileName(const QString& caption, const QString& folder, const QString& filter)
{
    if (Recorder* r = current()) {
        r->records.append({Kind::OpenFile, caption, folder});
        return r->files.isEmpty() ? QString() : r->files.takeFirst();
    }
    return QFileDialog::getOpenFileName(owner(), caption, folder, filter);
}

void showException(std::exception_ptr e)
{
    try {
        std::rethrow_exception(e);
    } catch (const Db::InputError& err) {
        warning(err.text());
    } catch (const Db::Error& err) {
        error(err.text());
    } catch (const std::exception& err) {
        error(QString::fromUtf8(err.what()));
    } catch (...) {
        error(QStringLiteral("发生未知错误"));
    }
}

} // namespace Msg
