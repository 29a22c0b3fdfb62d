#pragma once
// The arithmetic of the three runs over plain rows, without a database: the
// runs read these rows from the grade table, hand them here and write back
// what comes out. A student absent from a subject has no mark for it
// (Num::Mark without a value) and takes part in nothing of that subject; a 0
// is a mark like any other.

#include "engine/rules/bands.h"
#include "engine/rules/numbers.h"
#include "engine/rules/ranking.h"
#include "engine/rules/stats.h"
#include "engine/rules/subjects.h"

#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <vector>

namespace Proc {

// Progress of a run: stage (from 1), work done and work of the stage.
using ProgressFn = std::function<void(int stage, qint64 done, qint64 total)>;

using Rules::Rank;

// ---- Totals and ranks ------------------------------------------------------

// The items ranked, in this order: 总分, 三总, then each chosen subject.
inline constexpr int kTotalItem = 0;
inline constexpr int kThreeItem = 1;
inline constexpr int kFirstSubjectItem = 2;

struct RankRows {
    std::vector<qint64> cls; // 班号 of each student, in stored order
    // Per item, per student. The two totals may be left empty when they are
    // recomputed.
    std::vector<std::vector<Num::Mark>> scores;
};

struct RankPlan {
    // 总分 is recomputed from every subject item and 三总 from these three
    // items (语文, 数学, 英语); -1 keeps the totals as read.
    std::array<int, 3> mainItems{-1, -1, -1};
    bool totals() const { return mainItems[0] >= 0; }
    qint64 firstClass = Rules::kFirstClass, lastClass = Rules::kLastClass; // the classes ranked within
};

struct RankTable {
    // The totals of the marks present; none for a student absent from every
    // item of it. Filled only when the plan recomputes them.
    std::vector<Num::Mark> total, threeTotal;
    // Per item, per student, as plain numbers (ranks count from 1): 0 for
    // none, for a missing score, and for a class rank outside the plan's
    // classes (that rank is left as it is).
    std::vector<std::vector<qint64>> classRanks, gradeRanks;
    Rank classRank(size_t item, size_t student) const { return rankOf(classRanks[item][student]); }
    Rank gradeRank(size_t item, size_t student) const { return rankOf(gradeRanks[item][student]); }
    static Rank rankOf(qint64 plain) { return plain > 0 ? Rank(plain) : std::nullopt; }
};

bool inClassRange(qint64 cls, const RankPlan& plan);
RankTable computeRanks(const RankRows& rows, const RankPlan& plan, const ProgressFn& progress = {});

// ---- Subject analysis --------------------------------------------------------

inline constexpr qint64 kWholeGrade = 100; // 班号 of the whole-grade row

struct AnalysisRows {
    std::vector<qint64> cls; // in stored order
    QStringList names;
    std::vector<std::vector<Num::Mark>> marks, gradeRanks; // per subject, per student
};

struct AnalysisPlan {
    QStringList columns;        // per subject its score column (语文1), in block order
    std::vector<qint64> full;   // per subject
    qint64 firstClass = 1, lastClass = 1;
    std::array<qint64, 4> top{100, 200, 300, 400};
};

struct AnalysisRow {
    QString subject; // the score column
    qint64 cls = 0;  // kWholeGrade for the whole grade
    qint64 full = 0;
    Rules::SubjectStats stats;
    QString bestName, worstName;      // class rows only
    std::array<Rules::Place, 4> places{}; // among the block's classes; class rows only
    bool wholeGrade() const { return cls == kWholeGrade; }
};

// One block per subject: a row per class of the range, then the whole
// grade (every student of the table, whatever his class).
std::vector<AnalysisRow> computeAnalysis(const AnalysisRows& rows, const AnalysisPlan& plan,
                                         const ProgressFn& progress = {});

// ---- Total-score bands -------------------------------------------------------

struct BandRows {
    std::vector<qint64> cls;
    std::vector<Num::Mark> total; // none: no total (absent from everything)
};

struct BandTable {
    // Columns of the counts: classes 1 to 18, then the whole grade.
    static constexpr int kGrade = Rules::kClassCount + 1;
    // counts[c][i]: totals of column c in band i; cumul[c][i]: totals of
    // column c at least band i's lower limit.
    std::vector<std::vector<qint64>> counts, cumul;
    std::array<Num::Fixed, kGrade + 1> sum{};
    std::array<qint64, kGrade + 1> heads{};
    int counted = 0;      // students with a total
    int withoutTotal = 0; // students left out
    int aboveFirst = 0;   // totals above the first band (in no band)

    // The mean of column c's totals (the double nearest to the exact
    // quotient); none where nobody has a total.
    std::optional<double> average(int c) const;
};

// Classes 1 to lastClass get band columns of their own; every class 1 to
// 18 gets its average, and the whole grade counts every student.
BandTable computeBands(const BandRows& rows, const Rules::TotalBands& limits, qint64 lastClass);

} // namespace Proc
