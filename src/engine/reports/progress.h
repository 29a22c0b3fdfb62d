#pragma once
// Progress between two saved examinations (进退步): every student of both,
// matched by 学号 alone, with his total, marks, ranks and position in each
// and how far he moved; the students who moved up or down most; each class's
// averages and place among the classes in both. The rules work on plain rows
// (compare), so they are tested without a database; readSaved() gives the
// rows of one saved examination.
//
// An absent mark (缺考) is no mark: it has no rank and takes no part in any
// change or average. A student whose 学号 the other examination does not
// have, or holds twice, is listed apart and never paired by his name.

#include "engine/export/sheet.h"
#include "engine/rules/numbers.h"
#include "engine/rules/stats.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace Progress {

// The subjects a saved row carries, in their fixed order.
inline constexpr int kSubjects = 7;
const QStringList& subjects();

using Rank = std::optional<qint64>;
using Change = std::optional<qint64>;

// A saved examination: its name and number together name it (two
// examinations may share a name).
struct ExamId {
    QString name;
    qint64 number = 0;
    bool operator==(const ExamId&) const = default;
};

// One student's saved row.
struct Student {
    QString number; // 学号
    qint64 cls = 0;
    QString name;
    std::array<Num::Mark, kSubjects> marks{};
    std::array<Rank, kSubjects> subjectRanks{}; // in the grade
    Num::Mark total;
    Rank gradeRank, classRank; // of the total
};

// A student of both examinations.
struct Pair {
    Student before, after;
    // Where he stood in the grade: the share of the ranked students ahead
    // of him, as a whole percent rounded up ((rank - 1) / (ranked - 1)).
    std::optional<qint64> positionBefore, positionAfter;
    // Earlier rank less later rank: positive when he moved up. None when
    // either rank is missing; the class rank's only when he stayed in his class.
    Change gradeChange, classChange;
    std::array<Change, kSubjects> subjectChange{};
};

// A student found in one examination only, or whose 学号 cannot pair him.
struct Apart {
    enum class Why { OnlyBefore, OnlyAfter, NoNumber, NumberTwice };
    Student student;
    Why why = Why::OnlyBefore;
    bool inLater = false; // the row comes from the later examination
};

// One class (or the grade) in one examination.
struct ClassSide {
    qint64 students = 0;  // rows of the class
    qint64 withTotal = 0; // of them with a total
    Num::Mark total;      // the exact mean of their totals, four decimals
    Rules::Place totalPlace;
    std::array<qint64, kSubjects> sat{};
    std::array<Num::Mark, kSubjects> average{};
    std::array<Rules::Place, kSubjects> place{};
};

struct ClassRow {
    qint64 cls = 0; // 100: the whole grade
    ClassSide before, after;
    // The mean of the grade-rank changes of the class's students in the
    // later examination who have one; four decimals.
    Num::Mark meanRankChange;
    qint64 paired = 0; // students with a grade-rank change
};

inline constexpr qint64 kWholeGrade = 100;

struct Result {
    QList<Pair> pairs; // in the later examination's order: class, then 学号
    QList<Apart> apart;
    // Subjects anyone sat in each examination.
    std::array<bool, kSubjects> examinedBefore{}, examinedAfter{};
    qint64 rankedBefore = 0, rankedAfter = 0; // students with a grade rank of the total
    std::vector<ClassRow> classes;             // every class of either examination, in order
    ClassRow grade;
    bool examined(int subject) const { return examinedBefore[size_t(subject)] || examinedAfter[size_t(subject)]; }
};

// The whole comparison of two examinations' rows.
Result compare(const std::vector<Student>& before, const std::vector<Student>& after);

// The share of the grade ahead of a student of this rank among `ranked`
// students, as a whole percent rounded up: rank 1 is 0, the last rank 100.
qint64 positionPercent(qint64 rank, qint64 ranked);

// The pairs (indexes into result.pairs) of one class in the later
// examination, or of the grade (cls 0), that moved up (or down) most in the
// grade: the first n by grade-rank change and every one tied with the n-th.
QList<int> movers(const Result& result, qint64 cls, int n, bool up);

// ---- the tables as windows, workbooks and pages show them ------------------
// Titles name the examination as 上次 (the earlier) and 本次 (the later).

// Every pair of one class (0: the grade): 学号, 班号, 姓名, the totals,
// grade and class ranks and positions in both with the changes, each subject
// sat in either examination (both marks and the grade-rank change), and a
// note when the class or the name changed. An absent mark or rank reads 缺考.
Export::Sheet studentSheet(const Result& result, qint64 cls);
// The movers with their place in the list.
Export::Sheet moversSheet(const Result& result, qint64 cls, int n, bool up);
// Every class and the grade: averages, places and their changes.
Export::Sheet classSheet(const Result& result);
// The students listed apart (of one class, 0: all), with the reason.
Export::Sheet apartSheet(const Result& result, qint64 cls, const QString& before, const QString& after);

// ---- saved examinations ------------------------------------------------------

// Every examination whose grades were saved, by number, then in the order
// they were saved.
QList<ExamId> savedExams();
// How a list names an examination: its name, with its number when another
// saved examination has the same name.
QString label(const ExamId& exam, const QList<ExamId>& all);
// The examination saved under a name (and number, when given): a clear
// message when there is none, or when the name has several numbers and no
// number says which.
ExamId findExam(const QString& name, std::optional<qint64> number);
// The saved examination before `exam` in savedExams() order, when there is one.
std::optional<ExamId> previousExam(const ExamId& exam);
// The saved rows of an examination, by class then 学号; a student saved twice
// under it (same 学号, class and name) once, as first saved.
std::vector<Student> readSaved(const ExamId& exam);

} // namespace Progress
