#pragma once
// A table as a spreadsheet or a printed page takes it: what each column is,
// the titles it is shown under, rows of stored values and how each column
// shows its numbers.

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <exception>
#include <functional>

namespace Export {

// How a column shows its numbers. Rates are stored as fractions with four
// decimals and shown as percentages with two (0.6667 -> 66.67%), ranks and
// counts as whole numbers, marks and averages with the decimals they have.
enum class Format { General, Integer, Percent };

// The format of a column by its stored name: 合格率 -> Percent, 语文班排1 -> Integer.
Format formatOf(const QString& column);

struct Sheet {
    QString name;        // the sheet's name in the workbook
    QString title;       // what the table is, for page headers ("成绩分析表")
    QStringList columns; // stored names (语文1, F130, 合格率): what each column is
    QStringList headers; // titles as the screen shows them (语文, 120分, 合格率)
    // Rows of stored values: text stays text, numbers are numbers, null is a
    // blank cell. A row may hold more fields than the sheet shows: `picks`
    // then says which field each column takes, so that a grid's rows are
    // handed on without being copied.
    QList<QVariantList> rows;
    QList<int> picks;
    QList<bool> numeric;      // columns whose text values are numbers kept as text
    QList<Format> formats;    // per column; missing ones are General
    int frozenColumns = 0;    // leading columns kept in view besides the header row
    // A grade table's blank marks, totals and ranks print as 缺考; a
    // workbook keeps them empty, so that sums and averages skip them.
    bool absences = false;
    // Slips to cut apart (成绩条): the header row above every row and an empty
    // row between them, nothing frozen, no filter.
    bool headerPerRow = false;

    int columnCount() const { return int(headers.size()); }
    qsizetype rowCount() const { return rows.size(); }
    QString column(int c) const { return c < columns.size() ? columns.at(c) : headers.value(c); }
    Format format(int column) const { return column < formats.size() ? formats.at(column) : Format::General; }
    // The stored value of a cell.
    QVariant value(qsizetype row, int column) const;
    // The cell as a workbook takes it: a number for every number (also one
    // kept as text in a numeric column), 学号 always as text, 班号 100 as
    // 全级, null for a blank.
    QVariant cell(qsizetype row, int column) const;
    // The cell as the screen shows it (Num::shown: 66.67%, 85.5, 全级).
    QString text(qsizetype row, int column) const;
    // Formats for every column from its stored name.
    void formatsFromNames();
};

// A value as the windows and the printed pages show it (66.67%, 85.5, 12).
QString displayText(const QVariant& value, Format format);

// Rows that are a result table's unused stock rather than results: the
// analysis table's free rows (科目 "0") and the band table's (上限 and 下限
// both "0"), which no run ever fills.
bool isStockRow(const Sheet& sheet, qsizetype row);
// The sheet without them.
void dropStockRows(Sheet& sheet);

// Progress of a long write: rows (or pages) done of all of them. A report
// may throw Cancelled to stop the write; the writer then leaves nothing.
using Progress = std::function<void(qint64 done, qint64 total)>;

// A part of a long write as a share of the whole: the part's (done, total)
// reported to `whole` as from..to thousandths of it.
Progress phase(const Progress& whole, int from, int to);

// The teacher stopped a write; nothing was written.
class Cancelled : public std::exception {
public:
    const char* what() const noexcept override { return "cancelled"; }
};

} // namespace Export
