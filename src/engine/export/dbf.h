#pragma once
// dBASE III tables (.dbf) for older tools, written with shapelib: text in GBK
// and the code-page byte of code page 936 (0x7A) in the header.

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

namespace Export {

struct DbfField {
    QString column;    // the column it comes from
    QByteArray name;   // GBK, at most 10 bytes, unique
    char type = 'C';   // 'C' text (width in bytes), 'N' number
    int width = 10;
    int decimals = 0;
};

// A field name within dBASE's ten bytes, cut on a character boundary and made
// unique against the names already used ("~1" ... replaces its end on a clash).
QByteArray dbfFieldName(const QString& column, const QSet<QByteArray>& used);

// The fields for columns and their values: text columns as wide as their
// longest value in GBK (1 to 254 bytes), number columns wide enough for their
// largest value with as many decimals as their values carry (at most 4).
QList<DbfField> dbfFields(const QStringList& columns, const QList<bool>& numeric, const QList<QVariantList>& rows,
                          const std::function<void(qint64, qint64)>& progress = {});

struct DbfResult {
    int rows = 0;
    QStringList shortened; // values that had to be cut or had characters GBK lacks
};

// Writes the file through a temporary name; Db::Error on any failure, the
// previous file kept. `progress` (rows done of all rows) may stop the write
// by throwing Export::Cancelled: then nothing is left either.
DbfResult writeDbf(const QString& path, const QList<DbfField>& fields, const QList<QVariantList>& rows,
                   const std::function<void(qint64, qint64)>& progress = {});

} // namespace Export
