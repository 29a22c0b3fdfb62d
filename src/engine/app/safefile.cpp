#include "engine/app/safefile.h"

#include "engine/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
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
    case EFBIG:
        return QStringLiteral("文件太大，超过了系统允许的大小");
    case EIO:
        return QStringLiteral("读写磁盘时出错（磁盘可能有故障，或已被拔出）");
    case ENOTDIR:
        return QStringLiteral("文件夹不存在（路径中有一级是文件，不是文件夹）");
    case ELOOP:
        return QStringLiteral("路径中的链接太多或绕成了圈");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("文件正被别的程序占用");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("同时打开的文件太多");
    case ENOMEM:
        return QStringLiteral("内存不足");
    default:
        // Chinese first; the system's own words only as the detail.
        return QStringLiteral("系统报告错误（%1）").arg(QString::fromLocal8Bit(std::strerror(err)));
    }
}

QString folderReason(int err)
{
    switch (err) {
    case EACCES:
    case EPERM:
        return QStringLiteral("没有写入这个文件夹的权限");
    case EROFS:
        return QStringLiteral("文件夹在只读的磁盘上");
    default:
        return systemReason(err);
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
    // A link is followed to the file it finally leads to: that file is
    // replaced and the link stays.
    const QFileInfo link(m_final);
    if (link.isSymLink()) {
        const QString target = link.canonicalFilePath();
        if (!target.isEmpty())
            m_final = target;
        else if (!link.symLinkTarget().isEmpty())
            m_final = link.symLinkTarget();
    }
    const QFileInfo fi(m_final);
    if (fi.isDir())
        throw Db::Error(writeFailure(m_final, QStringLiteral("这是一个文件夹的名字")));
    const QByteArray target = QFile::encodeName(m_final);
    struct stat st;
    const bool exists = ::stat(target.constData(), &st) == 0;
    // A file the user made read-only is not replaced behind their back (the
    // folder would allow it): they choose another name or lift the mark.
    if (exists && (::access(target.constData(), W_OK) != 0 || (st.st_mode & 0222) == 0))
        throw Db::Error(QStringLiteral("文件“%1”是只读的，没有覆盖它。请换一个名字保存，或者先去掉这个文件的只读属性再试。")
                            .arg(QDir::toNativeSeparators(m_final)));
    QByteArray name = QFile::encodeName(fi.absolutePath() + "/." + fi.completeBaseName() + ".XXXXXX" + m_suffix);
    const int fd = ::mkstemps(name.data(), int(QFile::encodeName(m_suffix).size()));
    if (fd < 0) {
        const int err = errno;
        throw Db::Error(writeFailure(m_final, err == ENOENT && !QFileInfo(fi.absolutePath()).isDir()
                                                  ? systemReason(ENOENT)
                                                  : folderReason(err)));
    }
    ::close(fd);
    m_temp = QFile::decodeName(name);
    // A temporary file is private (0600); the result gets the mode the file
    // had, or the mode a new file gets.
    if (exists) {
        ::chmod(name.constData(), st.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::chmod(name.constData(), 0666 & ~mask);
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
    const int fd = ::open(target.tempPathLocal8().constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        throw Db::Error(writeFailure(path, systemReason(errno)));
    qint64 done = 0;
    while (done < data.size()) {
        const ssize_t n = injectFailure() ? (errno = ENOSPC, -1)
                                          : ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // A write that took nothing without saying why is a full disk.
            const int err = n < 0 ? errno : ENOSPC;
            ::close(fd);
            throw Db::Error(writeFailure(path, systemReason(err)));
        }
        done += n;
    }
    if (::close(fd) != 0)
        throw Db::Error(writeFailure(path, systemReason(errno)));
    target.commit();
}

} // namespace Files
