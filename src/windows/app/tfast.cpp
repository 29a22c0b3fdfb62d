#include "windows/app/tfast.h"

#include "engine/app/desktopentry.h"
#include "engine/db/database.h"

#include <QtGlobal>

Tfast::Tfast() : Form(QStringLiteral("创建桌面快捷方式")) {}

void Tfast::FormCreate()
{
    // A desktop that cannot take the entry is no reason to bother the user at
    // every start; the program works without it.
    try {
        m_entry = DesktopEntry::create();
    } catch (const Db::Error& e) {
        m_entry.clear();
        qWarning("%s", e.what());
    }
}
