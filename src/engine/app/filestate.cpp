#include "engine/app/filestate.h"

#include <QFile>
#include <QFileInfo>
#include <unistd.h>

namespace Files {

namespace {

QString& unwritableFolder()
{
    static QString folder;
    return folder;
}

} // namespace

FileState fileState(const QString& file)
{
    const QFileInfo fi(file);
    FileState st;
    st.exists = fi.exists();
    st.isFolder = fi.isDir();
    const QByteArray path = QFile::encodeName(fi.absoluteFilePath());
    const QByteArray folder = QFile::encodeName(fi.absolutePath());
    st.fileWritable = !st.exists || ::access(path.constData(), W_OK) == 0;
    st.folderWritable = ::access(folder.constData(), W_OK) == 0;
    if (!unwritableFolder().isEmpty() && QFileInfo(unwritableFolder()).absoluteFilePath() == fi.absolutePath())
        st.folderWritable = false;
    return st;
}

void setUnwritableFolderForTests(const QString& folder)
{
    unwritableFolder() = folder;
}

} // namespace Files
