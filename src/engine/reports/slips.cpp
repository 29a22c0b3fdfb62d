#include "engine/reports/slips.h"

#include "engine/db/database.h"
#include "engine/export/xlsx.h"
#include "engine/rules/ranking.h"
#include "engine/rules/titles.h"

#include <QDateTime>
#include <QHash>

namespace Slips {

namespace {

const QString kNotThere = QStringLiteral("—");

// A student of another examination is the one with the same 学号 and 姓名.
QString key(const QString& number, const QString& name)
{
    return number + QChar(0x1F) + name;
}

struct Standing {
    QString text;
    QVariant value;
};

// Each student's standing by his total in the terms of the mode.
QList<Standing> standings(const Levels::ExamGrades& g, RankMode mode)
{
    QList<Standing> out(qsizetype(g.students.size()));
    const int total = int(g.items.indexOf(Levels::kTotal));
    if (mode == RankMode::None)
        return out;
    if (total < 0) {
        for (Standing& s : out)
            s.text = QStringLiteral("这次考试没有总分，不排%1").arg(mode == RankMode::Position ? QStringLiteral("位置") : QStringLiteral("名次"));
        return out;
    }
    const std::vector<Num::Mark> marks = g.marks(total);
    std::vector<Rules::Rank> ranks(marks.size());
    qint64 counted = 0;
    if (mode == RankMode::Class) {
        QHash<qint64, std::vector<size_t>> groups;
        for (size_t i = 0; i < marks.size(); ++i)
            groups[g.students[i].cls].push_back(i);
        for (const std::vector<size_t>& members : std::as_const(groups)) {
            std::vector<Num::Mark> part;
            for (size_t i : members)
                part.push_back(marks[i]);
            const auto got = Rules::competitionRanks(part);
            for (size_t k = 0; k < members.size(); ++k)
                ranks[members[k]] = got[k];
        }
    } else {
        ranks = Rules::competitionRanks(marks);
        for (const Num::Mark& m : marks)
            counted += m ? 1 : 0;
    }
    for (size_t i = 0; i < marks.size(); ++i) {
        Standing& s = out[qsizetype(i)];
        if (!ranks[i]) {
            s.text = QStringLiteral("各科都缺考，没有总分%1").arg(mode == RankMode::Position ? QStringLiteral("位置") : QStringLiteral("名次"));
            continue;
        }
        switch (mode) {
        case RankMode::Class:
            s.text = QStringLiteral("班级第 %1 名").arg(*ranks[i]);
            s.value = *ranks[i];
            break;
        case RankMode::Grade:
            s.text = QStringLiteral("年级第 %1 名").arg(*ranks[i]);
            s.value = *ranks[i];
            break;
        case RankMode::Position: {
            const qint64 p = Levels::position(*ranks[i], counted);
            s.text = QStringLiteral("位于年级前 %1%").arg(p);
            s.value = QStringLiteral("前%1%").arg(p);
            break;
        }
        case RankMode::None:
            break;
        }
    }
    return out;
}

// The earlier examination, its students found by 学号 and 姓名 together;
// nothing when no change is shown.
struct Earlier {
    std::optional<Levels::ExamLevels> levels;
    QList<Standing> standing;
    QHash<QString, size_t> index;
};

Earlier earlierOf(const Options& o, const Levels::Scheme& scheme, const QMap<QString, qint64>& fallback)
{
    Earlier e;
    if (o.change == Change::None)
        return e;
    e.levels = Levels::examLevels(o.earlier, scheme, fallback);
    if (o.change == Change::Position)
        e.standing = standings(e.levels->grades, o.rank);
    for (size_t i = 0; i < e.levels->grades.students.size(); ++i)
        e.index.insert(key(e.levels->grades.students[i].number, e.levels->grades.students[i].name), i);
    return e;
}

// One student's slip: his items with their levels (and earlier levels),
// his standing, and the standing he had in the earlier examination.
Slip slipOf(const Set& set, const Levels::ExamLevels& now, size_t s, const Standing& standing, const Earlier& earlier)
{
    const Levels::ExamGrades& g = now.grades;
    const Levels::ExamGrades::Student& st = g.students[s];
    Slip slip;
    slip.cls = st.cls;
    slip.number = st.number;
    slip.name = st.name;
    const auto& before = earlier.levels;
    const auto found = before ? earlier.index.constFind(key(st.number, st.name)) : earlier.index.constEnd();
    const bool wasThere = before && found != earlier.index.constEnd();
    for (int i = 0; i < g.items.size(); ++i) {
        Item item;
        item.title = g.items.at(i);
        item.mark = st.marks[size_t(i)];
        if (set.levels)
            item.level = now.text(i, s);
        if (set.earlierLevels) {
            const int then = wasThere ? before->item(item.title) : -1;
            item.earlier = then >= 0 ? before->text(then, *found) : kNotThere;
        }
        slip.items << item;
    }
    slip.standing = standing.text;
    slip.standingValue = standing.value;
    if (set.change == Change::Position) {
        if (wasThere) {
            const Standing& b = earlier.standing.at(qsizetype(*found));
            slip.earlierStanding = b.value.isValid() ? QStringLiteral("上次%1").arg(b.text) : QStringLiteral("上次没有总分");
            slip.earlierValue = b.value;
        } else {
            slip.earlierStanding = QStringLiteral("上次考试没有该生的成绩");
        }
    }
    return slip;
}

// The columns of the slips' workbook: the student, then per item what the
// slips show of it, then the standing.
struct SheetColumns {
    QStringList columns, headers;
    QList<Export::Format> formats;

    void add(const QString& column, const QString& header, Export::Format format)
    {
        columns << column;
        headers << header;
        formats << format;
    }
};

SheetColumns sheetColumns(const Set& set)
{
    SheetColumns c;
    c.add(QStringLiteral("班号"), QStringLiteral("班级"), Export::Format::Integer);
    c.add(QStringLiteral("学号"), QStringLiteral("学号"), Export::Format::General);
    c.add(QStringLiteral("姓名"), QStringLiteral("姓名"), Export::Format::General);
    for (const QString& item : set.items) {
        if (set.marks)
            c.add(item + QLatin1Char('1'), item, Export::Format::General);
        if (set.levels)
            c.add(item + QStringLiteral("等级"), item + QStringLiteral("等级"), Export::Format::General);
        if (set.earlierLevels)
            c.add(item + QStringLiteral("上次等级"), item + QStringLiteral("上次等级"), Export::Format::General);
    }
    if (set.rank != RankMode::None) {
        c.add(QStringLiteral("名次"), set.standingTitle(), Export::Format::Integer);
        if (set.change == Change::Position)
            c.add(QStringLiteral("上次名次"), QStringLiteral("上次") + set.standingTitle(), Export::Format::Integer);
    }
    return c;
}

QVariantList sheetRow(const Set& set, const Slip& slip)
{
    QVariantList row{slip.cls, slip.number, slip.name};
    for (const Item& item : slip.items) {
        if (set.marks)
            row << (item.mark ? QVariant(Num::fromFixed(*item.mark)) : QVariant(Rules::kAbsent));
        if (set.levels)
            row << item.level;
        if (set.earlierLevels)
            row << item.earlier;
    }
    if (set.rank != RankMode::None) {
        row << (slip.standingValue.isValid() ? slip.standingValue : QVariant(QStringLiteral("—")));
        if (set.change == Change::Position)
            row << (slip.earlierValue.isValid() ? slip.earlierValue : QVariant(QStringLiteral("—")));
    }
    return row;
}

} // namespace

void check(const Options& o)
{
    if (o.change == Change::None)
        return;
    if (o.earlier.name.trimmed().isEmpty())
        throw Db::InputError(QStringLiteral("要显示变化，请选择用来比较的以前的考试"));
    if (o.earlier == o.exam)
        throw Db::InputError(QStringLiteral("用来比较的考试就是这次考试“%1”，请选另一次考试").arg(o.exam.name));
    if (o.change == Change::Position && o.rank == RankMode::None)
        throw Db::InputError(QStringLiteral("不显示名次时，也不显示名次或位置的变化；可以改为比较等级"));
}

QString yearLineOf(const QString& savedAt)
{
    QDate d = QDateTime::fromString(savedAt.left(19), QStringLiteral("yyyy-MM-dd HH:mm:ss")).date();
    if (!d.isValid())
        d = QDate::fromString(savedAt.left(10), QStringLiteral("yyyy-MM-dd"));
    if (!d.isValid())
        return {};
    const int y = d.year(), m = d.month();
    const int first = m >= 9 ? y : y - 1;
    const bool firstTerm = m >= 9 || m == 1;
    return QStringLiteral("%1—%2学年%3").arg(first).arg(first + 1).arg(firstTerm ? QStringLiteral("第一学期") : QStringLiteral("第二学期"));
}

QString markText(const Num::Mark& mark)
{
    return mark ? Num::format(Num::fromFixed(*mark)) : Rules::kAbsent;
}

QString classText(qint64 cls)
{
    return QStringLiteral("%1班").arg(cls);
}

QList<qint64> Set::classes() const
{
    QList<qint64> out;
    for (const Slip& s : slips)
        if (out.isEmpty() || out.last() != s.cls)
            out << s.cls;
    return out;
}

Set Set::onlyClass(qint64 cls) const
{
    Set out = *this;
    out.slips.clear();
    for (const Slip& s : slips)
        if (s.cls == cls)
            out.slips << s;
    return out;
}

QString Set::standingTitle() const
{
    switch (rank) {
    case RankMode::Class:
        return QStringLiteral("班级名次");
    case RankMode::Grade:
        return QStringLiteral("年级名次");
    case RankMode::Position:
        return QStringLiteral("年级位置");
    case RankMode::None:
        break;
    }
    return {};
}

Set build(const Options& o, const Levels::Scheme& scheme, const QMap<QString, qint64>& fallback)
{
    check(o);
    const Levels::ExamLevels now = Levels::examLevels(o.exam, scheme, fallback);
    const Levels::ExamGrades& g = now.grades;
    if (o.cls && !g.classList().contains(*o.cls))
        throw Db::InputError(QStringLiteral("考试“%1”（编号%2）的成绩里没有%3的学生")
                                 .arg(o.exam.name)
                                 .arg(o.exam.number)
                                 .arg(classText(*o.cls)));

    Set set;
    set.examName = o.exam.name;
    set.yearLine = o.yearLine.trimmed().isEmpty() ? yearLineOf(g.savedAt) : o.yearLine.trimmed();
    set.marks = o.show != Show::Levels;
    set.levels = o.show != Show::Marks;
    set.legend = set.levels ? Levels::legend(scheme) : QString();
    set.rank = o.rank;
    set.change = o.change;
    set.earlierLevels = o.change == Change::Level;
    set.items = g.items;
    set.fullMarks = g.fullMarks;
    const QList<Standing> standing = standings(g, o.rank);
    const Earlier earlier = earlierOf(o, scheme, fallback);
    if (earlier.levels)
        set.earlierName = o.earlier.name;

    for (size_t s = 0; s < g.students.size(); ++s)
        if (!o.cls || g.students[s].cls == *o.cls)
            set.slips << slipOf(set, now, s, standing.value(qsizetype(s)), earlier);
    return set;
}

QList<Export::Sheet> sheets(const Set& set)
{
    const SheetColumns c = sheetColumns(set);
    QList<Export::Sheet> out;
    for (qint64 cls : set.classes()) {
        Export::Sheet sheet;
        sheet.name = classText(cls);
        sheet.title = QStringLiteral("成绩条");
        sheet.columns = c.columns;
        sheet.headers = c.headers;
        sheet.formats = c.formats;
        sheet.headerPerRow = true;
        for (const Slip& slip : set.slips)
            if (slip.cls == cls)
                sheet.rows << sheetRow(set, slip);
        out << sheet;
    }
    return out;
}

void writeWorkbook(const QString& path, const Set& set, const Export::Progress& progress)
{
    if (set.slips.isEmpty())
        throw Db::InputError(QStringLiteral("没有学生，没有写出成绩条"));
    Export::writeXlsx(path, sheets(set), progress);
}

} // namespace Slips
