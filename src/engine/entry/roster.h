#pragma once
// Rosters and marks written into a working grade table in bulk: the bulk input
// window and the batch tool's import. Everything is checked before anything is
// deleted, and the writing is one transaction.

#include "engine/entry/matching.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

namespace Roster {

// Every named mark, total and rank column of a grade table (27 columns).
const QStringList& namedColumns();

// The seven subjects whose marks a roster row may carry (Rules::gradeSubjects).
inline constexpr int kRosterSubjects = 7;

struct Student {
    QString number;             // 学号
    qint64 cls = 0;             // 班号
    QString name;               // 姓名
    // By subject in the order of Rules::gradeSubjects(), written to subject
    // + "1"; a subject without a mark (absent, or not given) is left blank.
    std::array<std::optional<double>, kRosterSubjects> marks{};

    // Sets the mark of a subject of Rules::gradeSubjects(); false for any other name.
    bool setMark(const QString& subject, double mark);
};

// Replaces every row of the table by the students, kept in roster order
// (class, then 学号) and numbered from 0 in that order; every named column
// the student gives no mark for, the totals and the ranks are blank. A 学号
// given twice is refused.
void replace(const QString& table, const QList<Student>& students);

// What the bulk input window's boxes hold.
struct BulkInput {
    bool roster = true;          // write the roster (学号, 班号, 姓名 boxes)
    QString numbers, classes, names;
    bool marks = false;          // write marks
    QMap<QString, QString> markBoxes; // every subject's box, ticked or not
    QStringList ticked;          // the subjects whose marks are written
};

struct BulkResult {
    int students = 0;   // rows in the table afterwards
    int markRows = 0;   // students who received marks
    int absent = 0;     // of their marks, the ones left blank as absences
    qint64 firstClass = 0, lastClass = 0; // 班号 of the first and last row (0 when empty)
};

// A mark above its subject's full mark, for the question asked before writing.
struct AboveFull {
    QString subject;
    int line = 0;    // line of the box as shown, from 1 (a title line counts)
    QString student; // the name of the student the mark goes to
    double mark = 0;
    qint64 full = 0;
};

// One line of pasted marks and the student it goes to.
struct MarkLine {
    int line = 0;     // as shown, from 1
    int student = -1; // index into BulkPlan::current, or -1 when left out
    std::array<std::optional<double>, kRosterSubjects> marks{};
};

// The checked content of the boxes, ready to write.
struct BulkPlan {
    bool roster = false;
    QList<Student> students;      // a new roster, in roster order, marks attached

    // Marks for the roster the table holds: its students in grid order, how
    // the lines found them, and every line with its marks.
    QList<Match::Student> current;
    Match::Result match;
    QList<Match::Key> keys;
    QList<MarkLine> lines;

    QStringList subjects;         // the ticked subjects in their fixed order
    QList<AboveFull> aboveFull;
    int absent = 0;               // marks left blank for students absent (empty, 缺考, 缺, /)

    bool marksForRoster() const { return !roster && !lines.isEmpty(); }
};

// A roster student as every list of gaps names him: "学号0101 1班 张三".
QString studentText(const Match::Student& s);
// What did not match, one list per kind, each line's key worded by `key`
// (the window and the batch tool say a line differently).
struct GapLists {
    QStringList unknown;   // lines whose student is not on the roster
    QStringList ambiguous; // lines whose name several students share
    QStringList repeated;  // "第3、7行都是学号0101 1班 张三"
    QStringList missing;   // roster students no line reached
};
GapLists gapLists(const BulkPlan& plan, const std::function<QString(const Match::Key&)>& key);

// Lines of a pasted box: tabs, blanks and carriage returns trimmed; trailing
// empty lines dropped.
QStringList lines(const QString& box);

// A block of columns pasted from a spreadsheet (cells split at tabs). A
// header line naming the columns (学号, 班号, 姓名, a subject, also as the
// grade table names them: 语文1) places each column in its box; merged title
// lines above the header (one filled cell, the rest empty) are dropped.
struct Pasted {
    QList<QStringList> rows;  // the lines below the header, or every line
    QStringList titles;       // per column: the box its header names, or empty
    QStringList headers;      // per column: the header cell as pasted
    bool header = false;      // the block had a header line
    int titleLines = 0;       // title lines dropped above it
    qsizetype columns = 0;
};
Pasted pasted(const QString& text);
// The box a column header names: 学号, 班号, 姓名 or a subject; empty when
// it names none.
QString boxTitle(const QString& header);

// The students of a grade table in the order the entry grid shows them
// (class, then 学号).
QList<Match::Student> rosterOf(const QString& table);

// Checks every box before anything is written; a message names the box and
// the line, or the box and both counts. A mark cell is a number of 0 or more
// or an absence (Num::markCell), which leaves the mark blank; an empty line
// of a mark box is an absence, and so are the empty lines a pasted column
// ends with, up to the number of students. A first line that is the box's own
// title (学号, 班号, 姓名, the subject) is skipped in that box.
// A new roster: one line per student in every box, each 学号 once; marks
// belong to the student on their line. Marks for the roster the table
// holds: matched by the 学号, 班号 and 姓名 boxes when any is filled (the
// boxes as long as the mark boxes), else by line in grid order (the boxes
// as long as the roster). A 姓名 or 班号 that disagrees with the student a
// line reaches stops it. Marks above the full mark given for their subject
// are listed, not refused.
BulkPlan prepare(const QString& table, const BulkInput& input, const QMap<QString, qint64>& fullMarks = {});
// Writes a checked plan: roster and marks in one transaction. Marks go to
// the students they were matched to, by rowid and 学号 together: a table
// changed since the plan was made is refused, nothing written.
BulkResult write(const QString& table, const BulkPlan& plan);

} // namespace Roster
