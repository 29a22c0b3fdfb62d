#include "engine/app/instancelock.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

bool sameFile(int fd, const QByteArray& path)
{
    struct stat held, named;
    return ::fstat(fd, &held) == 0 && ::stat(path.constData(), &named) == 0 && held.st_dev == named.st_dev
        && held.st_ino == named.st_ino;
}

} // namespace

Lock::Lock(const QString& databaseFile) : m_path(lockFileFor(databaseFile))
{
    const QByteArray path = QFile::encodeName(m_path);
    // A holder that ends removes the file; a lock taken on the removed file
    // would guard nothing, so the file is opened again when that happens.
    for (int attempt = 0; attempt < 10; ++attempt) {
        // Close-on-exec: a program started from here must not keep the lock alive.
        const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) {
            m_reason = QString::fromLocal8Bit(std::strerror(errno));
            m_state = State::Unavailable;
            return;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int err = errno;
            if (err == EWOULDBLOCK) {
                m_holder = readHolder(fd);
                m_state = State::TakenByOther;
            } else {
                m_reason = QString::fromLocal8Bit(std::strerror(err));
                m_state = State::Unavailable;
            }
            ::close(fd);
            return;
        }
        if (!sameFile(fd, path)) {
            ::close(fd);
            continue;
        }
        // The holder's process number, for the message of a second start; it
        // is only informative, so a failure to write it changes nothing.
        const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
        if (::ftruncate(fd, 0) == 0)
            (void)!::pwrite(fd, pid.constData(), size_t(pid.size()), 0);
        m_fd = fd;
        m_state = State::Held;
        return;
    }
    m_reason = QStringLiteral("锁文件不断被删除");
    m_state = State::Unavailable;
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

} // namespace Instance
