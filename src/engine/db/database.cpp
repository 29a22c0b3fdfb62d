#include "engine/db/database.h"
#include "engine/db/indexes.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSqlError>
#include <QSqlRecord>

namespace Db {

namespace {
int& transactionDepth();

struct ColumnInfo {
    QString name;
    bool numeric = false;
};

struct Catalogue {
    QHash<QString, QList<ColumnInfo>> tables;
    bool loaded = false;
};

Catalogue& catalogue()
{
    static Catalogue c;
    return c;
}

QString driverText(const QSqlError& e)
{
    QString t = e.databaseText();
    if (t.isEmpty())
        t = e.text();
    return t;
}

void loadCatalogue()
{
    Catalogue& c = catalogue();
    if (c.loaded)
        return;
    c.tables.clear();
    QSqlQuery names(connection());
    if (!names.exec("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%'"))
        throw Error(QStringLiteral("读取数据库结构失败：%1").arg(driverText(names.lastError())));
    QStringList list;
    while (names.next())
        list << names.value(0).toString();
    for (const QString& t : list) {
        QSqlQuery info(connection());
        if (!info.exec(QStringLiteral("PRAGMA table_info(%1)").arg(quote(t))))
            throw Error(QStringLiteral("读取数据库结构失败：%1").arg(driverText(info.lastError())));
        QList<ColumnInfo> cols;
        while (info.next()) {
            const QString type = info.value(2).toString().toUpper();
            cols.append({info.value(1).toString(),
                         type.contains("INT") || type.contains("NUM") || type.contains("REAL")
                             || type.contains("DOUB") || type.contains("FLOA")});
        }
        c.tables.insert(t, cols);
    }
    c.loaded = true;
}

const QList<ColumnInfo>& tableInfo(const QString& name)
{
    loadCatalogue();
    auto it = catalogue().tables.constFind(name);
    if (it == catalogue().tables.constEnd())
        throw Error(QStringLiteral("数据库中没有名为“%1”的表").arg(name));
    return *it;
}

} // namespace

void open(const QString& file)
{
    close();
    const QFileInfo fi(file);
    if (!fi.exists() || !fi.isFile())
        throw Error(QStringLiteral("找不到数据库文件：%1").arg(QDir::toNativeSeparators(file)));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", kConnectionName);
        db.setDatabaseName(fi.absoluteFilePath());
        if (!db.open()) {
            const QString text = driverText(db.lastError());
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(kConnectionName);
            throw Error(QStringLiteral("无法打开数据库 %1：%2").arg(file, text));
        }
    }
    // A file that is not a grade database (or not a database at all) is
    // refused here rather than on the first table a window opens.
    try {
        catalogue().loaded = false;
        loadCatalogue();
        if (!catalogue().tables.contains("check") || !catalogue().tables.contains("cj"))
            throw Error(QStringLiteral("%1 不是成绩数据库").arg(file));
        // A whole grade's tables fit in the page cache, so the runs' writes do
        // not spill to disk before their commit.
        exec("PRAGMA cache_size = -65536");
        addQueryIndexes();
    } catch (...) {
        close();
        throw;
    }
}

void close()
{
    transactionDepth() = 0;
    catalogue().loaded = false;
    catalogue().tables.clear();
    if (QSqlDatabase::contains(kConnectionName)) {
        {
            QSqlDatabase db = QSqlDatabase::database(kConnectionName, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(kConnectionName);
    }
}

bool isOpen()
{
    return QSqlDatabase::contains(kConnectionName)
        && QSqlDatabase::database(kConnectionName, false).isOpen();
}

QString fileName()
{
    return isOpen() ? QSqlDatabase::database(kConnectionName, false).databaseName() : QString();
}

QSqlDatabase connection()
{
    if (!isOpen())
        throw Error(QStringLiteral("数据库没有打开"));
    return QSqlDatabase::database(kConnectionName, false);
}

bool hasTable(const QString& name)
{
    loadCatalogue();
    return catalogue().tables.contains(name);
}

QStringList columns(const QString& name)
{
    QStringList out;
    for (const ColumnInfo& c : tableInfo(name))
        out << c.name;
    return out;
}

bool hasColumn(const QString& name, const QString& col)
{
    if (!hasTable(name))
        return false;
    for (const ColumnInfo& c : tableInfo(name))
        if (c.name == col)
            return true;
    return false;
}

bool isNumericColumn(const QString& name, const QString& col)
{
    for (const ColumnInfo& c : tableInfo(name))
        if (c.name == col)
            return c.numeric;
    return false;
}

QString table(const QString& name)
{
    tableInfo(name);
    return quote(name);
}

QString column(const QString& tableName, const QString& name)
{
    if (!hasColumn(tableName, name)) {
        tableInfo(tableName);
        throw Error(QStringLiteral("表“%1”中没有名为“%2”的列").arg(tableName, name));
    }
    return quote(name);
}

QString quote(const QString& identifier)
{
    QString s = identifier;
    s.replace('"', "\"\"");
    return '"' + s + '"';
}

QSqlQuery prepare(const QString& sql)
{
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        throw Error(QStringLiteral("数据库错误：%1").arg(driverText(q.lastError())));
    return q;
}

void exec(QSqlQuery& query, const QVariantList& binds)
{
    for (int i = 0; i < binds.size(); ++i)
        query.bindValue(i, binds.at(i));
    if (!query.exec())
        throw Error(QStringLiteral("数据库错误：%1").arg(driverText(query.lastError())));
}

void exec(const QString& sql, const QVariantList& binds)
{
    QSqlQuery q = prepare(sql);
    exec(q, binds);
}

QList<QVariantList> selectRows(const QString& sql, const QVariantList& binds)
{
    QSqlQuery q = prepare(sql);
    exec(q, binds);
    QList<QVariantList> rows;
    const int n = q.record().count();
    while (q.next()) {
        QVariantList row;
        row.reserve(n);
        for (int i = 0; i < n; ++i)
            row << q.value(i);
        rows << row;
    }
    return rows;
}

QVariant selectValue(const QString& sql, const QVariantList& binds)
{
    QSqlQuery q = prepare(sql);
    exec(q, binds);
    return q.next() ? q.value(0) : QVariant();
}

qint64 rowCount(const QString& name)
{
    return selectValue(QStringLiteral("SELECT count(*) FROM %1").arg(table(name))).toLongLong();
}

namespace {
int& transactionDepth()
{
    static int depth = 0;
    return depth;
}
} // namespace

// Nested units become savepoints, so a helper that needs its own unit of work
// can be called from inside a larger one.
Transaction::Transaction()
{
    int& depth = transactionDepth();
    if (depth == 0) {
        if (!connection().transaction())
            throw Error(QStringLiteral("无法开始事务：%1").arg(driverText(connection().lastError())));
    } else {
        exec(QStringLiteral("SAVEPOINT sp%1").arg(depth));
    }
    m_level = depth++;
}

Transaction::~Transaction()
{
    if (m_done)
        return;
    transactionDepth() = m_level;
    if (!isOpen())
        return;
    if (m_level == 0) {
        connection().rollback();
    } else {
        QSqlQuery q(connection());
        q.exec(QStringLiteral("ROLLBACK TO sp%1").arg(m_level));
        q.exec(QStringLiteral("RELEASE sp%1").arg(m_level));
    }
}

void Transaction::commit()
{
    if (m_level == 0) {
        if (!connection().commit())
            throw Error(QStringLiteral("保存失败：%1").arg(driverText(connection().lastError())));
    } else {
        exec(QStringLiteral("RELEASE sp%1").arg(m_level));
    }
    transactionDepth() = m_level;
    m_done = true;
}

void inTransaction(const std::function<void()>& work)
{
    Transaction t;
    work();
    t.commit();
}

namespace {
std::function<QDateTime()>& clock()
{
    static std::function<QDateTime()> c;
    return c;
}
} // namespace

void setClock(std::function<QDateTime()> c)
{
    clock() = std::move(c);
}

QString now()
{
    const QDateTime t = clock() ? clock()() : QDateTime::currentDateTime();
    return t.toString("yyyy-MM-dd HH:mm:ss");
}

} // namespace Db
