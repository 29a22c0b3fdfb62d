#pragma once
// Competition ranking as the school reads it: scores sorted best first, equal
// scores share a rank and the next rank skips (90, 88, 88, 85 -> 1, 2, 2, 4).
// Two scores are equal when their integer roundings (halves to even) are.

#include "engine/rules/numbers.h"

#include <vector>

namespace Rules {

// The ranks of the given students: rows are indexes into `score`, and the rank
// of row r is written to out[r]. Students with equal scores keep their order.
void competitionRanks(const std::vector<int>& rows, const std::vector<Num::Fixed>& score,
                      std::vector<qint64>& out);
// The ranks of every score, in the order of the scores.
std::vector<qint64> competitionRanks(const std::vector<Num::Fixed>& score);

} // namespace Rules
