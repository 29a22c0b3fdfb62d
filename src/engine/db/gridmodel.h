#pragma once
// The editable query behind every grid that edits data: it holds the rows of a
// SelectSpec together with their rowids, and writes an edited cell straight
// back to its row. Numeric columns take only numbers that are not negative,
// or an absence (a cleared cell, 缺考, 缺 or /: stored as null, which the runs
// count in nothing); 班号 takes a class
// number and 学号 and 姓名 a filled text without control characters.
// Numbers are shown as Num::shown shows them (rates as percentages);
// editing starts from the stored value.
//
// An edit lands only on the row it was typed into: when the table was
// changed since the grid read it (by another program, or by another window
// or run of this one), the edit is refused and the grid reads the rows
// again; a student's row is written by its rowid and its 学号 together, and
// nothing is written when they no longer agree.

#include "engine/db/database.h"
#include "engine/db/query.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QVector>
#include <functional>
#include <optional>

namespace Db {

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(QObject* parent = nullptr);

    void setQuery(const SelectSpec& query);
    const SelectSpec& query() const { return m_query; }
    QString queryText() const { return m_query.text(); }
    void open();  // runs the query; throws Error
    void close(); // forgets the rows
    bool isActive() const { return m_active; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    // Only these columns take edits (every column when the list is empty);
    // kept across queries.
    void setEditableColumns(const QStringList& columns) { m_editable = columns; }
    bool isEditable(int column) const;
    // A column title other than the one it has by default (the stored name
    // without its suffix: 语文1 -> 语文, see Rules::columnTitle); kept across
    // queries.
    void setTitle(const QString& column, const QString& title);

    qint64 rowid(int row) const;
    QVariant value(int row, const QString& column) const;
    // The stored values of every row, in the order of columnNames(): what an
    // export or a print hands on, shared rather than copied.
    const QList<QVariantList>& rows() const { return m_rows; }
    bool isNumeric(int column) const { return m_numeric.value(column); }
    int columnIndex(const QString& column) const { return int(m_columns.indexOf(column)); }
    const QStringList& columnNames() const { return m_columns; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation o, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    // Writes one cell; returns the message for the user when the text is
    // refused or could not be written (nothing was written then).
    QString write(int row, int column, const QString& text);

    // The full mark of a mark column ("语文1" -> 120) when one is known.
    using FullMarkFn = std::function<std::optional<double>(const QString& column)>;
    void setFullMarks(FullMarkFn fullMarks) { m_fullMarks = std::move(fullMarks); }
    // For a grade table: a blank mark, total or rank reads 缺考, as
    // the runs take it; editing it starts from an empty cell.
    void setAbsencesShown(bool shown) { m_absencesShown = shown; }
    bool absencesShown() const { return m_absencesShown; }
    // Columns worked out from each row as it is read and shown right after
    // the column `after` (应考 and 缺考 beside an analysis row's 人数). They
    // are numbers, never editable and never written back; without `after`
    // in the query there are none.
    struct Derived {
        QString after;
        QStringList names;
        std::function<QVariantList(const QStringList& columns, const QVariantList& row)> values;
    };
    void setDerived(Derived derived) { m_derived = std::move(derived); }
    // A mark above its column's full mark in the text about to be written
    // into the cell; nothing otherwise. The grid asks about it once its
    // editor is closed and writes only on yes.
    struct AboveFull {
        QString who;    // the row's 姓名, else "第N行"
        QString column; // the stored column (语文1)
        double mark = 0;
        double full = 0;
    };
    std::optional<AboveFull> aboveFull(int row, int column, const QString& text) const;

signals:
    void editRejected(const QString& message);

private:
    struct Rows {
        QVector<qint64> rowids;
        QVector<QVariantList> values;
        QVariantList numbers; // each row's 学号, for a grade table
    };
    Rows read() const;
    // Puts read rows in place of the shown ones, keeping the columns (and so
    // the grid's column widths).
    void replaceRows(Rows rows);
    QString writeChecked(int row, int column, const QVariant& stored, const QString& text);

    SelectSpec m_query;
    QStringList m_columns;
    QVector<bool> m_numeric;
    QVector<qint64> m_rowids;
    QVector<QVariantList> m_rows;
    QStringList m_editable;
    QHash<QString, QString> m_titles;
    bool m_active = false;
    bool m_readOnly = false;
    bool m_students = false; // a grade table: one row per student
    QVariantList m_numbers;  // the 学号 of each row, read with it
    ChangeMark m_seen;       // the database's change mark when the rows were read
    FullMarkFn m_fullMarks;
    bool m_absencesShown = false;
    Derived m_derived;
};

} // namespace Db
