#include "engine/db/table.h"

#include "engine/db/database.h"
#include "engine/rules/numbers.h"

namespace Db {

void Table::setTableName(const QString& name)
{
    if (m_open)
        throw Error(QStringLiteral("表“%1”打开时不能改名").arg(m_name));
    m_name = name;
}

void Table::open()
{
    if (m_open)
        return;
    Db::table(m_name); // refuses unknown names
    m_columns = Db::columns(m_name);
    load();
    m_open = true;
    first();
}

void Table::close()
{
    m_open = false;
    m_editing = false;
    m_pending.clear();
    m_rowids.clear();
    m_pos = -1;
    m_eof = true;
    m_cachedRowid = -1;
}

void Table::load()
{
    m_rowids.clear();
    QSqlQuery q = prepare(QStringLiteral("SELECT rowid FROM %1 ORDER BY rowid").arg(Db::table(m_name)));
    exec(q);
    while (Db::next(q))
        m_rowids.append(q.value(0).toLongLong());
    m_cachedRowid = -1;
}

void Table::refresh()
{
    requireOpen();
    const qint64 current = m_pos >= 0 && m_pos < m_rowids.size() ? m_rowids.at(m_pos) : -1;
    load();
    const int idx = int(m_rowids.indexOf(current));
    if (idx >= 0) {
        m_pos = idx;
        m_eof = false;
    } else {
        first();
    }
}

void Table::requireOpen() const
{
    if (!m_open)
        throw Error(QStringLiteral("表“%1”没有打开").arg(m_name));
}

void Table::requireRow() const
{
    requireOpen();
    if (m_pos < 0 || m_pos >= m_rowids.size())
        throw Error(QStringLiteral("表“%1”中没有当前记录").arg(m_name));
}

void Table::first()
{
    requireOpen();
    if (m_editing)
        post();
    m_pos = m_rowids.isEmpty() ? -1 : 0;
    m_eof = m_rowids.isEmpty();
}

void Table::next()
{
    requireOpen();
    if (m_editing)
        post();
    if (m_pos + 1 < m_rowids.size())
        ++m_pos;
    else
        m_eof = true;
}

void Table::prior()
{
    requireOpen();
    if (m_editing)
        post();
    if (m_pos > 0)
        --m_pos;
    m_eof = m_rowids.isEmpty();
}

void Table::last()
{
    requireOpen();
    if (m_editing)
        post();
    m_pos = int(m_rowids.size()) - 1;
    m_eof = m_rowids.isEmpty();
}

qint64 Table::rowid() const
{
    requireRow();
    return m_rowids.at(m_pos);
}

QStringList Table::columns() const
{
    return m_open ? m_columns : Db::columns(m_name);
}

void Table::fetchCurrent() const
{
    const qint64 id = rowid();
    if (id == m_cachedRowid)
        return;
    QStringList cols;
    for (const QString& c : m_columns)
        cols << quote(c);
    const auto rows = selectRows(QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                                     .arg(cols.join(','), Db::table(m_name)),
                                 {id});
    if (rows.isEmpty())
        throw Error(QStringLiteral("表“%1”中的当前记录已被删除").arg(m_name));
    m_cache = rows.first();
    m_cachedRowid = id;
}

QVariant Table::value(const QString& col) const
{
    requireRow();
    const int i = int(m_columns.indexOf(col));
    if (i < 0)
        Db::column(m_name, col); // throws the unknown-column error
    if (m_editing && m_pending.contains(col))
        return m_pending.value(col);
    fetchCurrent();
    return m_cache.at(i);
}

QString Table::text(const QString& col) const
{
    const QVariant v = value(col);
    if (v.isNull())
        return QString();
    if (v.typeId() == QMetaType::Double)
        return Num::format(v.toDouble());
    return v.toString();
}

qint64 Table::integer(const QString& col) const
{
    const QVariant v = value(col);
    bool ok = false;
    qint64 n = v.toLongLong(&ok);
    if (!ok) {
        const auto parsed = Num::parseInteger(v.toString());
        if (!parsed)
            throw Error(QStringLiteral("表“%1”的“%2”不是整数：“%3”").arg(m_name, col, v.toString()));
        n = *parsed;
    }
    return n;
}

void Table::edit()
{
    requireRow();
    m_editing = true;
}

void Table::setValue(const QString& col, const QVariant& v)
{
    if (!m_editing)
        edit();
    Db::column(m_name, col);
    m_pending.insert(col, v);
}

void Table::post()
{
    if (!m_editing)
        return;
    const qint64 id = rowid();
    if (!m_pending.isEmpty()) {
        QStringList sets;
        QVariantList binds;
        for (auto it = m_pending.constBegin(); it != m_pending.constEnd(); ++it) {
            sets << Db::column(m_name, it.key()) + " = ?";
            binds << it.value();
        }
        binds << id;
        Db::exec(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(Db::table(m_name), sets.join(", ")),
                 binds);
    }
    m_editing = false;
    m_pending.clear();
    m_cachedRowid = -1;
}

void Table::cancel()
{
    m_editing = false;
    m_pending.clear();
}

void Table::appendPositional(const QVariantList& values)
{
    requireOpen();
    if (m_editing)
        post();
    if (values.size() > m_columns.size())
        throw Error(QStringLiteral("表“%1”只有%2列").arg(m_name).arg(m_columns.size()));
    QStringList cols, marks;
    for (int i = 0; i < values.size(); ++i) {
        cols << quote(m_columns.at(i));
        marks << "?";
    }
    QSqlQuery q = prepare(values.isEmpty()
                              ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(Db::table(m_name))
                              : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                    .arg(Db::table(m_name), cols.join(','), marks.join(',')));
    exec(q, values);
    m_rowids.append(q.lastInsertId().toLongLong());
    m_pos = int(m_rowids.size()) - 1;
    m_eof = false;
}

void Table::append(const QVariantMap& values)
{
    QVariantList positional;
    positional.reserve(m_columns.size());
    int lastSet = -1;
    for (int i = 0; i < m_columns.size(); ++i) {
        if (values.contains(m_columns.at(i)))
            lastSet = i;
    }
    for (auto it = values.constBegin(); it != values.constEnd(); ++it)
        Db::column(m_name, it.key());
    for (int i = 0; i <= lastSet; ++i)
        positional << values.value(m_columns.at(i));
    appendPositional(positional);
}

void Table::insertBefore(const QVariantMap& values)
{
    requireOpen();
    if (m_editing)
        post();
    if (m_pos < 0 || m_pos >= m_rowids.size()) {
        append(values);
        return;
    }
    const qint64 at = m_rowids.at(m_pos);
    QStringList cols{"rowid"}, marks{"?"};
    QVariantList binds{at};
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        cols << Db::column(m_name, it.key());
        marks << "?";
        binds << it.value();
    }
    const QString t = Db::table(m_name);
    inTransaction([&] {
        // Make room at `at` by moving every later row one place on; the move
        // goes through negative rowids so that no two rows collide meanwhile.
        exec(QStringLiteral("UPDATE %1 SET rowid = -rowid - 1 WHERE rowid >= ?").arg(t), {at});
        exec(QStringLiteral("UPDATE %1 SET rowid = -rowid WHERE rowid < 0").arg(t));
        exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(t, cols.join(','), marks.join(',')), binds);
    });
    load();
    m_pos = int(m_rowids.indexOf(at));
    m_eof = false;
}

void Table::deleteCurrent()
{
    const qint64 id = rowid();
    m_editing = false;
    m_pending.clear();
    exec(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(Db::table(m_name)), {id});
    m_rowids.removeAt(m_pos);
    m_cachedRowid = -1;
    if (m_pos >= m_rowids.size())
        m_pos = int(m_rowids.size()) - 1;
    m_eof = m_rowids.isEmpty();
}

void Table::empty()
{
    requireOpen();
    m_editing = false;
    m_pending.clear();
    exec(QStringLiteral("DELETE FROM %1").arg(Db::table(m_name)));
    m_rowids.clear();
    m_pos = -1;
    m_eof = true;
    m_cachedRowid = -1;
}

} // namespace Db
