#pragma once
// What the three chart windows draw, worked out from plain numbers: the
// slices or bars in their order, their labels with whole percentages, the
// title, and a note when the chart would otherwise mislead. The windows only
// draw these.

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>
#include <array>
#include <optional>

namespace Reports {

struct ChartPoint {
    QString text;  // "* 90-100占", "本班45人", "从380到389占"
    QString share; // "25%", "—" when the whole is 0, empty when none is shown
    double value = 0;
    bool rest = false; // the students no band of the chart holds (其余, 其他)
    QString label() const { return text + share; }
};

struct ChartData {
    QString exam; // the examination drawn
    QString title;
    QList<ChartPoint> points;
    QString note; // shown under the title; empty when all is well
    double total() const;
};

// A count as a whole percentage of the class, halves to even ("25%"), or
// "—" when the class has no students.
QString shareText(qint64 part, qint64 whole);

// The class of a saved analysis row as a title says it: "3班", or "全级" for
// the whole-grade row.
QString classTitle(qint64 classNumber);

// --- The score-band pie of one class and subject ---------------------------
// The saved analysis columns that fill its inputs Edit1 ... Edit15, in order
// (Edit15 is the count of full marks, 120分).
const QStringList& bandPieFields();
// The top-N bar chart's inputs Edit1 ... Edit6.
const QStringList& topBarFields(); // the last two are computed, see topBarInputs

// The text form of the inputs, read from one saved analysis row.
QStringList bandPieInputs(const QVariantMap& row);
// Edit5 is the class size minus the top-400 count.
QStringList topBarInputs(const QVariantMap& row);

// Inputs typed or handed over as text, checked all at once before anything
// is drawn: a clear message names the first one that is not a whole number.
QList<qint64> integersOf(const QStringList& texts, const QStringList& names);

struct ChartTitle {
    QString exam;
    QString cls; // "1班", "全级"
    QString subject;
};

// Nine slices from 110-120 (with the full marks of 120) down to "below 40",
// and a slice 其他 for the students of the class no band holds (marks above
// 120): the slices always add up to the class. Inputs as Edit1 ... Edit15.
inline constexpr int kBandPieInputs = 15;
ChartData bandPie(const std::array<qint64, kBandPieInputs>& in, const ChartTitle& t);
// Six bars: the class size, then the top 100/200/300/400 and after 400;
// inputs as Edit1 ... Edit6.
ChartData topBars(const std::array<qint64, 6>& in, const ChartTitle& t);
// The two charts of one saved analysis row; a clear message names the first
// count that is not a whole number.
ChartData bandPieOf(const QVariantMap& row, const ChartTitle& t);
ChartData topBarsOf(const QVariantMap& row, const ChartTitle& t);

// --- The total-score band pie ----------------------------------------------
struct BandRow {
    QString upper; // 上限
    QString lower; // 下限
    double count = 0;
};

// The band rows of the first examination in a saved band query's result:
// its rows up to its average row. A count column missing, or a count that is
// not a number, is a clear message. A blank count is 0.
struct BandWalk {
    QString exam;          // the examination the rows belong to
    QList<BandRow> rows;
    bool otherExams = false; // the result held more examinations after it
    // From the running counts (the class's 累 column, when the rows have it):
    // the students at or above the lowest band, and those above the top band.
    std::optional<double> reached;
    double aboveTop = 0;
};
BandWalk bandWalk(const QStringList& columns, const QList<QVariantList>& rows, const QString& countColumn);

// The running-count column beside a count column: 3班 -> 3累, 全级 -> 级累.
QString runningColumn(const QString& countColumn);

// The column a total-score pie counts: "全级" for the whole grade, else the
// class's column ("3班"); a class without a column is a clear message.
QString bandCountColumn(bool wholeGrade, qint64 classNumber);

struct TotalPieSettings {
    qint64 slices = 13;  // 图表段数
    qint64 perSlice = 2; // 每一段间隔: band rows merged into one slice
    bool wholeGrade = false;
    qint64 classNumber = 1;
    // The students of the class (or grade) with a total, when known (from the
    // examination's saved grades); otherwise the band rows' running count.
    std::optional<qint64> classSize;
    // The students outside the merged bands as one more slice 其余; when
    // false, the note says how many are not drawn.
    bool restSlice = true;
};
// Slices from the top band down, each merging perSlice rows and labelled
// from the lower bound of its last row to the upper bound of its first, with
// its share of the class and its count ("从400到419占12%（7人）"). When the
// rows run out the last one is counted again (the note says so).
ChartData totalPie(const BandWalk& walk, const TotalPieSettings& s);

} // namespace Reports
