#pragma once
// Bulk reads and writes straight through SQLite on the program's one
// connection, inside whatever transaction is open on it. Binding a value
// through Qt SQL costs more than SQLite's own work for a row; the runs, the
// import and the grade save touch millions of values, so they use this, and
// everything else keeps the Qt SQL calls of database.h.
//
// Every failure becomes Db::Error with the same Chinese message the Qt path
// gives, so a failed step unwinds into the transaction's rollback as before.
// A statement still alive when the connection closes is finalized first.

#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

namespace Db {

// The open connection's own SQLite handle.
sqlite3* handle();

class Statement {
public:
    // Value kinds as SQLite stores them.
    enum Type { Integer = 1, Real = 2, Text = 3, Blob = 4, Null = 5 };

    explicit Statement(const QString& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Parameters count from 0, in the order of the ?s. A null QString binds
    // NULL, as Qt SQL binds it.
    void bind(int index, qint64 value);
    void bind(int index, int value) { bind(index, qint64(value)); }
    void bind(int index, double value);
    void bind(int index, const QString& value);
    void bindNull(int index);

    // The next result row: false when there is none. A row that cannot be
    // read throws rather than ending the rows early.
    bool step();
    // Steps to the end (a write) and makes the statement ready for new values.
    void run();
    void reset();

    // Columns of the current row, from 0.
    Type type(int column) const;
    qint64 integer(int column) const;
    double real(int column) const;
    QString text(int column) const;
    // The value as Qt SQL would read it (qint64, double, QString, QByteArray
    // or a null QVariant).
    QVariant value(int column) const;

    // Rows written by the last run().
    qint64 changes() const;

    // Finalizes every statement still alive; the connection closes next.
    static void finalizeAll();

private:
    [[noreturn]] void fail(int rc) const;
    void checkBind(int rc) const;

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
    QString m_sql;
    friend struct StatementRegistry;
};

} // namespace Db
