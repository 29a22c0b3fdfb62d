#include "engine/app/instancelock.h"

#include "engine/app/safefile.h"
#include "engine/app/filestate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Instance {

QString lockFileFor(const QString& databaseFile)
{
    const QFileInfo fi(databaseFile);
    return fi.absolutePath() + QStringLiteral("/.") + fi.fileName() + QStringLiteral(".lock");
}

namespace {

qint64 readHolder(int fd)
{
    char buf[32] = {};
    const ssize_t n = ::pread(fd, buf, sizeof buf - 1, 0);
    if (n <= 0)
        return 0;
    return QByteArray(buf, int(n)).trimmed().toLongLong();
}

// The file the descriptor holds is still the one under the name (a holder
// that ends removes the name).
bool sameFile(int fd, const QByteArray& path)
{
    struct stat held, named;
    return ::fstat(fd, &held) == 0 && ::lstat(path.constData(), &named) == 0 && held.st_dev == named.st_dev
        && held.st_ino == named.st_ino;
}

QString userName(uid_t uid)
{
    struct passwd pw, *found = nullptr;
    char buf[1024];
    if (::getpwuid_r(uid, &pw, buf, sizeof buf, &found) == 0 && found && found->pw_name)
        return QString::fromLocal8Bit(found->pw_name);
    return QString::number(uid);
}

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("是一个文件夹");
    if (S_ISLNK(mode))
        return QStringLiteral("是一个符号链接");
    if (S_ISFIFO(mode))
        return QStringLiteral("是一个管道");
    if (S_ISSOCK(mode))
        return QStringLiteral("是一个套接字");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("是一个设备文件");
    return QStringLiteral("不是普通文件");
}

} // namespace

// A lock file that is not ours is never written: only whether its program
// still runs is read from it.
void Lock::inspect(int fd)
{
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        m_reason = Files::systemReason(errno);
        m_state = State::Unavailable;
        return;
    }
    if (!S_ISREG(st.st_mode)) {
        m_reason = kindOf(st.st_mode);
        m_state = State::OddFile;
        return;
    }
    m_owner = userName(st.st_uid);
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        m_holder = readHolder(fd);
        m_state = State::TakenByOther;
        return;
    }
    // Its program is gone, but the file is another user's: it is left to them.
    m_reason = QStringLiteral("锁文件属于用户“%1”").arg(m_owner);
    m_state = State::Unavailable;
}

Lock::Lock(const QString& databaseFile) : m_path(lockFileFor(databaseFile))
{
    // Every write of a database makes a journal beside it: in a folder that
    // cannot be written nobody can change the database, so there is nothing
    // to guard (and no lock file can be made).
    if (!Files::fileState(databaseFile).folderWritable) {
        m_state = State::FolderReadOnly;
        return;
    }
    const QByteArray path = QFile::encodeName(m_path);
    // A holder that ends removes the file; a lock taken on the removed file
    // would guard nothing, so the file is opened again when that happens.
    for (int attempt = 0; attempt < 10; ++attempt) {
        // Never through a link; close-on-exec, so that a program started from
        // here does not keep the lock alive; non-blocking, so that a pipe in
        // its place cannot hang the start.
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
        if (fd < 0) {
            notOpened(path, errno);
            return;
        }
        if (lockOpened(fd, path))
            return;
    }
    m_reason = QStringLiteral("锁文件不断被删除");
    m_state = State::Unavailable;
}

void Lock::notOpened(const QByteArray& path, int err)
{
    struct stat st;
    if (err == ELOOP || err == EISDIR || err == ENXIO) {
        m_reason = ::lstat(path.constData(), &st) == 0 ? kindOf(st.st_mode) : QStringLiteral("不是普通文件");
        m_state = State::OddFile;
        return;
    }
    if (err == EROFS) {
        m_state = State::FolderReadOnly;
        return;
    }
    if (err == EACCES || err == EPERM) {
        // Another user's lock file: it can still tell whether its program runs.
        const int ro = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (ro >= 0) {
            inspect(ro);
            ::close(ro);
            return;
        }
        if (::lstat(path.constData(), &st) == 0)
            m_owner = userName(st.st_uid);
    }
    m_reason = m_owner.isEmpty() ? Files::systemReason(err) : QStringLiteral("锁文件属于用户“%1”，不能打开").arg(m_owner);
    m_state = State::Unavailable;
}

bool Lock::lockOpened(int fd, const QByteArray& path)
{
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        inspect(fd);
        ::close(fd);
        return true;
    }
    // A second name of another file (a hard link) is not a lock file either.
    if (st.st_nlink > 1) {
        m_reason = QStringLiteral("是另一个文件的硬链接");
        m_state = State::OddFile;
        ::close(fd);
        return true;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        if (err == EWOULDBLOCK) {
            m_holder = readHolder(fd);
            m_state = State::TakenByOther;
        } else {
            m_reason = Files::systemReason(err);
            m_state = State::Unavailable;
        }
        ::close(fd);
        return true;
    }
    if (!sameFile(fd, path)) {
        ::close(fd);
        return false;
    }
    // Only now, under the lock, is the file changed: the holder's process
    // number, for the message of a second start. It is only informative,
    // so a failure to write it changes nothing.
    const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
    if (::ftruncate(fd, 0) == 0)
        (void)!::pwrite(fd, pid.constData(), size_t(pid.size()), 0);
    m_fd = fd;
    m_state = State::Held;
    return true;
}

Lock::~Lock()
{
    release();
}

void Lock::release()
{
    if (m_fd < 0)
        return;
    // Removed while still held, so no one can lock the old file in between.
    ::unlink(QFile::encodeName(m_path).constData());
    ::close(m_fd);
    m_fd = -1;
    m_state = State::Unavailable;
}

namespace {

QString readOnlyNote()
{
    return QStringLiteral("这次以只读方式打开数据库：可以查看和查询成绩，不能录入、处理、保存、备份或还原。");
}

Access takenByOther(const Lock& lock, const QString& file)
{
    Access a;
    QString who;
    if (!lock.owner().isEmpty())
        who = QStringLiteral("用户“%1”的").arg(lock.owner());
    const QString pid = lock.holder() > 0 ? QStringLiteral("（进程号%1）").arg(lock.holder()) : QString();
    a.kind = Access::Refused;
    if (who.isEmpty())
        a.message = QStringLiteral("程序已经打开了数据库“%1”%2，不能再打开一次：两个窗口同时修改同一次考试会互相覆盖。"
                                   "请切换到已经打开的那个程序窗口；如果看不到它，请先把它关闭再重新打开。")
                        .arg(file, pid);
    else
        a.message = QStringLiteral("%1程序已经打开了数据库“%2”%3，不能再打开一次：两个人同时修改同一次考试会互相覆盖。"
                                   "请等对方关闭程序后再打开。")
                        .arg(who, file, pid);
    return a;
}

// A lock not held: the database is not opened, or opened read-only.
Access withoutLock(const Lock& lock, const QString& file, const QString& folder)
{
    const QString lockFile = QDir::toNativeSeparators(lock.path());
    Access a;
    switch (lock.state()) {
    case Lock::State::TakenByOther:
        return takenByOther(lock, file);
    case Lock::State::OddFile:
        a.kind = Access::Refused;
        a.message = QStringLiteral("数据库“%1”旁边的锁文件“%2”%3，不是本程序建立的普通文件。为了不改写它所指向的文件，"
                                   "程序没有打开这个数据库。请检查并删除“%2”，然后重新开启程序。")
                        .arg(file, lockFile, lock.reason());
        break;
    case Lock::State::FolderReadOnly:
        a.kind = Access::ReadOnly;
        a.why = QStringLiteral("数据库所在的文件夹不能写入");
        a.message = QStringLiteral("数据库所在的文件夹“%1”不能写入（可能在只读的磁盘、光盘或没有写入权限的共享文件夹上），"
                                   "而每次修改数据库都要在这个文件夹里建一个临时的日志文件。%2"
                                   "要修改数据，请让这个文件夹可以写入，或者把整个程序文件夹复制到可以写入的地方，然后重新开启程序。")
                        .arg(folder, readOnlyNote());
        break;
    case Lock::State::Unavailable:
        a.kind = Access::ReadOnly;
        a.why = QStringLiteral("无法取得数据库的锁，可能有别人正在使用它");
        a.message = QStringLiteral("无法取得数据库“%1”的锁（%2），不能确定是否有别人正在修改它。为免两人同时修改互相覆盖，%3"
                                   "如果确定没有别人在用这个数据库，请删除锁文件“%4”（或请它的主人、管理员删除），然后重新开启程序。")
                        .arg(file, lock.reason(), readOnlyNote(), lockFile);
        break;
    case Lock::State::Held:
        break;
    }
    return a;
}

// A held lock: the folder or the file may still not be writable.
Access underLock(const QString& databaseFile, const QString& file, const QString& folder)
{
    Access a;
    const Files::FileState st = Files::fileState(databaseFile);
    if (!st.folderWritable) {
        a.kind = Access::ReadOnly;
        a.why = QStringLiteral("数据库所在的文件夹不能写入");
        a.message = QStringLiteral("数据库所在的文件夹“%1”不能写入。%2要修改数据，请让这个文件夹可以写入，然后重新开启程序。")
                        .arg(folder, readOnlyNote());
    } else if (st.exists && !st.isFolder && !st.fileWritable) {
        a.kind = Access::ReadOnly;
        a.why = QStringLiteral("数据库文件是只读的");
        a.message = QStringLiteral("数据库文件“%1”是只读的。%2要修改数据，请去掉这个文件的只读属性（或让当前用户有写入权限），"
                                   "然后重新开启程序。")
                        .arg(file, readOnlyNote());
    }
    return a;
}

} // namespace

Access accessFor(const Lock& lock, const QString& databaseFile)
{
    const QString file = QDir::toNativeSeparators(QFileInfo(databaseFile).absoluteFilePath());
    const QString folder = QDir::toNativeSeparators(QFileInfo(databaseFile).absolutePath());
    if (lock.state() != Lock::State::Held)
        return withoutLock(lock, file, folder);
    return underLock(databaseFile, file, folder);
}

} // namespace Instance
