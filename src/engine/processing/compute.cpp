#include "engine/processing/compute.h"

#include <QHash>

namespace Proc {

namespace {

void report(const ProgressFn& progress, int stage, qint64 done, qint64 total)
{
    if (progress)
        progress(stage, done, total);
}

// The sum of the marks present among `items`; none when every one is missing.
Num::Mark sumOf(const std::vector<const std::vector<Num::Mark>*>& items, size_t r)
{
    Num::Mark sum;
    for (const auto* item : items)
        if (const Num::Mark& m = (*item)[r])
            sum = sum.value_or(0) + *m;
    return sum;
}

void computeTotals(const RankRows& rows, const RankPlan& plan, RankTable& out, const ProgressFn& progress)
{
    const size_t n = rows.cls.size();
    std::vector<const std::vector<Num::Mark>*> subjects, main;
    for (size_t i = kFirstSubjectItem; i < rows.scores.size(); ++i)
        subjects.push_back(&rows.scores[i]);
    for (int i : plan.mainItems)
        main.push_back(&rows.scores[size_t(i)]);
    out.total.resize(n);
    out.threeTotal.resize(n);
    for (size_t r = 0; r < n; ++r) {
        out.total[r] = sumOf(subjects, r);
        out.threeTotal[r] = sumOf(main, r);
        if ((r & 1023) == 0)
            report(progress, 1, qint64(r), qint64(n));
    }
}

} // namespace

bool inClassRange(qint64 cls, const RankPlan& plan)
{
    return cls >= plan.firstClass && cls <= plan.lastClass;
}

RankTable computeRanks(const RankRows& rows, const RankPlan& plan, const ProgressFn& progress)
{
    RankTable out;
    const size_t n = rows.cls.size();
    const size_t items = rows.scores.size();
    if (plan.totals())
        computeTotals(rows, plan, out, progress);
    report(progress, 1, qint64(n), qint64(n));

    // The students of each class of the range, in stored order.
    std::vector<std::vector<int>> byClass(size_t(Rules::kClassCount) + 1);
    for (size_t r = 0; r < n; ++r)
        if (inClassRange(rows.cls[r], plan) && Rules::isClassNumber(rows.cls[r]))
            byClass[size_t(rows.cls[r])].push_back(int(r));
    std::vector<qint64> key(n);
    std::vector<int> present, classPresent;
    qint64 done = 0, classWork = 0;
    for (const auto& students : byClass)
        classWork += qint64(students.size());
    classWork *= qint64(items);
    for (size_t i = 0; i < items; ++i) {
        const std::vector<Num::Mark>& score = plan.totals() && i == kTotalItem ? out.total
            : plan.totals() && i == kThreeItem                               ? out.threeTotal
                                                                             : rows.scores[i];
        // Ranks go by the rounded scores, rounded once per item; a student
        // without a score is in no list and keeps rank 0, that is none.
        std::vector<qint64>& classRank = out.classRanks.emplace_back(n, 0);
        std::vector<qint64>& gradeRank = out.gradeRanks.emplace_back(n, 0);
        present.clear();
        for (size_t r = 0; r < n; ++r) {
            if (score[r]) {
                key[r] = Rules::rankKey(*score[r]);
                present.push_back(int(r));
            }
        }
        for (const auto& students : byClass) {
            classPresent.clear();
            for (int r : students)
                if (score[size_t(r)])
                    classPresent.push_back(r);
            Rules::ranksByKey(classPresent, key, classRank);
            done += qint64(students.size());
            if (!students.empty())
                report(progress, 2, done, classWork);
        }
        // Grade ranks over every student, whatever his class.
        Rules::ranksByKey(present, key, gradeRank);
        report(progress, 3, qint64(i) + 1, qint64(items));
    }
    return out;
}

// ---------------------------------------------------------------------------

namespace {

// The places of the classes of one block (its rows first..first+classes-1).
void placeClasses(std::vector<AnalysisRow>& out, size_t first, size_t classes)
{
    std::vector<Rules::SubjectStats> block;
    for (size_t i = 0; i < classes; ++i)
        block.push_back(out[first + i].stats);
    const auto places = Rules::classPlaces(block);
    for (size_t i = 0; i < classes; ++i)
        out[first + i].places = places[i];
}

} // namespace

std::vector<AnalysisRow> computeAnalysis(const AnalysisRows& rows, const AnalysisPlan& plan,
                                         const ProgressFn& progress)
{
    // The students of each class of the range in stored order, and the whole
    // grade: every student of the table.
    const int n = int(rows.cls.size());
    QHash<qint64, std::vector<int>> byClass;
    std::vector<int> grade;
    grade.reserve(size_t(n));
    for (int r = 0; r < n; ++r) {
        grade.push_back(r);
        if (rows.cls[size_t(r)] >= plan.firstClass && rows.cls[size_t(r)] <= plan.lastClass)
            byClass[rows.cls[size_t(r)]].push_back(r);
    }
    const qint64 classes = plan.lastClass - plan.firstClass + 1;
    const qint64 work = qint64(plan.columns.size()) * classes;
    auto nameOf = [&](int row) { return row >= 0 ? rows.names.at(row) : QString(); };
    std::vector<AnalysisRow> out;
    out.reserve(size_t(plan.columns.size() * (classes + 1)));
    for (qsizetype b = 0; b < plan.columns.size(); ++b) {
        const qint64 full = plan.full[size_t(b)];
        auto statsOf = [&](const std::vector<int>& students) {
            return Rules::subjectStats(students, rows.marks[size_t(b)], rows.gradeRanks[size_t(b)], full, plan.top);
        };
        const size_t first = out.size();
        for (qint64 c = plan.firstClass; c <= plan.lastClass; ++c) {
            AnalysisRow row{plan.columns.at(b), c, full, statsOf(byClass.value(c)), {}, {}, {}};
            row.bestName = nameOf(row.stats.bestRow);
            row.worstName = nameOf(row.stats.worstRow);
            out.push_back(row);
            report(progress, 1, qint64(out.size() - size_t(b)), work);
        }
        placeClasses(out, first, size_t(classes));
        // The whole grade has no one student to name and no place.
        out.push_back({plan.columns.at(b), kWholeGrade, full, statsOf(grade), {}, {}, {}});
    }
    report(progress, 2, 1, 1);
    return out;
}

// ---------------------------------------------------------------------------

std::optional<double> BandTable::average(int c) const
{
    // Sum and head count are exact integers, so one division gives the
    // double nearest to the true mean (1688.4 / 7 -> 241.2).
    if (heads[size_t(c)] == 0)
        return std::nullopt;
    return double(sum[size_t(c)]) / double(Num::kScale * heads[size_t(c)]);
}

BandTable computeBands(const BandRows& rows, const Rules::TotalBands& limits, qint64 lastClass)
{
    constexpr int kGrade = BandTable::kGrade;
    const size_t B = size_t(limits.count);
    BandTable t;
    t.counts.assign(kGrade + 1, std::vector<qint64>(B, 0));
    t.cumul.assign(kGrade + 1, std::vector<qint64>(B, 0));
    for (size_t r = 0; r < rows.cls.size(); ++r) {
        const Num::Mark& total = rows.total[r];
        if (!total) {
            ++t.withoutTotal;
            continue;
        }
        ++t.counted;
        const qint64 c = rows.cls[r];
        const bool ownColumns = c >= 1 && c <= lastClass;
        const qint64 band = limits.bandOf(*total);
        t.aboveFirst += limits.aboveFirst(*total);
        if (band >= 0) {
            ++t.counts[kGrade][size_t(band)];
            if (ownColumns)
                ++t.counts[size_t(c)][size_t(band)];
        }
        // Lower limits fall band by band: a total reaches a run of bands
        // from the last one up.
        for (size_t i = B; i-- > 0 && limits.reaches(*total, qint64(i));) {
            ++t.cumul[kGrade][i];
            if (ownColumns)
                ++t.cumul[size_t(c)][i];
        }
        if (Rules::isClassNumber(c)) {
            t.sum[size_t(c)] += *total;
            ++t.heads[size_t(c)];
        }
        t.sum[kGrade] += *total;
        ++t.heads[kGrade];
    }
    return t;
}

} // namespace Proc
