#pragma once
// Backup and restore of the grade database, both inside the database folder.
//
// Both go through SQLite's online backup API on the open connection, never a
// file copy: a copy taken while the database is in use is then a consistent
// snapshot, and a restore replaces the whole content of the open database in
// one transaction, so that a failure at any point leaves it as it was.
//
// A backup never overwrites a file: a name that is taken gets a free name
// beside it ("备份1 (2)"). A restore checks its source before anything
// changes and first backs up the current database under a dated name.

#include <QString>
#include <QStringList>
#include <functional>

namespace Backup {

// Pages copied so far and pages in all. Returning false cancels a backup
// (a restore cannot be cancelled once its copy has begun).
using ProgressFn = std::function<bool(qint64 done, qint64 total)>;

struct Options {
    int pagesPerStep = 256;
    // How long to wait for another program that holds the database locked.
    int lockWaitMs = 10000;
};

// The entry of the restore list that stands for the blank template.
inline const QString kBlankDatabase = QStringLiteral("空白数据库");

// The file a typed name stands for in the database folder, used exactly as
// typed. Throws Db::InputError with a clear text for a name that is empty,
// holds a slash or a control character, is "." or "..", is too long for a
// file name, or names a journal file of the database engine.
QString pathForName(const QString& name);

// A name in the folder that no file has: the name itself, else
// "name (2)", "name (3)", ...
QString freeName(const QString& folder, const QString& name);

struct BackupResult {
    QString name; // the name written, which differs from the one asked for when that was taken
    QString path;
    bool renamed = false;
    bool cancelled = false; // nothing was written
};

// Copies the open database into a new file of the database folder.
// Throws Db::InputError for a bad name and Db::Error when the copy fails;
// a failed or cancelled copy leaves no file behind.
BackupResult backupDatabase(const QString& typedName, const ProgressFn& progress = {},
                            const Options& options = {});

// The source a restore entry stands for: the template for kBlankDatabase,
// else the typed name in the database folder. A link that leads out of the
// folder, or a partial copy, is refused (Db::InputError).
QString restoreSource(const QString& entry);

// Checks that a file is a sound grade database: it opens read-only, passes
// the integrity check and has every table of the schema with its columns.
// Throws Db::Error naming the problem in one Chinese line (the integrity
// check's own report follows it).
void checkSource(const QString& path);

struct RestoreResult {
    QString source;
    QString safetyName; // the automatic backup of the database as it was
    bool copied = false;
    QString failure; // why the copy failed (the database is as it was)
};

// Restores the open database from an entry of the restore list.
// Everything that can be checked is checked first: a bad name, a missing,
// empty, corrupt or foreign source, or a failed automatic backup throws
// Db::Error and nothing has changed. Once the copy has begun the result
// tells whether it landed; either way the open statements of the connection
// were reset, so the program must be started again.
RestoreResult restoreDatabase(const QString& entry, const ProgressFn& progress = {},
                              const Options& options = {});

// The files of the database folder a restore can start from, newest first:
// every file but the database itself, the template, journals, hidden files
// and links that lead out of the folder.
QStringList restoreCandidates();

// A backup is written to a hidden file named with this prefix and the
// writing program's process number, and renamed once it is whole.
inline const QString kPartialPrefix = QStringLiteral(".backup-");
// Removes the partial copies (and their journals) that programs which no
// longer run left in the database folder, such as a backup that was killed
// halfway; returns how many files went. A copy another running program is
// still writing is left alone.
int removeLeftovers();

} // namespace Backup
