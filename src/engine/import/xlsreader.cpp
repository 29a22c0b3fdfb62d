// The binary workbooks of Excel 97-2003 (.xls), still what older marking
// systems give, read with FreeXL. FreeXL gives values without their number
// formats, so a number here is shown in the General format.

#include "engine/import/numberformat.h"
#include "engine/import/readers.h"

#include <QFile>
#include <freexl.h>

namespace Import {

namespace {

class XlsWorkbook : public Workbook {
public:
    explicit XlsWorkbook(const QString& file);
    QStringList sheetNames() const override { return m_names; }
    QList<Merge> readRows(int sheet, const RowSink& onRow) override;

private:
    [[noreturn]] void failCode(int code) const;

    // Closed by its own destructor, so that a refusal in the constructor closes it too.
    struct Handle {
        const void* h = nullptr;
        ~Handle()
        {
            if (h)
                freexl_close(h);
        }
    } m_file;
    const void*& m_handle = m_file.h;
    QStringList m_names;
};

void XlsWorkbook::failCode(int code) const
{
    switch (code) {
    case FREEXL_INSUFFICIENT_MEMORY:
        fail(QStringLiteral("内存不够，读不完这个工作簿。"));
    case FREEXL_BIFF_WORKBOOK_NOT_FOUND:
        fail(QStringLiteral("文件里没有Excel工作簿（可能是Word文档或其他程序的文件）。"));
    case FREEXL_UNSUPPORTED_CHARSET:
    case FREEXL_INVALID_CHARACTER:
        fail(QStringLiteral("工作簿的文字编码无法识别。请在Excel或WPS中打开它，另存为.xlsx后再导入。"));
    default:
        fail(QStringLiteral("文件已损坏，或不是Excel 97-2003工作簿(.xls)（错误代码%1）。"
                            "请在Excel或WPS中打开它，另存为.xlsx后再导入。")
                 .arg(code));
    }
}

XlsWorkbook::XlsWorkbook(const QString& file) : Workbook(file)
{
    const int rc = freexl_open(QFile::encodeName(file).constData(), &m_handle);
    if (rc != FREEXL_OK)
        failCode(rc);
    unsigned int info = 0;
    if (freexl_get_info(m_handle, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED)
        fail(QStringLiteral("工作簿设置了打开密码，内容是加密的。请在Excel或WPS中打开它，取消密码后另存，再导入。"));
    unsigned int count = 0;
    if (freexl_get_info(m_handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK)
        failCode(FREEXL_BIFF_WORKBOOK_NOT_FOUND);
    for (unsigned short i = 0; i < count; ++i) {
        const char* name = nullptr;
        const int r = freexl_get_worksheet_name(m_handle, i, &name);
        if (r != FREEXL_OK)
            failCode(r);
        m_names << QString::fromUtf8(name);
    }
}

QList<Merge> XlsWorkbook::readRows(int sheet, const RowSink& onRow)
{
    if (sheet < 0 || sheet >= m_names.size())
        fail(QStringLiteral("没有第%1个工作表。").arg(sheet + 1));
    int rc = freexl_select_active_worksheet(m_handle, static_cast<unsigned short>(sheet));
    if (rc != FREEXL_OK)
        failCode(rc);
    unsigned int rows = 0;
    unsigned short columns = 0;
    rc = freexl_worksheet_dimensions(m_handle, &rows, &columns);
    if (rc != FREEXL_OK)
        failCode(rc);
    const int usedColumns = std::min<int>(columns, kMaxColumns);
    int contentRows = 0;
    Row row;
    for (unsigned int r = 0; r < rows; ++r) {
        row.number = int(r) + 1;
        row.cells.clear();
        for (int c = 0; c < usedColumns; ++c) {
            FreeXL_CellValue v;
            rc = freexl_get_cell_value(m_handle, r, static_cast<unsigned short>(c), &v);
            if (rc != FREEXL_OK)
                failCode(rc);
            Cell cell;
            switch (v.type) {
            case FREEXL_CELL_INT:
                cell = Cell::ofNumber(v.value.int_value);
                break;
            case FREEXL_CELL_DOUBLE:
                cell = Cell::ofNumber(v.value.double_value);
                break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME: {
                const QString t = QString::fromUtf8(v.value.text_value);
                if (!t.isEmpty())
                    cell = Cell::ofText(t);
                break;
            }
            default:
                break;
            }
            if (!cell.isEmpty()) {
                if (row.cells.size() < c)
                    row.cells.resize(c);
                row.cells.append(cell);
            }
        }
        if (row.cells.isEmpty())
            continue;
        countRow(contentRows, m_names[sheet]);
        if (!onRow(row))
            break;
    }
    return {};
}

} // namespace

std::unique_ptr<Workbook> openXls(const QString& file)
{
    return std::make_unique<XlsWorkbook>(file);
}

} // namespace Import
