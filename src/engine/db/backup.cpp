#include "engine/db/backup.h"

#include "engine/app/paths.h"
#include "engine/app/safefile.h"
#include "engine/db/database.h"
#include "engine/db/schema.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QDateTime>
#include <QHash>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <csignal>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Backup {

namespace {

constexpr int kMaxNameBytes = 240; // a file name holds 255 bytes; room is left for " (99)"
const QStringList kJournalSuffixes{QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")};

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

sqlite3* sharedHandle()
{
    const QVariant v = Db::connection().driver()->handle();
    if (!v.isValid() || qstrcmp(v.typeName(), "sqlite3*") != 0)
        throw Db::Error(QStringLiteral("数据库连接不是 SQLite 连接，无法备份或还原"));
    sqlite3* handle = *static_cast<sqlite3* const*>(v.constData());
    if (!handle)
        throw Db::Error(QStringLiteral("数据库没有打开"));
    return handle;
}

QString reasonOf(int rc, sqlite3* db)
{
    switch (rc & 0xff) {
    case SQLITE_FULL:
        return QStringLiteral("磁盘已满");
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
        return QStringLiteral("没有读写这个文件的权限");
    case SQLITE_IOERR:
        return QStringLiteral("读写磁盘时出错");
    case SQLITE_CORRUPT:
        return QStringLiteral("数据库文件已损坏");
    case SQLITE_NOTADB:
        return QStringLiteral("不是数据库文件");
    case SQLITE_NOMEM:
        return QStringLiteral("内存不足");
    default:
        return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    }
}

// A connection of our own to another file, closed on every way out.
class Connection {
public:
    Connection(const QString& path, int flags)
    {
        m_rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr);
    }
    ~Connection() { sqlite3_close_v2(m_db); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    int rc() const { return m_rc; }
    sqlite3* get() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
    int m_rc = SQLITE_OK;
};

// While pages are copied the connection waits for a lock only briefly, so
// that the copy loop can keep the progress window painted and give up after
// its own time limit; the connection's own waiting time is put back after.
class ShortLockWait {
public:
    explicit ShortLockWait(sqlite3* db) : m_db(db)
    {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA busy_timeout", -1, &st, nullptr) == SQLITE_OK
            && sqlite3_step(st) == SQLITE_ROW)
            m_saved = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
        sqlite3_busy_timeout(db, 20);
    }
    ~ShortLockWait() { sqlite3_busy_timeout(m_db, m_saved); }
    ShortLockWait(const ShortLockWait&) = delete;
    ShortLockWait& operator=(const ShortLockWait&) = delete;

private:
    sqlite3* m_db;
    int m_saved = 0;
};

enum class Copy { Done, Cancelled };

// Copies every page of src into dest. Throws Db::Error with the reason; the
// destination keeps its content unless the copy ran to the end (the backup
// API writes it in one transaction of the destination).
Copy copyPages(sqlite3* dest, sqlite3* src, const ProgressFn& progress, const Options& options)
{
    sqlite3_backup* b = sqlite3_backup_init(dest, "main", src, "main");
    if (!b)
        throw Db::Error(reasonOf(sqlite3_extended_errcode(dest), dest));
    QElapsedTimer waiting;
    bool cancelled = false;
    int rc = SQLITE_OK;
    for (;;) {
        rc = sqlite3_backup_step(b, qMax(1, options.pagesPerStep));
        const qint64 total = sqlite3_backup_pagecount(b);
        const qint64 done = total - sqlite3_backup_remaining(b);
        if (rc == SQLITE_DONE) {
            if (progress)
                progress(total, total);
            break;
        }
        if (rc == SQLITE_OK) {
            waiting.invalidate();
        } else if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
            // Another program is writing the database: wait for it a while.
            if (!waiting.isValid())
                waiting.start();
            if (waiting.elapsed() >= options.lockWaitMs)
                break;
            sqlite3_sleep(25);
        } else {
            break;
        }
        if (progress && !progress(done, total)) {
            cancelled = true;
            break;
        }
    }
    const int finish = sqlite3_backup_finish(b);
    if (cancelled)
        return Copy::Cancelled;
    if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
        throw Db::Error(QStringLiteral("数据库正被另一个程序使用（也许是同时开着的另一个墨竹成绩册），"
                                       "等了%1秒仍不能读写").arg(options.lockWaitMs / 1000.0, 0, 'g', 3));
    if (rc != SQLITE_DONE)
        throw Db::Error(reasonOf(rc, dest));
    if (finish != SQLITE_OK)
        throw Db::Error(reasonOf(finish, dest));
    return Copy::Done;
}

void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Gives a finished file its name only when no file has that name, in one step.
bool renameNoReplace(const QString& from, const QString& to, int* err)
{
    const QByteArray f = QFile::encodeName(from), t = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, f.constData(), AT_FDCWD, t.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) {
        *err = errno;
        return false;
    }
    // A file system without that rename: a hard link refuses an existing name too.
    if (::link(f.constData(), t.constData()) == 0) {
        ::unlink(f.constData());
        return true;
    }
    *err = errno;
    return false;
}

// Every table of the schema with its columns, read from the script itself.
const QHash<QString, QStringList>& schemaTables()
{
    static const QHash<QString, QStringList> tables = [] {
        QHash<QString, QStringList> out;
        Connection mem(QStringLiteral(":memory:"), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        char* error = nullptr;
        if (mem.rc() != SQLITE_OK
            || sqlite3_exec(mem.get(), Db::schemaScript().toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
            const QString text = QString::fromUtf8(error ? error : "");
            sqlite3_free(error);
            throw Db::Error(QStringLiteral("数据库结构脚本有错：%1").arg(text));
        }
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(mem.get(),
                           "SELECT m.name, p.name FROM sqlite_master m, pragma_table_info(m.name) p "
                           "WHERE m.type = 'table' ORDER BY m.rowid, p.cid",
                           -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW)
            out[QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)))]
                << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
        sqlite3_finalize(st);
        return out;
    }();
    return tables;
}

// A backup under its own name exists only once it is whole: the pages go to a
// hidden file of the same folder, which is removed on every way out but one.
class PartialFile {
public:
    explicit PartialFile(const QString& folder, const QString& shownTarget)
    {
        // The program's process number in the name tells a copy still being
        // written from one a killed program left (see removeLeftovers).
        QTemporaryFile tf(QStringLiteral("%1/%2%3-XXXXXX").arg(folder, kPartialPrefix).arg(qint64(::getpid())));
        tf.setAutoRemove(false);
        if (!tf.open()) {
            const bool exists = QFileInfo(folder).isDir();
            throw Db::Error(Files::writeFailure(shownTarget, exists ? QStringLiteral("没有写入这个文件夹的权限")
                                                                    : QStringLiteral("文件夹不存在")));
        }
        m_path = tf.fileName();
        tf.close();
        // The backup gets the mode a new file gets, not the private one of a temporary file.
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::chmod(QFile::encodeName(m_path).constData(), 0666 & ~mask);
    }
    ~PartialFile()
    {
        if (!m_kept) {
            QFile::remove(m_path);
            QFile::remove(m_path + "-journal");
        }
    }
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;
    const QString& path() const { return m_path; }
    void keep() { m_kept = true; }

private:
    QString m_path;
    bool m_kept = false;
};

bool processRuns(qint64 pid)
{
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

// A link in the database folder whose file lies in another folder: a typed
// name never leaves the folder, and neither does what it names.
bool leadsOutOfFolder(const QFileInfo& fi)
{
    if (!fi.isSymLink())
        return false;
    const QString target = fi.canonicalFilePath();
    return !target.isEmpty() && QFileInfo(target).absolutePath() != QFileInfo(Paths::databaseDir()).canonicalFilePath();
}

// The journal a program that was interrupted while writing the file left
// beside it, when there is one.
QString journalBeside(const QString& path)
{
    for (const QString& suffix : {QStringLiteral("-journal"), QStringLiteral("-wal")}) {
        const QFileInfo j(path + suffix);
        if (j.exists() && j.size() > 0)
            return j.fileName();
    }
    return QString();
}

// Back to the rollback journal the program uses: a copy of a database kept
// in WAL mode would otherwise stay in it, with files beside it that a plain
// copy of the database misses.
void useRollbackJournal(sqlite3* db)
{
    sqlite3_exec(db, "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr);
}

QString safetyName()
{
    QString stamp = Db::now();
    stamp.replace(':', '-');
    return QStringLiteral("还原前自动备份 %1").arg(stamp);
}

} // namespace

QString pathForName(const QString& name)
{
    if (name.trimmed().isEmpty())
        throw Db::InputError(QStringLiteral("名字是空的，请输入一个名字"));
    if (name.contains('/'))
        throw Db::InputError(QStringLiteral("名字“%1”里有“/”：只能写文件名，备份都放在数据库文件夹 %2 中")
                                 .arg(name, shown(Paths::databaseDir())));
    if (name == "." || name == "..")
        throw Db::InputError(QStringLiteral("“%1”不能用作名字").arg(name));
    for (const QChar c : name)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            throw Db::InputError(QStringLiteral("名字里不能有换行、制表符这样的控制字符"));
    const qsizetype bytes = QFile::encodeName(name).size();
    if (bytes > kMaxNameBytes)
        throw Db::InputError(QStringLiteral("名字太长：最多%1个字节（约%2个汉字），现在有%3个字节")
                                 .arg(kMaxNameBytes).arg(kMaxNameBytes / 3).arg(bytes));
    for (const QString& suffix : kJournalSuffixes)
        if (name.endsWith(suffix, Qt::CaseInsensitive))
            throw Db::InputError(QStringLiteral("以“%1”结尾的名字是数据库的日志文件用的，请换一个名字").arg(suffix));
    if (name.startsWith(kPartialPrefix))
        throw Db::InputError(QStringLiteral("以“%1”开头的名字是程序写备份时临时用的（没有写完的备份），请换一个名字")
                                 .arg(kPartialPrefix));
    const QString folder = QDir::cleanPath(Paths::databaseDir());
    const QString path = folder + '/' + name;
    // With the checks above this cannot happen; a typed name never leaves the folder.
    if (QFileInfo(path).absolutePath() != QFileInfo(folder).absoluteFilePath())
        throw Db::InputError(QStringLiteral("名字“%1”指向数据库文件夹以外的地方").arg(name));
    return path;
}

QString freeName(const QString& folder, const QString& name)
{
    QString candidate = name;
    for (int n = 2; QFileInfo::exists(folder + '/' + candidate) || QFileInfo(folder + '/' + candidate).isSymLink(); ++n)
        candidate = QStringLiteral("%1 (%2)").arg(name).arg(n);
    return candidate;
}

BackupResult backupDatabase(const QString& typedName, const ProgressFn& progress, const Options& options)
{
    if (typedName.isEmpty())
        throw Db::InputError(QStringLiteral("请输入你备份的名字"));
    const QString wanted = pathForName(typedName);
    const QString folder = QFileInfo(wanted).absolutePath();
    sqlite3* src = sharedHandle();
    if (!sqlite3_get_autocommit(src))
        throw Db::Error(QStringLiteral("数据正在保存中，请等保存完成后再备份"));

    removeLeftovers();
    PartialFile partial(folder, wanted);
    try {
        Connection dest(partial.path(), SQLITE_OPEN_READWRITE);
        if (dest.rc() != SQLITE_OK)
            throw Db::Error(reasonOf(dest.rc(), dest.get()));
        ShortLockWait wait(src);
        if (copyPages(dest.get(), src, progress, options) == Copy::Cancelled)
            return {QString(), QString(), false, true};
        useRollbackJournal(dest.get());
    } catch (const Db::InputError&) {
        throw;
    } catch (const Db::Error& e) {
        throw Db::Error(QStringLiteral("备份失败：%1。没有留下不完整的备份文件。").arg(e.text()));
    }

    // The copy is whole (the backup's last step synced it); now it gets its name.
    for (;;) {
        const QString name = freeName(folder, typedName);
        const QString path = folder + '/' + name;
        int err = 0;
        if (renameNoReplace(partial.path(), path, &err)) {
            partial.keep();
            syncFolder(folder);
            return {name, path, name != typedName, false};
        }
        if (err != EEXIST)
            throw Db::Error(QStringLiteral("备份失败：%1").arg(Files::writeFailure(path, Files::systemReason(err))));
        // Taken in the meantime: the next free name.
    }
}

QString restoreSource(const QString& entry)
{
    if (entry == kBlankDatabase)
        return Paths::templateFile();
    if (entry.isEmpty())
        throw Db::InputError(QStringLiteral("请输入你想还原的数据库名字"));
    const QString path = pathForName(entry);
    const QFileInfo fi(path), db(Paths::databaseFile());
    if (leadsOutOfFolder(fi))
        throw Db::InputError(QStringLiteral("“%1”是一个链接，指向数据库文件夹以外的文件“%2”：还原只用数据库文件夹 %3 里的文件。"
                                            "请把那个备份文件本身复制到这个文件夹里，再从它还原。")
                                 .arg(entry, shown(fi.canonicalFilePath()), shown(Paths::databaseDir())));
    if (fi.exists() && db.exists() && fi.canonicalFilePath() == db.canonicalFilePath())
        throw Db::InputError(QStringLiteral("“%1”就是正在使用的数据库，不能用它自己来还原").arg(entry));
    return path;
}

namespace {

// A candidate for a restore as its messages name it, and what they add: that
// nothing was changed.
struct Source {
    QString path;
    QString what;
    QString nothing;
};

void checkIsFile(const QFileInfo& fi, const Source& src)
{
    if (!fi.exists()) {
        QString hint;
        if (fi.fileName() != fi.fileName().trimmed())
            hint = QStringLiteral("（注意名字前后有空格）");
        throw Db::Error(QStringLiteral("找不到%1%2：数据库文件夹 %3 中没有这个文件。%4")
                            .arg(src.what, hint, shown(fi.absolutePath()), src.nothing));
    }
    if (fi.isDir())
        throw Db::Error(QStringLiteral("%1是一个文件夹，不是数据库。%2").arg(src.what, src.nothing));
    if (fi.size() == 0)
        throw Db::Error(QStringLiteral("%1是一个空文件，不是数据库。%2").arg(src.what, src.nothing));
}

// A journal beside the file means that a program writing it was
// interrupted: its last change is half in the file and half in the
// journal. Only a write can settle that, and a restore never writes its
// source, so such a file is not used.
void refuseIfInterrupted(const Source& src, int code)
{
    const QString journal = journalBeside(src.path);
    if (journal.isEmpty() || ((code & 0xff) != SQLITE_READONLY && (code & 0xff) != SQLITE_CANTOPEN))
        return;
    throw Db::Error(QStringLiteral("%1旁边有一个日志文件“%2”：上次写入%1时被中断了，它的内容不完整，不能用来还原。%3"
                                   "请选用另一个备份。")
                        .arg(src.what, journal, src.nothing));
}

void checkIntegrity(sqlite3* db, const Source& src)
{
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db, "PRAGMA integrity_check(5)", -1, &st, nullptr);
    QStringList problems;
    if (rc == SQLITE_OK)
        while ((rc = sqlite3_step(st)) == SQLITE_ROW)
            problems << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    if (rc != SQLITE_DONE) {
        refuseIfInterrupted(src, sqlite3_extended_errcode(db));
        const int code = sqlite3_extended_errcode(db) & 0xff;
        if (code == SQLITE_NOTADB)
            throw Db::Error(QStringLiteral("%1不是数据库文件。%2").arg(src.what, src.nothing));
        if (code == SQLITE_CORRUPT)
            throw Db::Error(QStringLiteral("%1已损坏，不能用来还原。%2").arg(src.what, src.nothing));
        throw Db::Error(QStringLiteral("无法读取%1：%2。%3").arg(src.what, reasonOf(code, db), src.nothing));
    }
    if (problems != QStringList{QStringLiteral("ok")})
        throw Db::Error(QStringLiteral("%1已损坏，不能用来还原。%2请选用另一个备份。\n\n详细情况（SQLite 完整性检查）：\n%3")
                            .arg(src.what, src.nothing, problems.join('\n')));
}

// A sound file of another program is refused too: every window relies on
// the grade tables and their columns.
void checkSchema(sqlite3* db, const Source& src)
{
    QHash<QString, QStringList> has;
    sqlite3_stmt* st = nullptr;
    const int rc = sqlite3_prepare_v2(db,
                                      "SELECT m.name, p.name FROM sqlite_master m, pragma_table_info(m.name) p "
                                      "WHERE m.type = 'table'",
                                      -1, &st, nullptr);
    while (rc == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        has[QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)))]
            << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1)));
    sqlite3_finalize(st);
    QStringList missingTables, missingColumns;
    const auto& schema = schemaTables();
    for (auto it = schema.constBegin(); it != schema.constEnd(); ++it) {
        if (!has.contains(it.key())) {
            missingTables << it.key();
            continue;
        }
        for (const QString& c : it.value())
            if (!has.value(it.key()).contains(c))
                missingColumns << QStringLiteral("%1.%2").arg(it.key(), c);
    }
    missingTables.sort();
    if (!missingTables.isEmpty())
        throw Db::Error(QStringLiteral("%1不是成绩数据库：缺少表 %2。%3")
                            .arg(src.what, missingTables.join("、"), src.nothing));
    if (!missingColumns.isEmpty()) {
        missingColumns.sort();
        const QString list = missingColumns.mid(0, 5).join("、") + (missingColumns.size() > 5 ? "……" : "");
        throw Db::Error(QStringLiteral("%1不是本程序的成绩数据库：缺少列 %2。%3").arg(src.what, list, src.nothing));
    }
}

} // namespace

void checkSource(const QString& path)
{
    const QFileInfo fi(path);
    const bool blank = fi.absoluteFilePath() == QFileInfo(Paths::templateFile()).absoluteFilePath();
    const Source source{path, blank ? QStringLiteral("空白数据库模板“%1”").arg(fi.fileName())
                                    : QStringLiteral("“%1”").arg(fi.fileName()),
                        QStringLiteral("当前数据库没有改动。")};
    checkIsFile(fi, source);
    Connection src(path, SQLITE_OPEN_READONLY);
    if (src.rc() != SQLITE_OK) {
        refuseIfInterrupted(source, sqlite3_extended_errcode(src.get()));
        throw Db::Error(QStringLiteral("无法打开%1：%2。%3").arg(source.what, reasonOf(src.rc(), src.get()), source.nothing));
    }
    sqlite3_busy_timeout(src.get(), 2000);
    checkIntegrity(src.get(), source);
    checkSchema(src.get(), source);
}

RestoreResult restoreDatabase(const QString& entry, const ProgressFn& progress, const Options& options)
{
    if (Db::isReadOnly())
        throw Db::Error(Db::readOnlyText());
    RestoreResult result;
    result.source = restoreSource(entry);
    checkSource(result.source);
    sqlite3* dest = sharedHandle();
    if (!sqlite3_get_autocommit(dest))
        throw Db::Error(QStringLiteral("数据正在保存中，请等保存完成后再还原"));

    // So that a wrong restore can be undone, the database as it is now is kept first.
    const ProgressFn report = [&progress](qint64 done, qint64 total) {
        if (progress)
            progress(done, total);
        return true;
    };
    try {
        result.safetyName = backupDatabase(safetyName(), report, options).name;
    } catch (const Db::Error& e) {
        throw Db::Error(QStringLiteral("还原前先要备份当前的数据库，但%1 还原没有进行，当前数据库没有改动。").arg(e.text()));
    }

    Connection src(result.source, SQLITE_OPEN_READONLY);
    if (src.rc() != SQLITE_OK) {
        result.failure = reasonOf(src.rc(), src.get());
        return result;
    }
    // The backup API refuses a destination with statements still reading it;
    // the grids' queries are reset (the program is started again afterwards).
    for (sqlite3_stmt* st = sqlite3_next_stmt(dest, nullptr); st; st = sqlite3_next_stmt(dest, st))
        if (sqlite3_stmt_busy(st))
            sqlite3_reset(st);
    try {
        ShortLockWait wait(dest);
        copyPages(dest, src.get(), report, options);
        result.copied = true;
        useRollbackJournal(dest);
    } catch (const Db::Error& e) {
        result.failure = e.text();
    }
    return result;
}

QStringList restoreCandidates()
{
    const QDir dir(Paths::databaseDir());
    const QString database = QFileInfo(Paths::databaseFile()).fileName();
    const QString blank = QFileInfo(Paths::templateFile()).fileName();
    QStringList out;
    for (const QFileInfo& fi : dir.entryInfoList(QDir::Files | QDir::Readable, QDir::Time)) {
        const QString name = fi.fileName();
        if (name == database || name == blank || leadsOutOfFolder(fi))
            continue;
        if (std::any_of(kJournalSuffixes.begin(), kJournalSuffixes.end(),
                        [&name](const QString& s) { return name.endsWith(s, Qt::CaseInsensitive); }))
            continue;
        // Only database files: the help document and other files are left out.
        QFile f(fi.absoluteFilePath());
        if (f.open(QIODevice::ReadOnly) && f.read(16) == QByteArray("SQLite format 3\0", 16))
            out << name;
    }
    return out;
}

} // namespace Backup

namespace Backup {

int removeLeftovers()
{
    // ".backup-<process>-XXXXXX", with the journals SQLite makes beside it;
    // also the names of copies made before they carried their program's number.
    static const QRegularExpression partial(QStringLiteral("^\\.backup-(?:(\\d+)-)?[A-Za-z0-9]{6}(?:-journal|-wal|-shm)?$"));
    const QDir dir(Paths::databaseDir());
    const QDateTime stale = QDateTime::currentDateTime().addSecs(-3600);
    int removed = 0;
    for (const QFileInfo& fi : dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QRegularExpressionMatch m = partial.match(fi.fileName());
        if (!m.hasMatch() || fi.isSymLink())
            continue;
        if (m.captured(1).isEmpty()) {
            // Whose it was is unknown: one untouched for an hour is no copy in progress.
            if (fi.lastModified() > stale)
                continue;
        } else if (processRuns(m.captured(1).toLongLong())) {
            continue;
        }
        if (QFile::remove(fi.absoluteFilePath()))
            ++removed;
    }
    return removed;
}

} // namespace Backup
