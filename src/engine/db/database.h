#pragma once
// The one database connection of the program and the checked ways into it.
// Table and column names given at run time are looked up in the file's own
// catalogue before they reach SQL; values always travel as bound parameters.

#include "engine/app/filestate.h"
#include "engine/error.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <exception>
#include <functional>

namespace Db {

inline constexpr const char* kConnectionName = "xkc";

// How long a writer waits for another program's write to end before it gives
// up with a clear message. Applies to the open connection and later opens;
// tests shorten it.
inline constexpr int kDefaultBusyTimeoutMs = 5000;
void setBusyTimeout(int ms);
int busyTimeout();

// The user's message for a failure SQLite reported on a database file (code:
// SQLite's result code): what happened and what to do, in Chinese, naming the
// file, with SQLite's own words after it.
QString failureText(int code, const QString& sqliteText, const QString& file, const Files::FileState& state);
// The same for a failure on the open connection's file.
QString failureText(const QSqlError& error);

// Opens the shared connection to an existing grade database. A missing file is
// an error: the driver would otherwise create an empty database in its place.
// A folder, a damaged file or a database without the grade tables is refused
// with a message saying so.
void open(const QString& file);
// Opens it for reading only (a folder that cannot be written, a lock that
// cannot be taken): every write is refused with readOnlyText(), which gives
// `why` as the reason.
void openReadOnly(const QString& file, const QString& why);
void close();
bool isOpen();
bool isReadOnly();
QString readOnlyText();
QString fileName();
QSqlDatabase connection();

// What tells a reader that the data may have changed since it read it:
// other programs' commits (SQLite's data_version) and the rows this
// program's own connection has written since it opened, whichever window or
// run wrote them.
struct ChangeMark {
    qint64 others = -1;
    qint64 own = -1;
    bool operator==(const ChangeMark&) const = default;
};
ChangeMark changeMark();

// The file's own tables and their columns in stored order.
bool hasTable(const QString& table);
QStringList columns(const QString& table);
bool hasColumn(const QString& table, const QString& column);
bool isNumericColumn(const QString& table, const QString& column);
// Throw a clear Error when the name is unknown; return the name quoted for SQL.
QString table(const QString& name);
QString column(const QString& table, const QString& name);
QString quote(const QString& identifier);

// Prepared statements that throw Error with the driver's text on failure.
QSqlQuery prepare(const QString& sql);
void exec(QSqlQuery& query, const QVariantList& binds = {});
void exec(const QString& sql, const QVariantList& binds = {});
QList<QVariantList> selectRows(const QString& sql, const QVariantList& binds = {});
QVariant selectValue(const QString& sql, const QVariantList& binds = {});
qint64 rowCount(const QString& table);
// Steps a query on to its next row; false at the end. A row that cannot be
// read (a damaged page) throws rather than ending the rows early.
bool next(QSqlQuery& query);

// One unit of work: everything it wrote is rolled back unless commit() is reached.
// The outermost one takes the write lock before anything is read (BEGIN
// IMMEDIATE), so what it writes was computed from what no other writer could
// change in between; when another program holds the lock it waits up to the
// busy timeout. Nested ones are savepoints.
class Transaction {
public:
    Transaction();
    ~Transaction();
    void commit();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
private:
    bool m_done = false;
    int m_level = 0;
};

// Runs work inside one transaction: all of it lands, or none of it.
void inTransaction(const std::function<void()>& work);

// The local date and time as it is stamped on saved rows.
QString now();
// The clock behind now(): tests set a fixed one; an empty function restores
// the system clock.
void setClock(std::function<QDateTime()> clock);

} // namespace Db
