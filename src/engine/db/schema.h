#pragma once
#include <QString>

namespace Db {
// Creates a new grade database file with every table and the initial rows of
// the blank template. Refuses to touch an existing file.
void createBlankDatabase(const QString& file);
// The schema script itself.
QString schemaScript();
} // namespace Db
