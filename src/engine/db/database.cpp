#include "engine/db/database.h"
#include "engine/db/indexes.h"
#include "engine/db/statement.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSqlError>
#include <QSqlRecord>
#include <sqlite3.h>
#include <unistd.h>

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


// Why the open connection is read-only; empty when it may write.
QString& readOnlyWhy()
{
    static QString why;
    return why;
}

int& busyTimeoutMs()
{
    static int ms = kDefaultBusyTimeoutMs;
    return ms;
}

// SQLite's primary result codes the messages tell apart.
enum SqliteCode {
    kBusy = 5,
    kLocked = 6,
    kReadOnly = 8,
    kIoError = 10,
    kCorrupt = 11,
    kFull = 13,
    kCantOpen = 14,
    kNotADatabase = 26,
};

QString shown(const QString& file)
{
    return QDir::toNativeSeparators(file);
}

QString seconds(int ms)
{
    return QString::number(double(ms) / 1000.0, 'g', 3);
}

void loadCatalogue()
{
    Catalogue& c = catalogue();
    if (c.loaded)
        return;
    c.tables.clear();
    QSqlQuery names(connection());
    if (!names.exec("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite_%'"))
        throw Error(failureText(names.lastError()));
    QStringList list;
    while (next(names))
        list << names.value(0).toString();
    for (const QString& t : list) {
        QSqlQuery info(connection());
        if (!info.exec(QStringLiteral("PRAGMA table_info(%1)").arg(quote(t))))
            throw Error(failureText(info.lastError()));
        QList<ColumnInfo> cols;
        while (next(info)) {
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


// One switch over SQLite's result codes: the messages read best side by side.
QString failureText(int code, const QString& sqliteText, const QString& file, const Files::FileState& st)
{
    const QString f = shown(file);
    const QString folder = shown(QFileInfo(file).absolutePath());
    const QString readOnlyFile =
        QStringLiteral("数据库文件“%1”是只读的，不能写入。请去掉这个文件的只读属性（或让当前用户有写入权限），"
                       "或者把它复制到可以写入的文件夹后再打开。")
            .arg(f);
    const QString readOnlyFolder =
        QStringLiteral("数据库文件所在的文件夹“%1”不能写入：每次写入数据库都要在同一个文件夹里建一个临时的日志文件。"
                       "请让这个文件夹可以写入，或者把数据库文件复制到可以写入的文件夹后再打开。")
            .arg(folder);
    QString text;
    switch (code & 0xFF) {
    case kBusy:
    case kLocked:
        text = QStringLiteral("数据库文件“%1”正被另一个程序使用（例如另一个成绩册窗口或批处理工具正在写入），"
                              "等了%2秒仍没有让出。请等它做完或把它关闭后再试；这次的操作没有做。")
                   .arg(f, seconds(busyTimeoutMs()));
        break;
    case kReadOnly:
        if (!readOnlyWhy().isEmpty())
            text = readOnlyText();
        else if (!st.fileWritable)
            text = readOnlyFile;
        else if (!st.folderWritable)
            text = readOnlyFolder;
        else
            text = QStringLiteral("数据库文件“%1”现在只能读、不能写（文件或所在文件夹没有写入权限，或者磁盘是只读的）。"
                                  "请检查权限后重新打开程序再试。")
                       .arg(f);
        break;
    case kFull:
        text = QStringLiteral("磁盘已满，数据库文件“%1”写不进去。请在这个磁盘上腾出空间后再试；这次的改动没有保存。")
                   .arg(f);
        break;
    case kCorrupt:
    case kNotADatabase:
        text = QStringLiteral("数据库文件已损坏：“%1”无法正常读取。请不要再往里写入，先把这个文件复制一份留底，"
                              "然后在“数据库系统操作 → 还原数据库”中从备份还原。")
                   .arg(f);
        break;
    case kCantOpen:
        if (st.isFolder)
            text = QStringLiteral("“%1”是一个文件夹，不是数据库文件。请选择文件夹里的数据库文件（如 Q7305.mdb）。").arg(f);
        else if (!st.exists)
            text = QStringLiteral("找不到数据库文件“%1”。").arg(f);
        else if (!st.folderWritable)
            text = readOnlyFolder;
        else if (!st.fileWritable)
            text = readOnlyFile;
        else
            text = QStringLiteral("无法打开数据库文件“%1”。请检查这个文件和所在文件夹的权限。").arg(f);
        break;
    case kIoError:
        if (!st.folderWritable)
            text = readOnlyFolder;
        else
            text = QStringLiteral("读写数据库文件“%1”时出错（磁盘或存储设备可能有故障，或已被拔出）。"
                                  "请检查磁盘后再试；这次的改动没有保存。")
                       .arg(f);
        break;
    default:
        return QStringLiteral("数据库错误：%1").arg(sqliteText);
    }
    return text + QStringLiteral("（SQLite：%1）").arg(sqliteText);
}

QString failureText(const QSqlError& error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    const QString file = fileName();
    if (!ok || file.isEmpty())
        return QStringLiteral("数据库错误：%1").arg(driverText(error));
    return failureText(code, driverText(error), file, Files::fileState(file));
}

void setBusyTimeout(int ms)
{
    busyTimeoutMs() = ms;
    if (isOpen()) {
        QSqlQuery q(connection());
        q.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(ms));
    }
}

int busyTimeout()
{
    return busyTimeoutMs();
}

namespace {

void openConnection(const QString& file, bool readOnly)
{
    close();
    const QFileInfo fi(file);
    if (fi.isDir())
        throw Error(QStringLiteral("“%1”是一个文件夹，不是数据库文件。请选择文件夹里的数据库文件（如 Q7305.mdb）。")
                        .arg(shown(file)));
    if (!fi.exists() || !fi.isFile())
        throw Error(QStringLiteral("找不到数据库文件：%1").arg(shown(file)));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", kConnectionName);
        db.setDatabaseName(fi.absoluteFilePath());
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs())
                             + (readOnly ? QStringLiteral(";QSQLITE_OPEN_READONLY") : QString()));
        if (!db.open()) {
            const QSqlError e = db.lastError();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(kConnectionName);
            throw Error(failureText(e.nativeErrorCode().toInt(), driverText(e), fi.absoluteFilePath(),
                                    Files::fileState(fi.absoluteFilePath())));
        }
    }
    // A file that is not a grade database (or not a database at all) is
    // refused here rather than on the first table a window opens.
    try {
        catalogue().loaded = false;
        loadCatalogue();
        if (!catalogue().tables.contains("check") || !catalogue().tables.contains("cj"))
            throw Error(QStringLiteral("“%1”不是成绩数据库：里面没有成绩册的表（check、cj）。请选择成绩册的数据库文件"
                                       "（如 Q7305.mdb），或在“数据库系统操作 → 还原数据库”中从备份还原。")
                            .arg(shown(file)));
        // A whole grade's tables fit in the page cache, so the runs' writes do
        // not spill to disk before their commit.
        exec("PRAGMA cache_size = -65536");
        // A commit returns only once the journal and the file are on the disk:
        // a saved examination survives a power cut (see README, Durability).
        exec("PRAGMA synchronous = FULL");
        if (!readOnly) {
            // The rollback journal keeps the database one file (see README,
            // Durability); a file left in WAL mode by another program or an
            // old restore is put back.
            // Another program that has it open in WAL mode keeps it so; the
            // database is still used, and the next open tries again.
            try {
                if (selectValue("PRAGMA journal_mode").toString().compare("delete", Qt::CaseInsensitive) != 0)
                    exec("PRAGMA journal_mode = DELETE");
            } catch (const Error& e) {
                qWarning("%s", e.what());
            }
            addQueryIndexes();
        }
    } catch (...) {
        close();
        throw;
    }
}

} // namespace

void open(const QString& file)
{
    openConnection(file, false);
}

void openReadOnly(const QString& file, const QString& why)
{
    openConnection(file, true);
    readOnlyWhy() = why.isEmpty() ? QStringLiteral("只读") : why;
}

bool isReadOnly()
{
    return isOpen() && !readOnlyWhy().isEmpty();
}

QString readOnlyText()
{
    return QStringLiteral("数据库是以只读方式打开的（%1），不能修改：这次的操作没有做。"
                          "要修改数据，请解决开启程序时所说的问题，然后重新开启程序。")
        .arg(readOnlyWhy());
}

void close()
{
    // SQLite will not close a connection that still has statements.
    Statement::finalizeAll();
    transactionDepth() = 0;
    readOnlyWhy().clear();
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
        throw Error(failureText(q.lastError()));
    return q;
}

void exec(QSqlQuery& query, const QVariantList& binds)
{
    for (int i = 0; i < binds.size(); ++i)
        query.bindValue(i, binds.at(i));
    if (!query.exec())
        throw Error(failureText(query.lastError()));
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
    while (next(q)) {
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
    return next(q) ? q.value(0) : QVariant();
}

bool next(QSqlQuery& query)
{
    if (query.next())
        return true;
    // Qt ends the rows quietly when a step fails; a damaged page must not
    // pass for the end of the table.
    if (query.lastError().isValid())
        throw Error(failureText(query.lastError()));
    return false;
}

ChangeMark changeMark()
{
    ChangeMark m;
    m.others = selectValue(QStringLiteral("PRAGMA data_version")).toLongLong();
    m.own = sqlite3_total_changes64(handle());
    return m;
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
    if (isReadOnly())
        throw Error(readOnlyText());
    int& depth = transactionDepth();
    if (depth == 0) {
        QSqlQuery q(connection());
        if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
            throw Error(failureText(q.lastError()));
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
        QSqlQuery q(connection());
        q.exec(QStringLiteral("ROLLBACK"));
    } else {
        QSqlQuery q(connection());
        q.exec(QStringLiteral("ROLLBACK TO sp%1").arg(m_level));
        q.exec(QStringLiteral("RELEASE sp%1").arg(m_level));
    }
}

void Transaction::commit()
{
    if (m_level == 0) {
        QSqlQuery q(connection());
        if (!q.exec(QStringLiteral("COMMIT")))
            throw Error(failureText(q.lastError()));
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
