#pragma once
// A table as a spreadsheet or a printed page takes it: titles, rows of values
// and how each column shows its numbers.

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

namespace Export {

// How a column shows its numbers. Rates are stored as fractions with four
// decimals and shown as percentages with two (0.6667 -> 66.67%), ranks and
// counts as whole numbers, marks and averages with the decimals they have.
enum class Format { General, Integer, Percent };

// The format of a column by its stored name: 合格率 -> Percent, 语文班排1 -> Integer.
Format formatOf(const QString& column);

struct Sheet {
    QString name;      // the sheet's name in the workbook
    QString title;     // what the table is, for page headers ("成绩分析表")
    QStringList headers;
    QList<QVariantList> rows; // text stays text; numbers are numbers; null is a blank cell
    QList<Format> formats;    // per column; missing ones are General
    int frozenColumns = 0;    // leading columns kept in view besides the header row

    Format format(int column) const { return column < formats.size() ? formats.at(column) : Format::General; }
    // Formats for every header from the stored column names.
    void formatsFromNames();
};

// A value as the windows and the printed pages show it (66.67%, 85.5, 12).
QString displayText(const QVariant& value, Format format);

// Progress of a long write: rows done of all rows.
using Progress = std::function<void(qint64 done, qint64 total)>;

} // namespace Export
