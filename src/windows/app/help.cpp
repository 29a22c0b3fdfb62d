#include "windows/app/help.h"

#include "windows/app/messages.h"
#include "engine/app/paths.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <optional>

namespace Help {

namespace {

Opener& opener()
{
    static Opener o;
    return o;
}

ViewerCheck& viewerCheck()
{
    static ViewerCheck c;
    return c;
}

bool openWithDesktop(const QUrl& url)
{
    return opener() ? opener()(url) : QDesktopServices::openUrl(url);
}

// A Linux desktop opens any file "successfully" (the opener starts and then
// finds nothing); asking for the type's default program tells beforehand.
// Nothing when it cannot be asked (no xdg-mime).
std::optional<bool> viewerKnown(const QString& file)
{
    if (viewerCheck())
        return viewerCheck()(file);
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty())
        return std::nullopt;
    const QString type = QMimeDatabase().mimeTypeForFile(file).name();
    QProcess query;
    query.start(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), type});
    if (!query.waitForFinished(3000)) {
        query.kill();
        query.waitForFinished(1000);
        return std::nullopt;
    }
    return query.exitCode() == 0 && !query.readAllStandardOutput().trimmed().isEmpty();
}

bool desktopHasViewer(const QString& file)
{
    return viewerKnown(file).value_or(false);
}

} // namespace

QString chmFile()
{
    return Paths::databaseDir() + "/1.chm";
}

QString guideFile()
{
    return Paths::databaseDir() + "/help/index.html";
}

void setOpener(Opener o)
{
    opener() = std::move(o);
}

void setViewerCheck(ViewerCheck c)
{
    viewerCheck() = std::move(c);
}

void open()
{
    const QString chm = chmFile();
    if (QFileInfo(chm).isFile() && desktopHasViewer(chm) && openWithDesktop(QUrl::fromLocalFile(chm)))
        return;
    const QString guide = guideFile();
    if (!QFileInfo(guide).isFile()) {
        Msg::warning(QStringLiteral("找不到使用说明：%1").arg(QDir::toNativeSeparators(guide)));
        return;
    }
    // Without a browser the desktop "opens" the page and shows nothing: say so.
    if (viewerKnown(guide) == false) {
        Msg::warning(QStringLiteral("这台电脑上没有可以打开网页的浏览器，使用说明打不开。\n"
                                    "使用说明是这个文件：%1\n可以安装一个网页浏览器，或把它复制到别的电脑上打开。")
                         .arg(QDir::toNativeSeparators(guide)));
        return;
    }
    if (!openWithDesktop(QUrl::fromLocalFile(guide)))
        Msg::warning(QStringLiteral("无法打开使用说明，请用网页浏览器打开这个文件：%1").arg(QDir::toNativeSeparators(guide)));
}

} // namespace Help
