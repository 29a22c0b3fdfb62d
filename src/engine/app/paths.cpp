#include "engine/app/paths.h"

#include <QCoreApplication>

namespace Paths {

static QString& overrideDir()
{
    static QString dir;
    return dir;
}

QString programDir()
{
    if (!overrideDir().isEmpty())
        return overrideDir();
    return QCoreApplication::applicationDirPath();
}

void setProgramDir(const QString& dir)
{
    overrideDir() = dir;
}

QString databaseDir()
{
    return programDir() + "/database";
}

QString databaseFile()
{
    return databaseDir() + "/Q7305.mdb";
}

QString templateFile()
{
    return databaseDir() + "/kong";
}

} // namespace Paths
