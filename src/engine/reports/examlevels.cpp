#include "engine/reports/examlevels.h"

#include "engine/db/database.h"
#include "engine/rules/subjects.h"

#include <QSet>
#include <algorithm>

namespace Levels {

namespace {

const QString kGrades = QStringLiteral("cjsave");
const QString kAnalysis = QStringLiteral("fxsave");

QString col(const QString& table, const QString& name)
{
    return Db::column(table, name);
}

// Whether the values make an item of the examination: some student has a
// mark, and not every mark is 0 (rows saved before an empty cell was an
// absence hold 0 for a subject nobody entered).
bool hasMarks(const std::vector<Num::Mark>& marks)
{
    return std::any_of(marks.begin(), marks.end(), [](const Num::Mark& m) { return m && *m != 0; });
}

} // namespace

std::vector<qint64> ExamGrades::classes() const
{
    std::vector<qint64> out;
    out.reserve(students.size());
    for (const Student& s : students)
        out.push_back(s.cls);
    return out;
}

std::vector<Num::Mark> ExamGrades::marks(int item) const
{
    std::vector<Num::Mark> out;
    out.reserve(students.size());
    for (const Student& s : students)
        out.push_back(s.marks.at(size_t(item)));
    return out;
}

QList<qint64> ExamGrades::classList() const
{
    QList<qint64> out;
    for (const Student& s : students)
        if (out.isEmpty() || out.last() != s.cls)
            out << s.cls;
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

QList<SavedExam> savedExams()
{
    QList<SavedExam> out;
    if (!Db::hasTable(kGrades))
        return out;
    const QString name = col(kGrades, "考试名称"), number = col(kGrades, "考试编号");
    for (const auto& r : Db::selectRows(QStringLiteral("SELECT %1, %2, count(*) FROM %3 GROUP BY %1, %2 ORDER BY min(rowid)")
                                            .arg(name, number, Db::table(kGrades)))) {
        const auto n = Num::parseInteger(r.at(1).toString());
        if (r.at(0).toString().isEmpty() || !n)
            continue;
        out << SavedExam{{r.at(0).toString(), *n}, r.at(2).toLongLong()};
    }
    return out;
}

ExamRef examNamed(const QString& name)
{
    QList<qint64> numbers;
    for (const SavedExam& e : savedExams())
        if (e.exam.name == name)
            numbers << e.exam.number;
    if (numbers.isEmpty())
        throw Db::InputError(QStringLiteral("没有永久保存过名为“%1”的考试成绩").arg(name));
    if (numbers.size() > 1) {
        QStringList list;
        for (qint64 n : numbers)
            list << QString::number(n);
        throw Db::InputError(QStringLiteral("名为“%1”的考试保存过%2次（编号%3），请给出编号")
                                 .arg(name)
                                 .arg(numbers.size())
                                 .arg(list.join(QStringLiteral("、"))));
    }
    return {name, numbers.first()};
}

namespace {

// The columns read of a saved row: 学号, 班号, 姓名, 保存时间, then a mark
// column per subject and the total.
constexpr int kFirstMark = 4;

// marks[column][student]: each subject's column, then the total's.
using MarkColumns = std::vector<std::vector<Num::Mark>>;

QList<QVariantList> savedRows(const ExamRef& exam, const QStringList& subjects)
{
    QStringList read{col(kGrades, "学号"), col(kGrades, "班号"), col(kGrades, "姓名"), col(kGrades, "保存时间")};
    for (const QString& s : subjects)
        read << col(kGrades, s + QLatin1Char('1'));
    read << col(kGrades, kTotal + QLatin1Char('1'));
    const QString name = col(kGrades, "考试名称"), number = col(kGrades, "考试编号");
    const auto rows = Db::selectRows(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ? AND %4 = ? ORDER BY %5, %6, rowid")
                                         .arg(read.join(','), Db::table(kGrades), name, number, read.at(1), read.at(0)),
                                     {exam.name, exam.number});
    if (rows.isEmpty())
        throw Db::InputError(QStringLiteral("没有永久保存过考试“%1”（编号%2）的成绩").arg(exam.name).arg(exam.number));
    return rows;
}

MarkColumns markColumns(const QList<QVariantList>& rows, int columns)
{
    MarkColumns all(static_cast<size_t>(columns));
    for (const auto& r : rows)
        for (int c = 0; c < columns; ++c)
            all[size_t(c)].push_back(Num::markOf(r.at(kFirstMark + c)));
    return all;
}

// The full marks the examination's saved analysis holds, by subject.
QMap<QString, qint64> analysisFullMarks(const ExamRef& exam, const QStringList& subjects)
{
    QMap<QString, qint64> saved;
    if (!Db::hasTable(kAnalysis))
        return saved;
    for (const auto& r : Db::selectRows(QStringLiteral("SELECT %1, max(CAST(%2 AS REAL)) FROM %3 WHERE %4 = ? AND %5 = ? GROUP BY %1")
                                            .arg(col(kAnalysis, "科目"), col(kAnalysis, "满分值"), Db::table(kAnalysis),
                                                 col(kAnalysis, "考试名称"), col(kAnalysis, "考试编号")),
                                        {exam.name, exam.number})) {
        QString subject = r.at(0).toString();
        if (subject.endsWith(QLatin1Char('1')))
            subject.chop(1);
        const double full = r.at(1).toDouble();
        if (subjects.contains(subject) && full >= 1)
            saved.insert(subject, qint64(full));
    }
    return saved;
}

// 总分 adds up the subjects ranked together; a school that keeps 综合
// apart ranks without it. The students who sat everything tell which.
bool totalLeavesOutCombined(const MarkColumns& all, const QList<int>& kept, const QStringList& subjects)
{
    const int total = int(all.size()) - 1;
    qint64 withIt = 0, without = 0;
    for (size_t s = 0; s < all[size_t(total)].size(); ++s) {
        const Num::Mark t = all[size_t(total)][s];
        if (!t)
            continue;
        Num::Fixed sum = 0, other = 0;
        bool complete = true;
        for (int c = 0; c < total; ++c) {
            if (!kept.contains(c))
                continue;
            const Num::Mark m = all[size_t(c)][s];
            if (!m) {
                complete = false;
                break;
            }
            sum += *m;
            if (subjects.at(c) != QStringLiteral("综合"))
                other += *m;
        }
        if (!complete)
            continue;
        withIt += sum == *t ? 1 : 0;
        without += other == *t ? 1 : 0;
    }
    return without > withIt;
}

// Each subject's full mark; returns the subjects the total adds up.
QStringList setSubjectFullMarks(ExamGrades& g, const QMap<QString, qint64>& saved,
                                const QMap<QString, qint64>& fallback)
{
    QStringList inTotal;
    for (const QString& item : std::as_const(g.items)) {
        if (item == kTotal)
            continue;
        inTotal << item;
        if (saved.contains(item)) {
            g.fullMarks.insert(item, saved.value(item));
            g.fullMarksFromAnalysis << item;
        } else {
            g.fullMarks.insert(item, fallback.value(item, 100));
        }
    }
    return inTotal;
}

void setTotalFullMark(ExamGrades& g, const QStringList& inTotal)
{
    qint64 full = 0;
    for (const QString& s : inTotal)
        full += g.fullMarks.value(s);
    g.fullMarks.insert(kTotal, std::max<qint64>(full, 1));
    bool allSaved = !inTotal.isEmpty();
    for (const QString& s : inTotal)
        allSaved = allSaved && g.fullMarksFromAnalysis.contains(s);
    if (allSaved)
        g.fullMarksFromAnalysis << kTotal;
}

void addStudents(ExamGrades& g, const QList<QVariantList>& rows, const MarkColumns& all, const QList<int>& kept)
{
    g.students.reserve(rows.size());
    for (size_t s = 0; s < size_t(rows.size()); ++s) {
        const auto& r = rows.at(qsizetype(s));
        ExamGrades::Student st;
        st.number = r.at(0).toString();
        st.cls = r.at(1).toLongLong();
        st.name = r.at(2).toString();
        for (int c : kept)
            st.marks.push_back(all[size_t(c)][s]);
        g.students.push_back(std::move(st));
    }
}

} // namespace

ExamGrades readExam(const ExamRef& exam, const QMap<QString, qint64>& fallback)
{
    ExamGrades g;
    g.exam = exam;
    const QStringList subjects = Rules::gradeSubjects();
    const auto rows = savedRows(exam, subjects);
    g.savedAt = rows.first().at(3).toString();

    // Every column read, then only the items the examination has.
    const int columns = int(subjects.size()) + 1;
    const MarkColumns all = markColumns(rows, columns);
    QList<int> kept;
    for (int c = 0; c < columns; ++c) {
        if (hasMarks(all[size_t(c)])) {
            kept << c;
            g.items << (c < subjects.size() ? subjects.at(c) : kTotal);
        }
    }

    // Full marks: the saved analysis's where it has the subject.
    QStringList inTotal = setSubjectFullMarks(g, analysisFullMarks(exam, subjects), fallback);
    if (g.items.contains(kTotal) && inTotal.contains(QStringLiteral("综合"))
        && totalLeavesOutCombined(all, kept, subjects))
        inTotal.removeAll(QStringLiteral("综合"));
    if (g.items.contains(kTotal))
        setTotalFullMark(g, inTotal);

    addStudents(g, rows, all, kept);
    return g;
}

ExamLevels::Count ExamLevels::count(int item, std::optional<qint64> cls) const
{
    Count c;
    c.perLevel = QList<qint64>(scheme.names().size(), 0);
    const auto& lv = levels.at(size_t(item));
    for (size_t s = 0; s < grades.students.size(); ++s) {
        if (cls && grades.students[s].cls != *cls)
            continue;
        if (lv[s])
            ++c.perLevel[*lv[s]];
        else
            ++c.absent;
    }
    return c;
}

ExamLevels examLevels(ExamGrades grades, const Scheme& scheme)
{
    check(scheme);
    ExamLevels out;
    out.scheme = scheme;
    const std::vector<qint64> classes = grades.classes();
    for (int i = 0; i < grades.items.size(); ++i)
        out.levels.push_back(levels(scheme, grades.marks(i), classes, grades.fullMarks.value(grades.items.at(i), 100)));
    out.grades = std::move(grades);
    return out;
}

ExamLevels examLevels(const ExamRef& exam, const Scheme& scheme, const QMap<QString, qint64>& fallback)
{
    return examLevels(readExam(exam, fallback), scheme);
}

} // namespace Levels
