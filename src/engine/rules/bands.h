#pragma once
// The bands of the grade book: the ten-mark bands of the total-score table,
// counted down from an upper limit, and the fourteen bands of one subject's
// marks in the analysis table.

#include "engine/rules/numbers.h"

namespace Rules {

// Band i (0-based) of the total-score table: upper limit U - 10i, lower limit
// U - 9 - 10i, as the table shows them (399 and 390 for the first band).
struct TotalBands {
    qint64 upper = 399; // U, the first band's upper limit
    qint64 count = 30;  // number of bands

    qint64 upperOf(qint64 band) const { return upper - 10 * band; }
    qint64 lowerOf(qint64 band) const { return upper - 9 - 10 * band; }
    // The band that holds the total, or -1: above the first band or below the
    // last. Band i holds lower <= total < lower + 10, so a total with a
    // fraction (389.5) lies in the band of its integer part and every total
    // between the first band's top and the last band's bottom is in one band.
    qint64 bandOf(Num::Fixed total) const;
    // Whether the total lies above the first band (at least U + 1): it counts
    // in every running count but in no band.
    bool aboveFirst(Num::Fixed total) const { return total >= (lowerOf(0) + 10) * Num::kScale; }
    // Whether the total counts in band i's running count: total >= its lower limit.
    bool reaches(Num::Fixed total, qint64 band) const { return total >= lowerOf(band) * Num::kScale; }
};

// The analysis table's band of a rounded mark: 0 -> F0 (0), 1..9 -> F10 (1),
// 10..19 -> F20 (2), ..., 110..119 -> F120 (12), 120 -> F130 (13);
// -1 for marks outside 0..120.
int markBand(qint64 rounded);
inline constexpr int kMarkBands = 14;

} // namespace Rules
