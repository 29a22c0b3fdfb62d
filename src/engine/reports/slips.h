#pragma once
// Per-student slips (成绩条) of one saved examination, to hand to each student
// and family: what a slip says, worked out once, for the page layout (slips
// cut from A4 pages, a letter to the family) and the workbook alike. A slip
// carries only its own student's data: his marks and levels, and his own
// standing when the school chooses to tell one. Ranks are off by default;
// where a school tells a standing, the percentile position is the choice
// that names no place.

#include "engine/export/sheet.h"
#include "engine/reports/examlevels.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <optional>

namespace Slips {

// What each subject shows.
enum class Show { Levels, Marks, Both };
// The standing told: none, the place in the class or the grade by the
// total, or the percentile position in the grade ("位于年级前 12%").
enum class RankMode { None, Class, Grade, Position };
// The change since an earlier examination: each item's level then, or the
// standing then (in the terms of the standing told; never with ranks off).
enum class Change { None, Level, Position };

struct Options {
    Levels::ExamRef exam;
    std::optional<qint64> cls; // one class; none: the whole grade, class by class
    Show show = Show::Levels;
    RankMode rank = RankMode::None;
    Change change = Change::None;
    Levels::ExamRef earlier; // the examination compared with, when change is not None
    QString yearLine;        // empty: from the date the marks were saved
};

// Db::InputError naming what cannot go together: a change without an earlier
// examination or with the same one, a change of standing with ranks off.
void check(const Options& options);

// The school year and term of a date as saved ("2024-11-08 16:30:00" ->
// "2024—2025学年第一学期"): the first term from September to January, the
// second from February to August. Empty for text that is no date.
QString yearLineOf(const QString& savedAt);

struct Item {
    QString title;   // 语文, 总分
    Num::Mark mark;  // none: absent
    QString level;   // its level name, 缺考; empty when levels are not shown
    QString earlier; // the level in the earlier examination, 缺考, or — (not there)
};

struct Slip {
    qint64 cls = 0;
    QString number, name;
    QList<Item> items;
    QString standing;        // 位于年级前 12%, 班级第 5 名, 年级第 37 名; empty when not told
    QVariant standingValue;  // for a workbook: the place as a number, the position as 前12%
    QString earlierStanding; // 上次位于年级前 30% (with a change of standing)
    QVariant earlierValue;
};

struct Set {
    QString examName;
    QString yearLine;
    QString legend;      // what the levels mean, when they are shown
    QString earlierName; // the examination compared with
    bool marks = false, levels = true, earlierLevels = false;
    RankMode rank = RankMode::None;
    Change change = Change::None;
    QStringList items;             // the items of every slip, in order
    QMap<QString, qint64> fullMarks;
    QList<Slip> slips;             // class by class, 学号 order within

    QList<qint64> classes() const;
    Set onlyClass(qint64 cls) const;
    // A title for the standing column and its earlier one (名次, 位置).
    QString standingTitle() const;
};

// The slips of one examination under a scheme; `fallback` gives full marks
// the saved analysis does not hold.
Set build(const Options& options, const Levels::Scheme& scheme, const QMap<QString, qint64>& fallback);

// A mark as a slip shows it: 92.5, or 缺考.
QString markText(const Num::Mark& mark);
QString classText(qint64 cls);

// The workbook of the classic 成绩条: a sheet per class, a header row above
// each student's row and an empty row between them, ready to cut apart.
QList<Export::Sheet> sheets(const Set& set);
void writeWorkbook(const QString& path, const Set& set, const Export::Progress& progress = {});

} // namespace Slips
