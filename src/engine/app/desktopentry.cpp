#include "engine/app/desktopentry.h"

#include "engine/app/paths.h"
#include "engine/app/safefile.h"
#include "engine/error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace DesktopEntry {

namespace {

// A string value of a desktop entry: backslashes and line breaks escaped.
QString stringValue(QString s)
{
    s.replace('\\', "\\\\");
    s.replace('\n', "\\n");
    s.replace('\t', "\\t");
    s.replace('\r', "\\r");
    return s;
}

// One argument of Exec, always quoted: inside the quotes ", `, $ and \ take a
// backslash; a literal % is doubled so that it is not read as a field code.
QString execArgument(const QString& arg)
{
    QString quoted;
    for (const QChar c : arg) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    quoted.replace('%', "%%");
    return '"' + quoted + '"';
}

} // namespace

QString contents(const QString& programDir)
{
    const QString dir = QDir::cleanPath(programDir);
    const QString program = dir + '/' + QString::fromUtf8(Paths::kProgramFileName);
    QString text;
    text += "[Desktop Entry]\n";
    text += "Type=Application\n";
    text += "Version=1.0\n";
    text += "Name=" + stringValue(QString::fromUtf8(Paths::kProgramFileName)) + '\n';
    // GLib's launchers look the program up by its name as written, before
    // they turn %% back into %: a program whose path holds a % is started
    // through env, which they find, so that the entry is not refused.
    const QString exec = program.contains('%') ? QStringLiteral("env ") + execArgument(program) : execArgument(program);
    text += "Exec=" + stringValue(exec) + '\n';
    text += "Path=" + stringValue(dir) + '\n';
    text += "Terminal=false\n";
    text += "Categories=Education;\n";
    return text;
}

QString write(const QString& programDir, const QString& desktopDir)
{
    const QString path = QDir::cleanPath(desktopDir) + '/' + QString::fromUtf8(kFileName);
    Files::writeAll(path, contents(programDir).toUtf8());
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                    | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    return path;
}

QString desktopFolder()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    // Without a desktop folder there is no desktop to put the entry on; the
    // home folder itself is what Qt answers for some users, and no place for it.
    if (dir.isEmpty() || !QFileInfo(dir).isDir() || QDir(dir) == QDir::home())
        return QString();
    return dir;
}

QString create()
{
    const QString dir = desktopFolder();
    if (dir.isEmpty())
        return QString();
    return write(Paths::programDir(), dir);
}

} // namespace DesktopEntry
