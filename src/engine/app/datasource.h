#pragma once
// The data source "Q7305" declared in the user's unixODBC data-source file
// (the file named by ODBCINI, else ~/.odbc.ini), rewritten at every start.
// Sections of that file that belong to other data sources are kept as they are.

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

namespace DataSource {

QString iniPath();

// The three steps of the declaration, each rewriting its own section.
enum class Step { Done, SourceList, Source, Engine };

// Declares the data source for the database file. A failing step ends the
// declaration and is returned (the later steps are skipped); Done when all
// three were written.
Step declare(const QString& databaseFile);

// A small INI editor that keeps every line it does not change.
class IniFile {
public:
    bool load(const QString& path); // a missing file is an empty one
    bool save(const QString& path) const;
    void setValues(const QString& section, const QList<QPair<QString, QString>>& values);
    QString value(const QString& section, const QString& key) const;
    QStringList sections() const;
    QString text() const { return m_lines.join('\n') + '\n'; }

private:
    int sectionStart(const QString& section) const;
    int sectionEnd(int start) const;
    QStringList m_lines;
};

} // namespace DataSource
