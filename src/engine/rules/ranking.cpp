#include "engine/rules/ranking.h"

#include <algorithm>

namespace Rules {

namespace {

// Counting pays while the table of counts is not much larger than the rows.
bool worthCounting(qint64 span, size_t rows)
{
    return span <= qint64(2 * rows) + 1024;
}

void ranksBySorting(const std::vector<int>& rows, const std::vector<qint64>& key, std::vector<qint64>& out)
{
    std::vector<std::pair<qint64, int>> keyed(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
        keyed[i] = {-key[size_t(rows[i])], rows[i]};
    std::sort(keyed.begin(), keyed.end());
    qint64 rank = 0;
    for (size_t pos = 0; pos < keyed.size(); ++pos) {
        if (pos == 0 || keyed[pos].first != keyed[pos - 1].first)
            rank = qint64(pos) + 1;
        out[size_t(keyed[pos].second)] = rank;
    }
}

} // namespace

void ranksByKey(const std::vector<int>& rows, const std::vector<qint64>& key, std::vector<qint64>& out)
{
    if (rows.empty())
        return;
    qint64 low = key[size_t(rows.front())], high = low;
    for (int r : rows) {
        low = std::min(low, key[size_t(r)]);
        high = std::max(high, key[size_t(r)]);
    }
    // Keys are roundings of clamped marks, far inside qint64: no overflow.
    const qint64 span = high - low + 1;
    if (!worthCounting(span, rows.size())) {
        ranksBySorting(rows, key, out);
        return;
    }
    // How many have each key, then, from the top, 1 + how many have a higher one.
    std::vector<qint64> count(size_t(span), 0);
    for (int r : rows)
        ++count[size_t(key[size_t(r)] - low)];
    qint64 higher = 0;
    for (size_t v = size_t(span); v-- > 0;) {
        const qint64 c = count[v];
        count[v] = higher + 1;
        higher += c;
    }
    for (int r : rows)
        out[size_t(r)] = count[size_t(key[size_t(r)] - low)];
}

std::vector<Rank> competitionRanks(const std::vector<Num::Mark>& score)
{
    std::vector<int> rows;
    std::vector<qint64> key(score.size(), 0), ranks(score.size(), 0);
    for (size_t r = 0; r < score.size(); ++r) {
        if (score[r]) {
            rows.push_back(int(r));
            key[r] = rankKey(*score[r]);
        }
    }
    ranksByKey(rows, key, ranks);
    std::vector<Rank> out(score.size());
    for (int r : rows)
        out[size_t(r)] = ranks[size_t(r)];
    return out;
}

} // namespace Rules
