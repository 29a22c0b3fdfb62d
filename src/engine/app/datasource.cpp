#include "engine/app/datasource.h"

#include "engine/app/safefile.h"
#include "engine/error.h"

#include <QDir>
#include <QFile>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QSettings>
#include <QStringDecoder>

namespace DataSource {

static const char* kName = "Q7305";

QString iniPath()
{
    const QString env = qEnvironmentVariable("ODBCINI");
    if (!env.isEmpty())
        return env;
    return QDir::homePath() + "/.odbc.ini";
}

namespace {

QString sectionName(const QByteArray& line)
{
    const QByteArray t = line.trimmed();
    if (t.startsWith('[') && t.endsWith(']'))
        return QString::fromUtf8(t.mid(1, t.size() - 2).trimmed());
    return QString();
}

QByteArray keyOf(const QByteArray& line)
{
    const qsizetype eq = line.indexOf('=');
    if (eq < 0)
        return QByteArray();
    const QByteArray t = line.trimmed();
    if (t.startsWith(';') || t.startsWith('#'))
        return QByteArray();
    return line.left(eq).trimmed();
}

bool sameKey(const QByteArray& a, const QString& b)
{
    return QString::fromUtf8(a).compare(b, Qt::CaseInsensitive) == 0;
}

bool isUtf8Text(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    (void)QString(utf8(bytes));
    return !utf8.hasError();
}

} // namespace

bool IniFile::load(const QString& path)
{
    m_lines.clear();
    m_loaded.clear();
    m_utf8 = true;
    m_eol = "\n";
    QFile f(path);
    if (!f.exists())
        return true;
    if (!f.open(QIODevice::ReadOnly))
        return false;
    m_loaded = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return false;
    m_utf8 = isUtf8Text(m_loaded);
    int crlf = 0, lf = 0;
    qsizetype at = 0;
    while (at < m_loaded.size()) {
        const qsizetype nl = m_loaded.indexOf('\n', at);
        Line line;
        if (nl < 0) {
            line.text = m_loaded.mid(at);
            at = m_loaded.size();
        } else {
            line.text = m_loaded.mid(at, nl - at);
            line.end = "\n";
            if (line.text.endsWith('\r')) {
                line.text.chop(1);
                line.end = "\r\n";
                ++crlf;
            } else {
                ++lf;
            }
            at = nl + 1;
        }
        m_lines << line;
    }
    if (crlf > lf)
        m_eol = "\r\n";
    return true;
}

QByteArray IniFile::bytes() const
{
    QByteArray out;
    for (const Line& l : m_lines)
        out += l.text + l.end;
    return out;
}

bool IniFile::save(const QString& path) const
{
    const QByteArray data = bytes();
    if (data == m_loaded && QFileInfo::exists(path))
        return true;
    const QFileInfo fi(path);
    if (!QDir().mkpath(fi.absolutePath()))
        return false;
    try {
        Files::writeAll(path, data);
    } catch (const Db::Error&) {
        return false;
    }
    return true;
}

int IniFile::sectionStart(const QString& section) const
{
    for (int i = 0; i < m_lines.size(); ++i)
        if (sectionName(m_lines.at(i).text).compare(section, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int IniFile::sectionEnd(int start) const
{
    int i = start + 1;
    while (i < m_lines.size() && sectionName(m_lines.at(i).text).isEmpty())
        ++i;
    return i;
}

void IniFile::setValues(const QString& section, const QList<QPair<QString, QString>>& values)
{
    // A line added after a last line without an end needs the end first.
    auto ended = [this] {
        if (!m_lines.isEmpty() && m_lines.last().end.isEmpty())
            m_lines.last().end = m_eol;
    };
    int start = sectionStart(section);
    if (start < 0) {
        ended();
        if (!m_lines.isEmpty() && !m_lines.last().text.trimmed().isEmpty())
            m_lines << Line{QByteArray(), m_eol};
        m_lines << Line{'[' + section.toUtf8() + ']', m_eol};
        start = int(m_lines.size()) - 1;
    }
    for (const auto& [key, value] : values) {
        const int end = sectionEnd(start);
        const QByteArray text = (key + '=' + value).toUtf8();
        bool done = false;
        for (int i = start + 1; i < end; ++i) {
            if (sameKey(keyOf(m_lines.at(i).text), key)) {
                m_lines[i].text = text;
                done = true;
                break;
            }
        }
        if (!done) {
            // after the last non-blank line of the section
            int at = end;
            while (at > start + 1 && m_lines.at(at - 1).text.trimmed().isEmpty())
                --at;
            if (at == m_lines.size())
                ended();
            m_lines.insert(at, Line{text, m_eol});
        }
    }
}

QString IniFile::value(const QString& section, const QString& key) const
{
    const int start = sectionStart(section);
    if (start < 0)
        return QString();
    const int end = sectionEnd(start);
    for (int i = start + 1; i < end; ++i) {
        const QByteArray& t = m_lines.at(i).text;
        if (sameKey(keyOf(t), key))
            return QString::fromUtf8(t.mid(t.indexOf('=') + 1).trimmed());
    }
    return QString();
}

QStringList IniFile::sections() const
{
    QStringList out;
    for (const Line& l : m_lines)
        if (!sectionName(l.text).isEmpty())
            out << sectionName(l.text);
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

static bool isAscii(const QString& text)
{
    for (const QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

QString notUtf8Message()
{
    return QStringLiteral("数据源文件“%1”不是UTF-8编码（可能是GBK编码），程序没有改动它，以免改坏其中别的程序的设置；"
                          "数据源“Q7305”因此没有登记。成绩册本身可以照常使用。如果需要这个数据源，"
                          "请把这个文件另存为UTF-8编码，然后重新开启程序。")
        .arg(QDir::toNativeSeparators(iniPath()));
}

Step declare(const QString& databaseFile)
{
    const QString db = QDir::toNativeSeparators(QFileInfo(databaseFile).absoluteFilePath());
    // The program's lines are UTF-8; in a file of another encoding only lines
    // of plain ASCII can be added without mixing two encodings in it.
    {
        IniFile ini;
        if (ini.load(iniPath()) && !ini.isUtf8() && !isAscii(db)) {
            // Said once for a file as it is, not at every start.
            QSettings seen(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("墨竹成绩册"),
                           QStringLiteral("datasource"));
            const QByteArray fingerprint =
                QCryptographicHash::hash(ini.bytes() + QFile::encodeName(iniPath()), QCryptographicHash::Sha256).toHex();
            if (seen.value(QStringLiteral("untouched")).toByteArray() == fingerprint)
                return Step::NotUtf8Again;
            seen.setValue(QStringLiteral("untouched"), fingerprint);
            return Step::NotUtf8;
        }
    }
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
