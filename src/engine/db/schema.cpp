#include "engine/db/schema.h"

#include "engine/db/database.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

static void initSchemaResource()
{
    Q_INIT_RESOURCE(schema);
}

namespace Db {

QString schemaScript()
{
    initSchemaResource();
    QFile f(":/schema.sql");
    if (!f.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("找不到数据库结构脚本"));
    return QString::fromUtf8(f.readAll());
}

void createBlankDatabase(const QString& file)
{
    if (QFileInfo::exists(file))
        throw Error(QStringLiteral("文件已存在，不会覆盖：%1").arg(file));
    const QString script = schemaScript();
    const QString name = QStringLiteral("schema-maker");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
        db.setDatabaseName(file);
        if (!db.open())
            throw Error(db.lastError().text());
        QStringList lines;
        for (const QString& line : script.split('\n'))
            if (!line.trimmed().startsWith("--"))
                lines << line;
        QString failure;
        db.transaction();
        for (const QString& stmt : lines.join('\n').split(";\n")) {
            if (stmt.trimmed().isEmpty())
                continue;
            QSqlQuery q(db);
            if (!q.exec(stmt)) {
                failure = q.lastError().text() + "\n" + stmt;
                break;
            }
        }
        if (failure.isEmpty())
            db.commit();
        else
            db.rollback();
        db.close();
        if (!failure.isEmpty()) {
            QSqlDatabase::removeDatabase(name);
            QFile::remove(file);
            throw Error(failure);
        }
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace Db
