#pragma once
#include <QString>

namespace Paths {
// The folder of the running program file; tests point it at a temporary folder.
QString programDir();
void setProgramDir(const QString& dir);
QString databaseDir();     // <program folder>/database
QString databaseFile();    // <program folder>/database/Q7305.mdb
QString templateFile();    // <program folder>/database/kong
inline constexpr const char* kProgramFileName = "A墨竹成绩册21";
} // namespace Paths
