#include "engine/db/gridmodel.h"

#include "engine/db/database.h"
#include "engine/rules/numbers.h"

namespace Db {

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {}

void GridModel::setQuery(const SelectSpec& query)
{
    close();
    m_spec = query;
}

void GridModel::open()
{
    const QStringList cols = m_spec.resolvedColumns();
    const auto rows = select(m_spec, true);
    beginResetModel();
    m_columns = cols;
    m_numeric.clear();
    for (const QString& c : cols)
        m_numeric << isNumericColumn(m_spec.table, c);
    m_rowids.clear();
    m_rows.clear();
    m_rowids.reserve(rows.size());
    m_rows.reserve(rows.size());
    for (const QVariantList& r : rows) {
        m_rowids << r.first().toLongLong();
        m_rows << r.mid(1);
    }
    m_active = true;
    endResetModel();
}

void GridModel::close()
{
    beginResetModel();
    m_rows.clear();
    m_rowids.clear();
    m_active = false;
    endResetModel();
}

qint64 GridModel::rowid(int row) const
{
    return m_rowids.value(row, -1);
}

QVariant GridModel::value(int row, const QString& column) const
{
    const int c = columnIndex(column);
    if (row < 0 || row >= m_rows.size() || c < 0)
        return {};
    return m_rows.at(row).at(c);
}

int GridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int GridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_active ? 0 : int(m_columns.size());
}

QVariant GridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const QVariant& v = m_rows.at(index.row()).at(index.column());
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        if (v.isNull())
            return QString();
        if (m_numeric.value(index.column()) && v.canConvert<double>()
            && v.typeId() != QMetaType::QString)
            return role == Qt::DisplayRole ? Num::shown(m_columns.at(index.column()), v.toDouble())
                                           : Num::format(v.toDouble());
        return v.toString();
    }
    if (role == Qt::TextAlignmentRole && m_numeric.value(index.column()))
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant GridModel::headerData(int section, Qt::Orientation o, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (o == Qt::Horizontal)
        return m_titles.value(m_columns.value(section), m_columns.value(section));
    return section + 1;
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && isEditable(index.column()))
        f |= Qt::ItemIsEditable;
    return f;
}

bool GridModel::isEditable(int column) const
{
    if (m_readOnly || column < 0 || column >= m_columns.size())
        return false;
    return m_editable.isEmpty() || m_editable.contains(m_columns.at(column));
}

void GridModel::setTitle(const QString& column, const QString& title)
{
    m_titles.insert(column, title);
    const int c = columnIndex(column);
    if (m_active && c >= 0)
        emit headerDataChanged(Qt::Horizontal, c, c);
}

QString GridModel::write(int row, int column, const QString& text)
{
    if (row < 0 || row >= m_rows.size() || !isEditable(column))
        return QStringLiteral("该单元格不能修改");
    const QString& name = m_columns.at(column);
    QVariant stored;
    if (m_numeric.at(column)) {
        if (!text.trimmed().isEmpty()) {
            const auto n = Num::parseNumber(text);
            if (!n)
                return QStringLiteral("“%1”一栏只能填数字，“%2”不是数字").arg(name, text);
            stored = *n;
            if (name == QStringLiteral("班号")) {
                if (*n != double(qint64(*n)))
                    return QStringLiteral("班号必须是整数，“%1”不是整数").arg(text);
                stored = qint64(*n);
            }
        } else {
            stored = QVariant(QMetaType(QMetaType::Double));
        }
    } else {
        stored = text;
    }
    exec(QStringLiteral("UPDATE %1 SET %2 = ? WHERE rowid = ?")
             .arg(table(m_spec.table), Db::column(m_spec.table, name)),
         {stored, m_rowids.at(row)});
    m_rows[row][column] = stored;
    const QModelIndex i = index(row, column);
    emit dataChanged(i, i);
    return {};
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid())
        return false;
    QString message;
    try {
        message = write(index.row(), index.column(), value.toString());
    } catch (const Error& e) {
        message = e.text();
    }
    if (!message.isEmpty()) {
        emit editRejected(message);
        return false;
    }
    return true;
}

} // namespace Db
