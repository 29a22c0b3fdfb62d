#pragma once
// The data source "Q7305" declared in the user's unixODBC data-source file
// (the file named by ODBCINI, else ~/.odbc.ini), rewritten at every start.
// Every line of that file outside the program's own lines is kept byte for
// byte: its encoding, its line ends and its other sections stay as they were.

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace DataSource {

QString iniPath();

// The three steps of the declaration, each rewriting its own section.
// NotUtf8: the file is not UTF-8 (a GBK file, say) and the program's lines
// would hold characters it cannot write in that file's encoding: nothing was
// written, and the user is to be told. NotUtf8Again: the same file was left
// untouched before and the user was told then.
enum class Step { Done, SourceList, Source, Engine, NotUtf8, NotUtf8Again };

// Declares the data source for the database file. A failing step ends the
// declaration and is returned (the later steps are skipped); Done when all
// three were written.
Step declare(const QString& databaseFile);

// The message for a file left untouched (Step::NotUtf8).
QString notUtf8Message();

// A small INI editor that keeps every line it does not change, byte for
// byte with its own line end; new lines take the line end most of the file
// uses. Sections and keys are matched without regard to case.
class IniFile {
public:
    bool load(const QString& path); // a missing file is an empty one
    // Writes the file through a temporary name (following a link to its
    // file); a file whose bytes did not change is not written again.
    bool save(const QString& path) const;
    void setValues(const QString& section, const QList<QPair<QString, QString>>& values);
    QString value(const QString& section, const QString& key) const;
    QStringList sections() const;
    QByteArray bytes() const;
    // The file as read is UTF-8 (or plain ASCII, or empty).
    bool isUtf8() const { return m_utf8; }

private:
    struct Line {
        QByteArray text;
        QByteArray end; // "\n", "\r\n", or nothing on a last line without an end
    };
    int sectionStart(const QString& section) const;
    int sectionEnd(int start) const;
    QList<Line> m_lines;
    QByteArray m_eol = "\n";
    QByteArray m_loaded;
    bool m_utf8 = true;
};

} // namespace DataSource
