#include "enginetest.h"

#include "engine/app/paths.h"
#include "engine/db/database.h"

#include <QDir>
#include <QFile>

TestEnv::TestEnv()
{
    QDir(m_dir.path()).mkpath("program/database");
    QDir(m_dir.path()).mkpath("home/Desktop");
    QDir(m_dir.path()).mkpath("xdg/config");
    QDir(m_dir.path()).mkpath("xdg/data");
    QDir(m_dir.path()).mkpath("xdg/cache");
    QFile::copy(GRADEBOOK_KONG, programDir() + "/database/kong");
    QFile::copy(GRADEBOOK_KONG, databaseFile());
    QFile::setPermissions(databaseFile(), QFile::ReadOwner | QFile::WriteOwner);
    qputenv("HOME", (m_dir.path() + "/home").toUtf8());
    qputenv("XDG_CONFIG_HOME", (m_dir.path() + "/xdg/config").toUtf8());
    qputenv("XDG_DATA_HOME", (m_dir.path() + "/xdg/data").toUtf8());
    qputenv("XDG_CACHE_HOME", (m_dir.path() + "/xdg/cache").toUtf8());
    qputenv("XDG_DESKTOP_DIR", (m_dir.path() + "/home/Desktop").toUtf8());
    qputenv("ODBCINI", odbcIni().toUtf8());
    Paths::setProgramDir(programDir());
}

TestEnv::~TestEnv()
{
    Db::close();
    Paths::setProgramDir(QString());
}

QString TestEnv::programDir() const
{
    return m_dir.path() + "/program";
}

QString TestEnv::databaseFile() const
{
    return programDir() + "/database/Q7305.mdb";
}

QString TestEnv::odbcIni() const
{
    return m_dir.path() + "/home/.odbc.ini";
}

void TestEnv::openDb()
{
    Db::open(databaseFile());
}

namespace Fixture {

void student(const QString& table, const QString& number, int cls, const QString& name,
             const QVariantMap& marks)
{
    const QStringList cols = Db::columns(table);
    QStringList names, holders;
    QVariantList binds;
    for (const QString& c : cols) {
        if (c == "序号")
            continue;
        names << Db::quote(c);
        holders << "?";
        if (c == "学号")
            binds << number;
        else if (c == "班号")
            binds << cls;
        else if (c == "姓名")
            binds << name;
        else
            binds << marks.value(c, 0);
    }
    Db::exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                 .arg(Db::quote(table), names.join(','), holders.join(',')),
             binds);
}

QVariantList column(const QString& table, const QString& col)
{
    QVariantList out;
    for (const auto& r : Db::selectRows(
             QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(Db::quote(col), Db::quote(table))))
        out << r.first();
    return out;
}

QVariant value(const QString& table, const QString& col, int row)
{
    return column(table, col).value(row);
}

QString dump(const QString& table)
{
    QString out;
    for (const auto& r : Db::selectRows(QStringLiteral("SELECT rowid, * FROM %1 ORDER BY rowid").arg(Db::quote(table)))) {
        QStringList cells;
        for (const QVariant& v : r)
            cells << (v.isNull() ? QStringLiteral("<null>") : v.toString());
        out += cells.join('|') + '\n';
    }
    return out;
}

void setCheck(const QVariantMap& values)
{
    for (auto it = values.constBegin(); it != values.constEnd(); ++it)
        Db::exec(QStringLiteral("UPDATE \"check\" SET %1 = ?").arg(Db::quote(it.key())), {it.value()});
}

} // namespace Fixture
