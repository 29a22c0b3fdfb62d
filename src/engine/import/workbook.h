#pragma once
// Spreadsheet files as a teacher receives them (.xlsx, .xls, .csv/.txt), read
// into rows of cells. A cell is what the producer shows: text exactly as shown,
// or a number with the text its format shows it as (101 in the format "0000"
// is shown as "0101"). Cells keep their sheet row and column, so that a
// message can point at "第12行 D列".
//
// Every failure (a damaged, encrypted or unreadable file, a file of another
// kind, a sheet far larger than a grade) is a Db::InputError whose text names
// the file in Chinese.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace Import {

struct Cell {
    enum class Kind : quint8 { Empty, Text, Number };
    Kind kind = Kind::Empty;
    double number = 0;
    // The shown text. A number in the General format leaves it null and is
    // shown in its shortest exact form (85, 85.5) by shown().
    QString text;

    bool isEmpty() const { return kind == Kind::Empty; }
    bool isBlank() const; // empty, or text of blanks only
    QString shown() const;

    static Cell ofText(QString t) { return {Kind::Text, 0, std::move(t)}; }
    static Cell ofNumber(double n, QString shownAs = {}) { return {Kind::Number, n, std::move(shownAs)}; }
};

// One sheet row. Cells are placed by column (index 0 is column A), gaps kept
// as empty cells; trailing empty cells are not kept.
struct Row {
    int number = 0; // sheet row number, from 1
    QList<Cell> cells;

    const Cell& at(int column) const;
    bool isBlank() const; // no cell holds anything but blanks
};

// A merged range, columns from 0 and rows from 1, inclusive.
struct Merge {
    int firstRow = 0, lastRow = 0, firstColumn = 0, lastColumn = 0;
};

// A whole sheet in memory (the previews, the tests, small files).
struct Sheet {
    QString name;
    QList<Row> rows; // rows holding anything, in order
    QList<Merge> merges;
};

// Column letters as spreadsheets show them: 0 -> "A", 25 -> "Z", 26 -> "AA".
QString columnName(int column);
// "第12行 D列" (row from 1, column from 0).
QString cellName(int row, int column);

// Rows with content beyond this are refused: no grade comes near it, and a
// sheet of a million rows would take the memory of a small machine.
inline constexpr int kMaxRows = 200000;
// Columns beyond this (a cell in column ALM or further) mark a damaged or
// foreign file rather than a grade table.
inline constexpr int kMaxColumns = 1000;

class Workbook {
public:
    virtual ~Workbook() = default;
    const QString& fileName() const { return m_file; }
    // Worksheets in the order the producer shows their tabs.
    virtual QStringList sheetNames() const = 0;
    // Streams the rows of a sheet (index into sheetNames) in order, skipping
    // rows without any cell; stops early when onRow returns false. Merged
    // ranges are known only once the whole sheet is read (an .xlsx lists them
    // after its cells): they are returned then.
    using RowSink = std::function<bool(const Row&)>;
    virtual QList<Merge> readRows(int sheet, const RowSink& onRow) = 0;

    // The whole sheet in memory.
    Sheet sheet(int index);
    // The index of a sheet by name, or -1.
    int indexOf(const QString& sheetName) const;

protected:
    explicit Workbook(QString file) : m_file(std::move(file)) {}
    // The one message shape for a file that cannot be read.
    [[noreturn]] void fail(const QString& why) const;
    // Counts a row with content against kMaxRows.
    void countRow(int& rows, const QString& sheetName) const;

private:
    QString m_file;
};

// Opens a file by what it holds, whatever its extension says: a zip package
// is read as .xlsx, an OLE compound file as .xls (or refused as a
// password-protected workbook), text as delimited text (.csv, .txt, and the
// tab-separated text some marking systems save under an .xls name).
std::unique_ptr<Workbook> open(const QString& file);

// The file's name as the messages show it.
QString shownName(const QString& file);

} // namespace Import
