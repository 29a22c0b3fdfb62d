#pragma once
// Comma-separated text the batch tool writes: any table's rows, as its
// export does. (Files are read through the import: src/engine/import.)

#include <QString>
#include <QStringList>
#include <QVariant>

namespace Batch {

// One CSV record per line of output: fields quoted only when they must be.
QString csvField(const QString& text);
QString csvLine(const QStringList& fields);
// A stored value as export text: blank for null, numbers in their shortest
// exact form (85, 59.5), text as it is.
QString exportText(const QVariant& value);

} // namespace Batch
