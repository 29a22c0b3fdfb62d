#pragma once
// Competition ranking as the school reads it: scores sorted best first, equal
// scores share a rank and the next rank skips (90, 88, 88, 85 -> 1, 2, 2, 4).
// Two scores are equal when their integer roundings (halves to even) are.
// A student without a score (absent, or no total) has no rank and takes no
// place: the others rank as if he were not there.

#include "engine/rules/numbers.h"

#include <optional>
#include <vector>

namespace Rules {

// The key a score is ranked by: its integer rounding, halves to even.
inline qint64 rankKey(Num::Fixed score) { return Num::roundHalfEven(score); }

// A rank from 1, or none.
using Rank = std::optional<qint64>;

// The ranks of every score, in the order of the scores; none for a missing one.
std::vector<Rank> competitionRanks(const std::vector<Num::Mark>& score);

// The same from keys already rounded (key[r] = rankKey(score[r])): a student's
// rank is 1 + the number of the given students with a higher key. Rounding
// never reverses the order of two scores, so this is the rank the sorted list
// gives. The keys are counted when they span a range not much wider than the
// number of students (marks and totals always do) and sorted otherwise.
void ranksByKey(const std::vector<int>& rows, const std::vector<qint64>& key, std::vector<qint64>& out);

} // namespace Rules
