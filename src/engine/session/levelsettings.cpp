#include "engine/session/levelsettings.h"

#include "engine/db/database.h"
#include "engine/session/settings.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace Levels {

namespace {

const QString kMethod = QStringLiteral("等级/方法");
const QString kShareNames = QStringLiteral("等级/比例名称");
const QString kShares = QStringLiteral("等级/比例");
const QString kLineNames = QStringLiteral("等级/分数线名称");
const QString kLines = QStringLiteral("等级/分数线");
const QString kPerClass = QStringLiteral("等级/班内");

// Names travel as a JSON array: a name may hold any character but a control one.
QString namesText(const QStringList& names)
{
    return QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(names)).toJson(QJsonDocument::Compact));
}

std::optional<QStringList> namesOf(const std::optional<QString>& text)
{
    if (!text)
        return std::nullopt;
    const QJsonDocument doc = QJsonDocument::fromJson(text->toUtf8());
    if (!doc.isArray())
        return std::nullopt;
    QStringList out;
    for (const QJsonValue& v : doc.array()) {
        if (!v.isString())
            return std::nullopt;
        out << v.toString();
    }
    return out;
}

QString valuesText(const QList<Tenths>& values)
{
    QStringList parts;
    for (Tenths v : values)
        parts << QString::number(v);
    return parts.join(QLatin1Char(','));
}

std::optional<QList<Tenths>> valuesOf(const std::optional<QString>& text)
{
    if (!text)
        return std::nullopt;
    QList<Tenths> out;
    for (const QString& part : text->split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int v = part.toInt(&ok);
        if (!ok)
            return std::nullopt;
        out << v;
    }
    return out;
}

} // namespace

Scheme storedScheme()
{
    Scheme s;
    if (!Db::isOpen())
        return s;
    const Scheme defaults;
    if (const auto m = Settings::value(kMethod))
        s.method = *m == QStringLiteral("分数线") ? Method::Lines : Method::Share;
    if (const auto v = Settings::value(kPerClass))
        s.perClass = *v == QLatin1String("1");
    const auto shareNames = namesOf(Settings::value(kShareNames));
    const auto shares = valuesOf(Settings::value(kShares));
    if (shareNames && shares) {
        s.shareNames = *shareNames;
        s.shares = *shares;
    }
    const auto lineNames = namesOf(Settings::value(kLineNames));
    const auto lines = valuesOf(Settings::value(kLines));
    if (lineNames && lines) {
        s.lineNames = *lineNames;
        s.lines = *lines;
    }
    // Each half on its own: a broken share list does not cost the school its lines.
    Scheme probe = s;
    probe.method = Method::Share;
    try {
        check(probe);
    } catch (const Db::InputError&) {
        s.shareNames = defaults.shareNames;
        s.shares = defaults.shares;
    }
    probe = s;
    probe.method = Method::Lines;
    try {
        check(probe);
    } catch (const Db::InputError&) {
        s.lineNames = defaults.lineNames;
        s.lines = defaults.lines;
    }
    return s;
}

bool storeScheme(const Scheme& s)
{
    check(s);
    return Settings::setValues({{kMethod, s.method == Method::Lines ? QStringLiteral("分数线") : QStringLiteral("比例")},
                                {kPerClass, s.perClass ? QStringLiteral("1") : QStringLiteral("0")},
                                {kShareNames, namesText(s.shareNames)},
                                {kShares, valuesText(s.shares)},
                                {kLineNames, namesText(s.lineNames)},
                                {kLines, valuesText(s.lines)}});
}

} // namespace Levels
