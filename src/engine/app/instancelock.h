#pragma once
// One copy of the program per database: a lock file beside the database,
// held for as long as the program runs. The operating system lets go of it
// when the program ends in any way, a crash or a kill included, so a lock is
// never left behind by a program that is gone.
//
// The lock file is only ever a regular file of the user's own: a link, a
// folder or any other kind of file in its place is never opened for writing
// (a link could lead to another file, which would be overwritten).

#include <QString>

namespace Instance {

class Lock {
public:
    enum class State {
        Held,           // this program holds the database
        TakenByOther,   // another running program holds it
        FolderReadOnly, // the folder cannot be written: nobody can change the database
        OddFile,        // a link, a folder or another odd file is in the lock file's place
        Unavailable,    // the lock cannot be taken (another user's file, no permission, ...)
    };

    // Tries once, without waiting.
    explicit Lock(const QString& databaseFile);
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

    State state() const { return m_state; }
    // The process that holds the lock when it is taken (0 when unknown).
    qint64 holder() const { return m_holder; }
    // The user whose lock file is in the way, when it is not ours.
    const QString& owner() const { return m_owner; }
    // Why the lock could not be taken (what the file is, or the system's reason).
    const QString& reason() const { return m_reason; }
    const QString& path() const { return m_path; }
    void release();

private:
    void inspect(int fd);
    // Why the lock file could not be opened (err is the open's errno).
    void notOpened(const QByteArray& path, int err);
    // Takes the lock on the file just opened, which it closes unless held;
    // false when the file was removed meanwhile and must be opened again.
    bool lockOpened(int fd, const QByteArray& path);
    QString m_path;
    State m_state = State::Unavailable;
    qint64 m_holder = 0;
    QString m_owner;
    QString m_reason;
    int m_fd = -1;
};

// The lock file of a database: a hidden file in the database's folder.
QString lockFileFor(const QString& databaseFile);

// What the program does with a database after trying its lock, and what it
// tells the user (empty when all is well).
struct Access {
    enum Kind { ReadWrite, ReadOnly, Refused };
    Kind kind = ReadWrite;
    QString message; // told once at start
    QString why;     // for a read-only opening: the short reason every refused write repeats
};
// A database is opened for writing only under a held lock in a folder and
// on a file that can be written; a database that cannot be changed anyway
// or whose lock cannot be taken opens read-only; a second program or an odd
// lock file does not open it at all.
Access accessFor(const Lock& lock, const QString& databaseFile);

} // namespace Instance
