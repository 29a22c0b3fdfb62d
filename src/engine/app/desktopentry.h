#pragma once
// The program's entry on the user's desktop: a freedesktop.org desktop entry,
// written again at every start so that it always names this program folder.

#include <QString>

namespace DesktopEntry {

inline constexpr const char* kFileName = "A墨竹成绩册21.desktop";

// The entry's text: Exec the program folder's program under its fixed name
// (whatever the running file is called), Path the program folder.
QString contents(const QString& programDir);

// Writes the entry into the folder, replacing an earlier one, and marks it
// executable, as desktops want before they trust an entry. Returns its path;
// throws Db::Error when it cannot be written.
QString write(const QString& programDir, const QString& desktopDir);

// The current user's desktop folder; empty when the user has none.
QString desktopFolder();

// What start-up does: the entry for this program folder on the desktop.
// A user without a desktop folder gets none; returns the path written or empty.
QString create();

} // namespace DesktopEntry
