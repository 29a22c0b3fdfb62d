#pragma once
// Saved examinations read back: one examination's marks and ranks by class,
// one student across every saved examination, one class and subject across
// the saved analysis rows, and the grade ranks of two classes side by side.
// Every function builds the statement from plain settings; subject and rank
// names are checked against the columns the saved tables have, and names,
// numbers and thresholds travel as bound values.

#include "engine/db/query.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace Db { class GridModel; }

namespace History {

inline const QString kSavedGrades = QStringLiteral("cjsave");
inline const QString kSavedAnalysis = QStringLiteral("fxsave");

// The saved examinations' names, oldest first (the exam-name list in stored
// order); the last one is every list's default.
QStringList examNames();

// The value shown of a subject: the mark, the rank in the class or in the grade.
enum class Kind { Raw, ClassRank, GradeRank };

// "总分" + n, "总分班排" + n, "总分级排" + n.
QString valueColumn(const QString& subject, Kind kind, int suffix);
// One column per suffix from `from` to `to` (none when to < from).
QStringList valueColumns(const QString& subject, Kind kind, int from, int to);
// The column suffix and the word of a kind as the student chart names them:
// "1"/"原始", "班排1"/"班排", "级排1"/"级排".
QString kindSuffix(Kind kind);
QString kindWord(Kind kind);

// The examinations whose name begins with the text, in saving order: a
// query or chart that reads several must say which row is which.
QStringList examsMatching(const QString& prefix, const QString& table = kSavedGrades);

// The items of the class query and the comparison chart, and those of the
// student record (which adds 综合).
const QStringList& classSubjects();
const QStringList& studentSubjects();
// The subject as typed, when the saved grade table has its columns; a clear
// message naming it otherwise.
QString checkedSubject(const QString& subject, const QString& table = kSavedGrades);

// Text typed into a name box with its trailing blanks cut (leading ones stay).
QString trimEnd(const QString& text);

// The class query: one examination (prefix of its name), one class or a
// range, the value columns of one subject.
struct ClassQuery {
    QString table = kSavedGrades;
    QString subject = QStringLiteral("总分");
    Kind kind = Kind::Raw;
    QString exam;          // as typed; trailing blanks are cut
    qint64 firstClass = 1; // the single class when oneClass
    qint64 lastClass = 2;
    bool oneClass = false;
    int suffixFrom = 1;
    int suffixTo = 1;
    // The examination's name as the first column: the typed beginning
    // names several examinations, whose rows must not be read as one.
    bool withExam = false;
};
enum class ClassOrder {
    Stored,     // by ID, 学号, 班号 for one class; the table's own order for a range
    BestFirst,  // by grade rank
    WorstFirst, // by grade rank, descending
    AtMost,     // grade rank <= threshold, best first
    AtLeast,    // grade rank >= threshold, best first
};
Db::SelectSpec classQuery(const ClassQuery& q, ClassOrder order, qint64 threshold = 0);
// Every column of one class's saved rows of an examination (prefix), by ID.
Db::SelectSpec classAllColumns(qint64 cls, const QString& exam, const QString& table = kSavedGrades);

// A student of the saved grades. 学号 and 姓名 together name him: two
// students of one name, or a name that begins another's, are never taken
// for one.
struct SavedStudent {
    QString number;
    QString name;
    QList<qint64> classes; // the classes he was in, in the order of the examinations
    QStringList exams;     // the examinations he sat, in their order
};
struct StudentSearch {
    QList<SavedStudent> students;
    bool more = false; // more students match than were listed
};
// The students whose 姓名 (or 学号) begins with the text (trailing blanks
// cut); those whose 姓名 (学号) is exactly the text first, the rest in order
// of name (number); at most `limit` of them. Served by indexes, so that a
// first letter over a few years of saved examinations still answers at once.
StudentSearch findStudents(const QString& text, bool byNumber, int limit = 200, const QString& table = kSavedGrades);
// One student's saved rows in the order of the examinations; or his rows of
// one examination, named exactly as stored.
Db::SelectSpec studentRows(const SavedStudent& student, const QString& table = kSavedGrades);
Db::SelectSpec studentRowsInExam(const SavedStudent& student, const QString& exam, const QString& table = kSavedGrades);

// One student's saved rows, found by a prefix of the name or of the number
// (trailing blanks cut), in the order of the examinations.
Db::SelectSpec studentHistory(const QString& text, bool byNumber, const QString& table = kSavedGrades);
// The same student in one examination, named exactly as stored.
Db::SelectSpec studentExam(const QString& text, bool byNumber, const QString& exam,
                           const QString& table = kSavedGrades);
// The names the student box offers: the first `count` rows' 姓名 in stored
// order, the last one repeated past the end of the table, and the name of
// the row after them (the box's text).
struct NameList {
    QStringList items;
    QString current;
};
NameList firstNames(int count = 15, const QString& table = kSavedGrades);

// One class and subject across the saved analysis rows, by 考试编号.
Db::SelectSpec teacherRecord(qint64 cls, const QString& subject);
// A number column of the saved analysis table as typed; a clear message
// naming it otherwise.
QString checkedRankColumn(const QString& column);

// One class's grade ranks of one subject in an examination (prefix), best
// first, or in student-number order.
Db::SelectSpec classCurve(qint64 cls, const QString& subject, const QString& exam, bool byNumber,
                          const QString& table = kSavedGrades);
// The plotted column of classCurve.
QString curveColumn(const QString& subject);

// A chart point read from a result row.
struct Point {
    QString label;
    double value = 0;
};
// One point per row of the model, in its order: the value column as a
// number and the label column's text, or `fixedLabel` when no label column
// is given. A blank value is an absence and has no point (never one at 0);
// the line breaks there, and the next point's label names what was left out
// ("第三次（缺考：第二次）"). A value column the rows do not have is an error
// naming it.
QList<Point> points(const Db::GridModel& rows, const QString& valueColumn, const QString& labelColumn,
                    const QString& fixedLabel = {});

} // namespace History
