#include "engine/db/indexes.h"

#include "engine/db/database.h"

#include <QtGlobal>

namespace Db {

void addQueryIndexes()
{
    // The student record searches the saved grades by a prefix of the name
    // or number on every keystroke. SQLite serves a LIKE prefix from an
    // index only when the index compares without case, as LIKE does.
    static const char* const statements[] = {
        "CREATE INDEX IF NOT EXISTS \"cjsave_name\" ON \"cjsave\" (\"姓名\" COLLATE NOCASE)",
        "CREATE INDEX IF NOT EXISTS \"cjsave_number\" ON \"cjsave\" (\"学号\" COLLATE NOCASE)",
        // The student record lists the students a typed beginning names:
        // 学号 and 姓名 together, in the order of either.
        "CREATE INDEX IF NOT EXISTS \"cjsave_student_by_number\" ON \"cjsave\" (\"学号\", \"姓名\")",
        "CREATE INDEX IF NOT EXISTS \"cjsave_student_by_name\" ON \"cjsave\" (\"姓名\", \"学号\")",
    };
    if (!hasTable(QStringLiteral("cjsave")))
        return;
    for (const char* sql : statements) {
        try {
            exec(QString::fromUtf8(sql));
        } catch (const Error& e) {
            qWarning("%s", e.what());
        }
    }
}

} // namespace Db
