#include "engine/rules/stats.h"

namespace Rules {

void SubjectStats::add(Num::Fixed mark, int row, const Num::Mark& gradeRank, qint64 full,
                       const std::array<qint64, 4>& limits)
{
    if (count == 0) {
        best = worst = mark;
        bestRow = worstRow = row;
    } else {
        if (mark > best) {
            best = mark;
            bestRow = row;
        }
        if (mark < worst) {
            worst = mark;
            worstRow = row;
        }
    }
    ++count;
    sum += mark;
    // mark >= 0.6 x full, 0.8 x full, < 0.4 x full, exactly.
    const qint64 tenfold = mark * 10;
    if (tenfold >= full * 6 * Num::kScale)
        ++pass;
    if (tenfold >= full * 8 * Num::kScale)
        ++high;
    if (tenfold < full * 4 * Num::kScale)
        ++low;
    const int b = markBand(Num::roundHalfEven(mark));
    if (b >= 0)
        ++bands[size_t(b)];
    if (gradeRank)
        for (size_t k = 0; k < 4; ++k)
            if (*gradeRank <= limits[k] * Num::kScale)
                ++top[k];
}

SubjectStats subjectStats(const std::vector<int>& rows, const std::vector<Num::Mark>& marks,
                          const std::vector<Num::Mark>& gradeRanks, qint64 full,
                          const std::array<qint64, 4>& limits)
{
    SubjectStats s;
    for (int r : rows)
        if (const Num::Mark& m = marks[size_t(r)])
            s.add(*m, r, gradeRanks[size_t(r)], full, limits);
    return s;
}

std::vector<std::array<Place, 4>> classPlaces(const std::vector<SubjectStats>& classes)
{
    std::vector<std::array<Place, 4>> out(classes.size());
    for (size_t i = 0; i < classes.size(); ++i) {
        const SubjectStats& me = classes[i];
        if (me.count == 0)
            continue;
        std::array<qint64, 4> place{1, 1, 1, 1};
        for (size_t j = 0; j < classes.size(); ++j) {
            const SubjectStats& o = classes[j];
            if (j == i || o.count == 0)
                continue;
            place[0] += *o.average() > *me.average();
            place[1] += *o.passRate() > *me.passRate();
            place[2] += *o.highRate() > *me.highRate();
            place[3] += *o.lowRate() < *me.lowRate();
        }
        for (size_t k = 0; k < 4; ++k)
            out[i][k] = place[k];
    }
    return out;
}

} // namespace Rules
