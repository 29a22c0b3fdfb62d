#include "engine/rules/bands.h"

namespace Rules {

qint64 TotalBands::bandOf(Num::Fixed total) const
{
    // Band i holds lower <= total <= upper; totals are compared as they are,
    // so 389.5 lies between the bands 380-389 and 390-399.
    for (qint64 i = 0; i < count; ++i)
        if (total >= lowerOf(i) * Num::kScale && total <= upperOf(i) * Num::kScale)
            return i;
    return -1;
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
