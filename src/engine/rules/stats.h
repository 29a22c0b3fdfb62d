#pragma once
// The statistics of one subject over a group of students (one class or the
// whole grade), as the analysis table holds them. Only the students who sat
// the subject are counted: an absent student (no mark) is in no count, sum,
// rate, band or top-N figure.

#include "engine/rules/bands.h"
#include "engine/rules/numbers.h"

#include <array>
#include <optional>
#include <vector>

namespace Rules {

// A place among classes, or none (a class where nobody sat takes none).
using Place = std::optional<qint64>;

struct SubjectStats {
    qint64 count = 0;  // students who sat
    Num::Fixed sum = 0; // the exact sum of their marks
    qint64 pass = 0, high = 0, low = 0;
    Num::Fixed best = 0, worst = 0;
    int bestRow = -1, worstRow = -1; // the students named for them: the first in order among equals
    std::array<qint64, kMarkBands> bands{};
    std::array<qint64, 4> top{}; // students within the four top-N limits of the grade

    // One student who sat: the mark, the row it came from, the grade rank
    // (none: not ranked, within no limit), the subject's full mark and the
    // four top-N limits.
    void add(Num::Fixed mark, int row, const Num::Mark& gradeRank, qint64 full, const std::array<qint64, 4>& limits);

    // Nothing for a group where nobody sat: no sum, no average, no rate.
    Num::Mark total() const { return count ? Num::Mark(sum) : std::nullopt; }
    // sum / count to four decimals, halves to even.
    Num::Mark average() const { return count ? Num::Mark(Num::mean4(sum, count)) : std::nullopt; }
    Num::Mark rate(qint64 c) const { return count ? Num::Mark(Num::quotient4(c, count)) : std::nullopt; }
    Num::Mark passRate() const { return rate(pass); }
    Num::Mark highRate() const { return rate(high); }
    Num::Mark lowRate() const { return rate(low); }
};

// The statistics of the students `rows` (indexes into marks and ranks, taken
// in that order); the absent ones are left out.
SubjectStats subjectStats(const std::vector<int>& rows, const std::vector<Num::Mark>& marks,
                          const std::vector<Num::Mark>& gradeRanks, qint64 full,
                          const std::array<qint64, 4>& limits);

// The places of classes among each other on average, pass rate, high rate and
// low rate (fewer low marks place better); equal values share a place and the
// next place skips. A class where nobody sat takes no place and is not
// compared.
std::vector<std::array<Place, 4>> classPlaces(const std::vector<SubjectStats>& classes);

} // namespace Rules
