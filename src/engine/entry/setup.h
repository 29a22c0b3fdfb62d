#pragma once
// What the exam-setup and entry windows do to the tables: the current
// examination, the choice of working table, students added, inserted or
// removed one at a time, and the entry grid's query. Each change that touches
// more than one row or table is one transaction.

#include "engine/db/query.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace Entry {

// The examination being worked on, as the one-row table check holds it.
struct ExamState {
    QString name;   // mc
    QString number; // bh, as typed
    bool marksSaved = false;    // c1
    bool analysisSaved = false; // c2
    bool bandsSaved = false;    // c3
};
ExamState examState();

// The number proposed for the next examination: one more than the highest
// examination number saved in cjsave, fxsave or tjsave1; 1 when none is.
qint64 proposedExamNumber();

// What is saved under an examination name: the numbers of its saved rows in
// cjsave, fxsave and tjsave1 (ascending), and whether ksmc lists the name.
struct SavedExam {
    QList<qint64> numbers;
    bool listed = false;
    bool exists() const { return listed || !numbers.isEmpty(); }
};
SavedExam savedExam(const QString& name);

// The name a new examination may not take: the blank database's own text for
// "no examination".
inline const QString kNoExam = QStringLiteral("没有任何考试");

// Checks the name and number of an examination about to be added: a name
// (not blank, no control characters, not the text for "no examination") and
// a positive integer. Returns the number; throws Db::InputError.
qint64 checkNewExam(const QString& name, const QString& number);

// Makes the examination current: linshi.name, check.mc/bh, and the three
// saved-flags cleared. The number is kept as typed.
void startExam(const QString& name, const QString& number);

// Checks a student's 学号, 班号 and 姓名 as one-by-one entry and the editing
// window take them: 班号 1 to 18, 学号 and 姓名 filled and free of control
// characters. The message names the student.
void checkStudent(const QString& number, qint64 cls, const QString& name);

// linshi.shibie: 0 when the roster was re-entered into cjn, else cj is used.
qint64 rosterMode();
void setRosterMode(qint64 mode);
QString workingTableFor(qint64 rosterMode);
QString workingTable();

// The first and last class of a grade table in stored order; none when empty.
struct ClassRange {
    qint64 first = 0;
    qint64 last = 0;
};
std::optional<ClassRange> classRange(const QString& table);

// One-by-one entry starts from an empty table: roster mode 0 and every row of
// the table deleted, together.
void startOneByOne(const QString& table);

// A roster reused for a new examination: every mark, total and rank of every
// row blanked, so that nothing of the last examination stays and a subject
// not entered again is no 0. Returns the number of rows.
int blankMarks(const QString& table);

// A student of a grade table as the roster windows name him.
struct RosterStudent {
    qint64 rowid = -1;
    QString number;
    qint64 cls = 0;
    QString name;
};
std::optional<RosterStudent> studentWithNumber(const QString& table, const QString& number);

// Rows of a grade table are kept in roster order, class then 学号 (the
// order of the entry grid): whatever goes by the stored order (the runs, the
// saves, marks pasted by line) then meets the students as the teacher sees
// them. Rewrites the rows in that order when they are not; rowids change.
void keepRosterOrder(const QString& table);

// Appends one student numbered from count.zuge and advances the counter, in
// one transaction; the student takes his place in roster order. Every named
// mark, total and rank column starts blank. The student is checked first
// (checkStudent) and his 学号 must be free. Returns the running number the
// student got.
qint64 addStudent(const QString& table, const QString& number, qint64 cls, const QString& name);

// Inserts a student into his place in roster order; the running-number
// column and every mark, total and rank stay empty. Returns his rowid. The student is checked first
// (checkStudent) and his 学号 must be free. Rows move, so grids over the
// table must reload.
qint64 insertStudent(const QString& table, const QString& number, qint64 cls, const QString& name);

void deleteRow(const QString& table, qint64 rowid);
// Deletes the student shown in a grid row: the row must still hold his
// 学号, else nothing is deleted and the message says the table changed.
void deleteStudent(const QString& table, qint64 rowid, const QString& number);

// The entry grid: 学号, 姓名, the mark column of each chosen subject, 班号,
// for one class or a range, in roster order (班号, then 学号).
Db::SelectSpec entryQuery(const QString& table, const QStringList& subjects, bool oneClass,
                          qint64 firstClass, qint64 lastClass);

} // namespace Entry
