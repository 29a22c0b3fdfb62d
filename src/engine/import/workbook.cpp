#include "engine/import/workbook.h"

#include "engine/db/database.h"
#include "engine/import/numberformat.h"
#include "engine/import/readers.h"

#include <QFile>
#include <QFileInfo>

namespace Import {

QString Cell::shown() const
{
    if (kind == Kind::Number && text.isNull())
        return NumberFormat::general(number);
    return text;
}

const Cell& Row::at(int column) const
{
    static const Cell empty;
    return column >= 0 && column < cells.size() ? cells[column] : empty;
}

bool Cell::isBlank() const
{
    if (kind == Kind::Number)
        return false;
    for (QChar c : text)
        if (!c.isSpace())
            return false;
    return true;
}

bool Row::isBlank() const
{
    for (const Cell& c : cells)
        if (!c.isBlank())
            return false;
    return true;
}

QString columnName(int column)
{
    QString out;
    for (int c = column + 1; c > 0; c = (c - 1) / 26)
        out.prepend(QChar('A' + (c - 1) % 26));
    return out;
}

QString cellName(int row, int column)
{
    return QStringLiteral("第%1行 %2列").arg(row).arg(columnName(column));
}

QString shownName(const QString& file)
{
    return QFileInfo(file).fileName();
}

void Workbook::fail(const QString& why) const
{
    throw Db::InputError(QStringLiteral("无法读取文件“%1”：%2").arg(shownName(m_file), why));
}

void Workbook::countRow(int& rows, const QString& sheetName) const
{
    if (++rows > kMaxRows)
        fail(QStringLiteral("工作表“%1”有%2行以上的内容，远远超过一个年级的学生数。"
                            "请只留下学生的行（或把学生复制到一个新工作表）再导入。")
                 .arg(sheetName)
                 .arg(kMaxRows));
}

Sheet Workbook::sheet(int index)
{
    Sheet out;
    out.name = sheetNames().value(index);
    out.merges = readRows(index, [&](const Row& row) {
        out.rows.append(row);
        return true;
    });
    return out;
}

int Workbook::indexOf(const QString& sheetName) const
{
    return int(sheetNames().indexOf(sheetName));
}

namespace {

// A text file larger than this is no grade table (100,000 students with ten
// columns take about 5 MB).
constexpr qint64 kMaxTextBytes = 256LL * 1024 * 1024;

[[noreturn]] void refuse(const QString& file, const QString& why)
{
    throw Db::InputError(QStringLiteral("无法读取文件“%1”：%2").arg(shownName(file), why));
}

bool startsWith(const QByteArray& head, const char* magic, int n)
{
    return head.size() >= n && memcmp(head.constData(), magic, size_t(n)) == 0;
}

// An OLE compound file holding "EncryptedPackage" is an .xlsx workbook
// saved with an opening password: the package inside is encrypted.
bool isEncryptedPackage(QFile& f)
{
    static const QByteArray name = [] {
        QByteArray utf16;
        for (char c : QByteArrayLiteral("EncryptedPackage")) {
            utf16 += c;
            utf16 += '\0';
        }
        return utf16;
    }();
    f.seek(0);
    // The directory of such a file is small and near its start or end;
    // read it all when it is of a sane size.
    const QByteArray all = f.read(std::min<qint64>(f.size(), 64LL * 1024 * 1024));
    return all.contains(name);
}

} // namespace

std::unique_ptr<Workbook> open(const QString& file)
{
    QFile f(file);
    const QFileInfo info(file);
    if (!info.exists())
        refuse(file, QStringLiteral("文件不存在。"));
    if (info.isDir())
        refuse(file, QStringLiteral("这是一个文件夹，不是表格文件。"));
    if (!f.open(QIODevice::ReadOnly))
        refuse(file, QStringLiteral("文件打不开（%1）。请检查是否有读取的权限。").arg(f.errorString()));
    if (f.size() == 0)
        refuse(file, QStringLiteral("文件是空的。"));
    const QByteArray head = f.peek(512);

    if (startsWith(head, "PK\x03\x04", 4) || startsWith(head, "PK\x05\x06", 4)) {
        f.close();
        return openXlsx(file);
    }
    if (startsWith(head, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8)) {
        if (isEncryptedPackage(f))
            refuse(file, QStringLiteral("工作簿设置了打开密码，内容是加密的。请在Excel或WPS中打开它，"
                                        "取消密码（文件→信息→保护工作簿→用密码进行加密，清空密码）后另存，再导入。"));
        f.close();
        return openXls(file);
    }

    // Other kinds a file with a spreadsheet's name is often really.
    const QByteArray lower = head.trimmed().toLower();
    if (startsWith(head, "%PDF", 4))
        refuse(file, QStringLiteral("这是一个PDF文件，不是表格。请要一份Excel或CSV格式的成绩表。"));
    if (lower.startsWith("<!doctype html") || lower.startsWith("<html") || lower.startsWith("<table")
        || lower.startsWith("\xef\xbb\xbf<html") || lower.startsWith("\xef\xbb\xbf<!doctype html")
        || (lower.startsWith("<?xml") && lower.contains("urn:schemas-microsoft-com:office:spreadsheet")))
        refuse(file, QStringLiteral("这是网页（HTML或XML）格式的表格，只是用了表格文件的名字。"
                                    "请在Excel或WPS中打开它，另存为“Excel工作簿(*.xlsx)”后再导入。"));
    if (startsWith(head, "Rar!", 4) || startsWith(head, "7z\xBC\xAF", 4) || startsWith(head, "\x1F\x8B", 2))
        refuse(file, QStringLiteral("这是一个压缩包，不是表格文件。请先解压。"));
    if (startsWith(head, "\x89PNG", 4) || startsWith(head, "\xFF\xD8\xFF", 3) || startsWith(head, "GIF8", 4)
        || startsWith(head, "BM", 2))
        refuse(file, QStringLiteral("这是一张图片，不是表格文件。"));
    if (startsWith(head, "{\\rtf", 5))
        refuse(file, QStringLiteral("这是一个RTF文档，不是表格文件。"));
    if (startsWith(head, "SQLite format 3", 15))
        refuse(file, QStringLiteral("这是一个数据库文件，不是表格文件。"));

    // Text. UTF-16 text (what "Unicode 文本" saves) has NULs between its
    // characters and a byte-order mark before them; other NULs mean binary data.
    const bool utf16 = startsWith(head, "\xFF\xFE", 2) || startsWith(head, "\xFE\xFF", 2);
    if (!utf16 && head.contains('\0'))
        refuse(file, QStringLiteral("这不是表格文件（既不是Excel工作簿，也不是CSV或文本文件），可能已经损坏。"));
    if (f.size() > kMaxTextBytes)
        refuse(file, QStringLiteral("文件有%1 MB，远远超过一个年级的成绩表。").arg(f.size() / (1024 * 1024)));
    QByteArray bytes = f.readAll();
    if (bytes.size() != f.size())
        refuse(file, QStringLiteral("文件读取不完整（%1）。").arg(f.errorString()));
    return openText(file, std::move(bytes));
}

} // namespace Import
