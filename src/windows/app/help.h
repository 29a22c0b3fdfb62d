#pragma once
// The help item of the main window: the help document 1.chm of the database
// folder when the desktop has a viewer for it, else the program's own guide.
// The desktop's opener is a seam: tests record what would be opened.

#include <QString>
#include <QUrl>
#include <functional>

namespace Help {

// 1.chm in the database folder.
QString chmFile();
// The guide shipped in the database folder (HTML, opened by the web browser).
QString guideFile();

// Opens a document with the desktop's default program; true when it started.
using Opener = std::function<bool(const QUrl&)>;
// Whether the desktop has a program for a file's type.
using ViewerCheck = std::function<bool(const QString& file)>;
// Empty functions restore the desktop's own.
void setOpener(Opener opener);
void setViewerCheck(ViewerCheck check);

// What the menu item does. A missing guide or a desktop that cannot open it
// gets a message that names the file.
void open();

} // namespace Help
