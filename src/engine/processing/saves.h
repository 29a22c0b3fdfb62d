#pragma once
// The permanent copies of one examination's results: marks and ranks into
// cjsave, the analysis table into fxsave, the band table into tjsave1. Each is
// one transaction that also records the name and sets the examination's flag.

#include <QString>

namespace Save {

struct Exam {
    QString name;
    qint64 number = 0;
    // The examination check holds: its save flag is set, and the name and
    // number saved under become check's mc and bh, so that a name or number
    // edited before saving is the one every later step (re-processing, the
    // other saves) goes by. A save made for another examination (from the
    // batch tool) leaves check alone.
    bool current = true;
    // Rows already saved under this examination's name and number are
    // removed first and the new ones take their place, in the same
    // transaction; the name stays listed once. Without it a second save
    // stores the examination twice.
    bool replace = false;
};

// What a save would meet: the rows already saved under the examination's
// name and number in the table the save writes.
enum class Kind { Grades, Analysis, Bands };
qint64 savedRows(Kind kind, const Exam& exam);

// The examination number as typed; a clear message when it is not an integer.
qint64 examNumber(const QString& text);

struct Result {
    int rows = 0;
    qint64 firstId = 0; // running number of the first appended row
    qint64 nextId = 0;  // the counter after the save
    qint64 elapsedMs = 0;
};

// Every row of the working grade table -> cjsave (numbered from count.count),
// the name -> ksmc, check.c1 := 1.
Result grades(const QString& workTable, const Exam& exam);
// The rows of the analysis table up to the first free one -> fxsave (numbered
// from the same counter), the name -> ksmcfx, check.c2 := 1.
Result analysis(const QString& fxTable, const Exam& exam);
// Every row of the band table -> tjsave1 (numbered from count.counttj),
// the name -> ksmcfd, check.c3 := 1.
Result bands(const QString& tjTable, const Exam& exam);

// Before an examination whose marks were saved is processed again: removes
// its saved grade rows (those of its name and number: another examination of
// the same name keeps its rows) and its own name row from ksmc (a single
// remaining name stays), and sets check.c1 back to 0. Does nothing when c1
// is already 0. Returns the number of saved grade rows removed.
int discardSavedGrades(const Exam& exam);

// The current examination as check holds it, for a save or a discard; a
// clear message when its number is not an integer.
Exam currentExam();

} // namespace Save
