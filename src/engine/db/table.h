#pragma once
// A row cursor over one whole table, walked in stored order (rowid order).
// Windows use it for the small bookkeeping tables and single-row edits; the
// processing runs and saves read and write in bulk instead.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>
#include <QVector>

namespace Db {

class Table {
public:
    Table() = default;
    explicit Table(QString name) : m_name(std::move(name)) {}

    // The name of a closed table may change before it is opened again.
    void setTableName(const QString& name);
    const QString& tableName() const { return m_name; }

    void open();
    void close();
    bool isOpen() const { return m_open; }
    void refresh();

    void first();
    void next();
    void prior();
    void last();
    // True on an empty table and after next() from the last row.
    bool eof() const { return m_eof; }
    bool isEmpty() const { return m_rowids.isEmpty(); }
    int recordCount() const { return int(m_rowids.size()); }
    int position() const { return m_pos; }
    qint64 rowid() const;

    QStringList columns() const;
    // A column of the current row by name, null when blank.
    QVariant value(const QString& column) const;
    QString text(const QString& column) const;
    // The column as an integer; a blank or non-numeric value is an error.
    qint64 integer(const QString& column) const;

    // Edit the current row; post() writes the assigned columns back.
    void edit();
    void setValue(const QString& column, const QVariant& value);
    void post();
    void cancel();
    bool isEditing() const { return m_editing; }

    // Appends a row from values in column order; later columns stay null.
    // The new row becomes the current one.
    void appendPositional(const QVariantList& values);
    // Appends a row from named values.
    void append(const QVariantMap& values);
    // Puts a row before the current one in stored order (at the end when the
    // table is empty); the new row becomes the current one.
    void insertBefore(const QVariantMap& values);
    // Deletes the current row; the row after it (or the new last row) becomes current.
    void deleteCurrent();
    // Deletes every row.
    void empty();

private:
    void requireOpen() const;
    void requireRow() const;
    void load();
    void fetchCurrent() const;

    QString m_name;
    bool m_open = false;
    QVector<qint64> m_rowids;
    int m_pos = -1;
    bool m_eof = true;
    QStringList m_columns;
    mutable qint64 m_cachedRowid = -1;
    mutable QVariantList m_cache;
    bool m_editing = false;
    QVariantMap m_pending;
};

} // namespace Db
