#include "cli/batchcsv.h"
#include "engine/rules/subjects.h"

#include <QHash>

#include "engine/db/database.h"
#include "engine/rules/numbers.h"

#include <QLocale>
#include <QSet>
#include <QStringDecoder>
#include <optional>
#include <utility>

namespace Batch {

namespace {

// More complaints than this would scroll the first ones off the screen.
constexpr int kMaxReported = 20;

struct Record {
    int line = 0;            // physical line where the record starts (header = 1)
    QStringList fields;
    bool lineBreak = false;  // a quoted field runs over more than one line
    QString error;           // broken quoting on this line
};

bool isBlank(QChar c)
{
    return c == ' ' || c == '\t' || c == QChar(0x3000);
}

// Reads text record by record. Quoted fields may hold commas, doubled quotes
// and line breaks; an unquoted field ends at a comma or line end and loses
// the blanks around it.
class RecordReader {
public:
    explicit RecordReader(const QString& source) : text(source), n(source.size()) {}
    bool next(Record& rec);

private:
    const QString& text;
    const qsizetype n;
    qsizetype i = 0;
    int line = 1;
    bool stopped = false;
};

bool RecordReader::next(Record& rec)
{
    if (stopped || i >= n)
        return false;
    rec = Record();
    rec.line = line;
    bool endOfRecord = false;
    while (!endOfRecord) {
        while (i < n && isBlank(text[i]))
            ++i;
        QString field;
        if (i < n && text[i] == '"') {
            const int startLine = line;
            ++i;
            bool closed = false;
            while (i < n) {
                const QChar c = text[i];
                if (c == '"') {
                    if (i + 1 < n && text[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                if (c == '\n' || c == '\r') {
                    rec.lineBreak = true;
                    if (c == '\r' && i + 1 < n && text[i + 1] == '\n')
                        ++i;
                    ++line;
                    field += '\n';
                    ++i;
                    continue;
                }
                field += c;
                ++i;
            }
            if (!closed) {
                // Nothing after an unpaired quote can be told apart; the
                // lines before it are still checked and reported.
                rec.error = QStringLiteral("第%1行：引号没有配对，从这里起到文件末尾都没有结束的引号").arg(startLine);
                rec.fields << field;
                stopped = true;
                return true;
            }
            while (i < n && isBlank(text[i]))
                ++i;
            if (i < n && text[i] != ',' && text[i] != '\n' && text[i] != '\r') {
                if (rec.error.isEmpty())
                    rec.error = QStringLiteral("第%1行：引号后面还有“%2”，引号里的内容之外不能再有文字")
                                    .arg(line)
                                    .arg(text[i]);
                // Keep the rest of the field so that the line's fields still line up.
                while (i < n && text[i] != ',' && text[i] != '\n' && text[i] != '\r')
                    field += text[i++];
            }
        } else {
            const qsizetype start = i;
            while (i < n && text[i] != ',' && text[i] != '\n' && text[i] != '\r')
                ++i;
            field = text.mid(start, i - start);
            while (!field.isEmpty() && isBlank(field.back()))
                field.chop(1);
        }
        rec.fields << field;
        if (i >= n) {
            endOfRecord = true;
        } else if (text[i] == ',') {
            ++i;
        } else {
            if (text[i] == '\r' && i + 1 < n && text[i + 1] == '\n')
                ++i;
            ++i;
            ++line;
            endOfRecord = true;
        }
    }
    return true;
}

bool isEmptyRecord(const Record& r)
{
    for (const QString& f : r.fields)
        if (!f.isEmpty())
            return false;
    return true;
}

// Where the first byte sequence that is not UTF-8 starts, or -1. Overlong
// forms, surrogates and a character cut off by the end of the file count:
// the decoder would drop a cut-off last character without a word.
qsizetype firstNonUtf8(const QByteArray& bytes)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned char c = b[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int more = 0;
        unsigned char low = 0x80, high = 0xBF; // bounds of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            if (c == 0xE0)
                low = 0xA0;
            else if (c == 0xED)
                high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            if (c == 0xF0)
                low = 0x90;
            else if (c == 0xF4)
                high = 0x8F;
        } else {
            return i;
        }
        if (i + more >= n)
            return i;
        if (b[i + 1] < low || b[i + 1] > high)
            return i;
        for (int k = 2; k <= more; ++k)
            if (b[i + k] < 0x80 || b[i + k] > 0xBF)
                return i;
        i += more + 1;
    }
    return -1;
}

// The line that holds a byte, counting line ends as the record reader does
// (CRLF, LF or CR alone).
int lineOfByte(const QByteArray& bytes, qsizetype at)
{
    int line = 1;
    for (qsizetype i = 0; i < at; ++i) {
        if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n')))
            ++line;
    }
    return line;
}

// Control characters (a NUL, a tab inside a name, a form feed) are invisible
// in every list and break the files the grade book writes.
std::optional<QChar> controlCharacter(const QString& text)
{
    for (QChar c : text) {
        const QChar::Category cat = c.category();
        if (cat == QChar::Other_Control || cat == QChar::Separator_Line || cat == QChar::Separator_Paragraph)
            return c;
    }
    return std::nullopt;
}

class Complaints {
public:
    void add(const QString& text)
    {
        if (m_list.size() < kMaxReported)
            m_list << text;
        ++m_count;
    }
    bool any() const { return m_count > 0; }
    [[noreturn]] void raise() const
    {
        QStringList text = m_list;
        if (m_count > m_list.size())
            text << QStringLiteral("……另有%1处错误没有列出").arg(m_count - m_list.size());
        throw Db::InputError(text.join('\n'));
    }

private:
    QStringList m_list;
    int m_count = 0;
};

} // namespace

const QStringList& rosterMarkColumns()
{
    return Rules::gradeSubjects();
}

RosterCsv parseRoster(const QByteArray& raw)
{
    QByteArray bytes = raw;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    const qsizetype bad = firstNonUtf8(bytes);
    if (bad >= 0) {
        const int line = lineOfByte(bytes, bad);
        // A valid start cut off by the end: the file was not saved or copied whole.
        QStringDecoder tail(QStringDecoder::Utf8);
        const QString rest = tail.decode(bytes.mid(bad));
        if (rest.isEmpty() && !tail.hasError())
            throw Db::InputError(QStringLiteral("第%1行：文件在最后一个字的中间就结束了，文件可能没有保存完整或被截断。"
                                                "请重新保存或复制文件后再导入")
                                     .arg(line));
        throw Db::InputError(QStringLiteral("第%1行不是 UTF-8 编码的文字。请把文件另存为 UTF-8 编码的 CSV"
                                            "（在表格软件中选“CSV UTF-8（逗号分隔）”）后再导入")
                                 .arg(line));
    }
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);

    RecordReader reader(text);
    Record head;
    bool found = false;
    while (!found && reader.next(head))
        found = !isEmptyRecord(head);
    if (!found)
        throw Db::InputError(QStringLiteral("文件是空的，没有标题行和学生"));

    // Header: 学号,班号,姓名 and then mark columns, each at most once.
    const QString headLine = QStringLiteral("第%1行（标题行）：").arg(head.line);
    if (!head.error.isEmpty())
        throw Db::InputError(head.error);
    QStringList names;
    for (const QString& f : head.fields)
        names << f.trimmed();
    const QStringList fixed{QStringLiteral("学号"), QStringLiteral("班号"), QStringLiteral("姓名")};
    if (names.mid(0, 3) != fixed)
        throw Db::InputError(headLine + QStringLiteral("前三列必须是“学号,班号,姓名”，现在是“%1”")
                                            .arg(names.mid(0, 3).join(',')));
    RosterCsv result;
    QList<int> markIndex; // index into Rules::gradeSubjects() per column after 姓名
    for (qsizetype k = 3; k < names.size(); ++k) {
        const QString& s = names.at(k);
        if (!rosterMarkColumns().contains(s))
            throw Db::InputError(headLine + QStringLiteral("第%1列“%2”不是可导入的科目（可用：%3）")
                                                .arg(k + 1)
                                                .arg(s, rosterMarkColumns().join(QStringLiteral("、"))));
        if (result.subjects.contains(s))
            throw Db::InputError(headLine + QStringLiteral("科目“%1”出现了两次").arg(s));
        result.subjects << s;
        markIndex << int(Rules::gradeSubjects().indexOf(s));
    }
    const qsizetype width = names.size();

    Complaints complaints;
    Record rec;
    // 学号 names a student in every query: the line each was first seen on.
    QHash<QString, qint64> numberLine;
    while (reader.next(rec)) {
        if (!rec.error.isEmpty()) {
            complaints.add(rec.error);
            continue;
        }
        if (isEmptyRecord(rec))
            continue;
        // Built only for a complaint: most lines have none.
        const auto at = [&rec] { return QStringLiteral("第%1行：").arg(rec.line); };
        if (rec.fields.size() != width) {
            complaints.add(at() + QStringLiteral("有%1个字段，应与标题行一样是%2个").arg(rec.fields.size()).arg(width));
            continue;
        }
        if (rec.lineBreak) {
            complaints.add(at() + QStringLiteral("引号里的内容跨了行，学号、姓名和成绩中不能有换行"));
            continue;
        }
        Roster::Student s;
        bool ok = true;
        int absent = 0;
        s.number = rec.fields.at(0);
        if (!s.number.trimmed().isEmpty()) {
            if (const auto seen = numberLine.constFind(s.number); seen != numberLine.constEnd()) {
                complaints.add(at() + QStringLiteral("学号“%1”在第%2行已经有了，一个学号只能属于一名学生").arg(s.number).arg(*seen));
                ok = false;
            } else {
                numberLine.insert(s.number, rec.line);
            }
        }
        const QString& cls = rec.fields.at(1);
        const auto c = Num::parseInteger(cls);
        if (!c) {
            complaints.add(at() + QStringLiteral("班号“%1”不是整数").arg(cls));
            ok = false;
        } else if (*c < 1) {
            complaints.add(at() + QStringLiteral("班号“%1”不是正整数（班号从1开始）").arg(cls));
            ok = false;
        } else if (!Rules::isClassNumber(*c)) {
            complaints.add(at() + QStringLiteral("班号“%1”超出范围（班号是%2到%3）")
                                    .arg(cls)
                                    .arg(Rules::kFirstClass)
                                    .arg(Rules::kLastClass));
            ok = false;
        } else {
            s.cls = *c;
        }
        s.name = rec.fields.at(2);
        if (s.name.trimmed().isEmpty()) {
            complaints.add(at() + QStringLiteral("姓名是空的"));
            ok = false;
        }
        for (const auto& [what, value] : {std::pair{QStringLiteral("学号"), s.number}, std::pair{QStringLiteral("姓名"), s.name}}) {
            if (const auto ctl = controlCharacter(value)) {
                complaints.add(at() + QStringLiteral("%1中有看不见的控制字符（U+%2），请删去后再导入")
                                        .arg(what, QString::number(ctl->unicode(), 16).toUpper().rightJustified(4, '0')));
                ok = false;
            }
        }
        for (qsizetype k = 3; k < width; ++k) {
            const QString& subject = result.subjects.at(k - 3);
            const QString& field = rec.fields.at(k);
            // As in bulk input and the grid: a blank cell or an absence word
            // is a student who was absent, a mark below 0 a typing slip.
            const Num::MarkCell cell = Num::markCell(field);
            if (cell.kind == Num::MarkCell::Absent) {
                ++absent;
                continue;
            }
            if (cell.kind == Num::MarkCell::NotANumber) {
                complaints.add(at() + QStringLiteral("%1成绩“%2”不是数字（缺考的学生可以空着，或填“缺考”“缺”“/”）").arg(subject, field));
                ok = false;
                continue;
            }
            if (cell.kind == Num::MarkCell::Negative) {
                complaints.add(at() + QStringLiteral("%1成绩“%2”是负数，成绩不能小于0").arg(subject, field));
                ok = false;
                continue;
            }
            s.marks[size_t(markIndex.at(k - 3))] = cell.mark;
        }
        if (ok) {
            result.students << s;
            result.absent += absent;
        }
    }
    if (complaints.any())
        complaints.raise();
    if (result.students.isEmpty())
        throw Db::InputError(QStringLiteral("文件中只有标题行，没有学生"));
    return result;
}

QString csvField(const QString& text)
{
    bool quote = false;
    for (QChar c : text)
        if (c == ',' || c == '"' || c == '\n' || c == '\r') {
            quote = true;
            break;
        }
    if (!text.isEmpty() && (isBlank(text.front()) || isBlank(text.back())))
        quote = true;
    if (!quote)
        return text;
    QString t = text;
    t.replace('"', QStringLiteral("\"\""));
    return '"' + t + '"';
}

QString csvLine(const QStringList& fields)
{
    QStringList out;
    out.reserve(fields.size());
    for (const QString& f : fields)
        out << csvField(f);
    return out.join(',') + '\n';
}

QString exportText(const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return QString();
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::QByteArray:
        return QString::fromUtf8(value.toByteArray());
    default:
        return value.toString();
    }
}

} // namespace Batch
