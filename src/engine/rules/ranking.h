#pragma once
// Competition ranking as the school reads it: scores sorted best first, equal
// scores share a rank and the next rank skips (90, 88, 88, 85 -> 1, 2, 2, 4).
// Two scores are equal when their integer roundings (halves to even) are.

#include "engine/rules/numbers.h"

#include <vector>

namespace Rules {

// The key a score is ranked by: its integer rounding, halves to even.
inline qint64 rankKey(Num::Fixed score) { return Num::roundHalfEven(score); }

// The ranks of the given students: rows are indexes into `score`, and the rank
// of row r is written to out[r].
void competitionRanks(const std::vector<int>& rows, const std::vector<Num::Fixed>& score,
                      std::vector<qint64>& out);
// The ranks of every score, in the order of the scores.
std::vector<qint64> competitionRanks(const std::vector<Num::Fixed>& score);

// The same from keys already rounded (key[r] = rankKey(score[r])): a student's
// rank is 1 + the number of the given students with a higher key. Rounding
// never reverses the order of two scores, so this is the rank the sorted list
// gives. The keys are counted when they span a range not much wider than the
// number of students (marks and totals always do) and sorted otherwise.
void ranksByKey(const std::vector<int>& rows, const std::vector<qint64>& key, std::vector<qint64>& out);

} // namespace Rules
