#include "engine/app/datasource.h"

#include "engine/app/safefile.h"
#include "engine/db/database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace DataSource {

static const char* kName = "Q7305";

QString iniPath()
{
    const QString env = qEnvironmentVariable("ODBCINI");
    if (!env.isEmpty())
        return env;
    return QDir::homePath() + "/.odbc.ini";
}

static QString sectionName(const QString& line)
{
    const QString t = line.trimmed();
    if (t.startsWith('[') && t.endsWith(']'))
        return t.mid(1, t.size() - 2).trimmed();
    return QString();
}

bool IniFile::load(const QString& path)
{
    m_lines.clear();
    QFile f(path);
    if (!f.exists())
        return true;
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QString all = QString::fromUtf8(f.readAll());
    all.replace("\r\n", "\n");
    m_lines = all.split('\n');
    while (!m_lines.isEmpty() && m_lines.last().trimmed().isEmpty())
        m_lines.removeLast();
    return true;
}

bool IniFile::save(const QString& path) const
{
    const QFileInfo fi(path);
    if (!QDir().mkpath(fi.absolutePath()))
        return false;
    try {
        Files::writeAll(path, text().toUtf8());
    } catch (const Db::Error&) {
        return false;
    }
    return true;
}

int IniFile::sectionStart(const QString& section) const
{
    for (int i = 0; i < m_lines.size(); ++i)
        if (sectionName(m_lines.at(i)).compare(section, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int IniFile::sectionEnd(int start) const
{
    int i = start + 1;
    while (i < m_lines.size() && sectionName(m_lines.at(i)).isEmpty())
        ++i;
    return i;
}

static QString keyOf(const QString& line)
{
    const int eq = line.indexOf('=');
    if (eq < 0)
        return QString();
    const QString t = line.trimmed();
    if (t.startsWith(';') || t.startsWith('#'))
        return QString();
    return line.left(eq).trimmed();
}

void IniFile::setValues(const QString& section, const QList<QPair<QString, QString>>& values)
{
    int start = sectionStart(section);
    if (start < 0) {
        if (!m_lines.isEmpty())
            m_lines << QString();
        m_lines << '[' + section + ']';
        start = int(m_lines.size()) - 1;
    }
    for (const auto& [key, value] : values) {
        const int end = sectionEnd(start);
        const QString line = key + '=' + value;
        bool done = false;
        for (int i = start + 1; i < end; ++i) {
            if (keyOf(m_lines.at(i)).compare(key, Qt::CaseInsensitive) == 0) {
                m_lines[i] = line;
                done = true;
                break;
            }
        }
        if (!done) {
            // after the last non-blank line of the section
            int at = end;
            while (at > start + 1 && m_lines.at(at - 1).trimmed().isEmpty())
                --at;
            m_lines.insert(at, line);
        }
    }
}

QString IniFile::value(const QString& section, const QString& key) const
{
    const int start = sectionStart(section);
    if (start < 0)
        return QString();
    const int end = sectionEnd(start);
    for (int i = start + 1; i < end; ++i)
        if (keyOf(m_lines.at(i)).compare(key, Qt::CaseInsensitive) == 0)
            return m_lines.at(i).mid(m_lines.at(i).indexOf('=') + 1).trimmed();
    return QString();
}

QStringList IniFile::sections() const
{
    QStringList out;
    for (const QString& l : m_lines)
        if (!sectionName(l).isEmpty())
            out << sectionName(l);
    return out;
}

static bool step(const QString& section, const QList<QPair<QString, QString>>& values)
{
    IniFile ini;
    const QString path = iniPath();
    if (!ini.load(path))
        return false;
    ini.setValues(section, values);
    return ini.save(path);
}

Step declare(const QString& databaseFile)
{
    const QString db = QDir::toNativeSeparators(QFileInfo(databaseFile).absoluteFilePath());
    if (!step("ODBC Data Sources", {{kName, "Microsoft Access Driver (*.mdb)"}}))
        return Step::SourceList;
    if (!step(kName, {{"Database", db},
                      {"DBQ", db},
                      {"Description", kName},
                      {"Driver", "C:\\WINNT\\System32\\odbcjt32.dll"},
                      {"DriverId", "25"},
                      {"FIL", "Ms Access;"},
                      {"SafeTransaction", "0"},
                      {"UID", ""},
                      {"Exclusive", "00"},
                      {"ReadOnly", "00"}}))
        return Step::Source;
    if (!step("MyAccess", {{"ImplicitCommitSync", "Yes"},
                           {"MaxBufferSize", "512"},
                           {"PageTimeout", "10"},
                           {"Threads", "3"},
                           {"UserCommitSync", "Yes"}}))
        return Step::Engine;
    return Step::Done;
}

} // namespace DataSource
