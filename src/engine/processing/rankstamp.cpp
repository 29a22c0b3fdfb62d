#include "engine/processing/rankstamp.h"

#include "engine/db/database.h"
#include "engine/db/statement.h"
#include "engine/rules/subjects.h"

#include <QStringList>
#include <cstring>
#include <sqlite3.h>

namespace Proc {

namespace {

const QString kRecord = QStringLiteral("ranked");

quint64 mixed(quint64 x)
{
    // splitmix64's finalizer: every bit of a value reaches every bit of the result.
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9ULL;
    x ^= x >> 27;
    x *= 0x94d049bb133111ebULL;
    x ^= x >> 31;
    return x;
}

// A value as the checksum counts it: numbers by value, whether SQLite holds
// them as integers or reals (a column of numeric affinity stores 85.0 as 85),
// text and blobs by their bytes, a blank as a blank. Each kind is kept apart
// by the value it is added to.
quint64 valueBits(sqlite3_value* value)
{
    switch (sqlite3_value_type(value)) {
    case SQLITE_INTEGER:
        return quint64(sqlite3_value_int64(value));
    case SQLITE_FLOAT: {
        const double d = sqlite3_value_double(value);
        // As SQLite turns a real into an integer for a numeric column.
        constexpr double kExact = 2251799813685248.0; // 2^51
        if (d > -kExact && d < kExact && d == double(qint64(d)))
            return quint64(qint64(d));
        quint64 bits;
        std::memcpy(&bits, &d, sizeof bits);
        return mixed(bits) + 0x2545f4914f6cdd1dULL;
    }
    case SQLITE_NULL:
        return 0x8f1bbcdcca62c1d6ULL;
    default: {
        const auto* bytes = static_cast<const unsigned char*>(sqlite3_value_blob(value));
        const int n = sqlite3_value_bytes(value);
        quint64 h = 14695981039346656037ULL;
        for (int k = 0; k < n; ++k)
            h = (h ^ bytes[k]) * 1099511628211ULL;
        return mixed(h ^ quint64(n)) + 0x6a09e667f3bcc909ULL;
    }
    }
}

// A row's values in their order, one multiplication each, the row mixed
// once at its end; the rows' hashes are added up, and the rowid is among the
// values, so a row moved to another rowid changes the sum too.
quint64 rowHash(int argc, sqlite3_value** argv)
{
    quint64 h = 0x9e3779b97f4a7c15ULL;
    for (int i = 0; i < argc; ++i)
        h = (h ^ valueBits(argv[i])) * 0x100000001b3ULL + quint64(i);
    return mixed(h);
}

struct Sum {
    quint64 total = 0;
    qint64 rows = 0;
    qint64 value() const { return qint64(mixed(total ^ mixed(quint64(rows) + 1))); }
};

Sum& running()
{
    static Sum sum;
    return sum;
}

void addRow(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    Sum& sum = running();
    sum.total += rowHash(argc - 1, argv + 1);
    ++sum.rows;
    sqlite3_result_value(ctx, argv[0]);
}

void stepRow(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    auto* sum = static_cast<Sum*>(sqlite3_aggregate_context(ctx, sizeof(Sum)));
    if (!sum)
        return;
    sum->total += rowHash(argc, argv);
    ++sum->rows;
}

void finishSum(sqlite3_context* ctx)
{
    auto* sum = static_cast<Sum*>(sqlite3_aggregate_context(ctx, 0));
    sqlite3_result_int64(ctx, sum ? sum->value() : Sum{}.value());
}

// On the open connection. Made again for every use, as the connection may
// have been opened again; a function already there is kept (SQLite refuses
// to replace one while any statement runs, and it is the same one).
void defineFunctions()
{
    sqlite3* db = Db::handle();
    sqlite3_create_function_v2(db, "gradebook_checksum", -1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, nullptr,
                               stepRow, finishSum, nullptr);
    sqlite3_create_function_v2(db, "gradebook_row", -1, SQLITE_UTF8, nullptr, addRow, nullptr, nullptr, nullptr);
}

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

QStringList checksumColumns()
{
    QStringList cols{QStringLiteral("rowid"), QStringLiteral("班号")};
    for (const QString& item : Rules::savedItems())
        for (const QString& kind : {QString(), QStringLiteral("班排"), QStringLiteral("级排")})
            cols << item + kind + "1";
    return cols;
}

qint64 rankedChecksum(const QString& table)
{
    QStringList cols;
    for (const QString& c : checksumColumns())
        cols << (c == QLatin1String("rowid") ? c : Db::column(table, c));
    defineFunctions();
    // Summed inside SQLite, one call per row: reading the cells one by one
    // through the statement would cost several times as much.
    Db::Statement read(QStringLiteral("SELECT gradebook_checksum(%1) FROM %2").arg(cols.join(','), Db::table(table)));
    return read.step() ? read.integer(0) : Sum{}.value();
}

QString rowChecksumCall(const QString& value, const QStringList& expressions)
{
    return QStringLiteral("gradebook_row(%1, %2)").arg(value, expressions.join(','));
}

void beginRowChecksum()
{
    defineFunctions();
    running() = Sum{};
}

qint64 rowChecksum()
{
    return running().value();
}

void recordRanking(const QString& table)
{
    recordRanking(table, rankedChecksum(table));
}

void recordRanking(const QString& table, qint64 checksum)
{
    Db::exec(QStringLiteral("CREATE TABLE IF NOT EXISTS \"ranked\" (\"tablename\" TEXT PRIMARY KEY, "
                            "\"checksum\" INTEGER, \"at\" TEXT)"));
    Db::exec(QStringLiteral("INSERT OR REPLACE INTO \"ranked\" (\"tablename\", \"checksum\", \"at\") VALUES (?, ?, ?)"),
             {table, checksum, Db::now()});
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
