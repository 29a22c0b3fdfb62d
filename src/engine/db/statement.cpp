#include "engine/db/statement.h"

#include "engine/db/database.h"

#include <QSet>
#include <QSqlDriver>
#include <sqlite3.h>

namespace Db {

struct StatementRegistry {
    static QSet<Statement*>& live()
    {
        static QSet<Statement*> s;
        return s;
    }
    static void finalize(Statement* s)
    {
        if (s->m_stmt)
            sqlite3_finalize(s->m_stmt);
        s->m_stmt = nullptr;
        s->m_db = nullptr;
    }
};

sqlite3* handle()
{
    const QVariant v = connection().driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        throw Error(QStringLiteral("数据库驱动不是 SQLite，无法直接读写"));
    sqlite3* h = *static_cast<sqlite3* const*>(v.constData());
    if (!h)
        throw Error(QStringLiteral("数据库没有打开"));
    return h;
}

Statement::Statement(const QString& sql) : m_db(handle()), m_sql(sql)
{
    const QByteArray text = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(m_db, text.constData(), int(text.size()), &m_stmt, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        fail(rc);
    }
    StatementRegistry::live().insert(this);
}

Statement::~Statement()
{
    StatementRegistry::live().remove(this);
    StatementRegistry::finalize(this);
}

void Statement::finalizeAll()
{
    for (Statement* s : StatementRegistry::live())
        StatementRegistry::finalize(s);
    StatementRegistry::live().clear();
}

void Statement::fail(int rc) const
{
    // The extended code of the connection tells a full disk from a busy
    // file; a statement that never prepared has only rc.
    const int code = m_db ? sqlite3_extended_errcode(m_db) : rc;
    const QString text = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(rc));
    const QString file = fileName();
    if (file.isEmpty())
        throw Error(QStringLiteral("数据库错误：%1").arg(text));
    throw Error(failureText(code, text, file, Files::fileState(file)));
}

void Statement::checkBind(int rc) const
{
    if (rc != SQLITE_OK)
        fail(rc);
}

void Statement::bind(int index, qint64 value)
{
    checkBind(m_stmt ? sqlite3_bind_int64(m_stmt, index + 1, value) : SQLITE_MISUSE);
}

void Statement::bind(int index, double value)
{
    checkBind(m_stmt ? sqlite3_bind_double(m_stmt, index + 1, value) : SQLITE_MISUSE);
}

void Statement::bind(int index, const QString& value)
{
    if (!m_stmt)
        fail(SQLITE_MISUSE);
    // Qt SQL binds a null QString (an empty quoted CSV field, say) as NULL
    // and an empty one as ''; the stored tables stay as they were.
    if (value.isNull()) {
        bindNull(index);
        return;
    }
    checkBind(sqlite3_bind_text16(m_stmt, index + 1, value.utf16(), int(value.size() * sizeof(char16_t)),
                                  SQLITE_TRANSIENT));
}

void Statement::bindNull(int index)
{
    checkBind(m_stmt ? sqlite3_bind_null(m_stmt, index + 1) : SQLITE_MISUSE);
}

bool Statement::step()
{
    if (!m_stmt)
        fail(SQLITE_MISUSE);
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    // Reset at once: a failed write leaves nothing pending that would stand
    // in the way of the rollback.
    sqlite3_reset(m_stmt);
    fail(rc);
}

void Statement::run()
{
    while (step()) {
    }
    reset();
}

void Statement::reset()
{
    if (m_stmt)
        sqlite3_reset(m_stmt);
}

Statement::Type Statement::type(int column) const
{
    return Type(sqlite3_column_type(m_stmt, column));
}

qint64 Statement::integer(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

double Statement::real(int column) const
{
    return sqlite3_column_double(m_stmt, column);
}

QString Statement::text(int column) const
{
    const void* p = sqlite3_column_text16(m_stmt, column);
    const int bytes = sqlite3_column_bytes16(m_stmt, column);
    return p ? QString(static_cast<const QChar*>(p), bytes / int(sizeof(QChar))) : QString();
}

QVariant Statement::value(int column) const
{
    switch (type(column)) {
    case Integer:
        return QVariant(integer(column));
    case Real:
        return QVariant(real(column));
    case Text:
        return QVariant(text(column));
    case Blob: {
        const void* p = sqlite3_column_blob(m_stmt, column);
        return QVariant(QByteArray(static_cast<const char*>(p), sqlite3_column_bytes(m_stmt, column)));
    }
    case Null:
    default:
        return QVariant();
    }
}

qint64 Statement::changes() const
{
    return m_db ? sqlite3_changes64(m_db) : 0;
}

} // namespace Db
