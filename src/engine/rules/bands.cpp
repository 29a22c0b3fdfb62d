#include "engine/rules/bands.h"

namespace Rules {

qint64 TotalBands::bandOf(Num::Fixed total) const
{
    // Totals are compared as they are, unrounded: the same test as the
    // running counts, so a band's count is the difference of two of them.
    if (count <= 0 || aboveFirst(total) || total < lowerOf(count - 1) * Num::kScale)
        return -1;
    const Num::Fixed below = (lowerOf(0) + 10) * Num::kScale - total; // > 0
    return (below - 1) / (10 * Num::kScale);
}

int markBand(qint64 rounded)
{
    if (rounded < 0 || rounded > 120)
        return -1;
    if (rounded == 0)
        return 0;
    if (rounded == 120)
        return 13;
    return int(rounded / 10) + 1;
}

} // namespace Rules
