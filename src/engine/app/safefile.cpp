#include "engine/app/safefile.h"

#include "engine/db/database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Files {

namespace {

int& failing()
{
    static int n = 0;
    return n;
}

bool injectFailure()
{
    if (failing() <= 0)
        return false;
    --failing();
    return true;
}

// Pushes the file's bytes to the disk: a rename must not land before them.
// Messages name the file the user asked for, not the temporary one.
void syncFile(const QString& path, const QString& shown)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        throw Db::Error(writeFailure(shown, systemReason(errno)));
    const int rc = injectFailure() ? (errno = ENOSPC, -1) : ::fsync(fd);
    const int err = errno;
    ::close(fd);
    if (rc != 0)
        throw Db::Error(writeFailure(shown, systemReason(err)));
}

void syncFolder(const QString& folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

QString systemReason(int err)
{
    switch (err) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("磁盘已满");
    case EACCES:
    case EPERM:
        return QStringLiteral("没有写入这个文件夹的权限");
    case EROFS:
        return QStringLiteral("磁盘是只读的");
    case ENOENT:
        return QStringLiteral("文件夹不存在");
    case ENAMETOOLONG:
        return QStringLiteral("名字太长");
    case EISDIR:
        return QStringLiteral("这是一个文件夹的名字");
    default:
        return QString::fromLocal8Bit(std::strerror(err));
    }
}

QString writeFailure(const QString& path, const QString& reason)
{
    return QStringLiteral("无法写入文件“%1”：%2。原来的文件没有改动。").arg(QDir::toNativeSeparators(path), reason);
}

void failNextWrites(int count)
{
    failing() = count;
}

SafeTarget::SafeTarget(QString finalPath, QString suffix, QStringList companions)
    : m_final(QFileInfo(finalPath).absoluteFilePath()), m_suffix(std::move(suffix)),
      m_companions(std::move(companions))
{
    // A link is followed: the file it points to is replaced and the link stays.
    const QFileInfo link(m_final);
    if (link.isSymLink() && !link.symLinkTarget().isEmpty())
        m_final = link.symLinkTarget();
    const QFileInfo fi(m_final);
    if (fi.isDir())
        throw Db::Error(writeFailure(m_final, QStringLiteral("这是一个文件夹的名字")));
    QTemporaryFile tf(fi.absolutePath() + "/." + fi.completeBaseName() + ".XXXXXX" + m_suffix);
    tf.setAutoRemove(false);
    if (!tf.open()) {
        errno = 0;
        const bool exists = QFileInfo(fi.absolutePath()).isDir();
        throw Db::Error(writeFailure(m_final, exists ? QStringLiteral("没有写入这个文件夹的权限")
                                                     : QStringLiteral("文件夹不存在")));
    }
    m_temp = tf.fileName();
    tf.close();
    // A temporary file is private (0600); the result gets the mode the file
    // had, or the mode a new file gets.
    if (fi.exists()) {
        QFile::setPermissions(m_temp, QFile::permissions(m_final));
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::chmod(QFile::encodeName(m_temp).constData(), 0666 & ~mask);
    }
}

SafeTarget::~SafeTarget()
{
    if (!m_done)
        discard();
}

QByteArray SafeTarget::tempPathLocal8() const
{
    return QFile::encodeName(m_temp);
}

QString SafeTarget::companion(const QString& path, const QString& suffix) const
{
    QString base = path;
    if (!m_suffix.isEmpty() && base.endsWith(m_suffix, Qt::CaseInsensitive))
        base.chop(m_suffix.size());
    return base + suffix;
}

void SafeTarget::commit()
{
    try {
        syncFile(m_temp, m_final);
        for (const QString& suf : m_companions) {
            const QString from = companion(m_temp, suf), to = companion(m_final, suf);
            if (QFile::exists(from)) {
                syncFile(from, to);
                if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
                    throw Db::Error(writeFailure(to, systemReason(errno)));
            } else if (QFile::exists(to)) {
                // A companion left from an earlier file would describe the wrong one.
                QFile::remove(to);
            }
        }
        // rename() replaces the target in one step: readers see the old file or the new one.
        if (std::rename(QFile::encodeName(m_temp).constData(), QFile::encodeName(m_final).constData()) != 0)
            throw Db::Error(writeFailure(m_final, systemReason(errno)));
    } catch (...) {
        discard();
        throw;
    }
    m_done = true;
    syncFolder(QFileInfo(m_final).absolutePath());
}

void SafeTarget::discard()
{
    m_done = true;
    if (m_temp.isEmpty())
        return;
    for (const QString& suf : m_companions)
        QFile::remove(companion(m_temp, suf));
    QFile::remove(m_temp);
}

void writeAll(const QString& path, const QByteArray& data)
{
    SafeTarget target(path);
    QFile f(target.tempPath());
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw Db::Error(writeFailure(path, f.errorString()));
    qint64 done = 0;
    while (done < data.size()) {
        const qint64 n = injectFailure() ? -1 : f.write(data.constData() + done, data.size() - done);
        if (n <= 0) {
            const QString reason = n < 0 && f.error() == QFileDevice::NoError ? systemReason(ENOSPC) : f.errorString();
            f.close();
            throw Db::Error(writeFailure(path, reason));
        }
        done += n;
    }
    if (!f.flush()) {
        f.close();
        throw Db::Error(writeFailure(path, systemReason(ENOSPC)));
    }
    f.close();
    target.commit();
}

} // namespace Files
