#pragma once
// Indexes the query windows lean on, added to a database file when it is
// opened: files made before they existed get them too, and nothing else of
// the file changes.

namespace Db {

// CREATE INDEX IF NOT EXISTS for each; a file that cannot take them (read
// only, locked) is still used, only more slowly.
void addQueryIndexes();

} // namespace Db
