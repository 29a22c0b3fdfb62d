#include "engine/rules/ranking.h"

#include <algorithm>
#include <numeric>

namespace Rules {

void competitionRanks(const std::vector<int>& rows, const std::vector<Num::Fixed>& score, std::vector<qint64>& out)
{
    // Sorting (score, position) pairs directly keeps the sort in cache; the
    // position as second key keeps equal scores in stored order.
    std::vector<std::pair<Num::Fixed, int>> keyed(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        keyed[i] = {-score[size_t(rows[i])], rows[i]};
    std::sort(keyed.begin(), keyed.end());
    qint64 rank = 0;
    qint64 prevRounded = 0;
    for (size_t pos = 0; pos < keyed.size(); ++pos) {
        const qint64 rounded = Num::roundHalfEven(-keyed[pos].first);
        if (pos == 0 || rounded != prevRounded)
            rank = qint64(pos) + 1;
        out[size_t(keyed[pos].second)] = rank;
        prevRounded = rounded;
    }
}

std::vector<qint64> competitionRanks(const std::vector<Num::Fixed>& score)
{
    std::vector<int> rows(score.size());
    std::iota(rows.begin(), rows.end(), 0);
    std::vector<qint64> out(score.size(), 0);
    competitionRanks(rows, score, out);
    return out;
}

} // namespace Rules
