#pragma once
// The three processing runs of one examination: totals and ranks, the subject
// analysis table and the total-score band table. Each takes plain settings and
// goes in three steps: it reads the grade table once into plain rows, computes
// over them (compute.h, no database) and writes its results, in one
// transaction that also holds the read: all of them, or (on any error) none.
// Settings out of their bounds are refused (Db::InputError naming the
// setting) before anything is read. An absent mark (blank) counts in nothing;
// what it leaves blank is said in compute.h.

#include "engine/db/query.h"
#include "engine/processing/compute.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <array>

namespace Proc {

// The bounds of the settings a run accepts (a class is 1 to 18, see Rules).
inline constexpr qint64 kMaxFullMark = 1000;      // a subject's full mark
inline constexpr qint64 kMaxTop = 1000000;        // a top-N limit of the grade ranks
inline constexpr qint64 kMaxBands = 100;          // bands of the total-score table
inline constexpr qint64 kMaxBandUpper = 100000;   // the first band's upper limit

struct RankSettings {
    QString table = QStringLiteral("cj");
    QString suffix = QStringLiteral("1");
    QStringList subjects; // the selected ones, in the fixed order
    qint64 firstClass = 1;
    qint64 lastClass = 5;
};

struct RankResult {
    int students = 0;
    qint64 processed = 0; // students x 2 x (subjects + 4), the figure the panel reports
    qint64 elapsedMs = 0;
    bool totals = false; // 总分 and 三总 were computed (语文, 数学 and 英语 all selected)
};

RankResult rank(const RankSettings& settings, const ProgressFn& progress = {});

// The grid query that shows a ranking's results for classes b1 to b2.
Db::SelectSpec rankDisplayQuery(const QString& table, const QStringList& subjects,
                                const QString& suffix, qint64 b1, qint64 b2);

struct AnalysisSettings {
    QString table = QStringLiteral("cj");
    QString fxTable = QStringLiteral("fx");
    QString suffix = QStringLiteral("1");
    QStringList subjects;
    qint64 firstClass = 1;
    qint64 lastClass = 5;
    QMap<QString, qint64> fullMarks; // by subject; 100 when not given
    std::array<qint64, 4> top{100, 200, 300, 400};
};

struct AnalysisResult {
    int rows = 0;        // analysis rows written
    bool cleared = false; // the table still held the last result and was cleared first
    qint64 elapsedMs = 0;
};

// True when the analysis table's first row still holds a result.
bool analysisTableInUse(const QString& fxTable);
AnalysisResult analyze(const AnalysisSettings& settings, const ProgressFn& progress = {});

struct BandSettings {
    QString table = QStringLiteral("cj");
    QString tjTable = QStringLiteral("tj");
    QString totalSuffix = QStringLiteral("1");
    qint64 upper = 399;
    qint64 count = 30;
    qint64 lastClass = 18;
};

struct BandResult {
    int bands = 0;
    int students = 0;     // students counted: those with a total
    int withoutTotal = 0; // students left out: absent from every subject of the total
    int aboveFirst = 0; // students whose total lies above the first band (in no band)
    qint64 elapsedMs = 0;
};

BandResult bands(const BandSettings& settings, const ProgressFn& progress = {});

} // namespace Proc
