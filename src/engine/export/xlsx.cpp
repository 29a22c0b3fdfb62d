#include "engine/export/xlsx.h"

#include "engine/app/safefile.h"
#include "engine/db/database.h"

#include <QFile>
#include <cerrno>
#include <QHash>
#include <atomic>
#include <chrono>
#include <thread>
#include <xlsxwriter.h>

namespace Export {

namespace {

bool isWide(char32_t c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) || (c >= 0x3041 && c <= 0xA4CF)
        || (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F)
        || (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

int textWidth(QStringView s)
{
    int w = 0;
    for (char32_t c : s.toUcs4())
        w += isWide(c) ? 2 : 1;
    return w;
}

// Sheet names: at most 31 characters, none of []:*?/\ , unique in the workbook.
QString sheetName(QString name, QStringList& used)
{
    for (QChar bad : QStringLiteral("[]:*?/\\"))
        name.replace(bad, QLatin1Char('_'));
    if (name.isEmpty())
        name = QStringLiteral("表");
    name = name.left(31);
    QString candidate = name;
    for (int i = 2; used.contains(candidate, Qt::CaseInsensitive); ++i)
        candidate = name.left(31 - 4) + QStringLiteral("(%1)").arg(i);
    used << candidate;
    return candidate;
}

// What errno says, when it names a reason of the disk or the folder; else
// the given text. Called straight after the failing call.
QString knownReason(const QString& otherwise)
{
    switch (errno) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
    case EIO:
    case EROFS:
    case EACCES:
    case EPERM:
        return Files::folderReason(errno);
    default:
        return otherwise;
    }
}

QString failure(const QString& path, lxw_error e)
{
    switch (e) {
    case LXW_ERROR_CREATING_XLSX_FILE:
    case LXW_ERROR_CREATING_TMPFILE:
        return Files::writeFailure(path, knownReason(QStringLiteral("无法建立文件")));
    case LXW_ERROR_ZIP_FILE_OPERATION:
    case LXW_ERROR_ZIP_FILE_ADD:
        return Files::writeFailure(path, knownReason(QStringLiteral("写入时出错，可能是磁盘已满")));
    default:
        return Files::writeFailure(path, QString::fromUtf8(lxw_strerror(e)));
    }
}

} // namespace

double columnWidth(const QStringList& texts)
{
    int w = 0;
    for (const QString& t : texts)
        w = std::max(w, textWidth(t));
    // Room for the autofilter's drop-down arrow.
    return std::clamp(w + 3.0, 6.0, 60.0);
}

namespace {

// The cell formats every workbook carries.
struct Formats {
    lxw_format* head;
    lxw_format* percent;
    lxw_format* integer;
    // Slips to cut apart have every cell framed, so that the cut follows a line.
    lxw_format* framed;
    lxw_format* framedPercent;
    lxw_format* framedInteger;

    lxw_format* forNumber(Format f, bool frame) const
    {
        switch (f) {
        case Format::Percent:
            return frame ? framedPercent : percent;
        case Format::Integer:
            return frame ? framedInteger : integer;
        case Format::General:
            break;
        }
        return frame ? framed : nullptr;
    }
};

Formats addFormats(lxw_workbook* wb)
{
    Formats f;
    f.head = workbook_add_format(wb);
    format_set_bold(f.head);
    format_set_align(f.head, LXW_ALIGN_CENTER);
    format_set_bg_color(f.head, 0xDDEBF7);
    format_set_border(f.head, LXW_BORDER_THIN);
    f.percent = workbook_add_format(wb);
    format_set_num_format(f.percent, "0.00%");
    f.integer = workbook_add_format(wb);
    format_set_num_format(f.integer, "0");
    f.framed = workbook_add_format(wb);
    format_set_border(f.framed, LXW_BORDER_THIN);
    format_set_align(f.framed, LXW_ALIGN_CENTER);
    f.framedPercent = workbook_add_format(wb);
    format_set_border(f.framedPercent, LXW_BORDER_THIN);
    format_set_align(f.framedPercent, LXW_ALIGN_CENTER);
    format_set_num_format(f.framedPercent, "0.00%");
    f.framedInteger = workbook_add_format(wb);
    format_set_border(f.framedInteger, LXW_BORDER_THIN);
    format_set_align(f.framedInteger, LXW_ALIGN_CENTER);
    format_set_num_format(f.framedInteger, "0");
    return f;
}

// Column widths fitted to the texts, and the header row of a table.
void writeColumns(lxw_worksheet* ws, const Sheet& s, const Formats& formats, const Progress& widths)
{
    const int cols = s.columnCount();
    for (int c = 0; c < cols; ++c) {
        if (widths)
            widths(c, cols);
        QStringList texts{s.headers.at(c)};
        for (qsizetype r = 0; r < s.rowCount(); ++r)
            texts << displayText(s.cell(r, c), s.format(c));
        worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), columnWidth(texts), nullptr);
        if (!s.headerPerRow)
            worksheet_write_string(ws, 0, lxw_col_t(c), s.headers.at(c).toUtf8().constData(), formats.head);
    }
}

// One value: numbers as numeric cells in the column's format, the rest as text.
lxw_error writeCell(lxw_worksheet* ws, lxw_row_t row, int c, const QVariant& v, const Sheet& s,
                    const Formats& formats)
{
    const bool strips = s.headerPerRow;
    if (v.isNull() || !v.isValid())
        return strips ? worksheet_write_blank(ws, row, lxw_col_t(c), formats.framed) : LXW_NO_ERROR;
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        return worksheet_write_number(ws, row, lxw_col_t(c), v.toDouble(), formats.forNumber(s.format(c), strips));
    default:
        return worksheet_write_string(ws, row, lxw_col_t(c), v.toString().toUtf8().constData(),
                                      strips ? formats.framed : nullptr);
    }
}

// The rows of a table; done counts the rows of the whole workbook.
lxw_error writeRows(lxw_worksheet* ws, const Sheet& s, const Formats& formats, const Progress& cells,
                    qint64& done, qint64 total)
{
    lxw_error error = LXW_NO_ERROR;
    const int cols = s.columnCount();
    // Slips: header, row, empty row, for every row.
    const bool strips = s.headerPerRow;
    for (qsizetype r = 0; r < s.rowCount() && !error; ++r) {
        const lxw_row_t rr = strips ? lxw_row_t(3 * r + 1) : lxw_row_t(r + 1);
        if (strips)
            for (int c = 0; c < cols && !error; ++c)
                error = worksheet_write_string(ws, rr - 1, lxw_col_t(c), s.headers.at(c).toUtf8().constData(),
                                               formats.head);
        for (int c = 0; c < cols && !error; ++c)
            error = writeCell(ws, rr, c, s.cell(r, c), s, formats);
        if (cells && (++done % 256 == 0))
            cells(done, total);
    }
    return error;
}

// How a sheet prints and what it shows fixed: slips a page wide, a table with
// its header kept in view and filtered.
void setLayout(lxw_worksheet* ws, const Sheet& s)
{
    const int cols = s.columnCount();
    if (s.headerPerRow) {
        // Printed as it is cut: a page wide, landscape when wide.
        worksheet_fit_to_pages(ws, 1, 0);
        if (cols > 10)
            worksheet_set_landscape(ws);
        if (cols > 0 && s.rowCount() > 0) {
            char range[64];
            lxw_rowcol_to_range(range, 0, 0, lxw_row_t(3 * s.rowCount() - 1), lxw_col_t(cols - 1));
            worksheet_ignore_errors(ws, LXW_IGNORE_NUMBER_STORED_AS_TEXT, range);
        }
    } else if (cols > 0) {
        worksheet_freeze_panes(ws, 1, lxw_col_t(s.frozenColumns));
        worksheet_autofilter(ws, 0, 0, lxw_row_t(s.rowCount()), lxw_col_t(cols - 1));
        // 学号 is text on purpose (0101 keeps its zero): no "number stored as text" marks.
        char range[64];
        lxw_rowcol_to_range(range, 0, 0, lxw_row_t(s.rowCount()), lxw_col_t(cols - 1));
        worksheet_ignore_errors(ws, LXW_IGNORE_NUMBER_STORED_AS_TEXT, range);
    }
}

// Every sheet into the workbook, still in memory; the first error stops it.
lxw_error writeSheets(lxw_workbook* wb, const QList<Sheet>& sheets, const Progress& progress)
{
    const Formats formats = addFormats(wb);
    qint64 total = 0, done = 0;
    for (const Sheet& s : sheets)
        total += s.rowCount();
    // Column widths take a tenth, the cells seven, the zipping at the close the rest.
    const Progress widths = phase(progress, 0, 100), cells = phase(progress, 100, 800);
    QStringList names;
    for (const Sheet& s : sheets) {
        lxw_worksheet* ws = workbook_add_worksheet(wb, sheetName(s.name, names).toUtf8().constData());
        if (!ws)
            return LXW_ERROR_MEMORY_MALLOC_FAILED;
        writeColumns(ws, s, formats, widths);
        if (const lxw_error error = writeRows(ws, s, formats, cells, done, total))
            return error;
        setLayout(ws, s);
    }
    return LXW_NO_ERROR;
}

// Closing writes the file and frees the workbook, so it always runs. Zipping
// a large workbook takes seconds that libxlsxwriter cannot report: it runs
// beside this thread, which goes on reporting so that a progress window stays
// painted. It cannot be stopped halfway; a cancel in the meantime is rethrown
// once it is done. errno is left as the closing thread saw it.
lxw_error closeReporting(lxw_workbook* wb, const Progress& progress)
{
    std::atomic<bool> closing{true};
    lxw_error closed = LXW_NO_ERROR;
    int closeErrno = 0;
    std::thread closer([&] {
        errno = 0;
        closed = workbook_close(wb);
        closeErrno = errno;
        closing = false;
    });
    std::exception_ptr stopped;
    while (closing) {
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        if (progress && !stopped) {
            try {
                progress(800, 1000);
            } catch (...) {
                stopped = std::current_exception();
            }
        }
    }
    closer.join();
    // errno belongs to the thread that closed the file.
    errno = closeErrno;
    if (stopped)
        std::rethrow_exception(stopped);
    return closed;
}

} // namespace

void writeXlsx(const QString& path, const QList<Sheet>& sheets, const Progress& progress)
{
    Files::SafeTarget target(path, QStringLiteral(".xlsx"));
    lxw_workbook_options options{};
    options.constant_memory = LXW_FALSE;
    lxw_workbook* wb = workbook_new_opt(target.tempPathLocal8().constData(), &options);
    if (!wb)
        throw Db::Error(Files::writeFailure(path, QStringLiteral("内存不足")));

    lxw_error error = LXW_NO_ERROR;
    try {
        error = writeSheets(wb, sheets, progress);
    } catch (...) {
        // Cancelled: the workbook is never written out (libxlsxwriter makes
        // the file only at its close). Freeing a large one takes a while, which
        // the teacher who cancelled need not wait for.
        std::thread([wb] { lxw_workbook_free(wb); }).detach();
        throw;
    }
    // The file is only created at the close.
    const lxw_error closed = closeReporting(wb, progress);
    if (error || closed)
        throw Db::Error(failure(path, error ? error : closed));
    if (progress)
        progress(1000, 1000);
    target.commit();
}

} // namespace Export
