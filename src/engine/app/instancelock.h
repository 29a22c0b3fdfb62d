#pragma once
// One copy of the program per database: a lock file beside the database,
// held for as long as the program runs. The operating system lets go of it
// when the program ends in any way, a crash or a kill included, so a lock is
// never left behind by a program that is gone.

#include <QString>

namespace Instance {

class Lock {
public:
    enum class State {
        Held,         // this program holds the database
        TakenByOther, // another running program holds it
        Unavailable,  // no lock file could be made (a read-only folder): not guarded
    };

    // Tries once, without waiting.
    explicit Lock(const QString& databaseFile);
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

    State state() const { return m_state; }
    // The process that holds the lock when it is taken (0 when unknown).
    qint64 holder() const { return m_holder; }
    // Why no lock file could be made.
    const QString& reason() const { return m_reason; }
    const QString& path() const { return m_path; }
    void release();

private:
    QString m_path;
    State m_state = State::Unavailable;
    qint64 m_holder = 0;
    QString m_reason;
    int m_fd = -1;
};

// The lock file of a database: a hidden file in the database's folder.
QString lockFileFor(const QString& databaseFile);

} // namespace Instance
