#pragma once
// Files the program wrote, read back as another program reads them: the
// text of a PDF as poppler's pdftotext gives it, the cells of a workbook
// sheet with their types and number formats.

#include <QList>
#include <QMap>
#include <QRectF>
#include <QString>
#include <QStringList>

namespace Readback {

// Whether poppler's pdftotext is installed (scripts/setup.sh installs it).
bool havePdftotext();
// The text of a PDF, one string per page, laid out as on the page.
QStringList pdfPages(const QString& path);
// The words of a PDF with the boxes pdftotext gives them (points, from the
// top left of their page), to tell whether printed text runs into other text.
struct Word {
    QString text;
    QRectF box;
};
QList<Word> pdfWords(const QString& path);

struct Cell {
    QString type; // "s" shared string, "inlineStr", "" number
    QString text; // the number as written, or the string
    QString format; // the number format's code ("0.00%", "0"), empty for General
};
// Cells of sheet n (from 1) by reference ("A1").
QMap<QString, Cell> xlsxSheet(const QString& path, int sheet);
QByteArray zipEntry(const QString& zip, const char* entry);
// The spreadsheet name of column c (from 0): A, B, ..., AA.
QString columnName(int c);

} // namespace Readback
