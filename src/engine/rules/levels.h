#pragma once
// Levels (等级) a school tells families instead of marks and ranks. A scheme
// gives levels either by share of the students who sat (A the best 15 %, B
// the next 35 %, ..., the last level the rest) or by score lines as a share
// of the full mark (优秀 at 85 % or more, ...). Both look at the rounded mark
// (halves to even, the mark a rank goes by), so that two students whose
// marks round alike always get the same level; an absent student has none.

#include "engine/rules/numbers.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace Levels {

enum class Method { Share, Lines };

// Percentages are kept in tenths of a percent (150 is 15 %), so that a share
// of 12.5 % is exact and every comparison is made in whole numbers.
using Tenths = int;

struct Scheme {
    Method method = Method::Share;
    // By share: a name per level, the best first; a share per level but the
    // last, which takes the rest.
    QStringList shareNames{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D"),
                           QStringLiteral("E")};
    QList<Tenths> shares{150, 350, 350, 130};
    // By score lines: a name per level, the best first; a line per level but
    // the last (the marks below every line), highest first.
    QStringList lineNames{QStringLiteral("优秀"), QStringLiteral("良好"), QStringLiteral("合格"),
                          QStringLiteral("待合格")};
    QList<Tenths> lines{850, 700, 600};
    // Levels within each class instead of over the whole grade (by share:
    // the class's own best 15 %; score lines are the same either way).
    bool perClass = false;

    const QStringList& names() const { return method == Method::Share ? shareNames : lineNames; }
    bool operator==(const Scheme&) const = default;
};

inline constexpr int kMostLevels = 10;
inline constexpr int kLongestName = 8;

// Db::InputError with a Chinese message naming the level when the scheme
// cannot be used: 2 to 10 levels with distinct short names, shares above 0
// adding up to less than 100 % (the last level must keep some students),
// lines above 0 and at most 100 %, each below the one before.
void check(const Scheme& scheme);

// A level as an index into the scheme's names; none for an absent mark.
using Level = std::optional<int>;

// By share, over one group of students: a student whose competition rank is
// r among the n who sat has the first level whose cumulative share C
// satisfies r - 1 < C * n, i.e. fewer students above him than that level's
// places. Equal rounded marks share a rank, so a tie across a boundary goes
// to the higher level as a whole; a group of one student gets the first level.
std::vector<Level> byShare(const std::vector<Num::Mark>& marks, const QList<Tenths>& shares);
// By score lines: the first level whose line the rounded mark reaches
// (85 % of a full mark of 120 is 102: a rounded 102 is 优秀, 101 is not).
std::vector<Level> byLines(const std::vector<Num::Mark>& marks, const QList<Tenths>& lines, qint64 fullMark);
// The scheme over students of several classes: by share within each class
// when the scheme says so, else over all of them.
std::vector<Level> levels(const Scheme& scheme, const std::vector<Num::Mark>& marks, const std::vector<qint64>& classes,
                          qint64 fullMark);

// A level's name, or 缺考 for none.
QString levelText(const Scheme& scheme, const Level& level);
// 15%, 12.5%.
QString percentText(Tenths value);
// One line telling families what the levels mean: "A：前15%；B：其后35%；…；E：其余"
// or "优秀：得分率≥85%；…；待合格：低于60%".
QString legend(const Scheme& scheme);

// The percentile position of a grade rank: (rank - 1) / (n - 1) rounded up
// to a whole percent, at least 1 (the best student is "前1%", never "前0%");
// 1 for a grade of one.
qint64 position(qint64 rank, qint64 count);

// A percentage as typed (15, 12.5, "15%") in tenths; none when it is not one.
std::optional<Tenths> parsePercent(const QString& text);

} // namespace Levels
