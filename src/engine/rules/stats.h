#pragma once
// The statistics of one subject over a group of students (one class or the
// whole grade), as the analysis table holds them.

#include "engine/rules/bands.h"
#include "engine/rules/numbers.h"

#include <array>
#include <vector>

namespace Rules {

struct SubjectStats {
    qint64 count = 0;
    qint64 total = 0; // whole marks, rounded after each addition
    qint64 pass = 0, high = 0, low = 0;
    Num::Fixed best = 0, worst = 0;
    int bestRow = -1, worstRow = -1; // the students named for them: the first in order among equals
    std::array<qint64, kMarkBands> bands{};
    std::array<qint64, 4> top{}; // students within the four top-N limits of the grade

    // One student: the mark, the row it came from, its grade rank, the
    // subject's full mark and the four top-N limits.
    void add(Num::Fixed mark, int row, Num::Fixed gradeRank, qint64 full, const std::array<qint64, 4>& limits);
    // Four-decimal quotients; 0 for a group without students.
    Num::Fixed average() const { return count ? Num::quotient4(total, count) : 0; }
    Num::Fixed rate(qint64 c) const { return count ? Num::quotient4(c, count) : 0; }
    Num::Fixed passRate() const { return rate(pass); }
    Num::Fixed highRate() const { return rate(high); }
    Num::Fixed lowRate() const { return rate(low); }
};

// The statistics of the students `rows` (indexes into marks and ranks, taken in that order).
SubjectStats subjectStats(const std::vector<int>& rows, const std::vector<Num::Fixed>& marks,
                          const std::vector<Num::Fixed>& gradeRanks, qint64 full,
                          const std::array<qint64, 4>& limits);

// The places of classes among each other on average, pass rate, high rate and
// low rate (fewer low marks place better); equal values share a place and the
// next place skips. A class without students takes no place (all 0) and is
// not compared.
std::vector<std::array<qint64, 4>> classPlaces(const std::vector<SubjectStats>& classes);

} // namespace Rules
