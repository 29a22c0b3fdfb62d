#include "engine/db/gridmodel.h"

#include "engine/db/database.h"
#include "engine/rules/numbers.h"
#include "engine/rules/subjects.h"
#include "engine/rules/titles.h"

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
    m_students = hasColumn(m_spec.table, QStringLiteral("学号"));
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
        // The whole-grade row and a saved row's subject read as a teacher says them.
        if (role == Qt::DisplayRole && Rules::isWholeGrade(m_columns.at(index.column()), v))
            return QStringLiteral("全级");
        if (role == Qt::DisplayRole && m_columns.at(index.column()) == QStringLiteral("科目"))
            return Rules::shownValue(QStringLiteral("科目"), v);
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
        return m_titles.value(m_columns.value(section), Rules::columnTitle(m_columns.value(section)));
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
    // A refusal names the row and, where the grid shows one, the student:
    // the teacher may have typed down a column past the cell in view.
    auto refuse = [&](const QString& why) {
        const int nameColumn = columnIndex("姓名");
        const QString student = nameColumn >= 0 && nameColumn != column ? value(row, "姓名").toString().trimmed() : QString();
        const QString where = student.isEmpty() ? QStringLiteral("第%1行").arg(row + 1)
                                                : QStringLiteral("第%1行（%2）").arg(row + 1).arg(student);
        return where + QStringLiteral("：") + why;
    };
    // Class numbers of students: the analysis table's 班号 100 (the whole
    // grade) is no student's class.
    const bool isClass = name == QStringLiteral("班号") && m_students;
    QVariant stored;
    if (m_numeric.at(column)) {
        const Num::MarkCell cell = Num::markCell(text);
        if (cell.kind == Num::MarkCell::NotANumber)
            return refuse(QStringLiteral("“%1”一栏只能填数字，“%2”不是数字（缺考的学生可以空着，或填“缺考”“缺”“/”）")
                              .arg(name, text));
        if (cell.kind == Num::MarkCell::Negative)
            return refuse(QStringLiteral("“%1”一栏不能填负数，“%2”小于0").arg(name, text));
        if (cell.kind == Num::MarkCell::Mark) {
            stored = cell.mark;
            if (isClass) {
                if (cell.mark != double(qint64(cell.mark)))
                    return refuse(QStringLiteral("班号必须是整数，“%1”不是整数").arg(text));
                if (!Rules::isClassNumber(qint64(cell.mark)))
                    return refuse(Rules::classProblem(qint64(cell.mark)));
                stored = qint64(cell.mark);
            }
        } else if (isClass) {
            // A row without a class drops out of every class's results.
            return refuse(QStringLiteral("班号不能是空的"));
        } else {
            // Cleared, or 缺考 typed: the student was absent and the cell holds
            // nothing, not the old mark kept behind the user's back.
            stored = QVariant(QMetaType(QMetaType::Double));
        }
    } else {
        if (!Rules::isCleanText(text))
            return refuse(QStringLiteral("“%1”一栏不能有制表符、换行等控制字符").arg(name));
        if ((name == QStringLiteral("姓名") || name == QStringLiteral("学号")) && text.trimmed().isEmpty())
            return refuse(QStringLiteral("%1不能是空的").arg(name));
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

QString GridModel::aboveFullQuestion(int row, int column, const QString& text) const
{
    if (!m_fullMarks || column < 0 || column >= m_columns.size() || !m_numeric.at(column))
        return {};
    const auto mark = Num::parseNumber(text);
    const auto full = m_fullMarks(m_columns.at(column));
    if (!mark || !full || *mark <= *full)
        return {};
    const QString who = columnIndex("姓名") >= 0 ? value(row, "姓名").toString() : QStringLiteral("第%1行").arg(row + 1);
    return QStringLiteral("%1的“%2”成绩%3高于满分值%4，确实要填入吗？")
        .arg(who, m_columns.at(column), Num::format(*mark), Num::format(*full));
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
