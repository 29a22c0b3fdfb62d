#include "engine/export/dbf.h"

#include "engine/app/safefile.h"
#include "engine/db/database.h"
#include "engine/export/gbk.h"
#include "engine/rules/numbers.h"

#include <QDate>
#include <QFile>
#include <cerrno>
#include <cmath>
#include <shapefil.h>

namespace Export {

namespace {

// shapelib's close reports nothing and its record flush ignores short writes:
// its file hooks are wrapped so that a full disk is noticed.
thread_local bool t_ioError = false;
thread_local int t_ioErrno = 0; // the first failure's reason
void noteFailure()
{
    if (!t_ioError)
        t_ioErrno = errno ? errno : ENOSPC;
    t_ioError = true;
}
SAHooks g_std;
SAOffset hookWrite(void* p, SAOffset size, SAOffset n, SAFile f)
{
    errno = 0;
    const SAOffset r = g_std.FWrite(p, size, n, f);
    if (r != n)
        noteFailure();
    return r;
}
// stdio writes its buffer out when the file is positioned: a full disk
// shows there first.
SAOffset hookSeek(SAFile f, SAOffset offset, int whence)
{
    errno = 0;
    const SAOffset r = g_std.FSeek(f, offset, whence);
    if (r != 0)
        noteFailure();
    return r;
}
int hookFlush(SAFile f)
{
    errno = 0;
    const int r = g_std.FFlush(f);
    if (r)
        noteFailure();
    return r;
}
int hookClose(SAFile f)
{
    errno = 0;
    const int r = g_std.FClose(f);
    if (r)
        noteFailure();
    return r;
}
void hookError(const char*) {}

SAHooks checkedHooks()
{
    static const bool init = (SASetupDefaultHooks(&g_std), true);
    Q_UNUSED(init);
    SAHooks h = g_std;
    h.FWrite = hookWrite;
    h.FSeek = hookSeek;
    h.FFlush = hookFlush;
    h.FClose = hookClose;
    h.Error = hookError;
    return h;
}

// The decimals a stored number carries (0 to 4), from its shortest text.
int decimalsOf(double v)
{
    const QString t = Num::format(v);
    const qsizetype dot = t.indexOf(QLatin1Char('.'));
    return dot < 0 ? 0 : int(qMin<qsizetype>(4, t.size() - dot - 1));
}

} // namespace

QByteArray dbfFieldName(const QString& column, const QSet<QByteArray>& used)
{
    const QByteArray full = Gbk::encode(column);
    QByteArray n = Gbk::cut(full, 10);
    if (n.isEmpty())
        n = "F";
    for (int i = 1; used.contains(n.toUpper()) && i <= 99; ++i) {
        const QByteArray suffix = '~' + QByteArray::number(i);
        n = Gbk::cut(full, 10 - suffix.size()) + suffix;
    }
    return n;
}

QList<DbfField> dbfFields(const QStringList& columns, const QList<bool>& numeric, const QList<QVariantList>& rows,
                          const std::function<void(qint64, qint64)>& progress)
{
    QList<DbfField> out;
    QSet<QByteArray> used;
    for (int c = 0; c < columns.size(); ++c) {
        if (progress)
            progress(c, columns.size());
        DbfField f;
        f.column = columns.at(c);
        f.name = dbfFieldName(f.column, used);
        used.insert(f.name.toUpper());
        if (numeric.value(c)) {
            f.type = 'N';
            int decimals = 0;
            double largest = 0;
            for (const QVariantList& r : rows) {
                const QVariant v = r.value(c);
                if (v.isNull() || !v.isValid())
                    continue;
                const double d = v.toDouble();
                decimals = qMax(decimals, decimalsOf(d));
                largest = qMax(largest, std::fabs(d));
            }
            const int digits = largest < 1 ? 1 : int(std::floor(std::log10(largest))) + 1;
            f.decimals = decimals;
            // sign, digits, point and decimals; at least room for a rank of 9999.
            f.width = qBound(4, 1 + digits + (decimals ? decimals + 1 : 0), 19);
        } else {
            int width = 1;
            for (const QVariantList& r : rows)
                width = qMax(width, int(Gbk::encode(r.value(c).toString()).size()));
            f.width = qMin(width, 254);
        }
        out << f;
    }
    return out;
}

namespace {

// The fields' definitions; an error text when one is refused.
QString addFields(DBFHandle h, const QList<DbfField>& fields)
{
    for (const DbfField& f : fields)
        if (DBFAddNativeFieldType(h, f.name.constData(), f.type, f.width, f.type == 'N' ? f.decimals : 0) < 0)
            return QStringLiteral("字段“%1”无法建立").arg(f.column);
    return QString();
}

// One row's values; an error text when one cannot be written. Text cut to
// its field's width is noted in res.
QString writeRecord(DBFHandle h, int r, const QVariantList& row, const QList<DbfField>& fields, DbfResult& res)
{
    for (int c = 0; c < fields.size(); ++c) {
        const DbfField& f = fields.at(c);
        const QVariant v = row.value(c);
        int ok = 1;
        if (v.isNull() || !v.isValid()) {
            ok = DBFWriteNULLAttribute(h, r, c);
        } else if (f.type == 'N') {
            ok = DBFWriteDoubleAttribute(h, r, c, v.toDouble());
        } else {
            bool encoded = true;
            const QByteArray full = Gbk::encode(v.toString(), &encoded);
            const QByteArray cut = Gbk::cut(full, f.width);
            if (!encoded || cut.size() != full.size())
                res.shortened << v.toString();
            ok = DBFWriteStringAttribute(h, r, c, cut.constData());
        }
        if (!ok)
            return QStringLiteral("第%1行的“%2”写不下").arg(r + 1).arg(f.column);
    }
    return QString();
}

} // namespace

DbfResult writeDbf(const QString& path, const QList<DbfField>& fields, const QList<QVariantList>& rows,
                   const std::function<void(qint64, qint64)>& progress)
{
    // shapelib puts its own extension on the name it is given: the temporary name keeps ".dbf".
    Files::SafeTarget target(path, QStringLiteral(".dbf"), {QStringLiteral(".cpg")});
    t_ioError = false;
    t_ioErrno = 0;
    SAHooks hooks = checkedHooks();
    // "LDID/122" writes the language-driver byte 0x7A (code page 936) and no .cpg file.
    errno = 0;
    DBFHandle h = DBFCreateLL(target.tempPathLocal8().constData(), "LDID/122", &hooks);
    if (!h)
        throw Db::Error(Files::writeFailure(path, errno ? Files::folderReason(errno) : QStringLiteral("无法建立文件")));
    const QDate today = QDate::currentDate();
    DBFSetLastModifiedDate(h, today.year() - 1900, today.month(), today.day());
    DbfResult res;
    QString error = addFields(h, fields);
    for (int r = 0; r < rows.size() && error.isEmpty(); ++r) {
        if (progress && r % 512 == 0) {
            try {
                progress(r, rows.size());
            } catch (...) {
                DBFClose(h); // the temporary file goes with the target
                throw;
            }
        }
        error = writeRecord(h, r, rows.at(r), fields, res);
    }
    DBFClose(h);
    // A record refused because the disk took no more is the disk's fault,
    // not the value's.
    if (t_ioError)
        error = Files::systemReason(t_ioErrno);
    if (!error.isEmpty())
        throw Db::Error(Files::writeFailure(path, error));
    target.commit();
    res.rows = int(rows.size());
    return res;
}

} // namespace Export
