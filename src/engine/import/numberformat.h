#pragma once
// Spreadsheet number formats ("0000", "0.0", "yyyy-mm-dd", "\"初一\"0\"班\""),
// so that a number is read as the text its sheet shows: a 学号 of 101 in the
// format "0000" is "0101", a date is a date and not a day count.

#include <QString>
#include <QStringList>
#include <memory>

namespace Import {

class NumberFormat {
public:
    // The format of a built-in number format id (0 General, 1 "0", 14 a date,
    // 49 "@", ...); General for an id without a built-in format.
    static QString builtinCode(int id);

    explicit NumberFormat(const QString& code);
    bool isGeneral() const { return m_general; }
    // A date or time format: the number is a day count, shown as a date.
    bool isDate() const { return m_date; }
    // The text of value in this format. date1904: the workbook counts days
    // from 1904 rather than 1900.
    QString render(double value, bool date1904 = false) const;

    // The General format: the shortest text that reads back as the value.
    static QString general(double value);

private:
    QString renderNumber(const QString& section, double value) const;
    QString renderDate(const QString& section, double value, bool date1904) const;

    QStringList m_sections;
    bool m_general = false;
    bool m_date = false;
};

} // namespace Import
