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
    m_query = query;
}

GridModel::Rows GridModel::read() const
{
    auto query = m_query;
    const QStringList cols = query.resolvedColumns();
    // A student's 学号 goes with every edit of the row, shown or not.
    const bool students = hasColumn(query.table, QStringLiteral("学号"));
    const int number = students ? int(cols.indexOf(QStringLiteral("学号"))) : -1;
    if (students && number < 0)
        query.columns = cols + QStringList{QStringLiteral("学号")};
    Rows out;
    const auto rows = select(query, true);
    out.rowids.reserve(rows.size());
    out.values.reserve(rows.size());
    const int after = m_derived.values ? int(cols.indexOf(m_derived.after)) : -1;
    for (const QVariantList& r : rows) {
        out.rowids << r.first().toLongLong();
        QVariantList values = r.mid(1, cols.size());
        if (after >= 0) {
            const QVariantList extra = m_derived.values(cols, values);
            for (qsizetype i = 0; i < m_derived.names.size(); ++i)
                values.insert(after + 1 + i, extra.value(i));
        }
        out.values << values;
        if (students)
            out.numbers << r.at(1 + (number >= 0 ? number : int(cols.size())));
    }
    return out;
}

void GridModel::open()
{
    const QStringList cols = m_query.resolvedColumns();
    // Taken before the read: a change that lands in between is seen at the next edit.
    const ChangeMark mark = changeMark();
    Rows rows = read();
    beginResetModel();
    m_columns = cols;
    m_numeric.clear();
    for (const QString& c : cols)
        m_numeric << isNumericColumn(m_query.table, c);
    if (const int after = m_derived.values ? int(cols.indexOf(m_derived.after)) : -1; after >= 0)
        for (qsizetype i = 0; i < m_derived.names.size(); ++i) {
            m_columns.insert(after + 1 + i, m_derived.names.at(i));
            m_numeric.insert(after + 1 + i, true);
        }
    m_rowids = std::move(rows.rowids);
    m_rows = std::move(rows.values);
    m_numbers = std::move(rows.numbers);
    m_students = hasColumn(m_query.table, QStringLiteral("学号"));
    m_seen = mark;
    m_active = true;
    endResetModel();
}

void GridModel::replaceRows(Rows rows)
{
    const int before = int(m_rows.size()), after = int(rows.values.size());
    if (after < before) {
        beginRemoveRows({}, after, before - 1);
        m_rows.resize(after);
        m_rowids.resize(after);
        endRemoveRows();
    } else if (after > before) {
        beginInsertRows({}, before, after - 1);
        m_rows.resize(after);
        m_rowids.resize(after);
        endInsertRows();
    }
    m_rowids = std::move(rows.rowids);
    m_rows = std::move(rows.values);
    m_numbers = std::move(rows.numbers);
    if (after > 0 && !m_columns.isEmpty())
        emit dataChanged(index(0, 0), index(after - 1, int(m_columns.size()) - 1));
}

void GridModel::close()
{
    beginResetModel();
    m_rows.clear();
    m_rowids.clear();
    m_numbers.clear();
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
    const bool absent = v.isNull() && m_absencesShown && Rules::isScoreColumn(m_columns.at(index.column()));
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        if (v.isNull())
            return absent && role == Qt::DisplayRole ? Rules::kAbsent : QString();
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
    if (m_readOnly || column < 0 || column >= m_columns.size() || m_derived.names.contains(m_columns.at(column)))
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
    try {
        return writeChecked(row, column, stored, text);
    } catch (const Error& e) {
        return e.text();
    }
}

QString GridModel::writeChecked(int row, int column, const QVariant& stored, const QString& text)
{
    const QString& name = m_columns.at(column);
    const QString who = columnIndex("姓名") >= 0 ? value(row, "姓名").toString().trimmed() : QString();
    const QString edit = text.trimmed().isEmpty() ? QStringLiteral("清空的“%1”").arg(name)
                                                  : QStringLiteral("输入的“%1”").arg(text.trimmed());
    const QString changed =
        QStringLiteral("这张表在显示出来之后已被另一个程序或窗口改动过（例如重新导入了名单），刚才在第%1行%2%3没有写入。"
                       "表格已重新读出，请核对每一行的学生后再输入。")
            .arg(row + 1)
            .arg(who.isEmpty() ? QString() : QStringLiteral("（%1）").arg(who), edit);
    // The write lock first: no other program can change the table between
    // the check and the write.
    Transaction tx;
    if (changeMark() != m_seen) {
        const ChangeMark mark = changeMark();
        Rows now = read();
        if (now.rowids != m_rowids || now.values != m_rows || now.numbers != m_numbers) {
            replaceRows(std::move(now));
            m_seen = mark;
            return changed;
        }
        m_seen = mark;
    }
    const QString set = QStringLiteral("UPDATE %1 SET %2 = ? WHERE rowid = ?")
                            .arg(table(m_query.table), Db::column(m_query.table, name));
    QSqlQuery up = prepare(m_students ? set + QStringLiteral(" AND \"学号\" IS ?") : set);
    QVariantList binds{stored, m_rowids.at(row)};
    if (m_students)
        binds << m_numbers.value(row);
    exec(up, binds);
    if (up.numRowsAffected() != 1) {
        // The row no longer holds the student it showed.
        const ChangeMark mark = changeMark();
        replaceRows(read());
        m_seen = mark;
        return changed;
    }
    // The cell shows what the database now holds, as a fresh read would.
    const QVariant now = selectValue(QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                                         .arg(Db::column(m_query.table, name), table(m_query.table)),
                                     {m_rowids.at(row)});
    tx.commit();
    m_seen = changeMark();
    m_rows[row][column] = now;
    if (name == QStringLiteral("学号") && m_students)
        m_numbers[row] = now;
    const QModelIndex i = index(row, column);
    emit dataChanged(i, i);
    return {};
}

std::optional<GridModel::AboveFull> GridModel::aboveFull(int row, int column, const QString& text) const
{
    if (!m_fullMarks || column < 0 || column >= m_columns.size() || !m_numeric.at(column))
        return std::nullopt;
    const auto mark = Num::parseNumber(text);
    const auto full = m_fullMarks(m_columns.at(column));
    if (!mark || !full || *mark <= *full)
        return std::nullopt;
    const QString who = columnIndex("姓名") >= 0 ? value(row, "姓名").toString() : QStringLiteral("第%1行").arg(row + 1);
    return AboveFull{who, m_columns.at(column), *mark, *full};
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
