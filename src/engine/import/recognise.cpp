#include "engine/import/recognise.h"

#include "engine/db/database.h"
#include "engine/rules/numbers.h"
#include "engine/rules/subjects.h"

#include <QHash>
#include <QSet>

namespace Import {

namespace {

constexpr int kHeaderSearchRows = 10;

// The one table of header words. preference 0 is the grade book's own name.
struct Synonym {
    const char16_t* word;
    Field field;
    int subject;
    int preference;
};

// Subjects by their index in Rules::gradeSubjects().
enum Subject { Chinese, Maths, English, Politics, Physics, Chemistry, Combined };

const Synonym kSynonyms[] = {
    {u"学号", Field::Number, -1, 0},
    {u"考号", Field::Number, -1, 1},
    {u"考试号", Field::Number, -1, 1},
    {u"准考证号", Field::Number, -1, 2},
    {u"准考证", Field::Number, -1, 2},
    {u"考生号", Field::Number, -1, 3},
    {u"考生编号", Field::Number, -1, 3},
    {u"学籍号", Field::Number, -1, 4},
    {u"编号", Field::Number, -1, 5},
    {u"学生编号", Field::Number, -1, 5},

    {u"班号", Field::Class, -1, 0},
    {u"班级", Field::Class, -1, 0},
    {u"班别", Field::Class, -1, 0},
    {u"班", Field::Class, -1, 0},
    {u"行政班", Field::Class, -1, 0},
    {u"班级号", Field::Class, -1, 0},
    {u"所在班级", Field::Class, -1, 0},

    {u"姓名", Field::Name, -1, 0},
    {u"学生姓名", Field::Name, -1, 0},
    {u"考生姓名", Field::Name, -1, 0},
    {u"名字", Field::Name, -1, 1},
    {u"学生", Field::Name, -1, 2},

    {u"语文", Field::Subject, Chinese, 0},
    {u"语", Field::Subject, Chinese, 0},
    {u"数学", Field::Subject, Maths, 0},
    {u"数", Field::Subject, Maths, 0},
    {u"英语", Field::Subject, English, 0},
    {u"英", Field::Subject, English, 0},
    {u"外语", Field::Subject, English, 0},
    {u"英文", Field::Subject, English, 0},
    {u"政治", Field::Subject, Politics, 0},
    {u"政", Field::Subject, Politics, 0},
    {u"道法", Field::Subject, Politics, 0},
    {u"道德与法治", Field::Subject, Politics, 0},
    {u"道德与法制", Field::Subject, Politics, 0},
    {u"思品", Field::Subject, Politics, 0},
    {u"思想品德", Field::Subject, Politics, 0},
    {u"物理", Field::Subject, Physics, 0},
    {u"物", Field::Subject, Physics, 0},
    {u"化学", Field::Subject, Chemistry, 0},
    {u"化", Field::Subject, Chemistry, 0},
    {u"综合", Field::Subject, Combined, 0},
    {u"综", Field::Subject, Combined, 0},
    // 理综 is the grade book's 综合 only where the sheet has no 综合 of its own.
    {u"理综", Field::Subject, Combined, 1},
};

// Columns recognised and left out: the program computes its own.
const char16_t* const kTotals[] = {u"总分", u"总成绩", u"总计", u"合计", u"三总", u"总分数", u"平均分", u"平均"};
const char16_t* const kRankWords[] = {u"排", u"名次", u"位次"};
const char16_t* const kRanks[] = {u"班名", u"级名", u"校名", u"班次", u"级次", u"校次"};
const char16_t* const kGrades[] = {u"等级", u"等第", u"等次"};
// A subject's header may carry one of these after its name (语文成绩, 数学得分).
const char16_t* const kMarkSuffixes[] = {u"原始成绩", u"卷面成绩", u"原始分", u"卷面分", u"成绩", u"分数", u"得分", u"分"};
// Words of a second header row under a merged subject.
const char16_t* const kSubHeaders[] = {u"分数", u"成绩", u"得分", u"原始分", u"卷面分", u"排名", u"名次", u"班排",
                                       u"级排", u"校排", u"班名", u"级名", u"班次", u"级次", u"等级", u"等第", u"赋分"};
// Subjects a school teaches that the grade tables have no column for.
const char16_t* const kOtherSubjects[] = {u"生物", u"地理", u"历史", u"体育", u"音乐", u"美术", u"信息", u"信息技术",
                                          u"科学", u"生", u"地", u"史", u"文综", u"实验"};
const char16_t* const kAbsenceWords[] = {u"缺考", u"缺", u"缺席", u"/"};

bool isCjk(QChar c)
{
    const ushort u = c.unicode();
    return (u >= 0x3400 && u <= 0x9FFF) || (u >= 0xF900 && u <= 0xFAFF) || c.isSurrogate();
}

QString plain(const QString& text)
{
    return text.normalized(QString::NormalizationForm_KC);
}

QString withoutBlanks(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (!c.isSpace())
            out += c;
    return out;
}

bool isSubHeaderWord(const QString& key)
{
    for (const char16_t* w : kSubHeaders)
        if (key == QStringView(w))
            return true;
    return false;
}

// Chinese numerals of a class: 一 to 十八.
std::optional<qint64> chineseNumber(QStringView s)
{
    static const QString digits = QStringLiteral("一二三四五六七八九");
    if (s.size() == 1) {
        if (s[0] == QChar(u'十'))
            return 10;
        const qsizetype d = digits.indexOf(s[0]);
        return d >= 0 ? std::optional<qint64>(d + 1) : std::nullopt;
    }
    if (s.size() == 2 && s[0] == QChar(u'十')) {
        const qsizetype d = digits.indexOf(s[1]);
        return d >= 0 ? std::optional<qint64>(10 + d + 1) : std::nullopt;
    }
    return std::nullopt;
}

QString fieldName(Field f)
{
    switch (f) {
    case Field::Number: return QStringLiteral("学号");
    case Field::Class: return QStringLiteral("班号");
    case Field::Name: return QStringLiteral("姓名");
    default: return QString();
    }
}

} // namespace

QString Target::label() const
{
    if (field == Field::Subject)
        return Rules::gradeSubjects().value(subject);
    if (field == Field::Skip)
        return QStringLiteral("不导入");
    return fieldName(field);
}

QList<Target> allTargets()
{
    QList<Target> out{Target::of(Field::Number), Target::of(Field::Class), Target::of(Field::Name)};
    for (int s = 0; s < Rules::gradeSubjects().size(); ++s)
        out << Target::of(Field::Subject, s);
    out << Target::skip();
    return out;
}

QString headerKey(const QString& header)
{
    const QString p = plain(header);
    QString out;
    out.reserve(p.size());
    int depth = 0;
    for (QChar c : p) {
        const ushort u = c.unicode();
        if (c == '(' || c == '[' || u == 0x3010 /* 【 */ || u == 0x3014 /* 〔 */) {
            ++depth;
            continue;
        }
        if (c == ')' || c == ']' || u == 0x3011 || u == 0x3015) {
            depth = std::max(0, depth - 1);
            continue;
        }
        if (depth > 0 || c.isSpace() || c == '*' || c == ':')
            continue;
        out += c.toLower();
    }
    return out;
}

HeaderMeaning classifyHeader(const QString& header)
{
    const QString key = headerKey(header);
    if (key.isEmpty())
        return {};
    for (const Synonym& s : kSynonyms)
        if (s.field != Field::Subject && key == QStringView(s.word))
            return {Target::of(s.field), s.preference, {}};

    for (const char16_t* w : kTotals)
        if (key == QStringView(w) || (key.endsWith(QStringView(w)) && QStringView(w).size() >= 2))
            return {Target::skip(), 0, QStringLiteral("总分由程序计算，不导入")};
    for (const char16_t* w : kGrades)
        if (key.contains(QStringView(w)))
            return {Target::skip(), 0, QStringLiteral("等级不导入")};
    for (const char16_t* w : kRanks)
        if (key.endsWith(QStringView(w)))
            return {Target::skip(), 0, QStringLiteral("名次由程序计算，不导入")};
    for (const char16_t* w : kRankWords)
        if (key.contains(QStringView(w)))
            return {Target::skip(), 0, QStringLiteral("名次由程序计算，不导入")};
    if (key == u"序号" || key == u"座号")
        return {Target::skip(), 0, QStringLiteral("%1不导入").arg(key)};

    // A subject, with or without 成绩/分数 after it.
    QStringList forms{key};
    for (const char16_t* suffix : kMarkSuffixes) {
        const QStringView sv(suffix);
        if (key.size() > sv.size() && key.endsWith(sv))
            forms << key.left(key.size() - sv.size());
    }
    for (const QString& form : forms) {
        for (const Synonym& s : kSynonyms)
            if (s.field == Field::Subject && form == QStringView(s.word))
                return {Target::of(Field::Subject, s.subject), s.preference, {}};
        for (const char16_t* w : kOtherSubjects)
            if (form == QStringView(w))
                return {Target::skip(), 0, QStringLiteral("成绩册没有“%1”这一科，不导入").arg(header.trimmed())};
    }
    return {Target::skip(), 0, QStringLiteral("认不出这一列，不导入")};
}

int Layout::columnOf(Field field, int subject) const
{
    for (int c = 0; c < targets.size(); ++c)
        if (targets[c].field == field && (field != Field::Subject || targets[c].subject == subject))
            return c;
    return -1;
}

namespace {

// Joins a second header row: a cell under a merged subject takes the
// subject from the nearest header cell on its left.
QStringList joinedHeaders(const Row& top, const Row* second)
{
    int width = int(top.cells.size());
    if (second)
        width = std::max(width, int(second->cells.size()));
    QStringList out;
    QString carried;
    for (int c = 0; c < width; ++c) {
        const QString upper = top.at(c).shown().trimmed();
        const QString lower = second ? second->at(c).shown().trimmed() : QString();
        if (!upper.isEmpty())
            carried = upper;
        if (!second || lower.isEmpty())
            out << upper;
        else
            out << (upper.isEmpty() ? carried : upper) + lower;
    }
    return out;
}

bool isSecondHeader(const Row& row)
{
    bool any = false;
    for (const Cell& c : row.cells) {
        if (c.kind == Cell::Kind::Number)
            return false;
        if (c.kind == Cell::Kind::Text && isSubHeaderWord(headerKey(c.text)))
            any = true;
    }
    return any;
}

// Gives every column its meaning; where two columns name the same thing the
// preferred synonym (then the leftmost) is taken, and the other is noted.
void assignTargets(Layout& layout)
{
    const int n = int(layout.headers.size());
    QList<HeaderMeaning> meanings;
    for (const QString& h : layout.headers)
        meanings << classifyHeader(h);
    layout.targets = QList<Target>(n);
    layout.notes = QStringList(n);
    for (int c = 0; c < n; ++c) {
        const HeaderMeaning& m = meanings[c];
        layout.notes[c] = m.note;
        if (m.target.field == Field::Skip)
            continue;
        int best = c;
        for (int o = 0; o < n; ++o)
            if (o != c && meanings[o].target == m.target
                && (meanings[o].preference < meanings[best].preference
                    || (meanings[o].preference == meanings[best].preference && o < best)))
                best = o;
        if (best == c)
            layout.targets[c] = m.target;
        else
            layout.notes[c] = QStringLiteral("%1列已作为%2，这一列不导入").arg(columnName(best), m.target.label());
    }
}

bool namesKeyAndSubject(const Row& row)
{
    bool key = false, subject = false;
    for (const Cell& c : row.cells) {
        if (c.kind != Cell::Kind::Text)
            continue;
        const Field f = classifyHeader(c.text).target.field;
        key |= f == Field::Number || f == Field::Name;
        subject |= f == Field::Subject;
    }
    return key && subject;
}

// A roster without marks yet: 学号, 班号 and 姓名 all named.
bool namesRoster(const Row& row)
{
    bool number = false, cls = false, name = false;
    for (const Cell& c : row.cells) {
        if (c.kind != Cell::Kind::Text)
            continue;
        const Field f = classifyHeader(c.text).target.field;
        number |= f == Field::Number;
        cls |= f == Field::Class;
        name |= f == Field::Name;
    }
    return number && cls && name;
}

// The layout of the header at rows[i], with the second header row below it.
Layout layoutFrom(const QList<Row>& rows, qsizetype i)
{
    Layout layout;
    layout.headerRow = rows[i].number;
    const Row* second = nullptr;
    if (i + 1 < rows.size() && rows[i + 1].number == rows[i].number + 1 && isSecondHeader(rows[i + 1]))
        second = &rows[i + 1];
    layout.headerRows = second ? 2 : 1;
    layout.headers = joinedHeaders(rows[i], second);
    assignTargets(layout);
    return layout;
}

} // namespace

std::optional<Layout> findLayout(const QList<Row>& rows)
{
    // A grade table first; failing that, a bare roster, which names no subject.
    for (const auto names : {namesKeyAndSubject, namesRoster}) {
        int looked = 0;
        for (qsizetype i = 0; i < rows.size() && looked < kHeaderSearchRows; ++i) {
            if (rows[i].isBlank())
                continue;
            ++looked;
            if (names(rows[i]))
                return layoutFrom(rows, i);
        }
    }
    return std::nullopt;
}

Layout layoutAt(const QList<Row>& rows, int headerRow)
{
    for (qsizetype i = 0; i < rows.size(); ++i)
        if (headerRow > 0 && rows[i].number == headerRow)
            return layoutFrom(rows, i);
    // No header: every column left out until the teacher maps it.
    Layout layout;
    int width = 0;
    for (const Row& r : rows)
        width = std::max(width, int(r.cells.size()));
    layout.headers = QStringList(width);
    layout.targets = QList<Target>(width);
    layout.notes = QStringList(width);
    return layout;
}

void checkLayout(const Layout& layout)
{
    QHash<QString, int> seen;
    for (int c = 0; c < layout.targets.size(); ++c) {
        const Target& t = layout.targets[c];
        if (t.field == Field::Skip)
            continue;
        if (t.field == Field::Subject && (t.subject < 0 || t.subject >= kSubjectCount))
            throw Db::InputError(QStringLiteral("%1列的科目无效。").arg(columnName(c)));
        const QString label = t.label();
        if (seen.contains(label))
            throw Db::InputError(QStringLiteral("“%1”对应了两列（%2列和%3列），请只留一列，另一列选“不导入”。")
                                     .arg(label, columnName(seen.value(label)), columnName(c)));
        seen.insert(label, c);
    }
    if (layout.columnOf(Field::Number) < 0 && layout.columnOf(Field::Name) < 0)
        throw Db::InputError(QStringLiteral("没有一列作为学号或姓名，无法知道每一行是哪个学生。请至少为一列选“学号”或“姓名”。"));
    if (layout.headerRow < 0 || layout.headerRows < 1 || layout.headerRows > 2)
        throw Db::InputError(QStringLiteral("表头的位置无效。"));
}

std::optional<qint64> parseClass(const QString& text)
{
    const QString t = withoutBlanks(plain(text));
    if (t.isEmpty())
        return std::nullopt;
    if (const auto n = Num::parseNumber(t)) {
        if (*n != std::floor(*n))
            return std::nullopt;
        return qint64(*n);
    }
    // The number in brackets: 初一(7)班, 七(7), 2023级(7)班.
    const qsizetype open = t.lastIndexOf('(');
    if (open >= 0) {
        const qsizetype close = t.indexOf(')', open);
        if (close > open + 1) {
            const QStringView inner = QStringView(t).mid(open + 1, close - open - 1);
            bool ok = false;
            const qint64 v = inner.toLongLong(&ok);
            if (ok)
                return v;
            if (const auto c = chineseNumber(inner))
                return c;
        }
    }
    // The number just before 班: 初一7班, 7班, 初一七班, 十二班.
    QStringView body(t);
    if (body.endsWith(u'班'))
        body.chop(1);
    qsizetype start = body.size();
    while (start > 0 && body[start - 1].isDigit() && body[start - 1].unicode() < 128)
        --start;
    if (start < body.size())
        return body.mid(start).toLongLong();
    if (t.endsWith(u'班')) {
        for (qsizetype len = 2; len >= 1; --len)
            if (body.size() >= len)
                if (const auto c = chineseNumber(body.right(len)))
                    return c;
    }
    return std::nullopt;
}

bool isAbsence(const QString& text)
{
    const QString t = withoutBlanks(plain(text));
    if (t.isEmpty())
        return true;
    for (const char16_t* w : kAbsenceWords)
        if (t == QStringView(w))
            return true;
    return false;
}

QString cleanNumber(const QString& text)
{
    return withoutBlanks(plain(text));
}

QString cleanName(const QString& text)
{
    const QString t = text.trimmed();
    QString out;
    out.reserve(t.size());
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (t[i].isSpace()) {
            // Blanks between two Chinese characters only line names up;
            // a Latin name keeps its blank.
            qsizetype j = i;
            while (j < t.size() && t[j].isSpace())
                ++j;
            if (!(out.size() > 0 && isCjk(out.back()) && j < t.size() && isCjk(t[j])))
                out += ' ';
            i = j - 1;
            continue;
        }
        out += t[i];
    }
    return out;
}

QString Problem::message() const
{
    const QString where = column < 0 ? QStringLiteral("第%1行").arg(row) : cellName(row, column);
    return where + QStringLiteral("：") + text;
}

namespace {

// Header words a 学号 or 姓名 cell of a repeated header row may hold.
bool isKeyHeaderWord(const QString& text)
{
    static const QSet<QString> words = [] {
        QSet<QString> w;
        for (const Synonym& s : kSynonyms)
            if (s.field == Field::Number || s.field == Field::Name)
                w.insert(QString::fromUtf16(s.word));
        return w;
    }();
    return text.size() <= 6 && words.contains(headerKey(text));
}

bool isAsciiDigit(QChar c)
{
    return c.unicode() >= '0' && c.unicode() <= '9';
}

// The text of a value without the cost of normalising it when it is plain.
QString plainNumber(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x80 || c.isSpace())
            return cleanNumber(text);
    return text;
}

} // namespace

RowReader::RowReader(const Layout& layout)
{
    for (int c = 0; c < layout.targets.size(); ++c) {
        const Target& t = layout.targets[c];
        if (t.field == Field::Skip)
            continue;
        m_mapped << c;
        if (t.field == Field::Number)
            m_number = c;
        else if (t.field == Field::Class)
            m_class = c;
        else if (t.field == Field::Name)
            m_name = c;
        else if (t.subject >= 0 && t.subject < kSubjectCount)
            m_marks.append({c, t.subject});
    }
}

RowResult convertRow(const Layout& layout, const Row& row)
{
    return RowReader(layout).convert(row);
}

RowResult RowReader::convert(const Row& row) const
{
    RowResult out;
    if (!hasMapped(row)) {
        if (!row.isBlank())
            out.skipped = Problem{row.number, -1, QStringLiteral("没有要导入的内容，跳过")};
        return out;
    }

    const QString number = m_number >= 0 ? plainNumber(row.at(m_number).shown()) : QString();
    const QString name = m_name >= 0 ? nameIn(row) : QString();
    // A table pasted class by class repeats its header above every class.
    if ((m_number >= 0 && !number.isEmpty() && !isAsciiDigit(number[0]) && isKeyHeaderWord(number))
        || (m_name >= 0 && isKeyHeaderWord(name))) {
        out.skipped = Problem{row.number, -1, QStringLiteral("重复的表头，跳过")};
        return out;
    }
    if (number.isEmpty() && name.isEmpty()) {
        out.skipped = Problem{row.number, -1, QStringLiteral("没有学号也没有姓名，不是学生的行，跳过")};
        return out;
    }

    Student s;
    s.row = row.number;
    s.number = number;
    s.name = name;
    if (m_class >= 0)
        readClass(row, s, out);
    readMarks(row, s, out);
    out.student = std::move(s);
    return out;
}

bool RowReader::hasMapped(const Row& row) const
{
    for (int c : m_mapped)
        if (!row.at(c).isBlank())
            return true;
    return false;
}

QString RowReader::nameIn(const Row& row) const
{
    const QString& raw = row.at(m_name).text;
    bool plainName = !raw.isEmpty() && row.at(m_name).kind == Cell::Kind::Text;
    for (QChar c : raw)
        if (c.isSpace()) {
            plainName = false;
            break;
        }
    return plainName ? raw : cleanName(row.at(m_name).shown());
}

void RowReader::readClass(const Row& row, Student& s, RowResult& out) const
{
    const Cell& cell = row.at(m_class);
    if (cell.isBlank())
        return;
    std::optional<qint64> cls;
    if (cell.kind == Cell::Kind::Number)
        cls = cell.number == std::floor(cell.number) ? std::optional<qint64>(qint64(cell.number)) : std::nullopt;
    else if (cell.text.size() <= 2 && isAsciiDigit(cell.text[0]) && isAsciiDigit(cell.text.back()))
        cls = cell.text.toLongLong();
    else
        cls = parseClass(cell.text);
    if (!cls)
        out.problems << Problem{row.number, m_class, QStringLiteral("班号“%1”认不出是几班").arg(cell.shown().trimmed())};
    else if (!Rules::isClassNumber(*cls))
        out.problems << Problem{row.number, m_class, Rules::classProblem(*cls)};
    else
        s.cls = *cls;
}

void RowReader::readMarks(const Row& row, Student& s, RowResult& out) const
{
    for (const auto& [c, subject] : m_marks) {
        Mark& m = s.marks[subject];
        const Cell& cell = row.at(c);
        std::optional<double> value;
        if (cell.kind == Cell::Kind::Number) {
            value = cell.number;
        } else if (!(value = Num::parseNumber(cell.text))) {
            if (isAbsence(cell.text)) {
                m.state = Mark::State::Absent;
                ++out.absences;
            } else {
                out.problems << Problem{row.number, c,
                                        QStringLiteral("%1“%2”不是数字")
                                            .arg(Rules::gradeSubjects().value(subject), cell.text.trimmed())};
            }
            continue;
        }
        if (*value < 0) {
            out.problems << Problem{row.number, c,
                                    QStringLiteral("%1是负数（%2）")
                                        .arg(Rules::gradeSubjects().value(subject), cell.shown().trimmed())};
            continue;
        }
        if (!std::isfinite(*value) || *value >= 1e6) {
            out.problems << Problem{row.number, c,
                                    QStringLiteral("%1“%2”不像一个分数")
                                        .arg(Rules::gradeSubjects().value(subject), cell.shown().trimmed())};
            continue;
        }
        m.state = Mark::State::Value;
        m.value = *value;
    }
}

namespace {

QString describeRows(const QList<Row>& rows)
{
    QStringList lines;
    for (const Row& r : rows) {
        if (r.isBlank())
            continue;
        QStringList cells;
        for (const Cell& c : r.cells)
            cells << c.shown().trimmed();
        while (!cells.isEmpty() && cells.back().isEmpty())
            cells.removeLast();
        lines << QStringLiteral("第%1行：%2").arg(r.number).arg(cells.join(QStringLiteral(" | ")));
        if (lines.size() >= 3)
            break;
    }
    return lines.join('\n');
}

// A sheet's rows as they stream in, into a Table. Rows are held back until
// the header is known: it lies among the first ten rows with content, and a
// second header row may follow it.
class TableBuilder {
public:
    TableBuilder(Table& table, const std::optional<Layout>& given, const std::function<bool(int rows)>& progress)
        : m_table(table), m_given(given), m_progress(progress)
    {
    }
    // One row read; false when no more are wanted.
    bool add(const Row& row);
    // After the last row.
    void finish();

private:
    void decide();
    void take(const Row& row);
    void explainNotFound();

    Table& m_table;
    const std::optional<Layout>& m_given;
    const std::function<bool(int rows)>& m_progress;
    QList<Row> m_head;
    bool m_decided = false;
    int m_rowsRead = 0;
    int m_contentRows = 0;
    std::optional<RowReader> m_reader;
    std::array<bool, kSubjectCount> m_hasSubject{};
};

bool TableBuilder::add(const Row& row)
{
    if (m_table.preview.size() < kPreviewRows)
        m_table.preview << row;
    ++m_rowsRead;
    if (m_progress && m_rowsRead % 1000 == 0 && !m_progress(m_rowsRead)) {
        m_table.cancelled = true;
        return false;
    }
    if (!m_decided) {
        m_head << row;
        if (!row.isBlank())
            ++m_contentRows;
        // One more row than the search needs: the second header row.
        if (m_given || m_contentRows > kHeaderSearchRows)
            decide();
        return true;
    }
    if (m_table.found) {
        take(row);
        return true;
    }
    // No header: only the preview is wanted.
    return m_table.preview.size() < kPreviewRows;
}

void TableBuilder::finish()
{
    if (!m_decided && !m_table.cancelled)
        decide();
    if (m_progress && !m_table.cancelled)
        m_progress(m_rowsRead);
}

void TableBuilder::decide()
{
    m_decided = true;
    if (m_given) {
        m_table.layout = *m_given;
        m_table.found = true;
    } else if (const auto layout = findLayout(m_head)) {
        m_table.layout = *layout;
        m_table.found = true;
    } else {
        explainNotFound();
    }
    if (m_table.found) {
        m_reader.emplace(m_table.layout);
        for (int s = 0; s < kSubjectCount; ++s)
            m_hasSubject[s] = m_table.layout.hasSubject(s);
        for (const Row& r : m_head)
            take(r);
    }
    m_head.clear();
}

void TableBuilder::explainNotFound()
{
    m_table.unrecognised = QStringLiteral("在工作表“%1”的前%2行里找不到表头：表头要有学号（或考号等）或姓名，"
                                          "还要有至少一科的成绩（只是名单时要有学号、班号、姓名三列）。")
                               .arg(m_table.sheet)
                               .arg(kHeaderSearchRows);
    const QString seen = describeRows(m_head);
    if (!seen.isEmpty())
        m_table.unrecognised += QStringLiteral("\n表格开头是：\n") + seen;
}

void TableBuilder::take(const Row& row)
{
    if (row.number < m_table.layout.firstDataRow())
        return;
    RowResult r = m_reader->convert(row);
    m_table.problems << r.problems;
    if (r.skipped)
        m_table.skipped << *r.skipped;
    m_table.absences += r.absences;
    if (r.student) {
        // A subject without a column is nothing, not an absence.
        for (int s = 0; s < int(r.student->marks.size()); ++s)
            if (!m_hasSubject[s])
                r.student->marks[s].state = Mark::State::None;
        m_table.students << std::move(*r.student);
    }
}

} // namespace

Table readTable(Workbook& book, int sheet, const std::optional<Layout>& given,
                const std::function<bool(int rows)>& progress)
{
    if (given)
        checkLayout(*given);
    Table table;
    table.file = book.fileName();
    table.sheet = book.sheetNames().value(sheet);
    TableBuilder builder(table, given, progress);
    table.merges = book.readRows(sheet, [&](const Row& row) { return builder.add(row); });
    builder.finish();
    return table;
}

} // namespace Import
