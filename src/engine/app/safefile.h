#pragma once
// Every file the program writes (exports, backups, workbooks, PDFs) goes to a
// temporary name in the target's own folder and is renamed over the target
// only when every byte was written: a full disk or a folder without write
// permission leaves the previous file exactly as it was and no half-written
// file behind. Failures are Db::Error with a Chinese text naming the file.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace Files {

// For writers that open a path themselves (libxlsxwriter, shapelib, QPrinter):
//   SafeTarget t(path, ".xlsx");  write to t.tempPath();  t.commit();
// A target left uncommitted is removed when it goes out of scope.
class SafeTarget {
public:
    // suffix: how the temporary name must end (a writer may insist on an
    // extension); companions: other suffixes the writer puts beside it
    // (".cpg" beside a .dbf), moved along with it.
    explicit SafeTarget(QString finalPath, QString suffix = QString(), QStringList companions = {});
    ~SafeTarget();
    SafeTarget(const SafeTarget&) = delete;
    SafeTarget& operator=(const SafeTarget&) = delete;

    // The temporary file, reserved in the final folder at construction (so a
    // folder that cannot be written, or a read-only file in the way, fails
    // before any work is done).
    const QString& tempPath() const { return m_temp; }
    QByteArray tempPathLocal8() const;
    const QString& finalPath() const { return m_final; }
    // Flushes the temporary file to the disk and renames it (and its companions)
    // over the final names; throws when that fails, the previous file kept.
    void commit();
    // Removes the temporary file and its companions.
    void discard();

private:
    QString companion(const QString& path, const QString& suffix) const;
    QString m_final, m_suffix, m_temp;
    QStringList m_companions;
    bool m_done = false;
};

// Writes the bytes to the file through a temporary name, every write checked.
void writeAll(const QString& path, const QByteArray& data);

// What an errno means for a teacher: 磁盘已满, 没有写入这个文件夹的权限, ...
QString systemReason(int err);
// The same for a file that could not be made in a folder.
QString folderReason(int err);

// The Chinese message for a file that could not be written, with the reason.
QString writeFailure(const QString& path, const QString& reason);

// For tests: the next file writes fail as a full disk would (0 = none).
void failNextWrites(int count);

} // namespace Files
