#include "engine/rules/levels.h"

#include "engine/db/database.h"
#include "engine/rules/ranking.h"
#include "engine/rules/subjects.h"
#include "engine/rules/titles.h"

#include <QMap>
#include <QSet>

namespace Levels {

namespace {

QString kindWord(Method m)
{
    return m == Method::Share ? QStringLiteral("比例") : QStringLiteral("分数线");
}

} // namespace

QString percentText(Tenths value)
{
    if (value % 10 == 0)
        return QStringLiteral("%1%").arg(value / 10);
    return QStringLiteral("%1.%2%").arg(value / 10).arg(value % 10);
}

std::optional<Tenths> parsePercent(const QString& text)
{
    QString t = text.trimmed();
    if (t.endsWith(QLatin1Char('%')) || t.endsWith(QChar(0xFF05)))
        t.chop(1);
    const auto v = Num::parseNumber(t);
    if (!v)
        return std::nullopt;
    const Num::Fixed f = Num::toFixed(*v * 10);
    if (f % Num::kScale != 0)
        return std::nullopt; // finer than a tenth of a percent
    return Tenths(f / Num::kScale);
}

void check(const Scheme& s)
{
    const QStringList& names = s.names();
    const QList<Tenths>& values = s.method == Method::Share ? s.shares : s.lines;
    const QString kind = kindWord(s.method);
    if (names.size() < 2 || names.size() > kMostLevels)
        throw Db::InputError(QStringLiteral("按%1分等级时要有2到%2个等级，现在是%3个").arg(kind).arg(kMostLevels).arg(names.size()));
    QSet<QString> seen;
    for (qsizetype i = 0; i < names.size(); ++i) {
        const QString& n = names.at(i);
        if (n.trimmed().isEmpty())
            throw Db::InputError(QStringLiteral("第%1个等级没有名称").arg(i + 1));
        if (n != n.trimmed() || !Rules::isCleanText(n))
            throw Db::InputError(QStringLiteral("等级名称“%1”前后不能有空格，也不能有控制字符").arg(n));
        if (n.size() > kLongestName)
            throw Db::InputError(QStringLiteral("等级名称“%1”太长，最多%2个字").arg(n).arg(kLongestName));
        if (n == Rules::kAbsent)
            throw Db::InputError(QStringLiteral("“%1”表示没有参加考试，不能用作等级名称").arg(Rules::kAbsent));
        if (seen.contains(n))
            throw Db::InputError(QStringLiteral("等级名称“%1”用了两次").arg(n));
        seen.insert(n);
    }
    if (values.size() != names.size() - 1)
        throw Db::InputError(QStringLiteral("%1个等级要有%2个%3，现在有%4个（最后一级“%5”不用填）")
                                 .arg(names.size())
                                 .arg(names.size() - 1)
                                 .arg(kind)
                                 .arg(values.size())
                                 .arg(names.last()));
    if (s.method == Method::Share) {
        Tenths sum = 0;
        for (qsizetype i = 0; i < values.size(); ++i) {
            if (values.at(i) <= 0)
                throw Db::InputError(QStringLiteral("等级“%1”的比例必须大于0，现在是%2").arg(names.at(i), percentText(values.at(i))));
            sum += values.at(i);
        }
        if (sum >= 1000)
            throw Db::InputError(QStringLiteral("%1到%2的比例合计是%3，必须小于100%：最后一级“%4”是其余的学生")
                                     .arg(names.first(), names.at(names.size() - 2), percentText(sum), names.last()));
    } else {
        for (qsizetype i = 0; i < values.size(); ++i) {
            if (values.at(i) <= 0 || values.at(i) > 1000)
                throw Db::InputError(QStringLiteral("等级“%1”的分数线必须大于0%、不超过100%，现在是%2")
                                         .arg(names.at(i), percentText(values.at(i))));
            if (i > 0 && values.at(i) >= values.at(i - 1))
                throw Db::InputError(QStringLiteral("等级“%1”的分数线（%2）必须低于上一级“%3”的（%4）")
                                         .arg(names.at(i), percentText(values.at(i)), names.at(i - 1),
                                              percentText(values.at(i - 1))));
        }
    }
}

std::vector<Level> byShare(const std::vector<Num::Mark>& marks, const QList<Tenths>& shares)
{
    const std::vector<Rules::Rank> ranks = Rules::competitionRanks(marks);
    qint64 n = 0;
    for (const Num::Mark& m : marks)
        n += m ? 1 : 0;
    // Cumulative shares: a student belongs to the first level whose places
    // (C * n, in tenths of a percent) outnumber the students above him.
    QList<qint64> cumulative;
    qint64 c = 0;
    for (Tenths s : shares)
        cumulative << (c += s);
    std::vector<Level> out(marks.size());
    for (size_t i = 0; i < marks.size(); ++i) {
        if (!ranks[i])
            continue;
        const qint64 above = *ranks[i] - 1;
        int level = int(cumulative.size());
        for (int k = 0; k < cumulative.size(); ++k) {
            if (1000 * above < cumulative.at(k) * n) {
                level = k;
                break;
            }
        }
        out[i] = level;
    }
    return out;
}

std::vector<Level> byLines(const std::vector<Num::Mark>& marks, const QList<Tenths>& lines, qint64 fullMark)
{
    std::vector<Level> out(marks.size());
    for (size_t i = 0; i < marks.size(); ++i) {
        if (!marks[i])
            continue;
        const qint64 key = Rules::rankKey(*marks[i]);
        int level = int(lines.size());
        for (int k = 0; k < lines.size(); ++k) {
            if (1000 * key >= qint64(lines.at(k)) * fullMark) {
                level = k;
                break;
            }
        }
        out[i] = level;
    }
    return out;
}

std::vector<Level> levels(const Scheme& scheme, const std::vector<Num::Mark>& marks, const std::vector<qint64>& classes,
                          qint64 fullMark)
{
    if (scheme.method == Method::Lines)
        return byLines(marks, scheme.lines, fullMark);
    if (!scheme.perClass)
        return byShare(marks, scheme.shares);
    QMap<qint64, std::vector<size_t>> groups;
    for (size_t i = 0; i < marks.size(); ++i)
        groups[i < classes.size() ? classes[i] : 0].push_back(i);
    std::vector<Level> out(marks.size());
    for (const std::vector<size_t>& members : groups) {
        std::vector<Num::Mark> part;
        part.reserve(members.size());
        for (size_t i : members)
            part.push_back(marks[i]);
        const std::vector<Level> got = byShare(part, scheme.shares);
        for (size_t k = 0; k < members.size(); ++k)
            out[members[k]] = got[k];
    }
    return out;
}

QString levelText(const Scheme& scheme, const Level& level)
{
    if (!level)
        return Rules::kAbsent;
    return scheme.names().value(*level);
}

QString legend(const Scheme& s)
{
    QStringList parts;
    const QStringList& names = s.names();
    if (s.method == Method::Share) {
        for (qsizetype i = 0; i < names.size(); ++i) {
            if (i == names.size() - 1)
                parts << QStringLiteral("%1：其余").arg(names.at(i));
            else
                parts << QStringLiteral("%1：%2%3").arg(names.at(i), i == 0 ? QStringLiteral("前") : QStringLiteral("其后"),
                                                      percentText(s.shares.value(i)));
        }
        return QStringLiteral("等级按%1名次比例评定（同分同级）：").arg(s.perClass ? QStringLiteral("班内") : QStringLiteral("年级"))
            + parts.join(QStringLiteral("；"));
    }
    for (qsizetype i = 0; i < names.size(); ++i) {
        if (i == names.size() - 1)
            parts << QStringLiteral("%1：低于%2").arg(names.at(i), percentText(s.lines.value(i - 1)));
        else
            parts << QStringLiteral("%1：%2及以上").arg(names.at(i), percentText(s.lines.value(i)));
    }
    return QStringLiteral("等级按得分占满分的比例评定：") + parts.join(QStringLiteral("；"));
}

qint64 position(qint64 rank, qint64 count)
{
    if (count <= 1 || rank <= 1)
        return 1;
    const qint64 up = (100 * (rank - 1) + (count - 2)) / (count - 1);
    return std::clamp<qint64>(up, 1, 100);
}

} // namespace Levels
