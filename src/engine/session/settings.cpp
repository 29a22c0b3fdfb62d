#include "engine/session/settings.h"

#include "engine/db/database.h"
#include "engine/rules/subjects.h"

namespace Settings {

namespace {

bool tableExists()
{
    return Db::selectValue(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ?"), {kTable})
               .toLongLong()
        > 0;
}

void makeTable()
{
    Db::exec(QStringLiteral("CREATE TABLE IF NOT EXISTS \"%1\" (\"项目\" TEXT PRIMARY KEY, \"值\" TEXT)").arg(kTable));
}

QString fullMarkKey(const QString& subject)
{
    return QStringLiteral("满分值/") + subject;
}

std::optional<qint64> integerValue(const QString& key)
{
    const auto v = value(key);
    if (!v)
        return std::nullopt;
    bool ok = false;
    const qint64 n = v->toLongLong(&ok);
    return ok ? std::optional(n) : std::nullopt;
}

} // namespace

std::optional<QString> value(const QString& key)
{
    if (!Db::isOpen() || !tableExists())
        return std::nullopt;
    const auto rows = Db::selectRows(QStringLiteral("SELECT \"值\" FROM \"%1\" WHERE \"项目\" = ?").arg(kTable), {key});
    if (rows.isEmpty() || rows.first().first().isNull())
        return std::nullopt;
    return rows.first().first().toString();
}

bool setValues(const QMap<QString, QString>& values)
{
    if (!Db::isOpen())
        return false;
    try {
        Db::inTransaction([&] {
            makeTable();
            for (auto it = values.constBegin(); it != values.constEnd(); ++it)
                Db::exec(QStringLiteral("INSERT OR REPLACE INTO \"%1\" (\"项目\", \"值\") VALUES (?, ?)").arg(kTable),
                         {it.key(), it.value()});
        });
        return true;
    } catch (const Db::Error& e) {
        qWarning("%s", e.what());
        return false;
    }
}

bool setValue(const QString& key, const QString& v)
{
    return setValues({{key, v}});
}

std::optional<qint64> storedFullMark(const QString& subject)
{
    return integerValue(fullMarkKey(subject));
}

bool storeFullMarks(const QMap<QString, qint64>& fullMarks)
{
    QMap<QString, QString> values;
    for (auto it = fullMarks.constBegin(); it != fullMarks.constEnd(); ++it)
        values.insert(fullMarkKey(it.key()), QString::number(it.value()));
    return setValues(values);
}

qint64 fullMark(const QString& subject)
{
    if (const auto stored = storedFullMark(subject))
        return *stored;
    qint64 full = 100;
    if (Db::hasTable(QStringLiteral("fxsave"))) {
        const QVariant saved = Db::selectValue(
            QStringLiteral("SELECT max(CAST(%1 AS REAL)) FROM %2 WHERE %3 IN (?, ?)")
                .arg(Db::column("fxsave", "满分值"), Db::table("fxsave"), Db::column("fxsave", "科目")),
            {subject, subject + QLatin1Char('1')});
        if (!saved.isNull())
            full = qMax(full, qint64(saved.toDouble()));
    }
    return full;
}

QMap<QString, qint64> fullMarks()
{
    QMap<QString, qint64> out;
    for (const QString& s : Rules::allSubjects())
        out.insert(s, fullMark(s));
    return out;
}

Working working()
{
    Working w;
    if (const auto s = value(QStringLiteral("科目")))
        w.subjects = Rules::ordered(s->split(QLatin1Char(','), Qt::SkipEmptyParts));
    w.firstClass = integerValue(QStringLiteral("起始班"));
    w.lastClass = integerValue(QStringLiteral("终止班"));
    w.bandUpper = integerValue(QStringLiteral("分段上限"));
    w.bandCount = integerValue(QStringLiteral("分段段数"));
    return w;
}

bool storeWorking(const Working& w)
{
    QMap<QString, QString> values;
    if (!w.subjects.isEmpty())
        values.insert(QStringLiteral("科目"), Rules::ordered(w.subjects).join(QLatin1Char(',')));
    const QList<std::pair<QString, std::optional<qint64>>> numbers{{QStringLiteral("起始班"), w.firstClass},
                                                                   {QStringLiteral("终止班"), w.lastClass},
                                                                   {QStringLiteral("分段上限"), w.bandUpper},
                                                                   {QStringLiteral("分段段数"), w.bandCount}};
    for (const auto& [key, n] : numbers)
        if (n)
            values.insert(key, QString::number(*n));
    return setValues(values);
}

qint64 defaultBandUpper(const QStringList& subjects)
{
    qint64 sum = 0;
    for (const QString& s : subjects)
        sum += fullMark(s);
    return sum > 0 ? sum - 1 : 399;
}

} // namespace Settings
