// Office Open XML workbooks (.xlsx) as Excel, WPS, LibreOffice and the
// common libraries write them: a zip package (minizip) of XML parts
// (QXmlStreamReader). A sheet is streamed row by row, never held as a
// document. Element names are compared without their prefix, since some
// producers write every element as <x:row>, <x:c>.

#include "engine/import/numberformat.h"
#include "engine/import/readers.h"
#include "engine/import/xmlscanner.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QXmlStreamReader>
#include <charconv>
#include <unzip.h>

namespace Import {

namespace {

// Parts holding the strings or the styles of a sane workbook are far below
// this; more is a damaged or hostile file.
constexpr quint64 kMaxPartBytes = 512ULL * 1024 * 1024;
// Excel keeps at most 32,767 characters in a cell.
constexpr qsizetype kMaxCellChars = 65536;
constexpr int kChunk = 256 * 1024;

struct SheetInfo {
    QString name;
    QString part; // the zip entry of the sheet's XML
};

QString normalisedEntry(QString name)
{
    name.replace('\\', '/');
    while (name.startsWith('/'))
        name.remove(0, 1);
    return name.toLower();
}

// A relationship's target, relative to the folder of the part that names it
// or absolute from the package's root.
QString resolveTarget(const QString& basePart, const QString& target)
{
    QString t = target;
    t.replace('\\', '/');
    QStringList parts;
    if (!t.startsWith('/')) {
        parts = basePart.split('/');
        parts.removeLast();
    }
    for (const QString& p : t.split('/', Qt::SkipEmptyParts)) {
        if (p == QLatin1String(".."))
            parts.isEmpty() ? void() : parts.removeLast();
        else if (p != QLatin1String("."))
            parts << p;
    }
    return parts.join('/');
}

// Strings in the package may carry characters XML cannot hold as _xHHHH_.
QString unescapeOoxml(QString s)
{
    if (!s.contains(QLatin1String("_x")))
        return s;
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] == '_' && i + 6 < s.size() && s[i + 1] == 'x' && s[i + 6] == '_') {
            bool ok = false;
            const ushort code = s.mid(i + 2, 4).toUShort(&ok, 16);
            if (ok) {
                out += QChar(code);
                i += 6;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

// An element name against a literal, without measuring the literal at run time.
template <std::size_t N>
inline bool is(QByteArrayView name, const char (&literal)[N])
{
    return name.size() == qsizetype(N - 1) && memcmp(name.data(), literal, N - 1) == 0;
}

// Column from 0 and row from 1 of a reference like "AB12"; false when it is not one.
bool parseRef(QByteArrayView ref, int& column, int& row)
{
    qsizetype i = 0;
    int c = 0;
    while (i < ref.size() && ((ref[i] >= 'A' && ref[i] <= 'Z') || (ref[i] >= 'a' && ref[i] <= 'z'))) {
        c = c * 26 + ((ref[i] & ~0x20) - 'A' + 1);
        if (c > 16384)
            return false;
        ++i;
    }
    int r = 0;
    const qsizetype digits = i;
    while (i < ref.size() && ref[i] >= '0' && ref[i] <= '9') {
        r = r * 10 + (ref[i] - '0');
        if (r > 1048576)
            return false;
        ++i;
    }
    if (c == 0 || i != ref.size())
        return false;
    column = c - 1;
    row = i > digits ? r : 0;
    return true;
}

// A cell's kind, from its attribute t.
enum class CellType { Number, Shared, Inline, Formula, Bool, Error, Date };

class XlsxWorkbook : public Workbook {
public:
    explicit XlsxWorkbook(const QString& file);
    QStringList sheetNames() const override;
    QList<Merge> readRows(int sheet, const RowSink& onRow) override;

    // One entry of the package, inflated chunk by chunk.
    class Entry {
    public:
        Entry(XlsxWorkbook& book, const QString& entry);
        ~Entry();
        // Up to cap bytes; 0 at the end. Damaged data is refused.
        qsizetype read(char* buf, qsizetype cap);
        quint64 size() const { return m_size; }

    private:
        XlsxWorkbook& m_book;
        QString m_name;
        quint64 m_size = 0, m_read = 0;
        bool m_open = false;
    };

    // A small part through QXmlStreamReader.
    class Part {
    public:
        Part(XlsxWorkbook& book, const QString& entry) : m_entry(book, entry), m_book(book), m_name(entry) {}
        // The next token; false at the end of the part. A damaged part is refused.
        bool next();
        QXmlStreamReader xml;

    private:
        Entry m_entry;
        XlsxWorkbook& m_book;
        QString m_name;
        QByteArray m_buf;
        bool m_eof = false, m_fed = false;
    };

    // A large part (a worksheet, the shared strings) through the scanner.
    class Scanned {
    public:
        Scanned(XlsxWorkbook& book, const QString& entry);
        XmlScanner::Token next();
        XmlScanner xml;
        [[noreturn]] void fail(const QString& why) const;

    private:
        Entry m_entry;
        XlsxWorkbook& m_book;
        QString m_name;
        QByteArray m_converted; // a part written in UTF-16, as UTF-8
        qsizetype m_served = 0;
        bool m_first = true;
    };

private:
    bool hasEntry(const QString& entry) const { return m_entries.contains(normalisedEntry(entry)); }
    // The relationships of a part: id -> (type, resolved target).
    QHash<QString, QPair<QString, QString>> relationships(const QString& part);
    void readWorkbook(const QString& workbookPart);
    void loadStrings();
    void loadStyles();
    Cell numberCell(QByteArrayView value, int style);

    // Where the stream of one sheet stands: the row being built and the cell being read.
    struct SheetCursor {
        Row row;
        int nextRow = 1, column = 0, nextColumn = 0, style = 0, contentRows = 0;
        CellType type = CellType::Number;
        // The value of the cell being read: raw bytes of <v>, or the decoded
        // text of an inline string.
        QByteArray value;
        QString inlineText;
        QByteArray formula;
        bool inRow = false, inValue = false, inInline = false, inText = false, inFormula = false;
        int phonetic = 0;
    };
    void startCell(const XmlScanner& x, const SheetInfo& info, SheetCursor& s);
    void startRow(const XmlScanner& x, const SheetInfo& info, SheetCursor& s);
    // The elements inside a cell: its value, formula and inline text.
    static void startCellPart(QByteArrayView name, SheetCursor& s);
    static void endCellPart(QByteArrayView name, SheetCursor& s);
    void takeText(const XmlScanner& x, const SheetInfo& info, SheetCursor& s);
    // The cell just closed, as the grade book sees it; empty for a blank.
    Cell cellValue(Scanned& p, const SheetInfo& info, SheetCursor& s);
    // Hands a row with content to onRow; false when onRow wants no more.
    bool emitRow(const SheetInfo& info, SheetCursor& s, const RowSink& onRow);

    // Closed by its own destructor, so that a refusal in the constructor closes it too.
    struct Zip {
        unzFile z = nullptr;
        ~Zip()
        {
            if (z)
                unzClose(z);
        }
    } m_archive;
    unzFile& m_zip = m_archive.z;
    QHash<QString, unz64_file_pos> m_entries;
    QList<SheetInfo> m_sheets;
    QString m_stringsPart, m_stylesPart;
    bool m_date1904 = false;
    bool m_loaded = false;
    QList<QString> m_strings;
    QList<NumberFormat> m_formats;  // the formats the styles use
    QList<int> m_xfFormat;          // cell style -> index in m_formats, -1 General
};

XlsxWorkbook::Entry::Entry(XlsxWorkbook& book, const QString& entry) : m_book(book), m_name(entry)
{
    const auto it = book.m_entries.constFind(normalisedEntry(entry));
    if (it == book.m_entries.constEnd())
        book.fail(QStringLiteral("工作簿不完整，缺少“%1”，文件可能已经损坏。").arg(entry));
    unz64_file_pos pos = it.value();
    unz_file_info64 info;
    if (unzGoToFilePos64(book.m_zip, &pos) != UNZ_OK
        || unzGetCurrentFileInfo64(book.m_zip, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK)
        book.fail(QStringLiteral("压缩包的目录已损坏。"));
    if (info.flag & 1)
        book.fail(QStringLiteral("工作簿设置了密码，内容是加密的。请取消密码后另存，再导入。"));
    if (unzOpenCurrentFile(book.m_zip) != UNZ_OK)
        book.fail(QStringLiteral("“%1”无法解压，文件可能已经损坏。").arg(entry));
    m_size = info.uncompressed_size;
    m_open = true;
}

XlsxWorkbook::Entry::~Entry()
{
    if (m_open)
        unzCloseCurrentFile(m_book.m_zip);
}

qsizetype XlsxWorkbook::Entry::read(char* buf, qsizetype cap)
{
    if (!m_open)
        return 0;
    const int n = unzReadCurrentFile(m_book.m_zip, buf, unsigned(std::min<qsizetype>(cap, kChunk)));
    if (n < 0)
        m_book.fail(QStringLiteral("“%1”的压缩数据已损坏（错误代码%2）。").arg(m_name).arg(n));
    // A part inflating beyond any spreadsheet's size is a damaged file or a
    // zip bomb: stopped before it takes minutes.
    m_read += quint64(std::max(n, 0));
    if (m_read > kMaxPartBytes)
        m_book.fail(QStringLiteral("“%1”解压后超过%2 MB，不是一个成绩表。").arg(m_name).arg(kMaxPartBytes >> 20));
    if (n == 0) {
        m_open = false;
        if (unzCloseCurrentFile(m_book.m_zip) == UNZ_CRCERROR)
            m_book.fail(QStringLiteral("“%1”的校验和不对，文件已损坏。").arg(m_name));
    }
    return n;
}

bool XlsxWorkbook::Part::next()
{
    for (;;) {
        const QXmlStreamReader::TokenType t = xml.readNext();
        if (t == QXmlStreamReader::EndDocument)
            return false;
        if (t != QXmlStreamReader::Invalid)
            return true;
        if (xml.error() != QXmlStreamReader::PrematureEndOfDocumentError)
            m_book.fail(QStringLiteral("“%1”的内容已损坏（第%2行：%3）。")
                            .arg(m_name)
                            .arg(xml.lineNumber())
                            .arg(xml.errorString()));
        if (m_eof) {
            if (!m_fed)
                return false; // an empty part
            m_book.fail(QStringLiteral("“%1”的内容不完整或已损坏，文件可能没有复制完整。").arg(m_name));
        }
        m_buf.resize(kChunk);
        const qsizetype n = m_entry.read(m_buf.data(), kChunk);
        if (n == 0) {
            m_eof = true;
            continue;
        }
        xml.addData(QByteArray(m_buf.constData(), n));
        m_fed = true;
    }
}

XlsxWorkbook::Scanned::Scanned(XlsxWorkbook& book, const QString& entry)
    : xml([this](char* buf, qsizetype cap) -> qsizetype {
          if (m_first) {
              m_first = false;
              const qsizetype n = m_entry.read(buf, cap);
              // A part in UTF-16 (allowed, never seen from a real producer):
              // converted whole, its size being checked.
              if (n >= 2 && ((uchar(buf[0]) == 0xFF && uchar(buf[1]) == 0xFE) || (uchar(buf[0]) == 0xFE && uchar(buf[1]) == 0xFF))) {
                  if (m_entry.size() > kMaxPartBytes)
                      fail(QStringLiteral("内容太大"));
                  QByteArray all(buf, n);
                  QByteArray chunk(kChunk, Qt::Uninitialized);
                  for (qsizetype k; (k = m_entry.read(chunk.data(), kChunk)) > 0;)
                      all.append(chunk.constData(), k);
                  QStringDecoder dec(uchar(all[0]) == 0xFF ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
                  QString text = dec.decode(QByteArrayView(all).sliced(2));
                  text.replace(QRegularExpression(QStringLiteral("^<\\?xml[^>]*\\?>")), QString());
                  m_converted = text.toUtf8();
                  m_served = 0;
              } else {
                  return n;
              }
          }
          if (!m_converted.isNull()) {
              const qsizetype k = std::min(cap, m_converted.size() - m_served);
              memcpy(buf, m_converted.constData() + m_served, size_t(k));
              m_served += k;
              return k;
          }
          return m_entry.read(buf, cap);
      }),
      m_entry(book, entry), m_book(book), m_name(entry)
{
}

void XlsxWorkbook::Scanned::fail(const QString& why) const
{
    m_book.fail(QStringLiteral("“%1”的内容已损坏（%2）。").arg(m_name, why));
}

XmlScanner::Token XlsxWorkbook::Scanned::next()
{
    try {
        return xml.next();
    } catch (const QString& why) {
        fail(why);
    }
}

XlsxWorkbook::XlsxWorkbook(const QString& file) : Workbook(file)
{
    m_zip = unzOpen64(QFile::encodeName(file).constData());
    if (!m_zip)
        fail(QStringLiteral("文件已损坏：它以压缩包开头，但压缩包的目录读不出来（可能没有下载或复制完整）。"));
    for (int rc = unzGoToFirstFile(m_zip); rc == UNZ_OK; rc = unzGoToNextFile(m_zip)) {
        char name[1024];
        unz_file_info64 info;
        if (unzGetCurrentFileInfo64(m_zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK)
            fail(QStringLiteral("压缩包的目录已损坏。"));
        unz64_file_pos pos;
        unzGetFilePos64(m_zip, &pos);
        m_entries.insert(normalisedEntry(QString::fromUtf8(name)), pos);
    }

    // The package's root relationships name the workbook part; most producers
    // put it at xl/workbook.xml, and a few forget the relationship.
    QString workbookPart;
    const auto root = relationships(QString());
    for (const auto& rel : root)
        if (rel.first.endsWith(QLatin1String("/officeDocument")))
            workbookPart = rel.second;
    if (workbookPart.isEmpty() || !hasEntry(workbookPart))
        workbookPart = QStringLiteral("xl/workbook.xml");
    if (!hasEntry(workbookPart)) {
        if (hasEntry(QStringLiteral("word/document.xml")))
            fail(QStringLiteral("这是一个Word文档，不是Excel工作簿。"));
        if (hasEntry(QStringLiteral("ppt/presentation.xml")))
            fail(QStringLiteral("这是一个PowerPoint演示文稿，不是Excel工作簿。"));
        if (hasEntry(QStringLiteral("content.xml")))
            fail(QStringLiteral("这是一个OpenDocument文件(.ods/.odt)。请在WPS或LibreOffice中打开它，另存为.xlsx后再导入。"));
        fail(QStringLiteral("这是一个压缩包，但里面没有Excel工作簿。"));
    }
    readWorkbook(workbookPart);
}

QHash<QString, QPair<QString, QString>> XlsxWorkbook::relationships(const QString& part)
{
    QHash<QString, QPair<QString, QString>> out;
    QStringList dirs = part.split('/');
    const QString fileName = dirs.takeLast();
    dirs << QStringLiteral("_rels") << fileName + QStringLiteral(".rels");
    const QString relsPart = dirs.join('/');
    if (!hasEntry(relsPart))
        return out;
    Part p(*this, relsPart);
    while (p.next()) {
        if (!p.xml.isStartElement() || p.xml.name() != QLatin1String("Relationship"))
            continue;
        const QXmlStreamAttributes a = p.xml.attributes();
        if (a.value(QLatin1String("TargetMode")) == QLatin1String("External"))
            continue;
        const QString target = a.value(QLatin1String("Target")).toString();
        QString resolved = resolveTarget(part, target);
        // Some writers give targets from the package's root without the
        // leading slash ("xl/worksheets/sheet1.xml" from xl/workbook.xml).
        if (!hasEntry(resolved) && hasEntry(resolveTarget(QString(), target)))
            resolved = resolveTarget(QString(), target);
        out.insert(a.value(QLatin1String("Id")).toString(), {a.value(QLatin1String("Type")).toString(), resolved});
    }
    return out;
}

void XlsxWorkbook::readWorkbook(const QString& workbookPart)
{
    const auto rels = relationships(workbookPart);
    for (const auto& rel : rels) {
        if (rel.first.endsWith(QLatin1String("/sharedStrings")))
            m_stringsPart = rel.second;
        else if (rel.first.endsWith(QLatin1String("/styles")))
            m_stylesPart = rel.second;
    }
    // Without the relationships, the names every producer uses.
    const QString dir = resolveTarget(workbookPart, QStringLiteral("."));
    if (m_stringsPart.isEmpty() && hasEntry(dir + QStringLiteral("/sharedStrings.xml")))
        m_stringsPart = dir + QStringLiteral("/sharedStrings.xml");
    if (m_stylesPart.isEmpty() && hasEntry(dir + QStringLiteral("/styles.xml")))
        m_stylesPart = dir + QStringLiteral("/styles.xml");

    Part p(*this, workbookPart);
    int index = 0;
    while (p.next()) {
        if (!p.xml.isStartElement())
            continue;
        const QStringView name = p.xml.name();
        if (name == QLatin1String("workbookPr")) {
            const QStringView d = p.xml.attributes().value(QLatin1String("date1904"));
            m_date1904 = d == QLatin1String("1") || d == QLatin1String("true");
        } else if (name == QLatin1String("sheet")) {
            ++index;
            const QXmlStreamAttributes a = p.xml.attributes();
            QString id;
            for (const QXmlStreamAttribute& attr : a)
                if (attr.name() == QLatin1String("id") && !attr.namespaceUri().isEmpty())
                    id = attr.value().toString();
            SheetInfo info;
            info.name = a.value(QLatin1String("name")).toString();
            const auto rel = rels.value(id);
            if (!rel.first.isEmpty() && !rel.first.endsWith(QLatin1String("/worksheet")))
                continue; // a chart sheet or a dialog sheet holds no cells
            info.part = rel.second;
            if (info.part.isEmpty()) {
                // A workbook without relationships: sheets by their usual names.
                const QString guess = dir + QStringLiteral("/worksheets/sheet%1.xml").arg(index);
                if (!hasEntry(guess))
                    fail(QStringLiteral("找不到工作表“%1”的内容，文件可能已经损坏。").arg(info.name));
                info.part = guess;
            }
            m_sheets << info;
        }
    }
    if (m_sheets.isEmpty())
        fail(QStringLiteral("工作簿里没有工作表。"));
}

QStringList XlsxWorkbook::sheetNames() const
{
    QStringList out;
    for (const SheetInfo& s : m_sheets)
        out << s.name;
    return out;
}

void XlsxWorkbook::loadStrings()
{
    if (m_stringsPart.isEmpty() || !hasEntry(m_stringsPart))
        return;
    Scanned p(*this, m_stringsPart);
    QString cur;
    bool inItem = false, inText = false, single = true;
    int phonetic = 0;
    using T = XmlScanner::Token;
    for (T t; (t = p.next()) != T::Done;) {
        const QByteArrayView name = p.xml.name();
        if (t == T::Start) {
            if (is(name, "si")) {
                inItem = true;
                single = true;
                cur.clear();
            } else if (is(name, "t")) {
                inText = inItem && phonetic == 0;
            } else if (is(name, "rPh")) {
                ++phonetic; // the reading of East Asian text, not shown in the cell
            } else if (is(name, "r")) {
                single = false;
            } else if (is(name, "sst")) {
                const qsizetype n = p.xml.attribute("uniqueCount").toLongLong();
                if (n > 0 && n < qsizetype(kMaxRows) * 20)
                    m_strings.reserve(n);
            }
        } else if (t == T::Text) {
            if (inText) {
                try {
                    if (single && cur.isEmpty())
                        cur = p.xml.text();
                    else
                        cur += p.xml.text();
                } catch (const QString& why) {
                    p.fail(why);
                }
                if (cur.size() > kMaxCellChars)
                    fail(QStringLiteral("共享字符串里有一段超长的文字，文件可能已经损坏。"));
            }
        } else if (is(name, "t")) {
            inText = false;
        } else if (is(name, "rPh")) {
            --phonetic;
        } else if (is(name, "si")) {
            m_strings << unescapeOoxml(std::move(cur));
            cur = QString();
            inItem = false;
            if (m_strings.size() > qsizetype(kMaxRows) * 20)
                fail(QStringLiteral("工作簿里的文字多得不像一个成绩表，文件可能已经损坏。"));
        }
    }
}

void XlsxWorkbook::loadStyles()
{
    if (m_stylesPart.isEmpty() || !hasEntry(m_stylesPart))
        return;
    QHash<int, QString> custom;
    QList<int> xfIds;
    {
        Part p(*this, m_stylesPart);
        int depth = 0, numFmtsDepth = -1, cellXfsDepth = -1;
        while (p.next()) {
            if (p.xml.isStartElement()) {
                ++depth;
                const QStringView name = p.xml.name();
                // Only the workbook's own formats and cell styles: differential
                // formats (dxfs) and cell-style records hold numFmt and xf too.
                if (name == QLatin1String("numFmts") && depth == 2) {
                    numFmtsDepth = depth;
                } else if (name == QLatin1String("cellXfs") && depth == 2) {
                    cellXfsDepth = depth;
                } else if (name == QLatin1String("numFmt") && numFmtsDepth > 0 && depth == numFmtsDepth + 1) {
                    const QXmlStreamAttributes a = p.xml.attributes();
                    custom.insert(a.value(QLatin1String("numFmtId")).toInt(),
                                  a.value(QLatin1String("formatCode")).toString());
                } else if (name == QLatin1String("xf") && cellXfsDepth > 0 && depth == cellXfsDepth + 1) {
                    xfIds << p.xml.attributes().value(QLatin1String("numFmtId")).toInt();
                }
            } else if (p.xml.isEndElement()) {
                if (depth == numFmtsDepth)
                    numFmtsDepth = -1;
                if (depth == cellXfsDepth)
                    cellXfsDepth = -1;
                --depth;
            }
        }
    }
    QHash<int, int> formatIndex; // numFmtId -> index in m_formats
    for (int id : xfIds) {
        if (!formatIndex.contains(id)) {
            const QString code = custom.contains(id) ? custom.value(id) : NumberFormat::builtinCode(id);
            NumberFormat f(code);
            if (f.isGeneral()) {
                formatIndex.insert(id, -1);
            } else {
                formatIndex.insert(id, int(m_formats.size()));
                m_formats << f;
            }
        }
        m_xfFormat << formatIndex.value(id);
    }
}

namespace {

template <typename Int>
bool toInt(QByteArrayView v, Int& out)
{
    while (!v.isEmpty() && (v.front() == ' ' || v.front() == '\n' || v.front() == '\r' || v.front() == '\t'))
        v = v.sliced(1);
    while (!v.isEmpty() && (v.back() == ' ' || v.back() == '\n' || v.back() == '\r' || v.back() == '\t'))
        v.chop(1);
    const auto r = std::from_chars(v.data(), v.data() + v.size(), out);
    return r.ec == std::errc() && r.ptr == v.data() + v.size() && !v.isEmpty();
}

} // namespace

Cell XlsxWorkbook::numberCell(QByteArrayView value, int style)
{
    double n = 0;
    QByteArrayView v = value.trimmed();
    const auto r = std::from_chars(v.data(), v.data() + v.size(), n);
    if (v.isEmpty())
        return Cell();
    if (r.ec != std::errc() || r.ptr != v.data() + v.size())
        return Cell::ofText(XmlScanner::decode(value)); // not a number after all: shown as written
    const int f = style >= 0 && style < m_xfFormat.size() ? m_xfFormat[style] : -1;
    if (f < 0)
        return Cell::ofNumber(n);
    const NumberFormat& fmt = m_formats[f];
    // A date is text to the grade book: no mark or class is a day count.
    if (fmt.isDate())
        return Cell::ofText(fmt.render(n, m_date1904));
    return Cell::ofNumber(n, fmt.render(n, m_date1904));
}

// Text of the sheet, decoded; undecodable bytes are refused as the sheet's fault.
QString decodedIn(XlsxWorkbook::Scanned& p, QByteArrayView raw)
{
    try {
        return XmlScanner::decode(raw);
    } catch (const QString& why) {
        p.fail(why);
    }
}

// The attribute t of a cell.
CellType cellType(QByteArrayView ty)
{
    return ty.isEmpty() || ty == "n" ? CellType::Number
         : ty == "s"                 ? CellType::Shared
         : ty == "inlineStr"         ? CellType::Inline
         : ty == "str"               ? CellType::Formula
         : ty == "b"                 ? CellType::Bool
         : ty == "e"                 ? CellType::Error
         : ty == "d"                 ? CellType::Date
                                     : CellType::Number;
}

void addMerge(const XmlScanner& x, QList<Merge>& merges)
{
    const QByteArrayView ref = x.attribute("ref");
    const qsizetype colon = ref.indexOf(':');
    Merge m;
    if (colon > 0 && parseRef(ref.first(colon), m.firstColumn, m.firstRow)
        && parseRef(ref.sliced(colon + 1), m.lastColumn, m.lastRow))
        merges << m;
}

// A cell's value into its column, the row growing to reach it.
void placeCell(Row& row, int column, Cell cell)
{
    if (column < row.cells.size()) {
        row.cells[column] = std::move(cell);
    } else {
        row.cells.resize(column);
        row.cells.append(std::move(cell));
    }
}

QList<Merge> XlsxWorkbook::readRows(int sheet, const RowSink& onRow)
{
    if (sheet < 0 || sheet >= m_sheets.size())
        fail(QStringLiteral("没有第%1个工作表。").arg(sheet + 1));
    if (!m_loaded) {
        loadStrings();
        loadStyles();
        m_loaded = true;
    }
    const SheetInfo& info = m_sheets[sheet];
    Scanned p(*this, info.part);
    const XmlScanner& x = p.xml;
    QList<Merge> merges;
    SheetCursor s;

    using T = XmlScanner::Token;
    for (T t; (t = p.next()) != T::Done;) {
        const QByteArrayView name = x.name();
        if (t == T::Start) {
            if (is(name, "c"))
                startCell(x, info, s);
            else if (is(name, "row"))
                startRow(x, info, s);
            else if (is(name, "mergeCell"))
                addMerge(x, merges);
            else
                startCellPart(name, s);
        } else if (t == T::Text) {
            takeText(x, info, s);
        } else if (is(name, "c") && s.inRow) {
            Cell cell = cellValue(p, info, s);
            if (!cell.isEmpty())
                placeCell(s.row, s.column, std::move(cell));
        } else if (is(name, "row")) {
            s.inRow = false;
            if (!emitRow(info, s, onRow))
                return merges;
        } else {
            endCellPart(name, s);
        }
    }
    return merges;
}

void XlsxWorkbook::startCell(const XmlScanner& x, const SheetInfo& info, SheetCursor& s)
{
    int r = 0;
    s.column = s.nextColumn;
    const QByteArrayView ref = x.attribute("r");
    if (!ref.isEmpty() && !parseRef(ref, s.column, r))
        fail(QStringLiteral("工作表“%1”里有一个无效的单元格位置“%2”，文件可能已经损坏。")
                 .arg(info.name, QString::fromUtf8(ref)));
    if (s.column >= kMaxColumns)
        fail(QStringLiteral("工作表“%1”的%2列有内容，远远超过一个成绩表的列数。")
                 .arg(info.name, columnName(s.column)));
    s.nextColumn = s.column + 1;
    s.type = cellType(x.attribute("t"));
    const QByteArrayView st = x.attribute("s");
    s.style = 0;
    if (!st.isEmpty())
        toInt(st, s.style);
    s.value.clear();
    s.inlineText.clear();
    s.formula.clear();
}

void XlsxWorkbook::startRow(const XmlScanner& x, const SheetInfo& info, SheetCursor& s)
{
    const QByteArrayView r = x.attribute("r");
    s.row.number = s.nextRow;
    if ((!r.isEmpty() && !toInt(r, s.row.number)) || s.row.number <= 0 || s.row.number > 1048576)
        fail(QStringLiteral("工作表“%1”里有一个无效的行号“%2”，文件可能已经损坏。")
                 .arg(info.name, QString::fromUtf8(r)));
    s.nextRow = s.row.number + 1;
    s.nextColumn = 0;
    s.row.cells.clear();
    s.inRow = true;
}

void XlsxWorkbook::startCellPart(QByteArrayView name, SheetCursor& s)
{
    if (is(name, "f")) {
        s.inFormula = true;
    } else if (is(name, "v")) {
        s.inValue = true;
        s.value.clear();
    } else if (is(name, "is")) {
        s.inInline = true;
        s.inlineText.clear();
    } else if (is(name, "t")) {
        s.inText = s.inInline && s.phonetic == 0;
    } else if (is(name, "rPh")) {
        ++s.phonetic;
    }
}

void XlsxWorkbook::endCellPart(QByteArrayView name, SheetCursor& s)
{
    if (is(name, "v"))
        s.inValue = false;
    else if (is(name, "f"))
        s.inFormula = false;
    else if (is(name, "t"))
        s.inText = false;
    else if (is(name, "rPh"))
        --s.phonetic;
    else if (is(name, "is"))
        s.inInline = false;
}

void XlsxWorkbook::takeText(const XmlScanner& x, const SheetInfo& info, SheetCursor& s)
{
    if (s.inValue) {
        s.value += x.rawText();
        if (s.value.size() > kMaxCellChars * 3)
            fail(QStringLiteral("工作表“%1”里有一个超长的单元格，文件可能已经损坏。").arg(info.name));
    } else if (s.inFormula) {
        if (s.formula.size() < kMaxCellChars)
            s.formula += x.rawText();
    } else if (s.inText) {
        s.inlineText += x.text();
        if (s.inlineText.size() > kMaxCellChars)
            fail(QStringLiteral("工作表“%1”里有一个超长的单元格，文件可能已经损坏。").arg(info.name));
    }
}

Cell XlsxWorkbook::cellValue(Scanned& p, const SheetInfo& info, SheetCursor& s)
{
    Cell cell;
    switch (s.type) {
    case CellType::Number:
        cell = numberCell(s.value, s.style);
        break;
    case CellType::Shared: {
        qsizetype i = -1;
        if (!toInt(QByteArrayView(s.value), i) || i < 0 || i >= m_strings.size())
            fail(QStringLiteral("工作表“%1”的%2引用了不存在的文字，文件可能已经损坏。")
                     .arg(info.name, cellName(s.row.number, s.column)));
        if (!m_strings[i].isEmpty())
            cell = Cell::ofText(m_strings[i]);
        break;
    }
    case CellType::Inline:
        // A few writers put an inline string's text in <v>.
        if (s.inlineText.isEmpty() && !s.value.isEmpty())
            s.inlineText = decodedIn(p, s.value);
        if (!s.inlineText.isEmpty())
            cell = Cell::ofText(unescapeOoxml(s.inlineText));
        break;
    case CellType::Formula:
    case CellType::Error:
        if (!s.value.isEmpty())
            cell = Cell::ofText(unescapeOoxml(decodedIn(p, s.value)));
        break;
    case CellType::Bool:
        if (!s.value.trimmed().isEmpty())
            cell = Cell::ofText(s.value.trimmed() == "1" ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
        break;
    case CellType::Date: {
        QString d = decodedIn(p, s.value).trimmed();
        if (d.endsWith(QLatin1String("T00:00:00")) || d.endsWith(QLatin1String("T00:00:00Z")))
            d.truncate(d.indexOf('T'));
        if (!d.isEmpty())
            cell = Cell::ofText(d.replace('T', ' '));
        break;
    }
    }
    // A formula its writer never calculated has no value to show:
    // shown as the formula, so that it is not taken for a blank.
    if (cell.isEmpty() && s.value.isEmpty() && !s.formula.trimmed().isEmpty())
        cell = Cell::ofText(QLatin1Char('=') + decodedIn(p, s.formula));
    return cell;
}

bool XlsxWorkbook::emitRow(const SheetInfo& info, SheetCursor& s, const RowSink& onRow)
{
    while (!s.row.cells.isEmpty() && s.row.cells.back().isEmpty())
        s.row.cells.removeLast();
    if (s.row.cells.isEmpty())
        return true;
    countRow(s.contentRows, info.name);
    return onRow(s.row);
}

} // namespace

std::unique_ptr<Workbook> openXlsx(const QString& file)
{
    return std::make_unique<XlsxWorkbook>(file);
}

} // namespace Import
