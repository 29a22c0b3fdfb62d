#pragma once
// Which student a line of pasted or imported marks belongs to. Marks that
// arrive with a 学号 (or a 姓名 with its 班号, or a 姓名 that no other
// student of the roster has) go to the student that key names, never to the
// student who happens to stand on the same line; marks that arrive with no
// key go by line in the order the teacher sees the roster, and any 姓名 that
// came with them must agree with the student on that line.
//
// These are pure functions over plain rows: the bulk input window, the
// file import and the batch tool give them what they read and word what
// they find.

#include <QList>
#include <QString>
#include <optional>

namespace Match {

// A student of the working grade table, in the order the entry grid shows
// the roster (class, then 学号).
struct Student {
    qint64 rowid = -1;
    QString number; // 学号
    qint64 cls = 0; // 班号
    QString name;   // 姓名
};

// What a line brought along to tell its student. Fields the source has no
// column for stay empty.
struct Key {
    int line = 0; // the line or row as the teacher sees it, from 1
    QString number;
    std::optional<qint64> cls;
    QString name;
};

enum class By {
    Position,     // no key: line i goes to the i-th student
    Number,       // 学号
    NameAndClass, // 姓名 with 班号
    Name,         // 姓名 alone, every name of the roster being unique
};

// The columns a source carries; the key is chosen from them.
struct Columns {
    bool number = false;
    bool cls = false;
    bool name = false;
};

struct Result {
    By by = By::Position;
    // For each line: the index of its student in the roster, or -1 when the
    // line is left out (unknown, ambiguous or repeated key).
    QList<int> studentOf;
    QList<int> unknown;           // lines (indices) whose key names no student
    QList<int> ambiguous;         // lines whose 姓名 (and 班号) fits several students
    struct Repeated {
        int student = -1;  // roster index
        QList<int> lines;  // the lines that name him
    };
    QList<Repeated> repeated;     // students named on more than one line
    QList<int> missing;           // roster indices no line names
    QList<int> nameDisagrees;     // lines whose 姓名 is not that of the student found
    QList<int> classDisagrees;    // lines matched by 学号 whose 班号 is another

    // Gaps the teacher must accept before anything is written.
    bool hasGaps() const { return !unknown.isEmpty() || !ambiguous.isEmpty() || !repeated.isEmpty() || !missing.isEmpty(); }
    // Disagreements that stop the writing: the lines do not belong to the
    // students they would reach.
    bool hasConflicts() const { return !nameDisagrees.isEmpty() || !classDisagrees.isEmpty(); }
    int matched() const;
};

// Matches the lines to the roster by the key their columns allow: 学号 when
// given, else 姓名 with 班号, else 姓名 alone. A roster where two students
// share a name still goes by line when the lines are the roster's own, name
// for name; otherwise by name, the shared names left out as ambiguous.
// With no key the lines must be as many as the students (the caller checks
// and says so). A 姓名 or 班号 given beside the key is checked against the
// student found.
Result match(const QList<Student>& roster, const QList<Key>& lines, const Columns& columns);

// Roster order: class, then 学号 compared as the database compares text
// (byte by byte in UTF-8), so that an ordering in memory and ORDER BY agree.
bool rosterLess(qint64 clsA, const QString& numberA, qint64 clsB, const QString& numberB);

// 学号 that stand on two lines of a roster: pairs of line indices (first
// and second occurrence), in line order. Blank ones are not counted.
QList<std::pair<int, int>> repeatedNumbers(const QStringList& numbers);

} // namespace Match
