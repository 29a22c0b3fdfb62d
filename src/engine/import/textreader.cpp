// Delimited text: what "save as CSV" writes in Excel and WPS, and the text
// exports of marking systems. Excel on a Chinese Windows writes GBK without
// saying so; newer versions write UTF-8 with a byte-order mark.

#include "engine/export/gbk.h"
#include "engine/import/readers.h"

#include <QFileInfo>
#include <QStringDecoder>

namespace Import {

namespace {

class TextWorkbook : public Workbook {
public:
    TextWorkbook(const QString& file, QByteArray bytes);
    QStringList sheetNames() const override { return {m_sheet}; }
    QList<Merge> readRows(int sheet, const RowSink& onRow) override;

private:
    QChar detectDelimiter() const;
    // One record from i, which is left at the start of the next; whether
    // any of its fields has content.
    bool readRecord(qsizetype& i, QChar delim, Row& row) const;
    // A field from its opening quote; i is left after the field.
    void readQuoted(qsizetype& i, QChar delim, int startLine, QString& field) const;

    QString m_text;
    QString m_sheet;
};

// Whether the bytes end with the start of a UTF-8 character whose remaining
// bytes are missing.
bool endsInsideUtf8Character(const QByteArray& bytes)
{
    const qsizetype n = bytes.size();
    for (qsizetype k = 1; k <= 4 && k <= n; ++k) {
        const auto c = static_cast<unsigned char>(bytes[n - k]);
        if (c < 0x80)
            return false;
        if (c >= 0xC0) {
            const int length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
            return k < length;
        }
    }
    return false;
}

TextWorkbook::TextWorkbook(const QString& file, QByteArray bytes) : Workbook(file)
{
    m_sheet = QFileInfo(file).completeBaseName();
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        QStringDecoder dec(QStringDecoder::Utf8);
        m_text = dec.decode(QByteArrayView(bytes).sliced(3));
        if (dec.hasError() || endsInsideUtf8Character(bytes))
            fail(QStringLiteral("文件开头标明是UTF-8编码，但内容里有不是UTF-8的字节，文件可能已经损坏。"));
    } else if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder dec(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        m_text = dec.decode(QByteArrayView(bytes).sliced(2));
        if (dec.hasError())
            fail(QStringLiteral("文件开头标明是Unicode（UTF-16）文本，但内容不完整，文件可能已经损坏。"));
    } else {
        QStringDecoder dec(QStringDecoder::Utf8);
        m_text = dec.decode(bytes);
        // The decoder keeps a character cut off by the end of the file for
        // more bytes that never come, and drops it without a word: the file
        // was not saved or copied whole, and its last line would lose data.
        if (!dec.hasError() && endsInsideUtf8Character(bytes))
            fail(QStringLiteral("文件在最后一个字的中间就结束了，可能没有保存完整或复制时被截断。请重新保存后再导入。"));
        if (dec.hasError()) {
            // Not UTF-8: the GBK a Chinese Windows saves in, when every byte fits it.
            bool ok = false;
            m_text = Gbk::decode(bytes, &ok);
            // Byte pairs GBK leaves to private use (and the converter's
            // stand-ins for bytes it has no character for) are never in a
            // real table: such a file is in some other encoding.
            for (QChar c : std::as_const(m_text))
                if ((c.unicode() >= 0xE000 && c.unicode() <= 0xF8FF) || c == QChar::ReplacementCharacter)
                    ok = false;
            if (!ok)
                fail(QStringLiteral("文字编码认不出：既不是UTF-8，也不是GBK（简体中文Windows的编码）。"
                                    "请在Excel或WPS中打开它，另存为“CSV UTF-8”或.xlsx后再导入。"));
        }
    }
    if (m_text.contains(QChar(0)))
        fail(QStringLiteral("文件里有二进制内容，不是表格文件，可能已经损坏。"));
}

// The delimiter is the one of tab, comma and semicolon that splits most of
// the first lines (quoted text aside); a title line above the table has none.
QChar TextWorkbook::detectDelimiter() const
{
    const QChar candidates[] = {'\t', ',', ';'};
    int lines[3] = {0, 0, 0};
    qint64 total[3] = {0, 0, 0};
    int seen[3] = {0, 0, 0};
    int lineCount = 0;
    bool quoted = false;
    for (qsizetype i = 0; i < m_text.size() && lineCount < 50; ++i) {
        const QChar c = m_text[i];
        if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && (c == '\n' || c == '\r')) {
            for (int k = 0; k < 3; ++k) {
                lines[k] += seen[k] > 0;
                total[k] += seen[k];
                seen[k] = 0;
            }
            ++lineCount;
        } else if (!quoted) {
            for (int k = 0; k < 3; ++k)
                seen[k] += c == candidates[k];
        }
    }
    for (int k = 0; k < 3; ++k) {
        lines[k] += seen[k] > 0;
        total[k] += seen[k];
    }
    int best = 1; // a single column reads the same with any of them
    for (int k = 0; k < 3; ++k)
        if (lines[k] > lines[best] || (lines[k] == lines[best] && total[k] > total[best]))
            best = k;
    return candidates[best];
}

QList<Merge> TextWorkbook::readRows(int sheet, const RowSink& onRow)
{
    if (sheet != 0)
        fail(QStringLiteral("文本文件只有一个工作表。"));
    const QChar delim = detectDelimiter();
    const qsizetype n = m_text.size();
    qsizetype i = 0;
    int record = 0, contentRows = 0;
    Row row;
    while (i < n) {
        ++record;
        row.number = record;
        const bool any = readRecord(i, delim, row);
        while (!row.cells.isEmpty() && row.cells.back().isEmpty())
            row.cells.removeLast();
        if (row.cells.size() > kMaxColumns)
            fail(QStringLiteral("第%1行有%2列，远远超过一个成绩表的列数。").arg(record).arg(row.cells.size()));
        if (!any)
            continue;
        countRow(contentRows, m_sheet);
        if (!onRow(row))
            break;
    }
    return {};
}

bool TextWorkbook::readRecord(qsizetype& i, QChar delim, Row& row) const
{
    const QChar* p = m_text.constData();
    const qsizetype n = m_text.size();
    row.cells.clear();
    bool any = false;
    QString field;
    // Fields up to an unquoted line end.
    for (;;) {
        if (i < n && p[i] == '"') {
            readQuoted(i, delim, row.number, field);
        } else {
            const qsizetype start = i;
            while (i < n && p[i] != delim && p[i] != '\n' && p[i] != '\r')
                ++i;
            field = QString(p + start, i - start);
        }
        if (!field.isEmpty()) {
            row.cells.append(Cell::ofText(field));
            any = true;
        } else {
            row.cells.append(Cell());
        }
        if (i < n && p[i] == delim) {
            ++i;
            continue;
        }
        break;
    }
    if (i < n && p[i] == '\r')
        ++i;
    if (i < n && p[i] == '\n')
        ++i;
    return any;
}

void TextWorkbook::readQuoted(qsizetype& i, QChar delim, int startLine, QString& field) const
{
    const QChar* p = m_text.constData();
    const qsizetype n = m_text.size();
    field.clear();
    ++i;
    for (;;) {
        if (i >= n)
            fail(QStringLiteral("第%1行的引号没有配对：从这里到文件末尾都没有结束的引号。").arg(startLine));
        if (p[i] == '"') {
            if (i + 1 < n && p[i + 1] == '"') {
                field += '"';
                i += 2;
                continue;
            }
            ++i;
            break;
        }
        if (p[i] == '\r' && i + 1 < n && p[i + 1] == '\n')
            ++i; // a line break inside a cell is one \n
        field += p[i++];
    }
    // Text after the closing quote belongs to the same cell, as Excel reads it.
    const qsizetype start = i;
    while (i < n && p[i] != delim && p[i] != '\n' && p[i] != '\r')
        ++i;
    field += QStringView(p + start, i - start);
}

} // namespace

std::unique_ptr<Workbook> openText(const QString& file, QByteArray bytes)
{
    return std::make_unique<TextWorkbook>(file, std::move(bytes));
}

} // namespace Import
