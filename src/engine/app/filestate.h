#pragma once
// What the file system says about a file before the program writes to it.

#include <QString>

namespace Files {

// What the file system says about a database file, for telling a read-only
// file from a read-only folder in a message.
struct FileState {
    bool exists = false;
    bool isFolder = false;
    bool fileWritable = true;
    bool folderWritable = true;
};
FileState fileState(const QString& file);
// For tests, which run as root (who may write anywhere): the folder reads as
// one that cannot be written, as on a read-only disk. Empty: none.
void setUnwritableFolderForTests(const QString& folder);

} // namespace Files
