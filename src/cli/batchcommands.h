#pragma once
// The batch tool's subcommands over the same library calls as the windows.
// Arguments are read and checked completely before the database is opened,
// and every change is one transaction, so an error never leaves half a job.

#include "cli/batchcsv.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <exception>

namespace Batch {

// A command line that cannot be carried out as written (exit code 2).
class UsageError : public std::exception {
public:
    explicit UsageError(QString text) : m_text(std::move(text)), m_utf8(m_text.toUtf8()) {}
    const QString& text() const { return m_text; }
    const char* what() const noexcept override { return m_utf8.constData(); }
private:
    QString m_text;
    QByteArray m_utf8;
};

struct Invocation {
    QString command;                // init, import, rank, analyze, bands, save, export
    QStringList positional;         // the CSV file, the save kind, the exported table
    QMap<QString, QString> options; // by name without the leading dashes
    bool help = false;
};

// Splits and checks a command line (without the program name): the command,
// its options (--name value or --name=value, each at most once, only the
// ones the command knows) and its positional arguments.
Invocation parseArguments(const QStringList& args);

// What `export --out` writes, by the file's extension: the stored values as
// CSV, the windows' workbook, or the windows' printed pages as a PDF (which
// needs fonts: the tool then runs a GUI application on the offscreen platform).
enum class OutputKind { Csv, Workbook, Pdf };
OutputKind outputKind(const Invocation& inv);

// The text of --help.
QString helpText();

// The database file when --db is not given: the program's own database.
QString defaultDatabase();

// A whole number given to an option, within bounds; a UsageError naming the
// option otherwise.
qint64 integerOption(const QString& option, const QString& text, qint64 low, qint64 high);

struct Outcome {
    QString summary;            // one line: what was done (the caller adds the time)
    bool summaryToStderr = false; // the data itself went to standard output
};

// Carries out one checked invocation. Throws UsageError for arguments that
// do not make sense and Db::Error for everything else; nothing is changed
// in either case.
Outcome run(const Invocation& inv);

} // namespace Batch
