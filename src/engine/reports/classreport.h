#pragma once
// What the one-page report of a class for one saved examination holds, read
// from what was saved: each subject's line of the saved analysis table, the
// total's bands of the saved band table, the level counts, and the students
// of the class who moved up or down most since the examination saved before.
// It is for the teachers: names and ranks appear on it.

#include "engine/export/sheet.h"
#include "engine/reports/progress.h"
#include "engine/rules/stats.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <array>
#include <optional>

namespace ClassReport {

// One subject of the class, as the saved analysis row has it.
struct SubjectLine {
    QString subject;                 // 语文
    std::optional<qint64> expected;  // 应考: the class's students in the saved grades
    qint64 sat = 0;                  // 参考: the row's 人数
    QVariant average, passRate, highRate, lowRate, best, worst; // as saved; blank where nobody sat
    Rules::Place place;              // 平均分排名
    qint64 placed = 0;               // classes of the examination with a place in this subject
    std::array<QVariant, 4> top;     // 级前100名人数 ... 级前400名人数
};

// One band of the total (the saved band table's row, this class's count).
struct Band {
    QString upper, lower;
    qint64 count = 0;
};

// How many students of the class reached each level of a subject.
struct LevelCount {
    QString level;
    qint64 count = 0;
};
struct SubjectLevels {
    QString subject;
    QList<LevelCount> counts;
};

struct Data {
    Progress::ExamId exam;
    QString examLabel;
    qint64 cls = 0;
    std::optional<qint64> students; // the class's rows in the saved grades; none: grades not saved
    QList<SubjectLine> subjects;
    bool bandsSaved = false;
    QList<Band> bands;              // from the highest band down
    QVariant totalAverage;          // the class's and the grade's, from the band table's average row
    QVariant gradeTotalAverage;
    // The level counts per subject under the school's level scheme (filled
    // by the action from the saved grades; empty when they were not saved).
    QList<SubjectLevels> levels;
    std::optional<Progress::ExamId> previous; // the examination saved before, when there is one
    QString previousLabel;
    Export::Sheet up, down;         // its movers, when there is a previous examination
};

inline constexpr int kMovers = 5;

// The report's data for a class of a saved examination. The saved analysis
// rows of the class are needed (a clear message when there are none); the
// band table and the previous examination are used when they were saved.
Data read(const Progress::ExamId& exam, qint64 cls);

// The subjects as a table: 科目, 应考, 参考, 缺考, 平均分, its place
// ("2/6": second of six classes), the three rates, highest and lowest
// mark, and the grade's top-100 ... 400 counts.
Export::Sheet subjectSheet(const Data& data);

} // namespace ClassReport
