#pragma once
// Rosters and marks written into a working grade table in bulk: the bulk input
// window and the batch tool's import. Everything is checked before anything is
// deleted, and the writing is one transaction.

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <array>
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
    // + "1"; a subject without a mark is written as 0.
    std::array<std::optional<double>, kRosterSubjects> marks{};

    // Sets the mark of a subject of Rules::gradeSubjects(); false for any other name.
    bool setMark(const QString& subject, double mark);
};

// Replaces every row of the table by the students, numbered from 0 in order;
// every named column the student gives no mark for holds 0.
void replace(const QString& table, const QList<Student>& students);

// Marks by position: row j of the table (stored order) gets marks[subject][j]
// for every subject given. Refused when a list is longer than the table.
void writeMarks(const QString& table, const QMap<QString, QList<double>>& marks);

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
    int markRows = 0;   // rows that received marks
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

// The checked content of the boxes, ready to write.
struct BulkPlan {
    bool roster = false;
    QList<Student> students;
    QMap<QString, QList<double>> marks;
    QList<AboveFull> aboveFull;
};

// Lines of a pasted box: tabs, blanks and carriage returns trimmed; trailing
// empty lines dropped.
QStringList lines(const QString& box);

// Checks every box before anything is written; a message names the box and
// the line, or the box and both counts. A first line that is the box's own
// title (学号, 班号, 姓名, the subject) is skipped in that box. Every ticked
// mark box must hold one mark per student. Marks above the full mark given
// for their subject are listed, not refused.
BulkPlan prepare(const QString& table, const BulkInput& input, const QMap<QString, qint64>& fullMarks = {});
// Writes a checked plan: roster and marks in one transaction.
BulkResult write(const QString& table, const BulkPlan& plan);
BulkResult bulkInput(const QString& table, const BulkInput& input);

// The question about marks above the full mark, naming the first few.
QString aboveFullQuestion(const QList<AboveFull>& marks, int shown = 5);

} // namespace Roster
