#include "engine/processing/rankstamp.h"

#include "engine/db/database.h"
#include "engine/db/statement.h"
#include "engine/rules/subjects.h"

#include <QStringList>

namespace Proc {

namespace {

const QString kRecord = QStringLiteral("ranked");

// FNV-1a over the bytes of every value, each with its kind, so that 85,
// 85.0, '85' and a blank all differ.
class Checksum {
public:
    void add(const void* data, size_t n)
    {
        const auto* p = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < n; ++i) {
            m_h ^= p[i];
            m_h *= 1099511628211ULL;
        }
    }
    template <class T>
    void add(T v)
    {
        add(&v, sizeof v);
    }
    qint64 value() const { return qint64(m_h); }

private:
    quint64 m_h = 14695981039346656037ULL;
};

// Looked up in the file itself: the table may have been made after the
// connection read its catalogue.
bool hasRecordTable()
{
    return Db::selectValue(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ?"),
                           {kRecord})
               .toInt()
        > 0;
}

} // namespace

qint64 rankedChecksum(const QString& table)
{
    QStringList cols{QStringLiteral("rowid"), Db::column(table, QStringLiteral("班号"))};
    for (const QString& item : Rules::savedItems())
        for (const QString& kind : {QString(), QStringLiteral("班排"), QStringLiteral("级排")})
            cols << Db::column(table, item + kind + "1");
    Db::Statement read(QStringLiteral("SELECT %1 FROM %2 ORDER BY rowid").arg(cols.join(','), Db::table(table)));
    Checksum sum;
    qint64 rows = 0;
    const int n = int(cols.size());
    while (read.step()) {
        ++rows;
        for (int c = 0; c < n; ++c) {
            const Db::Statement::Type type = read.type(c);
            sum.add(char(type));
            switch (type) {
            case Db::Statement::Integer:
                sum.add(read.integer(c));
                break;
            case Db::Statement::Real:
                sum.add(read.real(c));
                break;
            case Db::Statement::Null:
                break;
            default: {
                const QByteArray bytes = read.text(c).toUtf8();
                sum.add(qint64(bytes.size()));
                sum.add(bytes.constData(), size_t(bytes.size()));
            }
            }
        }
    }
    sum.add(rows);
    return sum.value();
}

void recordRanking(const QString& table)
{
    const qint64 checksum = rankedChecksum(table);
    Db::exec(QStringLiteral("CREATE TABLE IF NOT EXISTS \"ranked\" (\"tablename\" TEXT PRIMARY KEY, "
                            "\"rows\" INTEGER, \"checksum\" INTEGER, \"at\" TEXT)"));
    Db::exec(QStringLiteral("INSERT OR REPLACE INTO \"ranked\" (\"tablename\", \"rows\", \"checksum\", \"at\") "
                            "VALUES (?, ?, ?, ?)"),
             {table, Db::rowCount(table), checksum, Db::now()});
}

void checkRanked(const QString& table)
{
    QVariant recorded;
    if (hasRecordTable())
        recorded = Db::selectValue(QStringLiteral("SELECT \"checksum\" FROM \"ranked\" WHERE \"tablename\" = ?"), {table});
    if (!recorded.isValid() || recorded.isNull())
        throw Db::Error(QStringLiteral("成绩表“%1”还没有排名（或是在这一版程序之前排的），没有保存。"
                                       "请先排名，核对结果后再保存。")
                            .arg(table));
    if (recorded.toLongLong() != rankedChecksum(table))
        throw Db::Error(QStringLiteral("成绩表“%1”在排名之后又被改动过（可能是另一个窗口或程序导入、修改了成绩），"
                                       "现在的分数和名次对不上，没有保存。请重新排名，核对结果后再保存。")
                            .arg(table));
}

} // namespace Proc
