#include "engine/reports/progress.h"

#include "engine/db/database.h"
#include "engine/rules/subjects.h"
#include "engine/rules/titles.h"

#include <QHash>
#include <QMap>
#include <algorithm>

namespace Progress {

namespace {

const QString kSaved = QStringLiteral("cjsave");

Rank rankOf(const QVariant& v)
{
    // Ranks are whole numbers from 1; an empty cell (or the 0 an old run
    // left) is no rank.
    const Num::Mark m = Num::markOf(v);
    if (!m || *m <= 0)
        return std::nullopt;
    return Num::roundHalfEven(*m);
}

Change difference(const Rank& before, const Rank& after)
{
    if (!before || !after)
        return std::nullopt;
    return *before - *after;
}

// Marks, totals and averages are kept in ten-thousandths (Num::Fixed);
// ranks, places and changes of rank are plain whole numbers.
QVariant fixedValue(const Num::Mark& m)
{
    return m ? QVariant(Num::fromFixed(*m)) : QVariant();
}

QVariant whole(const std::optional<qint64>& v)
{
    return v ? QVariant(*v) : QVariant();
}

// A mark as the tables show it: the mark, 缺考 when the student did not sit
// a subject others sat, nothing when nobody sat it in that examination.
QVariant markCell(const Num::Mark& m, bool examined)
{
    if (!examined)
        return {};
    return m ? QVariant(Num::fromFixed(*m)) : QVariant(Rules::kAbsent);
}

// A rank, or 缺考 where the mark it belongs to is missing.
QVariant rankCell(const std::optional<qint64>& rank, const Num::Mark& mark, bool examined)
{
    if (rank)
        return *rank;
    return examined && !mark ? QVariant(Rules::kAbsent) : QVariant();
}

// Places among classes by an average, higher first: equal averages share a
// place and the next place skips; a class without an average takes none.
template <class Get, class Set>
void placeBy(std::vector<ClassRow>& rows, ClassSide ClassRow::*side, Get get, Set set)
{
    for (ClassRow& me : rows) {
        const Num::Mark mine = get(me.*side);
        if (!mine) {
            set(me.*side, std::nullopt);
            continue;
        }
        qint64 place = 1;
        for (const ClassRow& other : rows) {
            const Num::Mark theirs = get(other.*side);
            place += theirs && *theirs > *mine;
        }
        set(me.*side, place);
    }
}

struct Sums {
    qint64 students = 0, withTotal = 0;
    Num::Fixed total = 0;
    std::array<qint64, kSubjects> sat{};
    std::array<Num::Fixed, kSubjects> sum{};

    void add(const Student& s)
    {
        ++students;
        if (s.total) {
            ++withTotal;
            total += *s.total;
        }
        for (size_t k = 0; k < size_t(kSubjects); ++k)
            if (s.marks[k]) {
                ++sat[k];
                sum[k] += *s.marks[k];
            }
    }
    ClassSide side() const
    {
        ClassSide out;
        out.students = students;
        out.withTotal = withTotal;
        if (withTotal)
            out.total = Num::mean4(total, withTotal);
        out.sat = sat;
        for (size_t k = 0; k < size_t(kSubjects); ++k)
            if (sat[k])
                out.average[k] = Num::mean4(sum[k], sat[k]);
        return out;
    }
};

void computeClasses(Result& r, const std::vector<Student>& before, const std::vector<Student>& after)
{
    QMap<qint64, Sums> b, a; // by class, in class order
    Sums gb, ga;
    for (const Student& s : before) {
        b[s.cls].add(s);
        gb.add(s);
    }
    for (const Student& s : after) {
        a[s.cls].add(s);
        ga.add(s);
    }
    QList<qint64> classes = b.keys();
    for (qint64 c : a.keys())
        if (!classes.contains(c))
            classes << c;
    std::sort(classes.begin(), classes.end());
    QHash<qint64, std::pair<Num::Fixed, qint64>> rankChange; // by the later class
    std::pair<Num::Fixed, qint64> gradeChange{0, 0};
    for (const Pair& p : r.pairs)
        if (p.gradeChange) {
            auto& c = rankChange[p.after.cls];
            c.first += *p.gradeChange * Num::kScale;
            ++c.second;
            gradeChange.first += *p.gradeChange * Num::kScale;
            ++gradeChange.second;
        }
    auto meanChange = [](const std::pair<Num::Fixed, qint64>& c) {
        return c.second ? Num::Mark(Num::mean4(c.first, c.second)) : std::nullopt;
    };
    for (qint64 c : classes) {
        ClassRow row;
        row.cls = c;
        row.before = b.value(c).side();
        row.after = a.value(c).side();
        row.meanRankChange = meanChange(rankChange.value(c));
        row.paired = rankChange.value(c).second;
        r.classes.push_back(row);
    }
    for (ClassSide ClassRow::*side : {&ClassRow::before, &ClassRow::after}) {
        placeBy(r.classes, side, [](const ClassSide& s) { return s.total; },
                [](ClassSide& s, Rules::Place p) { s.totalPlace = p; });
        for (size_t k = 0; k < size_t(kSubjects); ++k)
            placeBy(r.classes, side, [k](const ClassSide& s) { return s.average[k]; },
                    [k](ClassSide& s, Rules::Place p) { s.place[k] = p; });
    }
    r.grade.cls = kWholeGrade;
    r.grade.before = gb.side();
    r.grade.after = ga.side();
    r.grade.meanRankChange = meanChange(gradeChange);
    r.grade.paired = gradeChange.second;
}

bool inClass(const Student& s, qint64 cls)
{
    return cls == 0 || s.cls == cls;
}

// Who has a grade rank of the total, and the subjects anyone sat, on one side.
void countSide(const std::vector<Student>& rows, qint64& ranked, std::array<bool, kSubjects>& examined)
{
    for (const Student& s : rows) {
        ranked += s.gradeRank.has_value();
        for (size_t k = 0; k < size_t(kSubjects); ++k)
            examined[k] = examined[k] || s.marks[k].has_value();
    }
}

using NumberIndex = QHash<QString, QList<int>>;

// The rows of one side by 学号; a blank 学号 is left out.
NumberIndex byNumber(const std::vector<Student>& rows)
{
    NumberIndex out;
    for (int i = 0; i < int(rows.size()); ++i)
        if (const QString n = rows[size_t(i)].number.trimmed(); !n.isEmpty())
            out[n] << i;
    return out;
}

// Why a student of one side pairs nobody on the other, if he does not:
// no 学号, a 学号 held twice on either side, or a 学号 only his side has.
std::optional<Apart::Why> whyApart(const QString& number, const NumberIndex& mine, const NumberIndex& other,
                                   Apart::Why alone)
{
    if (number.isEmpty())
        return Apart::Why::NoNumber;
    if (mine.value(number).size() > 1 || other.value(number).size() > 1)
        return Apart::Why::NumberTwice;
    if (other.value(number).isEmpty())
        return alone;
    return std::nullopt;
}

// A student found in both examinations, with his changes.
Pair pairOf(const Student& before, const Student& after, const Result& r)
{
    Pair p;
    p.before = before;
    p.after = after;
    if (p.before.gradeRank)
        p.positionBefore = positionPercent(*p.before.gradeRank, r.rankedBefore);
    if (p.after.gradeRank)
        p.positionAfter = positionPercent(*p.after.gradeRank, r.rankedAfter);
    p.gradeChange = difference(p.before.gradeRank, p.after.gradeRank);
    // A class rank says where he stood among his classmates: across a
    // change of class the two places are among different students.
    if (p.before.cls == p.after.cls)
        p.classChange = difference(p.before.classRank, p.after.classRank);
    for (size_t k = 0; k < size_t(kSubjects); ++k)
        p.subjectChange[k] = difference(p.before.subjectRanks[k], p.after.subjectRanks[k]);
    return p;
}

// Class, then 学号.
bool rosterOrder(const Student& a, const Student& b)
{
    return a.cls != b.cls ? a.cls < b.cls : a.number < b.number;
}

} // namespace

const QStringList& subjects()
{
    return Rules::gradeSubjects();
}

qint64 positionPercent(qint64 rank, qint64 ranked)
{
    if (ranked <= 1)
        return 0;
    const qint64 ahead = std::clamp<qint64>(rank, 1, ranked) - 1;
    return (100 * ahead + ranked - 2) / (ranked - 1);
}

Result compare(const std::vector<Student>& before, const std::vector<Student>& after)
{
    Result r;
    countSide(before, r.rankedBefore, r.examinedBefore);
    countSide(after, r.rankedAfter, r.examinedAfter);

    // Students by 学号 on each side; a number held twice pairs nobody.
    const NumberIndex byBefore = byNumber(before), byAfter = byNumber(after);
    for (const Student& s : before)
        if (const auto why = whyApart(s.number.trimmed(), byBefore, byAfter, Apart::Why::OnlyBefore))
            r.apart << Apart{s, *why, false};
    for (const Student& s : after) {
        const QString n = s.number.trimmed();
        if (const auto why = whyApart(n, byAfter, byBefore, Apart::Why::OnlyAfter))
            r.apart << Apart{s, *why, true};
        else
            r.pairs << pairOf(before[size_t(byBefore.value(n).first())], s, r);
    }
    std::stable_sort(r.pairs.begin(), r.pairs.end(),
                     [](const Pair& a, const Pair& b) { return rosterOrder(a.after, b.after); });
    std::stable_sort(r.apart.begin(), r.apart.end(),
                     [](const Apart& a, const Apart& b) { return rosterOrder(a.student, b.student); });
    computeClasses(r, before, after);
    return r;
}

QList<int> movers(const Result& r, qint64 cls, int n, bool up)
{
    QList<int> list;
    if (n <= 0)
        return list;
    for (int i = 0; i < r.pairs.size(); ++i) {
        const Pair& p = r.pairs.at(i);
        if (inClass(p.after, cls) && p.gradeChange && (up ? *p.gradeChange > 0 : *p.gradeChange < 0))
            list << i;
    }
    std::stable_sort(list.begin(), list.end(), [&](int a, int b) {
        const Pair &pa = r.pairs.at(a), &pb = r.pairs.at(b);
        if (*pa.gradeChange != *pb.gradeChange)
            return up ? *pa.gradeChange > *pb.gradeChange : *pa.gradeChange < *pb.gradeChange;
        return *pa.after.gradeRank < *pb.after.gradeRank;
    });
    // Everyone tied with the last one listed is listed too: the list never
    // picks one of two students who moved equally far.
    qsizetype keep = std::min<qsizetype>(n, list.size());
    while (keep > 0 && keep < list.size()
           && *r.pairs.at(list.at(keep)).gradeChange == *r.pairs.at(list.at(keep - 1)).gradeChange)
        ++keep;
    return list.mid(0, keep);
}

// ---- sheets -------------------------------------------------------------------

namespace {

Export::Sheet sheet(const QString& name, const QString& title, const QStringList& columns)
{
    Export::Sheet s;
    s.name = name;
    s.title = title;
    s.columns = columns;
    s.headers = columns;
    s.formatsFromNames();
    return s;
}

} // namespace

Export::Sheet studentSheet(const Result& r, qint64 cls)
{
    QStringList cols{"学号", "班号", "姓名", "上次总分", "本次总分", "上次级排", "本次级排", "级排进退",
                     "上次班排", "本次班排", "班排进退", "上次年级前%", "本次年级前%"};
    QList<int> shown;
    for (int k = 0; k < kSubjects; ++k)
        if (r.examined(k)) {
            shown << k;
            const QString& s = subjects().at(k);
            cols << "上次" + s << "本次" + s << s + "级排进退";
        }
    cols << "说明";
    Export::Sheet out = sheet(QStringLiteral("学生进退"), QStringLiteral("学生成绩进退"), cols);
    out.frozenColumns = 3;
    const bool totalsBefore = r.rankedBefore > 0, totalsAfter = r.rankedAfter > 0;
    for (const Pair& p : r.pairs) {
        if (!inClass(p.after, cls))
            continue;
        QVariantList row{p.after.number, p.after.cls, p.after.name,
                         markCell(p.before.total, totalsBefore), markCell(p.after.total, totalsAfter),
                         rankCell(p.before.gradeRank, p.before.total, totalsBefore),
                         rankCell(p.after.gradeRank, p.after.total, totalsAfter), whole(p.gradeChange),
                         rankCell(p.before.classRank, p.before.total, totalsBefore),
                         rankCell(p.after.classRank, p.after.total, totalsAfter), whole(p.classChange),
                         rankCell(p.positionBefore, p.before.total, totalsBefore),
                         rankCell(p.positionAfter, p.after.total, totalsAfter)};
        for (int k : shown) {
            row << markCell(p.before.marks[size_t(k)], r.examinedBefore[size_t(k)])
                << markCell(p.after.marks[size_t(k)], r.examinedAfter[size_t(k)]) << whole(p.subjectChange[size_t(k)]);
        }
        QStringList notes;
        if (p.before.cls != p.after.cls)
            notes << QStringLiteral("上次在%1班").arg(p.before.cls);
        if (p.before.name != p.after.name)
            notes << QStringLiteral("上次姓名为%1").arg(p.before.name);
        row << (notes.isEmpty() ? QVariant() : QVariant(notes.join(QStringLiteral("；"))));
        out.rows << row;
    }
    return out;
}

Export::Sheet moversSheet(const Result& r, qint64 cls, int n, bool up)
{
    Export::Sheet out = sheet(up ? QStringLiteral("进步最多") : QStringLiteral("退步最多"),
                              up ? QStringLiteral("进步最多的学生") : QStringLiteral("退步最多的学生"),
                              {"名次", "学号", "班号", "姓名", "上次级排", "本次级排", "级排进退", "上次总分", "本次总分"});
    const QList<int> list = movers(r, cls, n, up);
    qint64 place = 0;
    for (int i = 0; i < list.size(); ++i) {
        const Pair& p = r.pairs.at(list.at(i));
        if (i == 0 || *p.gradeChange != *r.pairs.at(list.at(i - 1)).gradeChange)
            place = i + 1;
        out.rows << QVariantList{place, p.after.number, p.after.cls, p.after.name, whole(p.before.gradeRank),
                                 whole(p.after.gradeRank), whole(p.gradeChange), fixedValue(p.before.total),
                                 fixedValue(p.after.total)};
    }
    return out;
}

Export::Sheet classSheet(const Result& r)
{
    QStringList cols{"班号", "上次人数", "本次人数", "上次总分均分", "本次总分均分", "总分均分变化",
                     "上次总分名次", "本次总分名次", "名次进退", "人均进退名次"};
    QList<int> shown;
    for (int k = 0; k < kSubjects; ++k)
        if (r.examined(k)) {
            shown << k;
            const QString& s = subjects().at(k);
            cols << "上次" + s + "均分" << "本次" + s + "均分" << s + "均分变化" << "上次" + s + "名次"
                 << "本次" + s + "名次";
        }
    Export::Sheet out = sheet(QStringLiteral("各班对比"), QStringLiteral("各班进退"), cols);
    out.frozenColumns = 1;
    auto change = [](const Num::Mark& before, const Num::Mark& after) {
        return before && after ? QVariant(Num::fromFixed(*after - *before)) : QVariant();
    };
    auto placeChange = [](const Rules::Place& before, const Rules::Place& after) {
        return before && after ? QVariant(*before - *after) : QVariant();
    };
    std::vector<ClassRow> rows = r.classes;
    rows.push_back(r.grade);
    for (const ClassRow& c : rows) {
        QVariantList row{c.cls, c.before.students, c.after.students, fixedValue(c.before.total),
                         fixedValue(c.after.total), change(c.before.total, c.after.total), whole(c.before.totalPlace),
                         whole(c.after.totalPlace), placeChange(c.before.totalPlace, c.after.totalPlace),
                         fixedValue(c.meanRankChange)};
        for (int k : shown) {
            const size_t i = size_t(k);
            row << fixedValue(c.before.average[i]) << fixedValue(c.after.average[i])
                << change(c.before.average[i], c.after.average[i]) << whole(c.before.place[i])
                << whole(c.after.place[i]);
        }
        out.rows << row;
    }
    return out;
}

Export::Sheet apartSheet(const Result& r, qint64 cls, const QString& before, const QString& after)
{
    Export::Sheet out = sheet(QStringLiteral("仅一次"), QStringLiteral("未能对应的学生"),
                              {"学号", "班号", "姓名", "所在考试", "说明"});
    for (const Apart& a : r.apart) {
        if (!inClass(a.student, cls))
            continue;
        QString why;
        switch (a.why) {
        case Apart::Why::OnlyBefore:
            why = QStringLiteral("本次考试没有这个学号");
            break;
        case Apart::Why::OnlyAfter:
            why = QStringLiteral("上次考试没有这个学号");
            break;
        case Apart::Why::NoNumber:
            why = QStringLiteral("没有学号，不按姓名对应");
            break;
        case Apart::Why::NumberTwice:
            why = QStringLiteral("学号在一次考试中出现两次，无法对应");
            break;
        }
        out.rows << QVariantList{a.student.number, a.student.cls, a.student.name, a.inLater ? after : before, why};
    }
    return out;
}

// ---- saved examinations ----------------------------------------------------------

QList<ExamId> savedExams()
{
    const QString name = Db::column(kSaved, QStringLiteral("考试名称"));
    const QString no = Db::column(kSaved, QStringLiteral("考试编号"));
    QList<ExamId> out;
    for (const QVariantList& row :
         Db::selectRows(QStringLiteral("SELECT %1, %2, min(%3) AS first FROM %4 WHERE %1 IS NOT NULL GROUP BY %1, %2 "
                                       "ORDER BY %2, first")
                            .arg(name, no, Db::column(kSaved, QStringLiteral("ID")), Db::table(kSaved))))
        out << ExamId{row.at(0).toString(), row.at(1).toLongLong()};
    return out;
}

QString label(const ExamId& exam, const QList<ExamId>& all)
{
    const auto same = std::count_if(all.begin(), all.end(), [&](const ExamId& e) { return e.name == exam.name; });
    return same > 1 ? QStringLiteral("%1（编号%2）").arg(exam.name).arg(exam.number) : exam.name;
}

ExamId findExam(const QString& name, std::optional<qint64> number)
{
    const QList<ExamId> all = savedExams();
    QList<ExamId> named;
    for (const ExamId& e : all)
        if (e.name == name && (!number || e.number == *number))
            named << e;
    if (named.size() == 1)
        return named.first();
    if (named.isEmpty()) {
        QStringList names;
        for (const ExamId& e : all)
            if (!names.contains(e.name))
                names << e.name;
        QString text = number ? QStringLiteral("没有永久保存过成绩的考试“%1”（编号%2）").arg(name).arg(*number)
                              : QStringLiteral("没有永久保存过成绩的考试“%1”").arg(name);
        text += names.isEmpty() ? QStringLiteral("：数据库里还没有保存过任何考试的成绩")
                                : QStringLiteral("。已保存成绩的考试有：%1").arg(names.join(QStringLiteral("、")));
        throw Db::InputError(text);
    }
    QStringList numbers;
    for (const ExamId& e : named)
        numbers << QString::number(e.number);
    throw Db::InputError(QStringLiteral("名为“%1”的考试保存过%2次（编号%3），请给出编号")
                             .arg(name)
                             .arg(named.size())
                             .arg(numbers.join(QStringLiteral("、"))));
}

std::optional<ExamId> previousExam(const ExamId& exam)
{
    const QList<ExamId> all = savedExams();
    const qsizetype i = all.indexOf(exam);
    if (i <= 0)
        return std::nullopt;
    return all.at(i - 1);
}

std::vector<Student> readSaved(const ExamId& exam)
{
    QStringList cols{"学号", "班号", "姓名", "总分1", "总分班排1", "总分级排1"};
    for (const QString& s : subjects())
        cols << s + "1" << s + "级排1";
    QStringList quoted;
    for (const QString& c : cols)
        quoted << Db::column(kSaved, c);
    const QString sql = QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ? AND %4 = ? ORDER BY %5, %6, %7")
                            .arg(quoted.join(','), Db::table(kSaved), Db::column(kSaved, "考试名称"),
                                 Db::column(kSaved, "考试编号"), quoted.at(1), quoted.at(0), Db::column(kSaved, "ID"));
    std::vector<Student> out;
    for (const QVariantList& row : Db::selectRows(sql, {exam.name, exam.number})) {
        Student s;
        s.number = row.at(0).toString();
        s.cls = row.at(1).toLongLong();
        s.name = row.at(2).toString();
        s.total = Num::markOf(row.at(3));
        s.classRank = rankOf(row.at(4));
        s.gradeRank = rankOf(row.at(5));
        for (int k = 0; k < kSubjects; ++k) {
            s.marks[size_t(k)] = Num::markOf(row.at(6 + 2 * k));
            s.subjectRanks[size_t(k)] = rankOf(row.at(7 + 2 * k));
        }
        // Grades saved twice under one examination (before a second save
        // replaced the first) hold every student twice: the first saving counts.
        if (!out.empty() && !s.number.trimmed().isEmpty() && out.back().number == s.number && out.back().cls == s.cls
            && out.back().name == s.name)
            continue;
        out.push_back(std::move(s));
    }
    return out;
}

} // namespace Progress
