#pragma once
// Recognising a grade table in a sheet as teachers receive it: the header row
// found below any title rows, header words matched to the grade book's
// columns by one table of synonyms, values read the way teachers write them
// ("初一(7)班" is class 7, "缺考" is an absence, "0101" keeps its zero), and
// every value that cannot be taken listed by its sheet row and column.

#include "engine/import/workbook.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>

namespace Import {

// What a sheet column goes into.
enum class Field : quint8 { Skip, Number, Class, Name, Subject };

struct Target {
    Field field = Field::Skip;
    int subject = -1; // index into Rules::gradeSubjects() for Field::Subject

    // "学号", "班号", "姓名", the subject's name, or "不导入".
    QString label() const;
    bool operator==(const Target&) const = default;
    static Target skip() { return {}; }
    static Target of(Field f, int subject = -1) { return {f, subject}; }
};

// Every choice a column can be given, in the order a list offers them.
QList<Target> allTargets();

// What one header names. preference orders the synonyms of one column
// (学号 before 考号, 综合 before 理综): where two columns name the same
// thing, the preferred one is taken. note says why a column is left out.
struct HeaderMeaning {
    Target target;
    int preference = 0;
    QString note;
};
HeaderMeaning classifyHeader(const QString& header);

// Header text as compared: full-width forms made plain, every blank and
// bracketed remark taken out ("姓 名" -> "姓名", "数学（150分）" -> "数学").
QString headerKey(const QString& header);

// Where the table is and what each column holds.
struct Layout {
    int headerRow = 0;  // sheet row of the header, from 1; 0: no header, data from the first row
    int headerRows = 1; // 2 when a second header row (分数 / 排名) is joined to it
    QStringList headers;    // each column's header text, joined over both rows
    QList<Target> targets;  // each column's mapping (index = column from 0)
    QStringList notes;      // why a column is not imported, where it is not

    int firstDataRow() const { return headerRow == 0 ? 1 : headerRow + headerRows; }
    // The column of a field (of a subject), or -1.
    int columnOf(Field field, int subject = -1) const;
    bool hasSubject(int subject) const { return columnOf(Field::Subject, subject) >= 0; }
};

// The header among the first ten rows holding anything: the first whose cells
// name a key column (学号 or 姓名) and a subject, else the first that names
// 学号, 班号 and 姓名 (a roster without marks). rows are the sheet's first
// rows in order (at least eleven when the sheet has them, for the second header row).
std::optional<Layout> findLayout(const QList<Row>& rows);
// The layout of the header the teacher points at: the sheet row headerRow
// among rows, its columns mapped by their words; 0 (or a row not among them)
// for a sheet without a header, every column left out.
Layout layoutAt(const QList<Row>& rows, int headerRow);
// A mapping passed back in (a teacher changed a column): each field and
// subject at most once, and 学号 or 姓名 among them. Throws Db::InputError.
void checkLayout(const Layout& layout);

// Values as teachers write them.
// "7", "7班", "初一(7)班", "初一7班", "七(7)", "七班", full-width forms -> 7.
std::optional<qint64> parseClass(const QString& text);
// Blank, "缺考", "缺", "缺席", "/" (with blanks around, full-width forms): the student was absent.
bool isAbsence(const QString& text);
// A 学号 as the sheet shows it, without blanks, full-width digits made plain.
QString cleanNumber(const QString& text);
// A name without the blanks put between its characters to line names up ("张　三" -> "张三").
QString cleanName(const QString& text);

// The subjects a sheet's marks can go to: Rules::gradeSubjects(), in its order.
inline constexpr int kSubjectCount = 7;

struct Mark {
    enum class State : quint8 { None, Absent, Value };
    State state = State::None; // None: the sheet has no column for the subject
    double value = 0;
};

// One student as the sheet gives it.
struct Student {
    int row = 0;       // sheet row
    QString number;    // 学号, as text
    qint64 cls = 0;    // 班号, 0 when the sheet gives none
    QString name;      // 姓名
    std::array<Mark, kSubjectCount> marks{}; // by Rules::gradeSubjects()
};
} // namespace Import
Q_DECLARE_TYPEINFO(Import::Student, Q_RELOCATABLE_TYPE);
namespace Import {

// A value that cannot be taken, or a row left out.
struct Problem {
    int row = 0;
    int column = -1; // -1: the whole row
    QString text;
    // "第12行 D列：数学“八十”不是数字"
    QString message() const;
};

// How one data row reads. A row that is not a student (blank, a repeated
// header, a note line without 学号 or 姓名) gives no student and, when it
// holds anything, one skipped note.
struct RowResult {
    std::optional<Student> student;
    QList<Problem> problems;
    std::optional<Problem> skipped;
    int absences = 0;
};
RowResult convertRow(const Layout& layout, const Row& row);

// The same, with the layout's columns looked up once for a whole sheet.
class RowReader {
public:
    explicit RowReader(const Layout& layout);
    RowResult convert(const Row& row) const;

private:
    bool hasMapped(const Row& row) const; // some imported column has content
    QString nameIn(const Row& row) const;
    void readClass(const Row& row, Student& s, RowResult& out) const;
    void readMarks(const Row& row, Student& s, RowResult& out) const;

    QList<int> m_mapped;             // columns that are imported
    int m_number = -1, m_class = -1, m_name = -1;
    QList<QPair<int, int>> m_marks;  // (column, subject)
};

// A sheet read and recognised.
struct Table {
    QString file;
    QString sheet;
    bool found = false;   // a header was recognised (or a layout was given)
    QString unrecognised; // when not found: why, with what the first rows held
    Layout layout;
    QList<Row> preview;   // the sheet's first rows as read, for showing
    QList<Merge> merges;
    QList<Student> students;
    QList<Problem> problems; // to be put right before anything is written
    QList<Problem> skipped;  // rows left out, and why
    int absences = 0;        // marks read as absences
    bool cancelled = false;
};

inline constexpr int kPreviewRows = 20;

// Reads a sheet and recognises it (or applies the given layout). progress
// is called now and then with the rows read so far; returning false stops
// the reading and gives a cancelled table.
Table readTable(Workbook& book, int sheet, const std::optional<Layout>& layout = std::nullopt,
                const std::function<bool(int rows)>& progress = {});

} // namespace Import
