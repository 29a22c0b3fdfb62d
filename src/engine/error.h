#pragma once
// The engine's one error type: every failure the user is told of carries its
// message in Chinese, ready to show. Kept apart from the data layer so that
// file and path code can report failures without knowing about databases.

#include <QByteArray>
#include <QString>
#include <exception>

namespace Db {

// Every failure of the data layer: the text is what the user is shown.
class Error : public std::exception {
public:
    explicit Error(QString text) : m_text(std::move(text)), m_utf8(m_text.toUtf8()) {}
    const QString& text() const { return m_text; }
    const char* what() const noexcept override { return m_utf8.constData(); }
private:
    QString m_text;
    QByteArray m_utf8;
};

// Bad input typed by the user (a class number that is not a number, ...):
// shown as a warning, and the action stops before anything is written.
class InputError : public Error {
public:
    using Error::Error;
};

} // namespace Db
